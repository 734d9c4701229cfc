#include "stats/window_scorer.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "base/words.h"
#include "stats/enrichment_stats.h"

namespace enrichment {

namespace {

constexpr int kQuad = 4;           // positions one table covers
constexpr std::size_t kQuadCodes = 256;
// Sums by tables add the same terms in another order than the exact ones, so
// they differ by rounding, about the width times 1e-16; windows within this
// of the best are scored exactly.
constexpr double kQuickTolerance = 1e-9;

std::uint8_t codeOf(char letter) {
  const int base = words::baseIndex(letter);
  return base < 0 ? CodedSequences::kOther : static_cast<std::uint8_t>(base);
}

// Letter k (0 = first) of a code of four letters.
int letterOfQuad(std::size_t code, int k) { return static_cast<int>((code >> (2 * (kQuad - 1 - k))) & 3u); }

}  // namespace

CodedSequences::CodedSequences(const std::vector<FastaRecord>& records) {
  starts_.reserve(records.size() + 1);
  std::size_t total = 0;
  for (const FastaRecord& r : records) total += r.letters.size();
  codes_.reserve(total);
  starts_.push_back(0);
  for (const FastaRecord& r : records) {
    for (char c : r.letters) codes_.push_back(codeOf(c));
    starts_.push_back(codes_.size());
  }
  quads_.assign(codes_.size(), 0);
  for (std::size_t s = 0; s + 1 < starts_.size(); ++s) {
    std::size_t run = 0;  // bases from position i on, counted backwards
    unsigned code = 0;    // the letters from i on, first most significant
    for (std::size_t i = starts_[s + 1]; i-- > starts_[s];) {
      if (codes_[i] == kOther) {
        run = 0;
        code = 0;
        continue;
      }
      ++run;
      code = ((code >> 2) | (static_cast<unsigned>(codes_[i]) << 6)) & 0xFFu;
      if (run >= kQuad) quads_[i] = static_cast<std::uint8_t>(code);
    }
  }
}

WindowScorer::WindowScorer(const std::vector<motif::Column>& frequencies)
    : width_(static_cast<int>(frequencies.size())) {
  if (width_ < 1) throw std::invalid_argument("a motif to score needs at least one position");
  mismatch_.resize(static_cast<std::size_t>(width_) * motif::kBases);
  for (int i = 0; i < width_; ++i) {
    const motif::Column& f = frequencies[static_cast<std::size_t>(i)];
    for (int b = 0; b < motif::kBases; ++b) mismatch_[static_cast<std::size_t>(i * motif::kBases + b)] = 1 - f[b];
    // The engine accumulates the bounds in single precision, step by step.
    const auto [smallest, largest] = std::minmax_element(f.begin(), f.end());
    highest_ = static_cast<float>(highest_ + (1 - *smallest));
    lowest_ = static_cast<float>(lowest_ + (1 - *largest));
  }
  if (width_ < kQuad) return;
  for (int start = 0; start < width_; start += kQuad) quadStarts_.push_back(std::min(start, width_ - kQuad));
  for (std::size_t t = 0; t < quadStarts_.size(); ++t) {
    // The last table may overlap the one before; it covers only the rest.
    const int covered = t == 0 ? 0 : quadStarts_[t - 1] + kQuad;
    for (std::size_t code = 0; code < kQuadCodes; ++code) {
      double forward = 0, reverse = 0;
      for (int k = 0; k < kQuad; ++k) {
        const int position = quadStarts_[t] + k;
        if (position < covered) continue;
        const int base = letterOfQuad(code, k);
        forward += mismatch_[static_cast<std::size_t>(position * motif::kBases + base)];
        // On the other strand this letter meets the complement of the motif's
        // position counted from the end.
        reverse += mismatch_[static_cast<std::size_t>((width_ - 1 - position) * motif::kBases + (3 - base))];
      }
      forwardQuads_.push_back(forward);
      reverseQuads_.push_back(reverse);
    }
  }
}

double WindowScorer::exactMismatch(const std::uint8_t* window, bool forward) const {
  // Summed in the order of the motif's positions, as the engine sums a word.
  double sum = 0.0;
  if (forward) {
    for (int i = 0; i < width_; ++i) sum += mismatch_[static_cast<std::size_t>(i * motif::kBases + window[i])];
  } else {
    for (int i = 0; i < width_; ++i)
      sum += mismatch_[static_cast<std::size_t>(i * motif::kBases + (3 - window[width_ - 1 - i]))];
  }
  return sum;
}

double WindowScorer::quickMismatch(const std::uint8_t* quads, bool forward) const {
  const std::vector<double>& tables = forward ? forwardQuads_ : reverseQuads_;
  double sum = 0.0;
  for (std::size_t t = 0; t < quadStarts_.size(); ++t)
    sum += tables[t * kQuadCodes + quads[quadStarts_[t]]];
  return sum;
}

double WindowScorer::normalised(double mismatch) const {
  if (highest_ == lowest_) return 0.0;
  return (mismatch - static_cast<double>(highest_)) / (static_cast<double>(lowest_) - static_cast<double>(highest_));
}

double WindowScorer::score(const std::uint8_t* window, bool forward) const {
  return normalised(exactMismatch(window, forward));
}

double WindowScorer::best(const CodedSequences& sequences, std::size_t s, bool bothStrands) const {
  const std::uint8_t* letters = sequences.letters(s);
  const std::uint8_t* quads = sequences.quads(s);
  const bool quick = !quadStarts_.empty();
  double bestQuick = std::numeric_limits<double>::infinity();
  double bestScore = enrichment_stats::kNoWindow;
  // The score falls as the mismatch sum grows, so the best window has the
  // smallest sum; a window whose quick sum is not within the tolerance of the
  // smallest quick sum so far cannot be it and is not scored exactly.
  forEachWindow(sequences, s, [&](std::size_t start) {
    for (bool forward : {true, false}) {
      if (!forward && !bothStrands) break;
      const double approximate = quick ? quickMismatch(quads + start, forward) : exactMismatch(letters + start, forward);
      if (approximate > bestQuick + kQuickTolerance) continue;
      bestQuick = std::min(bestQuick, approximate);
      bestScore = std::max(bestScore, normalised(exactMismatch(letters + start, forward)));
    }
  });
  return bestScore;
}

}  // namespace enrichment
