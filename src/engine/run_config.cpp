#include "engine/run_config.h"

#include <cfloat>
#include <cmath>

#include "base/errors.h"
#include "base/parallel.h"
#include "engine/progress.h"
#include "engine/site.h"

RequiredInputs RequiredInputs::of(const RunConfig& config) {
  RequiredInputs given;
  given.inFile = !config.inFile.empty();
  given.K = config.K != 0;
  given.bgModelFile = !config.bgModelFile.empty();
  given.fgModelFile = !config.fgModelFile.empty();
  return given;
}

namespace {

const char* const kMissingRequired[] = {
    "\n-f option. Input sequence file name is not specified.",
    "\n-l option. Motif length is not specified [6-20]",
    "\n7-order markov chain model for background sequences is required.",
    "\n7-order markov chain model for input sequences is required.",
};

void requireMotifLength(int K) {
  if (K != 0 && (K < MIN_MOTIF_LEN || K > MAX_MOTIF_LEN))
    throw FatalError("Error: Allowed motif length is between 6 to 20.\n");
}

void resolveMismatch(RunConfig& config, const ProgressSink& progress) {
  if (config.maxMismatch != -1 && (config.maxMismatch >= config.K || config.maxMismatch < 0)) {
    progress.print("Warning!!!\n");
    progress.print("Invalid mismatch value (-m option). Valid values are (0,%d).\n", config.K);
    progress.print("Default mismatch value is used.\n");
    config.maxMismatch = -1;
  }
}

void requireCounts(const RunConfig& config) {
  if (config.numTopMotifs < 1) throw FatalError("Error: number of motifs (-n) must be at least 1.\n");
  if (config.numSeedSeqs && *config.numSeedSeqs < 1)
    throw FatalError("Error: number of seed sequences (-i) must be at least 1.\n");
  if (config.numThreads && *config.numThreads < 1)
    throw FatalError("Error: number of threads (-p) must be at least 1.\n");
  if (config.maxRecordLength < 1) throw FatalError("Error: the longest record (-maxlen) must be at least 1 letter.\n");
}

void requireInputs(const RequiredInputs& given) {
  const bool seen[] = {given.inFile, given.K, given.bgModelFile, given.fgModelFile};
  std::string missing;
  for (int pos = 0; pos < 4; ++pos)
    if (!seen[pos]) missing += std::string(kMissingRequired[pos]) + "\n";
  if (!missing.empty()) throw FatalError(missing);
}

// The threshold is held in single precision; NaN, infinities and values beyond
// the float range cannot be narrowed and count as out of range.
double clampedThreshold(double given) {
  const float t = std::fabs(given) <= FLT_MAX ? static_cast<float>(given) : 0.75f;
  return (t >= 0.7 && t <= 1.0) ? t : 0.75f;
}

double clampedComplexity(double c) { return std::isnan(c) ? 0.15 : c < 0 ? 0.0 : c > 10.0 ? 10.0 : c; }

int clampedClusters(int v) { return v < 10 ? 10 : v > 100 ? 100 : v; }

}  // namespace

RunConfig resolveRunConfig(RunConfig config, const RequiredInputs& given, const ProgressSink& progress) {
  requireMotifLength(config.K);
  resolveMismatch(config, progress);
  requireCounts(config);
  requireInputs(given);
  if (config.maxMismatch == -1) config.maxMismatch = static_cast<int>(config.K / 2.0);
  if (!config.numThreads) config.numThreads = availableProcessors();
  config.scanThreshold = clampedThreshold(config.scanThreshold);
  config.MIN_COMPLEXITY = clampedComplexity(config.MIN_COMPLEXITY);
  config.numClusters = clampedClusters(config.numClusters);
  if (config.initMethod < 1 || config.initMethod > 3) config.initMethod = 1;
  return config;
}

RunConfig resolveRunConfig(const RunConfig& config, const ProgressSink& progress) {
  return resolveRunConfig(config, RequiredInputs::of(config), progress);
}

int resolveSeedCount(const std::optional<int>& requested, int numSeq, const ProgressSink& progress) {
  if (!requested) {
    const int byDefault = static_cast<int>(std::ceil(engine::log2(numSeq)));
    return byDefault < 1 ? 1 : byDefault;
  }
  if (*requested > numSeq) {
    progress.print("Warning: -i larger than the number of sequences; using %d.\n", numSeq);
    return numSeq;
  }
  return *requested;
}
