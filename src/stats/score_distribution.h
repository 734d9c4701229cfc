// Probability distributions of whole-number scores, such as the score of a
// motif column against a column drawn at random from a database, and of sums
// of such scores: the distribution of a sum of independent scores is the
// convolution of theirs.
#pragma once

#include <vector>

namespace stats {

class ScoreDistribution {
 public:
  // The distribution that puts all its weight on 0 (the sum of no scores).
  ScoreDistribution();

  // The empirical distribution of `scores`, each equally likely; at least one.
  static ScoreDistribution ofScores(const std::vector<int>& scores);

  // The distribution of the sum of a draw from this and one from `other`,
  // drawn independently.
  ScoreDistribution plus(const ScoreDistribution& other) const;

  int lowest() const { return lowest_; }
  int highest() const { return lowest_ + static_cast<int>(probabilities_.size()) - 1; }
  double probability(int score) const;

  // P(S >= score) for every score from lowest() to highest(), summed from the
  // top so that the small tail probabilities keep their precision.
  std::vector<double> upperTail() const;

 private:
  ScoreDistribution(int lowest, std::vector<double> probabilities);

  int lowest_;
  std::vector<double> probabilities_;  // of lowest_, lowest_ + 1, ...
};

// P(S >= score) read from a table made by upperTail(): 1 below the lowest
// score, 0 above the highest.
class UpperTail {
 public:
  UpperTail() = default;
  explicit UpperTail(const ScoreDistribution& distribution);
  double atLeast(int score) const;

 private:
  int lowest_ = 0;
  std::vector<double> tail_;
};

}  // namespace stats
