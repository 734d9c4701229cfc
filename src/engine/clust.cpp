// The engine's state, its candidate list and its training loop.
#include "engine/clust.h"

#include "base/parallel.h"
#include "formats/report_writer.h"

zelkova::zelkova(const Utilities& store, const RunConfig& config, const std::vector<int>& seeds, ProgressSink sink)
    : util(store),
      cfg(config),
      progress(std::move(sink)),
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
    try {
      outStream = reportFile.emplace(*config.outFile).stream();
    } catch (const WriteError&) {
      // The command line falls back to its console; a caller whose messages go
      // elsewhere would lose the report without a word, so it is told.
      if (!progress.stream()) throw;
      progress.print("Error! unable to open output file %s\n", config.outFile->c_str());
      outStream = progress.stream();
    }
  }
  progress.print("Selected seed sequences #:");
  for (int idx : seedSeqs) progress.print("%d\t", idx);
  progress.print("\n");
}

// A run stopped by an error keeps the part of the report written so far.
zelkova::~zelkova() {
  try {
    closeReport();
  } catch (const WriteError& error) {
    progress.write(error.what());
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

void zelkova::train() {
  results_.parameters = saveparameters();
  if (outStream) formats::writeReportHeader(outStream, results_.parameters);
  growAndRefineClusters(static_cast<int>(numClusters));
}
