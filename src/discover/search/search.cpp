#include "discover/search/search.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <numeric>
#include <sstream>

#include "base/parallel.h"
#include "discover/search/word_search.h"
#include "discover/setup/options.h"
#include "zelkova.h"

namespace discover {

namespace {

// The engine options a search runs with beyond -l and -m, as zelkova's
// command line gives them: only those that are not its defaults.
std::string engineOptionText(const SearchSettings& settings) {
  std::string text;
  if (settings.threshold != SearchSettings().threshold) {
    std::ostringstream value;
    value << settings.threshold;
    text += " -thr " + value.str();
  }
  if (settings.forwardOnly) text += " -r";
  return text;
}

RunConfig searchConfig(const Search& search, const SearchSettings& settings, const SearchSet& set, int threads,
                       const SideFileFolder& sideFiles) {
  RunConfig config;
  config.K = search.length;
  config.maxMismatch = search.mismatches;
  config.scanThreshold = settings.threshold;
  config.forwardOnly = settings.forwardOnly;
  config.numTopMotifs = kMotifsPerSearch;
  config.numThreads = threads;
  std::size_t longest = 0;
  for (const FastaRecord& r : set.sequences) longest = std::max(longest, r.letters.size());
  config.maxRecordLength = std::max(config.maxRecordLength, static_cast<int>(longest));
  if (sideFiles) {
    config.initCoreFile = *sideFiles + "/" + search.name + ".initcore.txt";
    config.initClusterFile = *sideFiles + "/" + search.name + ".initcluster.txt";
  } else {
    config.initCoreFile.reset();
    config.initClusterFile.reset();
  }
  config.cmdLine = "zelkova-discover, search " + search.name + ": -l " + std::to_string(search.length) + " -m " +
                   std::to_string(search.mismatches) + engineOptionText(settings);
  return config;
}

SearchOutcome runOne(const Search& search, const SearchSettings& settings, const std::string& setName,
                     const SearchSet& set, int threads, const SideFileFolder& sideFiles,
                     const std::function<void(double)>& progressed) {
  const auto start = std::chrono::steady_clock::now();
  SearchOutcome outcome;
  if (search.kind == SearchKind::Words) {
    outcome.report = wordSearch(search, settings, {&set.sequences, &set.control, &set.background, set.backgroundOrder});
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return outcome;
  }
  SearchInput input;
  input.name = "the " + setName + " sequences";
  input.sequences = set.sequences;
  input.foreground = set.foreground;
  input.background = set.background;
  ProgressSink progress = ProgressSink::silent();
  progress.countClusters([&](int done, int total) { progressed(static_cast<double>(done) / total); });
  outcome.report = runMotifSearch(searchConfig(search, settings, set, threads, sideFiles), std::move(input), progress);
  outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return outcome;
}

}  // namespace

std::vector<SearchOutcome> runSearches(const Plan& plan, const std::vector<SearchSet>& sets, int threads,
                                       const SideFileFolder& sideFiles, const SearchCallbacks& callbacks) {
  std::vector<SearchOutcome> outcomes(plan.searches.size());
  std::mutex lock;  // callbacks one at a time
  auto run = [&](std::size_t i, int searchThreads) {
    const Search& search = plan.searches[i];
    {
      std::lock_guard<std::mutex> guard(lock);
      if (callbacks.started) callbacks.started(i);
    }
    auto progressed = [&](double fraction) {
      std::lock_guard<std::mutex> guard(lock);
      if (callbacks.progressed) callbacks.progressed(i, fraction);
    };
    SearchOutcome outcome = runOne(search, plan.settings, plan.setNames[static_cast<std::size_t>(search.set)],
                                   sets[static_cast<std::size_t>(search.set)], searchThreads, sideFiles, progressed);
    std::lock_guard<std::mutex> guard(lock);
    outcomes[i] = std::move(outcome);
    if (callbacks.finished) callbacks.finished(i, outcomes[i]);
  };
  // Searches side by side, one thread each, pay as well as the engine's own
  // threads on two cores (docs/benchmarks.md); the costliest start first, so that the
  // last to end is a cheap one.
  std::vector<std::size_t> order(plan.searches.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return plan.searches[a].cost > plan.searches[b].cost; });
  const int sideBySide = std::max(1, std::min(threads, static_cast<int>(order.size())));
  const int each = std::max(1, threads / sideBySide);
  parallelFor(sideBySide, order.size(), [&](std::size_t k) { run(order[k], each); });
  return outcomes;
}

}  // namespace discover
