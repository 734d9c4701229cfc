#include "stats/score_distribution.h"

#include <algorithm>
#include <utility>

#include "base/errors.h"

namespace stats {

ScoreDistribution::ScoreDistribution() : lowest_(0), probabilities_{1.0} {}

ScoreDistribution::ScoreDistribution(int lowest, std::vector<double> probabilities)
    : lowest_(lowest), probabilities_(std::move(probabilities)) {}

ScoreDistribution ScoreDistribution::ofScores(const std::vector<int>& scores) {
  ZK_CHECK(!scores.empty(), "a score distribution has at least one score");
  const auto [low, high] = std::minmax_element(scores.begin(), scores.end());
  std::vector<double> p(static_cast<std::size_t>(*high - *low) + 1, 0.0);
  const double each = 1.0 / static_cast<double>(scores.size());
  for (int s : scores) p[static_cast<std::size_t>(s - *low)] += each;
  return ScoreDistribution(*low, std::move(p));
}

ScoreDistribution ScoreDistribution::plus(const ScoreDistribution& other) const {
  const std::vector<double>& a = probabilities_;
  const std::vector<double>& b = other.probabilities_;
  std::vector<double> sum(a.size() + b.size() - 1, 0.0);
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] == 0.0) continue;  // the far tails of long sums are mostly empty
    for (std::size_t j = 0; j < b.size(); ++j) sum[i + j] += a[i] * b[j];
  }
  return ScoreDistribution(lowest_ + other.lowest_, std::move(sum));
}

double ScoreDistribution::probability(int score) const {
  if (score < lowest() || score > highest()) return 0.0;
  return probabilities_[static_cast<std::size_t>(score - lowest_)];
}

std::vector<double> ScoreDistribution::upperTail() const {
  std::vector<double> tail(probabilities_.size());
  double total = 0.0;
  for (std::size_t i = probabilities_.size(); i-- > 0;) {
    total += probabilities_[i];
    tail[i] = std::min(total, 1.0);
  }
  return tail;
}

UpperTail::UpperTail(const ScoreDistribution& distribution)
    : lowest_(distribution.lowest()), tail_(distribution.upperTail()) {}

double UpperTail::atLeast(int score) const {
  if (score <= lowest_) return 1.0;
  const std::size_t at = static_cast<std::size_t>(score - lowest_);
  return at < tail_.size() ? tail_[at] : 0.0;
}

}  // namespace stats
