#include "stats/motif_compare.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

#include "base/errors.h"

namespace stats {

using formats::Column;

int columnScore(const Column& query, const Column& target) {
  double squares = 0.0;
  for (int b = 0; b < formats::kBases; ++b) squares += (query[b] - target[b]) * (query[b] - target[b]);
  return -static_cast<int>(std::lround(std::sqrt(squares) * kScoreScale));
}

Database::Database(std::vector<formats::Motif> targets, double pseudocount) : targets_(std::move(targets)) {
  for (const formats::Motif& m : targets_) {
    ZK_CHECK(!m.columns.empty(), "target motif " + m.id + " has columns");
    forward_.push_back(formats::frequencies(m, pseudocount));
    reverse_.push_back(formats::reverseComplement(forward_.back()));
  }
  for (const auto& f : forward_) pool_.insert(pool_.end(), f.begin(), f.end());
  for (const auto& r : reverse_) pool_.insert(pool_.end(), r.begin(), r.end());
}

const std::vector<Column>& Database::columns(std::size_t t, bool reverse) const {
  return reverse ? reverse_.at(t) : forward_.at(t);
}

std::vector<ScoreDistribution> columnNulls(const std::vector<Column>& query, const Database& database) {
  std::vector<ScoreDistribution> nulls;
  std::vector<int> scores(database.pool().size());
  for (const Column& q : query) {
    std::transform(database.pool().begin(), database.pool().end(), scores.begin(),
                   [&](const Column& t) { return columnScore(q, t); });
    nulls.push_back(ScoreDistribution::ofScores(scores));
  }
  return nulls;
}

double correctedForTries(double p, int tries) {
  if (p >= 1.0) return 1.0;
  return -std::expm1(static_cast<double>(tries) * std::log1p(-p));
}

std::vector<double> benjaminiHochberg(const std::vector<double>& p) {
  std::vector<std::size_t> order(p.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return p[a] < p[b]; });
  std::vector<double> q(p.size());
  double smallest = 1.0;
  for (std::size_t rank = p.size(); rank-- > 0;) {
    const std::size_t i = order[rank];
    smallest = std::min(smallest, p[i] * static_cast<double>(p.size()) / static_cast<double>(rank + 1));
    q[i] = smallest;
  }
  return q;
}

namespace {

// P(sum of the null scores of query columns first..first + length - 1 >= s)
// for one `first` and every length from `shortest` to `longest`: the
// distributions of the sums are built by adding one column at a time.
class TailsFrom {
 public:
  TailsFrom(const std::vector<ScoreDistribution>& nulls, int first, int shortest, int longest) : shortest_(shortest) {
    ScoreDistribution sum;
    for (int length = 1; length <= longest; ++length) {
      sum = sum.plus(nulls[static_cast<std::size_t>(first + length - 1)]);
      if (length >= shortest_) tails_.emplace_back(sum);
    }
  }

  double atLeast(int length, int score) const {
    return tails_.at(static_cast<std::size_t>(length - shortest_)).atLeast(score);
  }

 private:
  int shortest_;
  std::vector<UpperTail> tails_;  // [length - shortest]
};

int overlapFloor(int minOverlap, int queryWidth, int targetWidth) {
  return std::min({minOverlap, queryWidth, targetWidth});
}

// Whether an alignment of p-value p in orientation `reverse` at `offset`
// replaces the best so far: a smaller p, or the same p earlier in the order
// forward before reverse, then by offset.
bool replaces(double p, bool reverse, int offset, const MotifMatch& best) {
  if (best.overlap == 0 || p < best.alignmentP) return true;
  if (p > best.alignmentP) return false;
  return reverse != best.reverse ? !reverse : offset < best.offset;
}

// The alignments of `query` with target t in one orientation whose first
// aligned query column is `first`: one at offset `first` when first > 0,
// every offset that leaves the start of the query uncovered otherwise.
void alignFrom(const std::vector<Column>& query, const std::vector<Column>& target, int first, int shortest,
               const TailsFrom& tails, bool reverse, MotifMatch& best) {
  const int queryWidth = static_cast<int>(query.size());
  const int targetWidth = static_cast<int>(target.size());
  const int lowest = first > 0 ? first : shortest - targetWidth;
  for (int offset = lowest; offset <= first; ++offset) {
    const int last = std::min(queryWidth, offset + targetWidth) - 1;
    const int overlap = last - first + 1;
    if (overlap < shortest) continue;
    int score = 0;
    for (int i = first; i <= last; ++i)
      score += columnScore(query[static_cast<std::size_t>(i)], target[static_cast<std::size_t>(i - offset)]);
    const double p = tails.atLeast(overlap, score);
    if (replaces(p, reverse, offset, best)) {
      best.reverse = reverse;
      best.offset = offset;
      best.overlap = overlap;
      best.score = score;
      best.alignmentP = p;
    }
  }
}

}  // namespace

std::vector<MotifMatch> compareWithDatabase(const formats::Motif& query, const Database& database,
                                            const ComparisonSettings& settings) {
  ZK_CHECK(!query.columns.empty(), "motif " + query.id + " has columns");
  ZK_CHECK(settings.minOverlap >= 1, "the smallest overlap is at least 1 column");
  const std::vector<Column> q = formats::frequencies(query, settings.pseudocount);
  const int queryWidth = static_cast<int>(q.size());
  int shortestTarget = queryWidth, longestTarget = 0;
  for (std::size_t t = 0; t < database.size(); ++t) {
    shortestTarget = std::min(shortestTarget, database.target(t).width());
    longestTarget = std::max(longestTarget, database.target(t).width());
  }
  const int shortest = overlapFloor(settings.minOverlap, queryWidth, shortestTarget);
  const std::vector<ScoreDistribution> nulls = columnNulls(q, database);

  std::vector<MotifMatch> matches(database.size());
  for (std::size_t t = 0; t < matches.size(); ++t) matches[t].target = t;
  // Query column by query column, so that only the sums of runs that start
  // there are held, and no run is longer than the longest target: the work
  // grows with the query's width, not with its cube.
  for (int first = 0; first + shortest <= queryWidth; ++first) {
    const TailsFrom tails(nulls, first, shortest, std::min(longestTarget, queryWidth - first));
    for (std::size_t t = 0; t < database.size(); ++t) {
      const int targetShortest = overlapFloor(settings.minOverlap, queryWidth, database.target(t).width());
      for (bool reverse : {false, true})
        alignFrom(q, database.columns(t, reverse), first, targetShortest, tails, reverse, matches[t]);
    }
  }
  for (MotifMatch& m : matches) {
    const int targetWidth = database.target(m.target).width();
    const int tries =
        2 * (queryWidth + targetWidth - 2 * overlapFloor(settings.minOverlap, queryWidth, targetWidth) + 1);
    m.p = correctedForTries(m.alignmentP, tries);
    m.e = m.p * static_cast<double>(database.size());
  }
  std::vector<double> p;
  for (const MotifMatch& m : matches) p.push_back(m.p);
  const std::vector<double> q_values = benjaminiHochberg(p);
  for (std::size_t i = 0; i < matches.size(); ++i) matches[i].q = q_values[i];
  std::stable_sort(matches.begin(), matches.end(), [](const MotifMatch& a, const MotifMatch& b) { return a.p < b.p; });
  return matches;
}

}  // namespace stats
