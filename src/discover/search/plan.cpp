#include "discover/search/plan.h"

#include <algorithm>

#include "discover/inputs/sequences.h"
#include "engine/run_config.h"

namespace discover {

double searchCost(long long usableWindows, int clusters) { return 2.0 * static_cast<double>(usableWindows) * clusters; }

std::string searchDescription(const Search& s) {
  const std::string mismatches = std::to_string(s.mismatches) + (s.mismatches == 1 ? " mismatch" : " mismatches");
  if (s.kind == SearchKind::Words)
    return "words of " + std::to_string(s.length) + " letters" +
           (s.gap > 0 ? " in two halves " + std::to_string(s.gap) + " apart" : "") + ", " + mismatches;
  return "length " + std::to_string(s.length) + ", " + mismatches + (s.engineDefault ? " (the engine's default)" : "");
}

double expectedWork(const Search& search) {
  constexpr double kQuarterAllowanceShare = 0.05;
  if (search.kind == SearchKind::Words) return std::max(1.0, search.cost);
  return std::max(1.0, search.engineDefault ? search.cost : kQuarterAllowanceShare * search.cost);
}

namespace {

// The allowances searched at `length`: the user's, or a quarter and half of it.
std::vector<int> allowances(int length, const SearchSettings& settings) {
  if (settings.mismatches) return {*settings.mismatches};
  return {length / 4, length / 2};
}

// Every window's neighbourhood of one mismatch is counted, in the set and in
// its control of twice its size.
Search wordSearch(int set, const std::string& prefix, int length, int gap, int widest,
                  const std::vector<FastaRecord>& sequences) {
  Search search;
  search.widest = widest;
  search.kind = SearchKind::Words;
  search.set = set;
  search.length = length;
  search.gap = gap;
  search.mismatches = 1;
  search.cost = 3.0 * static_cast<double>(usableWindows(sequences, length + gap)) * (1 + 3 * length);
  search.name = prefix + "words" + std::to_string(length) + (gap > 0 ? "_gap" + std::to_string(gap) : "");
  return search;
}

}  // namespace

Plan planSearches(const std::vector<int>& lengths, const std::vector<const std::vector<FastaRecord>*>& sets,
                  const SearchSettings& settings) {
  Plan plan;
  plan.settings = settings;
  const int clusters = RunConfig().numClusters;
  for (std::size_t s = 0; s < sets.size(); ++s) {
    const std::string setName = s == 0 ? "primary" : "decoy" + std::to_string(s);
    plan.setNames.push_back(setName);
    const std::string prefix = s == 0 ? "" : setName + "_";
    for (int length : lengths) {
      const double cost = searchCost(usableWindows(*sets[s], length), clusters);
      for (int mismatches : allowances(length, settings)) {
        Search search;
        search.set = static_cast<int>(s);
        search.length = length;
        search.mismatches = mismatches;
        search.engineDefault = mismatches == length / 2;
        search.cost = cost;
        search.name = prefix + "l" + std::to_string(length) + "_m" + std::to_string(mismatches);
        const bool affordable = !search.engineDefault || settings.mismatches || cost <= kDefaultAllowanceBudget;
        (affordable ? plan.searches : plan.skipped).push_back(search);
      }
    }
    const int widest = *std::max_element(lengths.begin(), lengths.end());
    for (int length : kWordLengths)
      plan.searches.push_back(wordSearch(static_cast<int>(s), prefix, length, 0, widest, *sets[s]));
    for (int gap = 1; gap <= kLongestWordGap; ++gap)
      plan.searches.push_back(wordSearch(static_cast<int>(s), prefix, kGappedWordLength, gap, widest, *sets[s]));
  }
  return plan;
}

}  // namespace discover
