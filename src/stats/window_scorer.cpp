#include "stats/window_scorer.h"

#include <algorithm>
#include <cmath>
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
  std::vector<int> starts;
  for (int start = 0; start < width_; start += kQuad) starts.push_back(std::min(start, width_ - kQuad));
  std::vector<std::vector<StrandPair>> tables;
  for (std::size_t t = 0; t < starts.size(); ++t) {
    // The last table may overlap the one before; it covers only the rest.
    const int covered = t == 0 ? 0 : starts[t - 1] + kQuad;
    std::vector<StrandPair> table;
    for (std::size_t code = 0; code < kQuadCodes; ++code) {
      StrandPair sums{0, 0};
      for (int k = 0; k < kQuad; ++k) {
        const int position = starts[t] + k;
        if (position < covered) continue;
        const int base = letterOfQuad(code, k);
        sums.forward += mismatch_[static_cast<std::size_t>(position * motif::kBases + base)];
        // On the other strand this letter meets the complement of the motif's
        // position counted from the end.
        sums.reverse += mismatch_[static_cast<std::size_t>((width_ - 1 - position) * motif::kBases + (3 - base))];
      }
      table.push_back(sums);
    }
    tables.push_back(std::move(table));
  }
  std::vector<std::size_t> order(tables.size());
  std::vector<double> spread;
  for (const std::vector<StrandPair>& table : tables) {
    const auto [low, high] = std::minmax_element(table.begin(), table.end(), [](const StrandPair& a, const StrandPair& b) {
      return a.forward < b.forward;
    });
    spread.push_back(high->forward - low->forward);
  }
  for (std::size_t t = 0; t < order.size(); ++t) order[t] = t;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return spread[a] > spread[b]; });
  for (std::size_t t : order) {
    quadStarts_.push_back(starts[t]);
    quadTables_.insert(quadTables_.end(), tables[t].begin(), tables[t].end());
  }
  smallestAfter_.assign(order.size(), StrandPair{0, 0});
  for (std::size_t t = order.size() - 1; t-- > 0;) {
    const std::vector<StrandPair>& next = tables[order[t + 1]];
    double forward = next.front().forward, reverse = next.front().reverse;
    for (const StrandPair& p : next) {
      forward = std::min(forward, p.forward);
      reverse = std::min(reverse, p.reverse);
    }
    smallestAfter_[t] = {smallestAfter_[t + 1].forward + forward, smallestAfter_[t + 1].reverse + reverse};
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

double WindowScorer::normalised(double mismatch) const {
  if (highest_ == lowest_) return 0.0;
  return (mismatch - static_cast<double>(highest_)) / (static_cast<double>(lowest_) - static_cast<double>(highest_));
}

double WindowScorer::score(const std::uint8_t* window, bool forward) const {
  return normalised(exactMismatch(window, forward));
}

template <int Tables>
void WindowScorer::scanRun(const std::uint8_t* letters, const std::uint8_t* quads, std::size_t count,
                           bool bothStrands, double& bestQuick, double& bestScore) const {
  const std::size_t tables = Tables > 0 ? static_cast<std::size_t>(Tables) : quadStarts_.size();
  const StrandPair* pairs = quadTables_.data();
  const int* offsets = quadStarts_.data();
  const StrandPair rest = smallestAfter_.front();
  const double onlyForward = bothStrands ? 0.0 : std::numeric_limits<double>::infinity();
  for (std::size_t start = 0; start < count; ++start) {
    // The score falls as the mismatch sum grows, so the best window has the
    // smallest sum; a window whose quick sum is not within the tolerance of
    // the smallest so far cannot be it and is not scored exactly. Most are
    // told so by their first table and the smallest sums the others allow.
    const double cutoff = bestQuick + kQuickTolerance;
    StrandPair sum = pairs[quads[start + static_cast<std::size_t>(offsets[0])]];
    sum.reverse += onlyForward;
    if (sum.forward + rest.forward > cutoff && sum.reverse + rest.reverse > cutoff) continue;
    for (std::size_t t = 1; t < tables; ++t) {
      const StrandPair& p = pairs[t * kQuadCodes + quads[start + static_cast<std::size_t>(offsets[t])]];
      sum.forward += p.forward;
      sum.reverse += p.reverse;
    }
    const double smallest = std::min(sum.forward, sum.reverse);
    if (smallest > cutoff) continue;
    bestQuick = std::min(bestQuick, smallest);
    for (bool forward : {true, false}) {
      if ((forward ? sum.forward : sum.reverse) > bestQuick + kQuickTolerance) continue;
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
  double bestQuick = std::numeric_limits<double>::infinity();
  if (std::isfinite(floor) && highest_ != lowest_)
    bestQuick = static_cast<double>(highest_) + floor * (static_cast<double>(lowest_) - static_cast<double>(highest_));
  double bestScore = enrichment_stats::kNoWindow;
  for (const CodedSequences::Run* run = sequences.runsBegin(s); run != sequences.runsBegin(s + 1); ++run) {
    if (run->length < w) continue;
    const std::uint8_t* letters = sequences.letters(s) + run->start;
    const std::uint8_t* quads = sequences.quads(s) + run->start;
    const std::size_t count = run->length - w + 1;
    // The number of tables fixed at compile time lets the sum unroll.
    switch (quadStarts_.size()) {
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
  return bestScore >= floor ? bestScore : enrichment_stats::kNoWindow;
}

}  // namespace enrichment
