#include "stats/scoring_matrix.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "base/errors.h"

namespace stats {

namespace {

// How far below the best score reaching() puts its first floor: 10 bits,
// where the tail of a motif of any width is already small.
constexpr int kFirstFloorDepth = 1000;

}  // namespace

Background uniformBackground() { return {0.25, 0.25, 0.25, 0.25}; }

Background strandSymmetricBackground(const std::array<long long, formats::kBases>& counts) {
  const double at = static_cast<double>(counts[0] + counts[3]) / 2 + 1;
  const double cg = static_cast<double>(counts[1] + counts[2]) / 2 + 1;
  const double total = 2 * (at + cg);
  return {at / total, cg / total, cg / total, at / total};
}

bool isStrandSymmetric(const Background& background) {
  return background[0] == background[3] && background[1] == background[2];
}

std::vector<formats::Column> siteProbabilities(const formats::Motif& motif, const Background& background,
                                               double pseudocount) {
  ZK_CHECK(pseudocount >= 0, "a pseudo-count is 0 or more");
  const std::vector<formats::Column> frequencies = formats::plainFrequencies(motif);
  const std::optional<std::vector<formats::Column>> counts = formats::countsOf(motif);
  std::vector<formats::Column> probabilities;
  probabilities.reserve(frequencies.size());
  for (std::size_t i = 0; i < frequencies.size(); ++i) {
    double sites = kSitesWhenUnknown;
    if (counts) {
      sites = 0;
      for (double c : (*counts)[i]) sites += c;
    }
    formats::Column column{};
    for (int b = 0; b < formats::kBases; ++b)
      column[b] = sites + pseudocount > 0
                      ? (sites * frequencies[i][b] + pseudocount * background[b]) / (sites + pseudocount)
                      : background[b];
    probabilities.push_back(column);
  }
  return probabilities;
}

bool finiteScores(const std::vector<formats::Column>& probabilities, const Background& background) {
  for (const formats::Column& column : probabilities)
    for (int b = 0; b < formats::kBases; ++b)
      if (!(column[b] > 0) || !(background[b] > 0)) return false;
  return true;
}

ScoringMatrix::ScoringMatrix(const std::vector<formats::Column>& probabilities, const Background& background) {
  ZK_CHECK(!probabilities.empty(), "a scoring matrix has at least one column");
  ZK_CHECK(finiteScores(probabilities, background), "log-odds scores are of probabilities above 0");
  cells_.reserve(probabilities.size() * formats::kBases);
  for (const formats::Column& column : probabilities)
    for (int b = 0; b < formats::kBases; ++b) {
      cells_.push_back(static_cast<int>(std::lround(std::log2(column[b] / background[b]) / kResolutionBits)));
    }
  setBounds();
}

void ScoringMatrix::setBounds() {
  best_ = 0;
  worst_ = 0;
  for (int i = 0; i < width(); ++i) {
    const auto column = cells_.begin() + i * formats::kBases;
    best_ += *std::max_element(column, column + formats::kBases);
    worst_ += *std::min_element(column, column + formats::kBases);
  }
}

int ScoringMatrix::score(const std::uint8_t* codes) const {
  int total = 0;
  for (int i = 0; i < width(); ++i) total += cell(i, codes[i]);
  return total;
}

ScoringMatrix ScoringMatrix::reverseComplement() const {
  ScoringMatrix other;
  const int w = width();
  other.cells_.resize(cells_.size());
  for (int i = 0; i < w; ++i)
    for (int b = 0; b < formats::kBases; ++b)
      other.cells_[static_cast<std::size_t>((w - 1 - i) * formats::kBases + (formats::kBases - 1 - b))] = cell(i, b);
  other.setBounds();
  return other;
}

ScoreTail::ScoreTail(const ScoringMatrix& matrix, const Background& background, int floor) {
  const int w = matrix.width();
  floor_ = std::clamp(floor, matrix.worst(), matrix.best());
  // The best score the columns from i on can still add.
  std::vector<int> bestFrom(static_cast<std::size_t>(w) + 1, 0);
  for (int i = w - 1; i >= 0; --i) {
    int top = matrix.cell(i, 0);
    for (int b = 1; b < formats::kBases; ++b) top = std::max(top, matrix.cell(i, b));
    bestFrom[static_cast<std::size_t>(i)] = bestFrom[static_cast<std::size_t>(i) + 1] + top;
  }
  // chance[k]: probability of the partial sum low + k over the columns so far;
  // sums below floor_ - bestFrom[i] cannot reach the floor and are dropped.
  std::vector<double> chance{1.0};
  long long low = 0;
  for (int i = 0; i < w; ++i) {
    int lowCell = matrix.cell(i, 0), highCell = lowCell;
    for (int b = 1; b < formats::kBases; ++b) {
      lowCell = std::min(lowCell, matrix.cell(i, b));
      highCell = std::max(highCell, matrix.cell(i, b));
    }
    const long long high = low + static_cast<long long>(chance.size()) - 1 + highCell;
    const long long nextLow =
        std::max(low + lowCell, static_cast<long long>(floor_) - bestFrom[static_cast<std::size_t>(i) + 1]);
    ZK_ASSERT(nextLow <= high);
    std::vector<double> next(static_cast<std::size_t>(high - nextLow + 1), 0.0);
    for (std::size_t k = 0; k < chance.size(); ++k) {
      if (chance[k] == 0) continue;
      for (int b = 0; b < formats::kBases; ++b) {
        const long long to = low + static_cast<long long>(k) + matrix.cell(i, b) - nextLow;
        if (to >= 0) next[static_cast<std::size_t>(to)] += chance[k] * background[b];
      }
    }
    chance.swap(next);
    low = nextLow;
  }
  ZK_ASSERT(low <= floor_ && low + static_cast<long long>(chance.size()) - 1 == matrix.best());
  // Summed from the top, so that small tails keep their precision.
  tail_.assign(static_cast<std::size_t>(matrix.best() - floor_ + 1), 0.0);
  double sum = 0;
  for (long long s = matrix.best(); s >= floor_; --s) {
    sum += chance[static_cast<std::size_t>(s - low)];
    tail_[static_cast<std::size_t>(s - floor_)] = std::min(sum, 1.0);
  }
  complete_ = floor_ == matrix.worst();
}

ScoreTail ScoreTail::reaching(const ScoringMatrix& matrix, const Background& background, double pValue) {
  long long depth = kFirstFloorDepth;
  while (true) {
    const long long floor = std::max(static_cast<long long>(matrix.worst()), matrix.best() - depth);
    ScoreTail tail(matrix, background, static_cast<int>(floor));
    if (tail.complete_ || tail.atLeast(tail.floor_) > pValue) return tail;
    depth *= 2;
  }
}

double ScoreTail::atLeast(int score) const {
  ZK_ASSERT(score >= floor_);
  const std::size_t at = static_cast<std::size_t>(score - floor_);
  return at < tail_.size() ? tail_[at] : 0.0;
}

int ScoreTail::thresholdFor(double pValue) const {
  ZK_ASSERT(complete_ || atLeast(floor_) > pValue);
  int score = best() + 1;
  while (score > floor_ && atLeast(score - 1) <= pValue) --score;
  return score;
}

}  // namespace stats
