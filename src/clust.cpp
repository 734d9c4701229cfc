// The engine's state, its candidate list and its training loop.
#include "clust.h"

#include "parallel.h"
#include "report_writer.h"

zelkova::zelkova(const Utilities& store, const RunConfig& config, const std::vector<int>& seeds,
                 const ProgressSink& sink)
    : util(store),
      cfg(config),
      progress(sink),
      maxMotifs(config.numTopMotifs),
      numClusters(static_cast<float>(config.numClusters)),
      numSeedSeqs(static_cast<int>(seeds.size())),
      scanThreshold(config.scanThreshold),
      maxMismatch(config.maxMismatch),
      initMethod(config.initMethod),
      seedSeqs(seeds),
      cmdLine(config.cmdLine.substr(0, 999)) {
  ZK_ASSERT(config.numThreads.has_value() && maxMismatch >= 0);  // resolved
  for (const seqRecord& rec : util.seqs.records()) {
    usedFwd.emplace_back(rec.seq.size() + 1, 0);
    usedRev.emplace_back(rec.seq.size() + 1, 0);
  }
  if (config.outFile) {
    outStream = std::fopen(config.outFile->c_str(), "w");
    if (!outStream) {
      progress.print("Error! unable to open output file %s\n", config.outFile->c_str());
      outStream = progress.stream();
    }
  }
  progress.print("Selected seed sequences #:");
  for (int idx : seedSeqs) progress.print("%d\t", idx);
  progress.print("\n");
}

zelkova::~zelkova() {
  if (outStream && outStream != progress.stream()) std::fclose(outStream);
}

bool zelkova::saveCandidateMotif(NodePtr motif) {
  // The list holds at most 2 x maxMotifs motifs (computed without overflow).
  const long long capacity = 2LL * maxMotifs;
  const double s = motif->getMAP();
  const bool full = static_cast<long long>(candMotifs.size()) >= capacity;
  if (full && (candMotifs.empty() || !(s > candMotifs.back()->getMAP()))) return false;
  std::size_t p = 0;
  while (p < candMotifs.size() && !(candMotifs[p]->getMAP() < s)) ++p;
  candMotifs.insert(candMotifs.begin() + static_cast<std::ptrdiff_t>(p), std::move(motif));
  if (full) candMotifs.pop_back();  // the motif pushed out of the list is destroyed here
  return true;
}

// The clusters are refined independently of each other, so they are refined in
// parallel and offered to the candidate list one by one, in cluster order.
void zelkova::train() {
  results_.parameters = saveparameters();
  if (outStream) report::writeHeader(outStream, results_.parameters);
  InitialClusters init = initializeClusters(static_cast<int>(numClusters));
  std::vector<NodePtr> refined(init.cores.size());
  auto refine = [&](std::size_t c) {
    refined[c] = divisiveCluster(*init.clusters[c], *init.cores[c]);
    init.clusters[c].reset();  // nothing reads a pair once it is refined
    init.cores[c].reset();
    refined[c]->computeInformation();
    refined[c]->computeMAP();
  };
  auto offer = [&](std::size_t c) {
    progress.print("Branching cluster #%d\n", static_cast<int>(c + 1));
    saveCandidateMotif(std::move(refined[c]));
  };
  parallelPipeline(*cfg.numThreads, refined.size(), refine, offer);
}
