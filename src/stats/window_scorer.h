// The normalised window score of a motif, for motifs of any width, fast
// enough to scan every motif of a database over many thousands of sequences.
//
// A window scores the sum over its positions of the plain frequency of its
// letter there, scaled so that the best word the motif allows scores 1 and
// the worst 0: the score the engine gives the sites of a report (it sums the
// mismatch terms 1 - f in position order and keeps the bounds in single
// precision; both are done here the same way, so that a report's motif scores
// every window exactly as the engine scored its sites).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "formats/fasta.h"
#include "formats/motif.h"

namespace enrichment {

// Sequences coded once for every motif scored on them: A, C, G, T as 0 to 3
// and every other letter (lower case included, as the engine reads them) as
// 4; and at every position the code of the four letters from there, for the
// scorer's tables.
class CodedSequences {
 public:
  explicit CodedSequences(const std::vector<FastaRecord>& records);

  std::size_t size() const { return starts_.size() - 1; }
  const std::uint8_t* letters(std::size_t s) const { return codes_.data() + starts_[s]; }
  const std::uint8_t* quads(std::size_t s) const { return quads_.data() + starts_[s]; }
  std::size_t length(std::size_t s) const { return starts_[s + 1] - starts_[s]; }

  static constexpr std::uint8_t kOther = 4;

 private:
  std::vector<std::uint8_t> codes_;
  std::vector<std::uint8_t> quads_;   // 0 where fewer than four bases follow
  std::vector<std::size_t> starts_;   // of each sequence, and the end
};

class WindowScorer {
 public:
  // Plain frequencies of A, C, G, T per position (motif::plainFrequencies);
  // at least one position.
  explicit WindowScorer(const std::vector<motif::Column>& frequencies);

  int width() const { return width_; }

  // The score of the window of width() letters (codes 0 to 3) at `window`, on
  // the forward strand or as its reverse complement.
  double score(const std::uint8_t* window, bool forward) const;

  // The best score over every window of bases of sequence s, on both strands
  // or the forward one; kNoWindow when it has no such window.
  double best(const CodedSequences& sequences, std::size_t s, bool bothStrands) const;

  // Calls visit(start, forward, score) for every window of sequence s scoring
  // at least `threshold`, by start (0-based), the forward strand first.
  template <class Visit>
  void forEachAtLeast(const CodedSequences& sequences, std::size_t s, bool bothStrands, double threshold,
                      Visit&& visit) const;

 private:
  // The sum of the mismatch terms over the window, by the tables of four
  // positions: the exact sum up to rounding.
  double quickMismatch(const std::uint8_t* quads, bool forward) const;
  double exactMismatch(const std::uint8_t* window, bool forward) const;
  double normalised(double mismatch) const;
  // Calls f(start) for every start of a window of bases in sequence s.
  template <class F>
  void forEachWindow(const CodedSequences& sequences, std::size_t s, F&& f) const;

  int width_;
  std::vector<double> mismatch_;          // [position * 4 + base] = 1 - f
  float highest_ = 0.0f, lowest_ = 0.0f;  // bounds of the mismatch sum, as the engine keeps them
  std::vector<int> quadStarts_;           // first position of each table
  std::vector<double> forwardQuads_, reverseQuads_;  // [table * 256 + quad code]
};

// ---- template definitions ----------------------------------------------------

template <class F>
void WindowScorer::forEachWindow(const CodedSequences& sequences, std::size_t s, F&& f) const {
  const std::uint8_t* letters = sequences.letters(s);
  const std::size_t length = sequences.length(s);
  const std::size_t w = static_cast<std::size_t>(width_);
  std::size_t run = 0;  // bases ending at the current position
  for (std::size_t i = 0; i < length; ++i) {
    run = letters[i] == CodedSequences::kOther ? 0 : run + 1;
    if (run >= w) f(i + 1 - w);
  }
}

template <class Visit>
void WindowScorer::forEachAtLeast(const CodedSequences& sequences, std::size_t s, bool bothStrands, double threshold,
                                  Visit&& visit) const {
  const std::uint8_t* letters = sequences.letters(s);
  forEachWindow(sequences, s, [&](std::size_t start) {
    for (bool forward : {true, false}) {
      if (!forward && !bothStrands) break;
      const double value = score(letters + start, forward);
      if (value >= threshold) visit(start, forward, value);
    }
  });
}

}  // namespace enrichment
