// Deciding whether a window reaches a motif's scanning threshold without
// computing its normalised score.
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "engine/node.h"

// Whether packed words reach the scanning threshold against a motif, decided
// without dividing: the normalised score falls as the mismatch sum grows, and
// subtraction, division by a constant and rounding to single precision all
// keep order, so the words that reach the threshold are exactly those whose
// sum is at most the largest sum that does. The sum itself starts from a table
// of the sums over the first letters: it is built in position order either
// way, and the table holds exactly the partial sums that order produces, so
// every sum equals the one miSscoreCode adds up.
class WindowThreshold {
 public:
  WindowThreshold(const node& motif, double threshold)
      : motif_(motif), K_(motif.K()), head_(std::min(K_, 7)), largestSum_(largestPassingSum(motif, threshold)) {
    partial_.assign(std::size_t{1} << (2 * head_), 0.0);
    for (std::size_t code = 0; code < partial_.size(); ++code) {
      double score = 0.0;
      for (int i = 0; i < head_; ++i) score += motif.mismatchTerm(i, base::baseAt(code, head_, i));
      partial_[code] = score;
    }
  }

  // The terms are never negative, and adding one never lowers a sum, so a
  // partial sum already beyond the largest passing sum decides.
  bool passes(base::WordCode code) const {
    double sum = partial_[static_cast<std::size_t>(code >> (2 * (K_ - head_)))];
    for (int i = head_; i < K_ && sum <= largestSum_; ++i) sum += motif_.mismatchTerm(i, base::baseAt(code, K_, i));
    return sum <= largestSum_;
  }

  // Calls visit(code) for every word of A, C, G, T that passes, building the
  // sums letter by letter in position order (so each equals the sum passes()
  // forms) and giving up on a prefix whose sum is already beyond the largest
  // passing sum. Returns false, having stopped, once more than `budget`
  // prefixes would be visited: then testing every window is cheaper.
  template <class Visit>
  bool forEachPassingWord(std::size_t budget, Visit visit) const {
    std::size_t visited = 0;
    return extend(0, 0, 0.0, budget, visited, visit);
  }

 private:
  template <class Visit>
  bool extend(int position, base::WordCode prefix, double sum, std::size_t budget, std::size_t& visited,
              Visit& visit) const {
    if (position == K_) {
      visit(prefix);
      return true;
    }
    for (int b = 0; b < NUM_BASES; ++b) {
      if (++visited > budget) return false;
      const double next = sum + motif_.mismatchTerm(position, b);
      if (next > largestSum_) continue;
      if (!extend(position + 1, (prefix << 2) | static_cast<base::WordCode>(b), next, budget, visited, visit))
        return false;
    }
    return true;
  }

  static bool reaches(const node& motif, double sum, double threshold) {
    return static_cast<float>(motif.normalise(sum)) >= threshold;
  }

  // The largest sum whose score reaches the threshold (-infinity when none
  // does, +infinity when every one does), found by bisection over the ordered
  // doubles between the motif's bounds.
  static double largestPassingSum(const node& motif, double threshold) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    double low = -1.0;                                   // sums are never negative
    double high = static_cast<double>(motif.K()) + 1.0;  // nor above K
    if (!reaches(motif, low, threshold)) return -inf;
    if (reaches(motif, high, threshold)) return inf;
    while (std::nextafter(low, high) != high) {
      const double mid = low + (high - low) / 2;
      const double probe = (mid > low && mid < high) ? mid : std::nextafter(low, high);
      if (reaches(motif, probe, threshold))
        low = probe;
      else
        high = probe;
    }
    return low;
  }

  const node& motif_;
  int K_;
  int head_;
  double largestSum_;
  std::vector<double> partial_;
};
