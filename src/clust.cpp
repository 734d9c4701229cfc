// The engine's state, its candidate list and its training loop.
#include "clust.h"

#include <cstring>

#include "parallel.h"

zelkova::zelkova(Utilities* store, const char* outFile, int mismatches, int seedCount, int numTopMotifs,
                 float threshold, int clusters, const std::vector<int>& seeds, int method,
                 const std::string& commandLine)
    : maxMotifs(numTopMotifs),
      numClusters(static_cast<float>(clusters)),
      numSeedSeqs(seedCount),
      scanThreshold(static_cast<double>(threshold)),
      maxMismatch(mismatches != -1 ? mismatches : static_cast<int>(store->GetL() / 2.0)),
      seedSeqs(seeds),
      util(store),
      initMethod(method > 0 && method <= 3 ? method : 1),
      cmdLine(commandLine.substr(0, 999)) {
  ZK_ASSERT(static_cast<int>(seedSeqs.size()) == numSeedSeqs);
  outStream = stdout;
  if (outFile) {
    try {
      outStream = reportFile.emplace(outFile).stream();
    } catch (const output_file::WriteError&) {
      std::printf("Error! unable to open output file %s\n", outFile);
    }
  }
  std::printf("Selected seed sequences #:");
  for (int idx : seedSeqs) std::printf("%d\t", idx);
  std::printf("\n");
}

// A run stopped by an error keeps the part of the report written so far.
zelkova::~zelkova() {
  try {
    closeReport();
  } catch (const output_file::WriteError& error) {
    std::fputs(error.what(), stdout);
  }
}

void zelkova::closeReport() {
  if (reportFile) reportFile->commit();
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
  saveparameters();
  InitialClusters init = initializeClusters(static_cast<int>(numClusters));
  std::vector<NodePtr> refined(init.cores.size());
  auto refine = [&](std::size_t c) {
    refined[c] = divisiveCluster(*init.clusters[c], *init.cores[c]);
    init.clusters[c].reset();  // nothing reads a pair once it is refined
    init.cores[c].reset();
    refined[c]->computeInformation(util);
    refined[c]->computeMAP(util);
  };
  auto offer = [&](std::size_t c) {
    std::printf("Branching cluster #%d\n", static_cast<int>(c + 1));
    saveCandidateMotif(std::move(refined[c]));
  };
  parallelPipeline(numThreads, refined.size(), refine, offer);
}
