// The scanner's view of a motif: log-odds scores in bits of the motif's
// letter probabilities against a background of independent letters (order
// 0), each cell rounded to a grid of kResolutionBits, and the exact
// distribution of the window score on that grid when the window's letters
// are drawn from the background. The p-value of a score is its upper tail,
// P(S >= score), computed by dynamic programming over the columns: the
// method of the field's scanners (integer-scaled matrices; the score of a
// window is a sum of independent column scores, so its distribution is the
// convolution of theirs).
//
// Scores are whole numbers of grid steps throughout; bits() turns them into
// bits for output. Every p-value is exact for the rounded matrix; rounding
// moves a window's score by at most width * kResolutionBits / 2 bits.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "formats/motif.h"

namespace stats {

// One grid step of the scores, in bits.
constexpr double kResolutionBits = 0.01;
// Pseudo-count added to each column, spread over the letters by the
// background (the convention of the field's scanners).
constexpr double kDefaultMatrixPseudocount = 0.1;
// Sites assumed behind probabilities that come without a number of sites
// (the MEME format's default).
constexpr double kSitesWhenUnknown = 20;

// Probabilities of A, C, G and T; each above 0, adding up to 1.
using Background = std::array<double, formats::kBases>;

Background uniformBackground();
// The probabilities of letters counted on both strands: A and T get the mean
// of their counts, as do C and G; each count is raised by 1 so that no
// probability is 0. Requires at least one letter counted.
Background strandSymmetricBackground(const std::array<long long, formats::kBases>& counts);
// True when A and T, and C and G, are equally likely: the other strand's
// matrix then has the same score distribution.
bool isStrandSymmetric(const Background& background);

// The motif's letter probabilities per column with `pseudocount` sites added
// and spread by the background: (n f + c b) / (n + c), where f are the plain
// frequencies, n the column's number of sites (its counts' total, the
// motif's nsites, or kSitesWhenUnknown) and b the background.
std::vector<formats::Column> siteProbabilities(const formats::Motif& motif, const Background& background,
                                               double pseudocount);

// Whether every log-odds score of `probabilities` against `background` is
// finite: every probability, and every letter of the background, above 0.
bool finiteScores(const std::vector<formats::Column>& probabilities, const Background& background);

class ScoringMatrix {
 public:
  // log2(p / b) per cell, rounded to the grid; at least one column, and
  // finiteScores().
  ScoringMatrix(const std::vector<formats::Column>& probabilities, const Background& background);

  int width() const { return static_cast<int>(cells_.size() / formats::kBases); }
  int cell(int position, int base) const { return cells_[static_cast<std::size_t>(position * formats::kBases + base)]; }
  // The best and worst score of any window.
  int best() const { return best_; }
  int worst() const { return worst_; }
  // The score of `width()` letters coded 0 to 3 (A, C, G, T).
  int score(const std::uint8_t* codes) const;
  // The matrix of the other strand: a window scores under it what its
  // reverse complement scores under this one.
  ScoringMatrix reverseComplement() const;

  static double bits(int score) { return score * kResolutionBits; }

 private:
  ScoringMatrix() = default;
  void setBounds();

  std::vector<int> cells_;  // [position * 4 + base]
  int best_ = 0;
  int worst_ = 0;
};

// The upper tail P(S >= s) of the score S of a window of background letters,
// for every s from floor() to the matrix's best score.
class ScoreTail {
 public:
  // The tail at and above `floor` (clamped to the matrix's range). Partial
  // sums that cannot reach the floor any more are dropped as the columns are
  // added, so a high floor costs little.
  ScoreTail(const ScoringMatrix& matrix, const Background& background, int floor);
  // The tail down to the highest floor whose tail exceeds `pValue`, so that
  // thresholdFor(pValue) is inside it; lowers the floor step by step.
  static ScoreTail reaching(const ScoringMatrix& matrix, const Background& background, double pValue);

  int floor() const { return floor_; }
  // True when the floor is the worst score: the whole distribution is held.
  bool complete() const { return complete_; }
  int best() const { return floor_ + static_cast<int>(tail_.size()) - 1; }
  // P(S >= score): 1 ... at the worst score, 0 above the best. Requires
  // score >= floor().
  double atLeast(int score) const;
  // The lowest score whose tail is at most `pValue`, or best() + 1 when no
  // score's is. Requires a floor low enough to tell: atLeast(floor()) >
  // pValue, or the whole distribution.
  int thresholdFor(double pValue) const;

 private:
  int floor_ = 0;
  bool complete_ = false;
  std::vector<double> tail_;  // of floor_, floor_ + 1, ...
};

}  // namespace stats
