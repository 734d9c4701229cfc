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
#include <limits>
#include <vector>

#include "formats/fasta.h"
#include "formats/motif.h"

namespace stats {

// Sequences coded once for every motif scored on them: A, C, G, T as 0 to 3
// and every other letter as 4 (lower case included, as the engine's windows
// of bases take only upper-case letters); the runs of bases between other letters; and at every position the code
// of the four letters from there, for the scorer's tables.
class CodedSequences {
 public:
  explicit CodedSequences(const std::vector<FastaRecord>& records);

  // A stretch of bases (no other letter) of one sequence.
  struct Run {
    std::size_t start = 0;  // in the sequence
    std::size_t length = 0;
  };

  std::size_t size() const { return starts_.size() - 1; }
  const std::uint8_t* letters(std::size_t s) const { return codes_.data() + starts_[s]; }
  const std::uint8_t* quads(std::size_t s) const { return quads_.data() + starts_[s]; }
  std::size_t length(std::size_t s) const { return starts_[s + 1] - starts_[s]; }
  // The runs of sequence s, in order: from runsBegin(s) to runsBegin(s + 1).
  const Run* runsBegin(std::size_t s) const { return runs_.data() + runStarts_[s]; }

  static constexpr std::uint8_t kOther = 4;

 private:
  std::vector<std::uint8_t> codes_;
  std::vector<std::uint8_t> quads_;  // 0 where fewer than four bases follow
  std::vector<std::size_t> starts_;  // of each sequence, and the end
  std::vector<Run> runs_;
  std::vector<std::size_t> runStarts_;  // of each sequence's runs, and the end
};

class WindowScorer {
 public:
  // Plain frequencies of A, C, G, T per position (formats::plainFrequencies);
  // at least one position.
  explicit WindowScorer(const std::vector<formats::Column>& frequencies);

  int width() const { return width_; }

  // The score of the window of width() letters (codes 0 to 3) at `window`, on
  // the forward strand or as its reverse complement.
  double score(const std::uint8_t* window, bool forward) const;

  // The best score over every window of bases of sequence s, on both strands
  // or the forward one, when it reaches `floor`; kNoWindow when it has no
  // such window or none reaching the floor. A floor lets most windows be
  // passed over after a few positions.
  double best(const CodedSequences& sequences, std::size_t s, bool bothStrands,
              double floor = -std::numeric_limits<double>::infinity()) const;

  // Calls visit(start, forward, score) for every window of sequence s scoring
  // at least `threshold`, by start (0-based), the forward strand first.
  template <class Visit>
  void forEachAtLeast(const CodedSequences& sequences, std::size_t s, bool bothStrands, double threshold,
                      Visit&& visit) const;

 private:
  // The mismatch sums of four positions on the forward strand and on the
  // other, from one table: two lanes added by one instruction (a vector type
  // of GCC and Clang).
  using StrandPair = double __attribute__((vector_size(2 * sizeof(double))));
  double exactMismatch(const std::uint8_t* window, bool forward) const;
  double normalised(double mismatch) const;
  // The mismatch sums of the window at `quads` by the tables (which exist;
  // Tables of them, or 0 for any number), without a branch.
  template <int Tables>
  StrandPair quickMismatch(const std::uint8_t* quads) const;
  // The largest quick mismatch sum a window scoring at least `threshold` may
  // have; +infinity when every window must be scored exactly.
  double quickCutoff(double threshold) const;
  // Raises bestScore to the best score of the windows starting at the first
  // `count` positions of a run of bases, by the tables (Tables of them, 0 for
  // any number) or without them.
  template <int Tables>
  void scanRun(const std::uint8_t* letters, const std::uint8_t* quads, std::size_t count, bool bothStrands,
               double& bestQuick, double& bestScore) const;
  void scanRunExactly(const std::uint8_t* letters, std::size_t count, bool bothStrands, double& bestScore) const;

  int width_;
  std::vector<double> mismatch_;          // [position * 4 + base] = 1 - f
  float highest_ = 0.0f, lowest_ = 0.0f;  // bounds of the mismatch sum, as the engine keeps them
  // The tables cover positions 0-3, 4-7, ...; the last one the last four
  // positions, of which it adds those the others do not cover.
  std::size_t tables_ = 0;
  std::size_t lastStart_ = 0;           // first position of the last table
  std::vector<StrandPair> quadTables_;  // [table * 256 + quad code]
};

// ---- template definitions ----------------------------------------------------

template <class Visit>
void WindowScorer::forEachAtLeast(const CodedSequences& sequences, std::size_t s, bool bothStrands, double threshold,
                                  Visit&& visit) const {
  const std::uint8_t* letters = sequences.letters(s);
  const std::uint8_t* quads = sequences.quads(s);
  const std::size_t w = static_cast<std::size_t>(width_);
  // Windows whose quick sums are far above the threshold's are passed over;
  // the others are scored exactly.
  const double cutoff = quickCutoff(threshold);
  for (const CodedSequences::Run* run = sequences.runsBegin(s); run != sequences.runsBegin(s + 1); ++run)
    for (std::size_t start = run->start; start + w <= run->start + run->length; ++start) {
      const StrandPair quick = tables_ > 0 ? quickMismatch<0>(quads + start) : StrandPair{0, 0};
      for (bool forward : {true, false}) {
        if (!forward && !bothStrands) break;
        if (quick[forward ? 0 : 1] > cutoff) continue;
        const double value = score(letters + start, forward);
        if (value >= threshold) visit(start, forward, value);
      }
    }
}

}  // namespace stats
