#include "stats/log_odds.h"

#include <algorithm>
#include <cmath>

#include "base/errors.h"

namespace stats {

namespace {

constexpr double kBackground = 0.25;
constexpr double kFinestStep = 0.001;
// Bins of the summed scores at most; a position spans about 7 in score.
constexpr double kMostBins = 200000;

double letterScore(double p) {
  ZK_CHECK(p > 0, "log-odds scores are of probabilities above 0");
  return std::log(p / kBackground);
}

}  // namespace

double bestScore(const std::vector<formats::Column>& probabilities) {
  double best = 0;
  for (const formats::Column& c : probabilities) best += letterScore(*std::max_element(c.begin(), c.end()));
  return best;
}

double detectionThreshold(const std::vector<formats::Column>& probabilities, double rate) {
  const double best = bestScore(probabilities);
  double span = 0;
  for (const formats::Column& c : probabilities)
    span += letterScore(*std::max_element(c.begin(), c.end())) - letterScore(*std::min_element(c.begin(), c.end()));
  const double step = std::max(kFinestStep, span / kMostBins);
  // The distribution of the score on the grid, from its lowest value on.
  std::vector<double> chance{1.0};
  long long lowest = 0;
  for (const formats::Column& c : probabilities) {
    long long bins[formats::kBases];
    for (int b = 0; b < formats::kBases; ++b) bins[b] = std::llround(letterScore(c[b]) / step);
    const long long low = *std::min_element(bins, bins + formats::kBases);
    const long long high = *std::max_element(bins, bins + formats::kBases);
    std::vector<double> next(chance.size() + static_cast<std::size_t>(high - low), 0.0);
    for (std::size_t i = 0; i < chance.size(); ++i)
      for (long long bin : bins) next[i + static_cast<std::size_t>(bin - low)] += chance[i] * kBackground;
    chance.swap(next);
    lowest += low;
  }
  // From the top down: the last score whose upper tail stays within the rate.
  double tail = 0;
  std::size_t at = chance.size();
  while (at > 0 && tail + chance[at - 1] <= rate) tail += chance[--at];
  if (at == chance.size()) return best;
  return std::min(best, static_cast<double>(lowest + static_cast<long long>(at)) * step);
}

}  // namespace stats
