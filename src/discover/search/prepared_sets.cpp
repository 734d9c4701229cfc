#include "discover/search/prepared_sets.h"

#include <string>

#include "discover/inputs/low_complexity.h"
#include "stats/shuffle.h"
#include "zelkova.h"

namespace discover {

namespace {

// Seeds derived from the user's: one stream for each use, so that changing
// one use never changes another's sequences.
constexpr std::uint64_t kControlHoldoutStream = 0x9e3779b97f4a7c15ULL;

SetPair splitPair(const std::vector<FastaRecord>& primary, const std::vector<FastaRecord>& control, double holdout,
                  std::uint64_t seed, const std::string& what) {
  return {splitForHoldout(primary, holdout, seed, what),
          splitForHoldout(control, holdout, seed ^ kControlHoldoutStream, "the control of " + what)};
}

SearchSet searchSetOf(const SetPair& pair) {
  SearchSet set;
  set.sequences = thinnedToLetters(pair.primary.search, kSearchLetters);
  set.control = thinnedToLetters(pair.control.search, kShuffledCopies * kSearchLetters);
  set.foreground = buildMarkovModel(set.sequences, kForegroundOrder);
  set.backgroundOrder = supportedOrder(pair.control.search, kMaxBackgroundOrder, kCountsPerWord);
  set.background = buildMarkovModel(pair.control.search, set.backgroundOrder);
  return set;
}

}  // namespace

SetSizes sizesOf(const SetPair& pair) {
  return {pair.primary.search.size(), pair.primary.test.size(), pair.control.search.size(), pair.control.test.size()};
}

PreparedSets prepareSets(const Options& o, const std::vector<FastaRecord>& primary,
                         const std::vector<FastaRecord>& control, StepProgress& progress) {
  progress.begin("Models");
  PreparedSets sets;
  sets.primary = splitPair(primary, control, o.holdout, o.seed, "the primary set");
  sets.searched.push_back(searchSetOf(sets.primary));
  sets.decoyRun = decoyRuns(o.decoy, primary.size());
  if (sets.decoyRun) {
    const std::vector<std::vector<FastaRecord>> decoys = decoySets(control, primary.size(), kDecoyReplicates);
    for (std::size_t r = 0; r < decoys.size(); ++r) {
      const std::uint64_t seed = o.seed + 1 + r;
      std::vector<FastaRecord> fresh =
          stats::shuffledCopies(decoys[r], kShuffleWordLength, kShuffledCopies, seed, o.threads);
      maskLowComplexity(o, fresh);  // as the primary set's control is
      sets.decoys.push_back(splitPair(decoys[r], fresh, o.holdout, seed, "decoy set " + std::to_string(r + 1)));
      sets.searched.push_back(searchSetOf(sets.decoys.back()));
    }
  }
  for (const SearchSet& s : sets.searched) sets.backgroundOrders.push_back(s.backgroundOrder);
  progress.end("foreground order " + std::to_string(kForegroundOrder) + ", background order " +
               std::to_string(sets.searched.front().backgroundOrder));
  return sets;
}

}  // namespace discover
