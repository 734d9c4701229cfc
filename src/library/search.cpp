// One complete search: load, choose the seed sequences, train, post-screen,
// save.
#include "library/search.h"

#include <ctime>
#include <numeric>

#include "engine/clust.h"
#include "engine/utilities.h"
#include "formats/output_file.h"
#include "zelkova.h"

namespace {

// The stages after loading: seed sequences, engine, training, post-screening,
// saving, and the time taken since `start`.
formats::Report searchLoadedStore(const Utilities& util, const RunConfig& config, std::time_t start,
                                  const ProgressSink& progress) {
  const int numSeedSeqs = resolveSeedCount(config.numSeedSeqs, util.GetNumSeq(), progress);
  std::vector<int> seedSeqs(static_cast<std::size_t>(numSeedSeqs));
  if (config.selectByScore)
    seedSeqs = util.selSeqs(numSeedSeqs);
  else
    std::iota(seedSeqs.begin(), seedSeqs.end(), 0);
  formats::Report results;
  {
    zelkova engine(util, config, seedSeqs, progress);
    engine.train();
    engine.postScreen();
    engine.saveMotifs();
    engine.closeReport();
    results = engine.results();
  }
  const std::time_t end = std::time(nullptr);
  progress.print("Time taken: %.6lf seconds.", std::difftime(end, start));
  progress.flush();
  return results;
}

// No output of a run may be one of its input files.
void refuseInputsAsOutputs(const RunConfig& config) {
  const std::vector<std::string> inputs{config.inFile, config.bgModelFile, config.fgModelFile};
  if (config.outFile) formats::refuseInputAsOutput(*config.outFile, inputs, "report");
  for (const std::optional<std::string>& sideFile : {config.initCoreFile, config.initClusterFile})
    if (sideFile) formats::refuseInputAsOutput(*sideFile, inputs, "side");
}

void requireSequences(const Utilities& util, const std::string& name) {
  if (util.GetNumSeq() == 0) throw FatalError("Error: no sequences found in " + name + ".\n");
}

}  // namespace

formats::Report searchFiles(const RunConfig& config, const ProgressSink& progress) {
  refuseInputsAsOutputs(config);
  const std::time_t start = std::time(nullptr);
  Utilities util(config.K, config.forwardOnly, *config.numThreads, progress);
  util.OpenFiles(config.inFile, config.bgModelFile, config.fgModelFile);
  util.LoadSeqs(static_cast<std::size_t>(config.maxRecordLength));
  requireSequences(util, config.inFile);
  util.CountDP();
  util.GetBackground();
  util.GetForeground();
  util.computebgmap(config.selectByScore);
  return searchLoadedStore(util, config, start, progress);
}

formats::Report runMotifSearch(const RunConfig& config, const ProgressSink& progress) {
  return searchFiles(resolveRunConfig(config, progress), progress);
}

formats::Report runMotifSearch(const RunConfig& given, SearchInput input, const ProgressSink& progress) {
  RequiredInputs named;  // the inputs are given, not named
  named.inFile = named.bgModelFile = named.fgModelFile = true;
  named.K = given.K != 0;
  const RunConfig config = resolveRunConfig(given, named, progress);
  const std::time_t start = std::time(nullptr);
  Utilities util(config.K, config.forwardOnly, *config.numThreads, progress);
  util.LoadSeqs(std::move(input.sequences), static_cast<std::size_t>(config.maxRecordLength));
  requireSequences(util, input.name);
  util.CountDP();
  util.GetBackground(std::move(input.background));
  util.GetForeground(std::move(input.foreground));
  util.computebgmap(config.selectByScore);
  return searchLoadedStore(util, config, start, progress);
}
