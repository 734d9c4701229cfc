// Finding the windows of a sequence that score at least a threshold under a
// scoring matrix, fast: the look-ahead filter of Korhonen et al. (MOODS,
// 2009). The matrix is cut into blocks of four columns, each scored by one
// look-up of the code of its four letters; the blocks are added in the order
// of how much they tell (best score minus expected score, largest first) and
// a window is given up as soon as its partial sum plus the best the remaining
// blocks could add falls below the threshold. At the thresholds of motif
// scanning (p below 1e-3) most windows are given up after one or two blocks.
// A window that is not given up is scored whole, so every window reported
// has exactly the matrix's score: the filter changes the work, not the
// result (scoreEveryWindow() is the plain definition, for tests and
// benchmarks).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "stats/scoring_matrix.h"
#include "stats/window_scorer.h"

namespace stats {

class MatrixScanner {
 public:
  // `background` orders the blocks by their expected score.
  MatrixScanner(const ScoringMatrix& matrix, const Background& background);

  int width() const { return matrix_.width(); }
  const ScoringMatrix& matrix() const { return matrix_; }

  // Calls visit(start, score) for every window of bases (A, C, G, T only)
  // of sequence s that starts before `startLimit` and scores at least
  // `threshold`, by start.
  template <class Visit>
  void scan(const stats::CodedSequences& sequences, std::size_t s, std::size_t startLimit, int threshold,
            Visit&& visit) const;
  // The same windows, every one scored whole: the definition scan() keeps.
  template <class Visit>
  void scoreEveryWindow(const stats::CodedSequences& sequences, std::size_t s, std::size_t startLimit, int threshold,
                        Visit&& visit) const;

  // The window of bases of sequence s of the highest score, when it reaches
  // `threshold` (of equal scores, the first): the best site of a sequence,
  // found with a threshold that rises to the best score so far.
  struct Window {
    std::size_t start = 0;
    int score = 0;
  };
  std::optional<Window> best(const stats::CodedSequences& sequences, std::size_t s, int threshold) const;

  // How many windows of bases of sequence s start before `startLimit`.
  std::size_t windowCount(const stats::CodedSequences& sequences, std::size_t s, std::size_t startLimit) const;

 private:
  static constexpr int kBlock = 4;
  static constexpr std::size_t kCodes = 256;
  // The window of bases at `letters` passes the look-ahead and scores at
  // least `threshold`; its score is then in `score`.
  bool reaches(const std::uint8_t* quads, int threshold, int& score) const;

  ScoringMatrix matrix_;
  // Blocks in the order they are added: the offset of each in the window,
  // its table [block * kCodes + code of its four letters] (columns an
  // earlier block covers count 0 there), and the best sum the blocks after
  // it can add.
  std::vector<int> offsets_;
  std::vector<int> tables_;
  std::vector<int> bestAfter_;
};

// ---- template definitions ----------------------------------------------------

inline bool MatrixScanner::reaches(const std::uint8_t* quads, int threshold, int& score) const {
  int sum = 0;
  for (std::size_t k = 0; k < offsets_.size(); ++k) {
    sum += tables_[k * kCodes + quads[offsets_[k]]];
    if (sum + bestAfter_[k] < threshold) return false;
  }
  score = sum;
  return true;
}

template <class Visit>
void MatrixScanner::scan(const stats::CodedSequences& sequences, std::size_t s, std::size_t startLimit, int threshold,
                         Visit&& visit) const {
  if (offsets_.empty()) {  // narrower than a block: every window scored whole
    scoreEveryWindow(sequences, s, startLimit, threshold, visit);
    return;
  }
  // Held in locals: the visitor writes to memory, and the compiler could not
  // otherwise keep them in registers across it.
  const std::size_t blocks = offsets_.size();
  const int* offsets = offsets_.data();
  const int* tables = tables_.data();
  const int* after = bestAfter_.data();
  const int firstOffset = offsets[0], firstAfter = after[0];
  const std::uint8_t* quads = sequences.quads(s);
  const std::size_t w = static_cast<std::size_t>(width());
  for (const stats::CodedSequences::Run* run = sequences.runsBegin(s); run != sequences.runsBegin(s + 1); ++run) {
    if (run->length < w) continue;
    const std::size_t end = std::min(run->start + run->length - w + 1, startLimit);
    for (std::size_t start = run->start; start < end; ++start) {
      const std::uint8_t* q = quads + start;
      int sum = tables[q[firstOffset]];
      if (sum + firstAfter < threshold) continue;
      std::size_t k = 1;
      for (; k < blocks; ++k) {
        sum += tables[k * kCodes + q[offsets[k]]];
        if (sum + after[k] < threshold) break;
      }
      if (k == blocks) visit(start, sum);
    }
  }
}

template <class Visit>
void MatrixScanner::scoreEveryWindow(const stats::CodedSequences& sequences, std::size_t s, std::size_t startLimit,
                                     int threshold, Visit&& visit) const {
  const std::uint8_t* letters = sequences.letters(s);
  const std::size_t w = static_cast<std::size_t>(width());
  for (const stats::CodedSequences::Run* run = sequences.runsBegin(s); run != sequences.runsBegin(s + 1); ++run) {
    if (run->length < w) continue;
    const std::size_t end = std::min(run->start + run->length - w + 1, startLimit);
    for (std::size_t start = run->start; start < end; ++start) {
      const int score = matrix_.score(letters + start);
      if (score >= threshold) visit(start, score);
    }
  }
}

}  // namespace stats
