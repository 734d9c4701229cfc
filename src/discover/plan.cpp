#include "discover/plan.h"

#include <algorithm>

#include "discover/sequences.h"
#include "engine/run_config.h"

namespace discover {

double searchCost(long long usableWindows, int clusters) {
  return 2.0 * static_cast<double>(usableWindows) * clusters;
}

double expectedWork(const Search& search) {
  constexpr double kQuarterAllowanceShare = 0.05;
  return std::max(1.0, search.engineDefault ? search.cost : kQuarterAllowanceShare * search.cost);
}

namespace {

// The allowances searched at `length`: the user's, or a quarter and half of it.
std::vector<int> allowances(int length, const SearchSettings& settings) {
  if (settings.mismatches) return {*settings.mismatches};
  return {length / 4, length / 2};
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
  }
  return plan;
}

}  // namespace discover
