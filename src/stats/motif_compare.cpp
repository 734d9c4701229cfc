#include "stats/motif_compare.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <stdexcept>
#include <utility>

namespace compare {

using motif::Column;

int columnScore(const Column& query, const Column& target) {
  double squares = 0.0;
  for (int b = 0; b < motif::kBases; ++b) squares += (query[b] - target[b]) * (query[b] - target[b]);
  return -static_cast<int>(std::lround(std::sqrt(squares) * kScoreScale));
}

Database::Database(std::vector<motif::Motif> targets, double pseudocount) : targets_(std::move(targets)) {
  for (const motif::Motif& m : targets_) {
    if (m.columns.empty()) throw std::invalid_argument("target motif " + m.id + " has no columns");
    forward_.push_back(motif::frequencies(m, pseudocount));
    reverse_.push_back(motif::reverseComplement(forward_.back()));
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

// P(sum of the null scores of query columns first..last >= s) for every run of
// query columns at least `shortest` long.
class RangeTails {
 public:
  RangeTails(const std::vector<ScoreDistribution>& nulls, int shortest) : shortest_(shortest) {
    const int width = static_cast<int>(nulls.size());
    tails_.resize(nulls.size());
    for (int first = 0; first < width; ++first) {
      ScoreDistribution sum;
      for (int last = first; last < width; ++last) {
        sum = sum.plus(nulls[last]);
        if (last - first + 1 >= shortest_) tails_[first].emplace_back(sum);
      }
    }
  }

  double atLeast(int first, int last, int score) const {
    return tails_.at(first).at(static_cast<std::size_t>(last - first + 1 - shortest_)).atLeast(score);
  }

 private:
  int shortest_;
  std::vector<std::vector<UpperTail>> tails_;  // [first][length - shortest]
};

// Column scores of the query against one target in one orientation.
using ScoreTable = std::vector<std::vector<int>>;  // [query column][target column]

ScoreTable scoreTable(const std::vector<Column>& query, const std::vector<Column>& target) {
  ScoreTable table(query.size(), std::vector<int>(target.size()));
  for (std::size_t i = 0; i < query.size(); ++i)
    for (std::size_t j = 0; j < target.size(); ++j) table[i][j] = columnScore(query[i], target[j]);
  return table;
}

int overlapFloor(int minOverlap, int queryWidth, int targetWidth) {
  return std::min({minOverlap, queryWidth, targetWidth});
}

// The alignment of smallest p-value over every offset of one orientation.
void bestOffset(const ScoreTable& table, int targetWidth, int shortest, const RangeTails& tails, bool reverse,
                Match& best) {
  const int queryWidth = static_cast<int>(table.size());
  for (int offset = shortest - targetWidth; offset <= queryWidth - shortest; ++offset) {
    const int first = std::max(0, offset), last = std::min(queryWidth, offset + targetWidth) - 1;
    int score = 0;
    for (int i = first; i <= last; ++i) score += table[i][i - offset];
    const double p = tails.atLeast(first, last, score);
    if (p < best.alignmentP || (p == best.alignmentP && best.overlap == 0)) {
      best.reverse = reverse;
      best.offset = offset;
      best.overlap = last - first + 1;
      best.score = score;
      best.alignmentP = p;
    }
  }
}

}  // namespace

std::vector<Match> compareWithDatabase(const motif::Motif& query, const Database& database,
                                       const Settings& settings) {
  if (query.columns.empty()) throw std::invalid_argument("motif " + query.id + " has no columns");
  if (settings.minOverlap < 1) throw std::invalid_argument("the smallest overlap must be at least 1 column");
  const std::vector<Column> q = motif::frequencies(query, settings.pseudocount);
  const int queryWidth = static_cast<int>(q.size());
  int shortestTarget = queryWidth;
  for (std::size_t t = 0; t < database.size(); ++t)
    shortestTarget = std::min(shortestTarget, database.target(t).width());
  const RangeTails tails(columnNulls(q, database), overlapFloor(settings.minOverlap, queryWidth, shortestTarget));

  std::vector<Match> matches;
  for (std::size_t t = 0; t < database.size(); ++t) {
    const int targetWidth = database.target(t).width();
    const int shortest = overlapFloor(settings.minOverlap, queryWidth, targetWidth);
    Match m;
    m.target = t;
    for (bool reverse : {false, true})
      bestOffset(scoreTable(q, database.columns(t, reverse)), targetWidth, shortest, tails, reverse, m);
    const int tries = 2 * (queryWidth + targetWidth - 2 * shortest + 1);
    m.p = correctedForTries(m.alignmentP, tries);
    m.e = m.p * static_cast<double>(database.size());
    matches.push_back(m);
  }
  std::vector<double> p;
  for (const Match& m : matches) p.push_back(m.p);
  const std::vector<double> q_values = benjaminiHochberg(p);
  for (std::size_t i = 0; i < matches.size(); ++i) matches[i].q = q_values[i];
  std::stable_sort(matches.begin(), matches.end(), [](const Match& a, const Match& b) { return a.p < b.p; });
  return matches;
}

}  // namespace compare
