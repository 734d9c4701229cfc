#include "run.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <numeric>

#include "clust.h"
#include "output_file.h"
#include "utilities.h"

namespace {

// The seed count: ceil(log2 N) by default, an explicit -i held to N, never 0.
int resolveSeedCount(int requested, int numSeq) {
  if (requested == -1) {
    const int byDefault = static_cast<int>(std::ceil(zk::log2(numSeq)));
    return byDefault < 1 ? 1 : byDefault;
  }
  if (requested > numSeq) {
    std::printf("Warning: -i larger than the number of sequences; using %d.\n", numSeq);
    return numSeq;
  }
  return requested;
}

}  // namespace

int runMotifSearch(const RunParameters& params) {
  const std::time_t start = std::time(nullptr);
  const std::vector<std::string> inputs{params.inFile, params.bgModelFile, params.fgModelFile};
  output_file::refuseInputAsOutput(params.outFile, inputs, "report");
  for (const char* sideFile : {kInitCoreFile, kInitClusterFile})
    output_file::refuseInputAsOutput(sideFile, inputs, "side");
  auto util = std::make_unique<Utilities>(K);
  util->OpenFiles(params.inFile.c_str(), params.bgModelFile.c_str(), params.fgModelFile.c_str());
  util->MaskingLow(true);
  util->LoadSeqs();
  if (util->GetNumSeq() == 0) throw FatalError("Error: no sequences found in " + params.inFile + ".\n");
  util->CountDP();
  util->GetBackground();
  util->GetForeground();
  util->computebgmap(params.selectByScore);

  const int numSeedSeqs = resolveSeedCount(params.numSeedSeqs, util->GetNumSeq());
  std::vector<int> seedSeqs(static_cast<std::size_t>(numSeedSeqs));
  if (params.selectByScore)
    seedSeqs = util->selSeqs(numSeedSeqs);
  else
    std::iota(seedSeqs.begin(), seedSeqs.end(), 0);

  auto engine = std::make_unique<zelkova>(util.get(), params.outFile.c_str(), params.maxMismatch, numSeedSeqs,
                                          params.numTopMotifs, params.scanThreshold, params.numClusters,
                                          seedSeqs, params.initMethod, params.cmdLine);
  engine->train();
  engine->postScreen();
  engine->saveMotifs();
  engine->closeReport();
  const std::time_t end = std::time(nullptr);
  std::printf("Time taken: %.6lf seconds.", std::difftime(end, start));
  engine.reset();
  util.reset();
  return 0;
}

int runZelkova(int argc, const char* const* argv) {
  try {
    const RunParameters params = parseCommandLine(argc, argv);
    return output_file::finishConsole(runMotifSearch(params), "");
  } catch (const FatalError& stop) {
    std::fputs(stop.what(), stdout);
    return output_file::finishConsole(1, stop.what());
  }
}
