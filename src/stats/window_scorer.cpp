#include "stats/window_scorer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/errors.h"
#include "base/words.h"
#include "stats/enrichment_stats.h"

namespace stats {

namespace {

constexpr int kQuad = 4;  // positions one table covers
constexpr std::size_t kQuadCodes = 256;
// Sums by tables add the same terms in another order than the exact ones, so
// they differ by rounding, about the width times 1e-16; windows within this
// of the best are scored exactly.
constexpr double kQuickTolerance = 1e-9;

std::uint8_t codeOf(char letter) {
  const int base = base::baseIndex(letter);
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
  runStarts_.push_back(0);
  for (std::size_t s = 0; s + 1 < starts_.size(); ++s) {
    std::size_t runStart = 0;
    const std::size_t length = starts_[s + 1] - starts_[s];
    for (std::size_t i = 0; i <= length; ++i) {
      if (i < length && codes_[starts_[s] + i] != kOther) continue;
      if (i > runStart) runs_.push_back({runStart, i - runStart});
      runStart = i + 1;
    }
    runStarts_.push_back(runs_.size());
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

WindowScorer::WindowScorer(const std::vector<formats::Column>& frequencies)
    : width_(static_cast<int>(frequencies.size())) {
  ZK_CHECK(width_ >= 1, "a motif to score has at least one position");
  mismatch_.resize(static_cast<std::size_t>(width_) * formats::kBases);
  for (int i = 0; i < width_; ++i) {
    const formats::Column& f = frequencies[static_cast<std::size_t>(i)];
    for (int b = 0; b < formats::kBases; ++b) mismatch_[static_cast<std::size_t>(i * formats::kBases + b)] = 1 - f[b];
    // The engine accumulates the bounds in single precision, step by step.
    const auto [smallest, largest] = std::minmax_element(f.begin(), f.end());
    highest_ = static_cast<float>(highest_ + (1 - *smallest));
    lowest_ = static_cast<float>(lowest_ + (1 - *largest));
  }
  if (width_ < kQuad) return;
  tables_ = static_cast<std::size_t>((width_ + kQuad - 1) / kQuad);
  lastStart_ = static_cast<std::size_t>(width_ - kQuad);
  for (std::size_t t = 0; t < tables_; ++t) {
    const int first = t + 1 < tables_ ? static_cast<int>(t) * kQuad : static_cast<int>(lastStart_);
    const int covered = static_cast<int>(t) * kQuad;  // positions before it belong to the others
    for (std::size_t code = 0; code < kQuadCodes; ++code) {
      double forward = 0, reverse = 0;
      for (int k = 0; k < kQuad; ++k) {
        const int position = first + k;
        if (position < covered) continue;
        const int base = letterOfQuad(code, k);
        forward += mismatch_[static_cast<std::size_t>(position * formats::kBases + base)];
        // On the other strand this letter meets the complement of the motif's
        // position counted from the end.
        reverse += mismatch_[static_cast<std::size_t>((width_ - 1 - position) * formats::kBases + (3 - base))];
      }
      quadTables_.push_back(StrandPair{forward, reverse});
    }
  }
}

double WindowScorer::exactMismatch(const std::uint8_t* window, bool forward) const {
  // Summed in the order of the motif's positions, as the engine sums a word.
  double sum = 0.0;
  if (forward) {
    for (int i = 0; i < width_; ++i) sum += mismatch_[static_cast<std::size_t>(i * formats::kBases + window[i])];
  } else {
    for (int i = 0; i < width_; ++i)
      sum += mismatch_[static_cast<std::size_t>(i * formats::kBases + (3 - window[width_ - 1 - i]))];
  }
  return sum;
}

double WindowScorer::normalised(double mismatch) const {
  if (highest_ == lowest_) return 0.0;
  return (mismatch - static_cast<double>(highest_)) / (static_cast<double>(lowest_) - static_cast<double>(highest_));
}

double WindowScorer::quickCutoff(double threshold) const {
  if (tables_ == 0 || highest_ == lowest_ || !std::isfinite(threshold)) return std::numeric_limits<double>::infinity();
  // The score is an affine function of the mismatch sum, falling as it grows.
  return static_cast<double>(highest_) + threshold * (static_cast<double>(lowest_) - static_cast<double>(highest_)) +
         kQuickTolerance;
}

double WindowScorer::score(const std::uint8_t* window, bool forward) const {
  return normalised(exactMismatch(window, forward));
}

template <int Tables>
WindowScorer::StrandPair WindowScorer::quickMismatch(const std::uint8_t* quads) const {
  const std::size_t tables = Tables > 0 ? static_cast<std::size_t>(Tables) : tables_;
  StrandPair sum = quadTables_[(tables - 1) * kQuadCodes + quads[lastStart_]];
  for (std::size_t t = 0; t + 1 < tables; ++t) sum += quadTables_[t * kQuadCodes + quads[t * kQuad]];
  return sum;
}

template WindowScorer::StrandPair WindowScorer::quickMismatch<0>(const std::uint8_t* quads) const;

template <int Tables>
void WindowScorer::scanRun(const std::uint8_t* letters, const std::uint8_t* quads, std::size_t count, bool bothStrands,
                           double& bestQuick, double& bestScore) const {
  for (std::size_t start = 0; start < count; ++start) {
    const StrandPair sum = quickMismatch<Tables>(quads + start);
    // The score falls as the mismatch sum grows, so the best window has the
    // smallest sum; a window whose quick sum is not within the tolerance of
    // the smallest quick sum so far cannot be it and is not scored exactly.
    const double smallest = bothStrands ? std::min(sum[0], sum[1]) : sum[0];
    if (smallest > bestQuick + kQuickTolerance) continue;
    bestQuick = std::min(bestQuick, smallest);
    for (bool forward : {true, false}) {
      if (!forward && !bothStrands) break;
      if (sum[forward ? 0 : 1] > bestQuick + kQuickTolerance) continue;
      bestScore = std::max(bestScore, normalised(exactMismatch(letters + start, forward)));
    }
  }
}

void WindowScorer::scanRunExactly(const std::uint8_t* letters, std::size_t count, bool bothStrands,
                                  double& bestScore) const {
  for (std::size_t start = 0; start < count; ++start)
    for (bool forward : {true, false}) {
      if (!forward && !bothStrands) break;
      bestScore = std::max(bestScore, normalised(exactMismatch(letters + start, forward)));
    }
}

double WindowScorer::best(const CodedSequences& sequences, std::size_t s, bool bothStrands, double floor) const {
  const std::size_t w = static_cast<std::size_t>(width_);
  // The mismatch sum of a window scoring the floor (the score is an affine
  // function of the sum); windows above it need not be looked at.
  double bestQuick = quickCutoff(floor);
  double bestScore = stats::kNoWindow;
  for (const CodedSequences::Run* run = sequences.runsBegin(s); run != sequences.runsBegin(s + 1); ++run) {
    if (run->length < w) continue;
    const std::uint8_t* letters = sequences.letters(s) + run->start;
    const std::uint8_t* quads = sequences.quads(s) + run->start;
    const std::size_t count = run->length - w + 1;
    // The number of tables fixed at compile time lets the sum unroll.
    switch (tables_) {
      case 0: scanRunExactly(letters, count, bothStrands, bestScore); break;
      case 1: scanRun<1>(letters, quads, count, bothStrands, bestQuick, bestScore); break;
      case 2: scanRun<2>(letters, quads, count, bothStrands, bestQuick, bestScore); break;
      case 3: scanRun<3>(letters, quads, count, bothStrands, bestQuick, bestScore); break;
      case 4: scanRun<4>(letters, quads, count, bothStrands, bestQuick, bestScore); break;
      case 5: scanRun<5>(letters, quads, count, bothStrands, bestQuick, bestScore); break;
      case 6: scanRun<6>(letters, quads, count, bothStrands, bestQuick, bestScore); break;
      case 7: scanRun<7>(letters, quads, count, bothStrands, bestQuick, bestScore); break;
      case 8: scanRun<8>(letters, quads, count, bothStrands, bestQuick, bestScore); break;
      default: scanRun<0>(letters, quads, count, bothStrands, bestQuick, bestScore);
    }
  }
  return bestScore >= floor ? bestScore : stats::kNoWindow;
}

}  // namespace stats
