// The motif comparison: score distributions and their convolution against
// exact enumeration, the corrections, the best alignments of known motifs
// against the bundled collection, and the calibration of the p-values on
// random matrices.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "stats/motif_compare.h"
#include "stats/motif_database.h"

namespace {

using formats::Column;
using formats::Motif;
using stats::MotifMatch;

Motif countMotif(const std::string& id, const std::vector<Column>& columns) {
  Motif m;
  m.id = id;
  m.columns = columns;
  m.counts = true;
  return m;
}

const std::vector<Motif>& bundled() {
  static const std::vector<Motif> motifs = stats::loadMotifDatabase({});
  return motifs;
}

const stats::Database& bundledDatabase() {
  static const stats::Database database(bundled(), stats::ComparisonSettings{}.pseudocount);
  return database;
}

TEST(ScoreDistribution, EmpiricalConvolvedAndTail) {
  const stats::ScoreDistribution a = stats::ScoreDistribution::ofScores({-2, 0, 0, -1});
  EXPECT_EQ(a.lowest(), -2);
  EXPECT_EQ(a.highest(), 0);
  EXPECT_DOUBLE_EQ(a.probability(0), 0.5);
  EXPECT_DOUBLE_EQ(a.probability(-1), 0.25);
  EXPECT_DOUBLE_EQ(a.probability(1), 0.0);
  const stats::ScoreDistribution b = stats::ScoreDistribution::ofScores({-3, 1});
  const stats::ScoreDistribution sum = a.plus(b);  // {-5,-3,-3,-4} and {-1,1,1,0}, each 1/8
  EXPECT_EQ(sum.lowest(), -5);
  EXPECT_EQ(sum.highest(), 1);
  EXPECT_DOUBLE_EQ(sum.probability(-3), 0.25);
  EXPECT_DOUBLE_EQ(sum.probability(-2), 0.0);
  EXPECT_DOUBLE_EQ(sum.probability(1), 0.25);
  const stats::UpperTail tail(sum);
  EXPECT_DOUBLE_EQ(tail.atLeast(-9), 1.0);
  EXPECT_DOUBLE_EQ(tail.atLeast(-4), 0.875);
  EXPECT_DOUBLE_EQ(tail.atLeast(0), 0.375);
  EXPECT_DOUBLE_EQ(tail.atLeast(1), 0.25);
  EXPECT_DOUBLE_EQ(tail.atLeast(2), 0.0);
  // The empty sum is 0 for sure, and adding it changes nothing.
  EXPECT_DOUBLE_EQ(stats::ScoreDistribution().plus(b).probability(-3), 0.5);
}

TEST(ColumnScores, ScaledNegativeDistances) {
  EXPECT_EQ(stats::columnScore({0.1, 0.2, 0.3, 0.4}, {0.1, 0.2, 0.3, 0.4}), 0);
  EXPECT_EQ(stats::columnScore({1, 0, 0, 0}, {0, 1, 0, 0}), -141);             // sqrt(2) * 100
  EXPECT_EQ(stats::columnScore({1, 0, 0, 0}, {0.25, 0.25, 0.25, 0.25}), -87);  // sqrt(0.75) * 100
}

TEST(Corrections, TriesAndBenjaminiHochberg) {
  EXPECT_NEAR(stats::correctedForTries(0.01, 10), 1 - std::pow(0.99, 10), 1e-12);
  EXPECT_NEAR(stats::correctedForTries(1e-14, 20), 2e-13, 1e-20);  // no loss to 1 - (1 - p)
  EXPECT_EQ(stats::correctedForTries(1.0, 5), 1.0);
  const std::vector<double> q = stats::benjaminiHochberg({0.01, 0.04, 0.03, 0.5});
  ASSERT_EQ(q.size(), 4u);
  EXPECT_DOUBLE_EQ(q[0], 0.04);
  EXPECT_DOUBLE_EQ(q[1], 0.04 * 4 / 3);
  EXPECT_DOUBLE_EQ(q[2], 0.04 * 4 / 3);  // 0.06 is lowered to the next rank's value
  EXPECT_DOUBLE_EQ(q[3], 0.5);
}

// A tiny database whose every sum of column scores can be enumerated: the
// p-value of each best alignment must be the exact fraction of choices of one
// pool column per aligned query column that score at least as high.
TEST(ComparePValues, ConvolutionAgreesWithExactEnumeration) {
  const std::vector<Motif> targets = {
      countMotif("t1", {{8, 0, 1, 1}, {0, 9, 0, 1}, {2, 2, 3, 3}}),
      countMotif("t2", {{0, 0, 10, 0}, {5, 5, 0, 0}, {1, 1, 1, 7}, {3, 0, 0, 7}}),
      countMotif("t3", {{4, 4, 1, 1}, {0, 0, 0, 10}, {9, 1, 0, 0}}),
  };
  const stats::ComparisonSettings settings{2, 0.1};
  const stats::Database database(targets, settings.pseudocount);
  std::vector<Column> pool;
  for (const Motif& t : targets) {
    const std::vector<Column> f = formats::frequencies(t, settings.pseudocount);
    pool.insert(pool.end(), f.begin(), f.end());
    const std::vector<Column> r = formats::reverseComplement(f);
    pool.insert(pool.end(), r.begin(), r.end());
  }
  ASSERT_EQ(pool.size(), 20u);
  const Motif query = countMotif("q", {{7, 1, 1, 1}, {0, 8, 1, 1}, {1, 1, 1, 7}});
  const std::vector<Column> q = formats::frequencies(query, settings.pseudocount);

  // P(sum over query columns first..last >= score), by trying every choice.
  auto exact = [&](int first, int last, int score) {
    long long hits = 0, all = 0;
    std::function<void(int, int)> choose = [&](int i, int sum) {
      if (i > last) {
        ++all;
        hits += sum >= score;
        return;
      }
      for (const Column& c : pool) choose(i + 1, sum + stats::columnScore(q[i], c));
    };
    choose(first, 0);
    return static_cast<double>(hits) / static_cast<double>(all);
  };

  const std::vector<MotifMatch> matches = stats::compareWithDatabase(query, database, settings);
  ASSERT_EQ(matches.size(), 3u);
  for (const MotifMatch& m : matches) {
    SCOPED_TRACE(targets[m.target].id);
    const int width = targets[m.target].width();
    // The best alignment over every offset and strand, found again here.
    double bestP = 2;
    for (bool reverse : {false, true}) {
      const std::vector<Column>& t = database.columns(m.target, reverse);
      for (int offset = 2 - width; offset <= 3 - 2; ++offset) {
        const int first = std::max(0, offset), last = std::min(3, offset + width) - 1;
        int score = 0;
        for (int i = first; i <= last; ++i) score += stats::columnScore(q[i], t[i - offset]);
        const double p = exact(first, last, score);
        bestP = std::min(bestP, p);
        if (reverse == m.reverse && offset == m.offset) {
          EXPECT_EQ(score, m.score);
          EXPECT_EQ(last - first + 1, m.overlap);
          EXPECT_NEAR(m.alignmentP, p, 1e-12);
        }
      }
    }
    EXPECT_NEAR(m.alignmentP, bestP, 1e-12);
    const int tries = 2 * (3 + width - 2 * 2 + 1);
    EXPECT_NEAR(m.p, 1 - std::pow(1 - bestP, tries), 1e-12);
    EXPECT_NEAR(m.e, m.p * 3, 1e-12);
  }
  EXPECT_LE(matches[0].p, matches[1].p);
  EXPECT_LE(matches[1].p, matches[2].p);
}

// A target shorter than --min-overlap is aligned over its whole width.
TEST(ComparePValues, ShortTargetsOverlapByTheirWidth) {
  const std::vector<Motif> targets = {countMotif("short", {{9, 0, 0, 1}, {0, 0, 10, 0}, {0, 10, 0, 0}}),
                                      countMotif("long", std::vector<Column>(8, Column{3, 2, 3, 2}))};
  const stats::Database database(targets, 0.1);
  const Motif query = countMotif(
      "q", {{1, 1, 1, 7}, {10, 0, 0, 0}, {0, 0, 10, 0}, {0, 10, 0, 0}, {2, 2, 2, 4}, {1, 1, 7, 1}, {3, 3, 3, 1}});
  const std::vector<MotifMatch> matches =
      stats::compareWithDatabase(query, database, stats::ComparisonSettings{5, 0.1});
  ASSERT_EQ(targets[matches[0].target].id, "short");
  EXPECT_FALSE(matches[0].reverse);
  EXPECT_EQ(matches[0].offset, 1);
  EXPECT_EQ(matches[0].overlap, 3);
  EXPECT_NEAR(matches[0].p, stats::correctedForTries(matches[0].alignmentP, 2 * (7 + 3 - 6 + 1)), 1e-15);
}

TEST(CompareWithBundled, EveryLongMotifIsItsOwnBestMatch) {
  const stats::Database& database = bundledDatabase();
  int compared = 0;
  for (const Motif& m : bundled()) {
    if (m.width() < 8) continue;
    SCOPED_TRACE(m.id);
    const MotifMatch best = stats::compareWithDatabase(m, database, {}).front();
    // The collection holds a few identical matrices under two identifiers.
    EXPECT_EQ(database.target(best.target).columns, m.columns) << database.target(best.target).id;
    EXPECT_FALSE(best.reverse);
    EXPECT_EQ(best.offset, 0);
    EXPECT_EQ(best.overlap, m.width());
    EXPECT_LT(best.e, 1e-5);
    ++compared;
  }
  EXPECT_GT(compared, 200);
}

const Motif& bundledMotif(const std::string& id) {
  for (const Motif& m : bundled())
    if (m.id == id) return m;
  throw std::logic_error("no motif " + id);
}

TEST(CompareWithBundled, ReverseComplementMatchesOnTheOtherStrand) {
  for (const char* id : {"MA0043.1", "MA0010.1", "MA0141.2"}) {
    SCOPED_TRACE(id);
    const Motif& original = bundledMotif(id);
    Motif other = original;
    other.columns = formats::reverseComplement(original.columns);
    const MotifMatch best = stats::compareWithDatabase(other, bundledDatabase(), {}).front();
    EXPECT_EQ(bundledDatabase().target(best.target).id, id);
    EXPECT_TRUE(best.reverse);
    EXPECT_EQ(best.offset, 0);
    EXPECT_EQ(best.overlap, original.width());
    EXPECT_LT(best.e, 1e-5);
  }
}

TEST(CompareWithBundled, ACopyCutAtOneEndMatchesAtTheRightOffset) {
  for (const char* id : {"MA0043.1", "MA0010.1", "MA0141.2"}) {
    SCOPED_TRACE(id);
    const Motif& original = bundledMotif(id);
    Motif front = original, back = original;
    front.columns.erase(front.columns.begin(), front.columns.begin() + 2);  // first two columns gone
    back.columns.resize(back.columns.size() - 2);                           // last two gone
    const MotifMatch a = stats::compareWithDatabase(front, bundledDatabase(), {}).front();
    EXPECT_EQ(bundledDatabase().target(a.target).id, id);
    EXPECT_FALSE(a.reverse);
    EXPECT_EQ(a.offset, -2);  // the target starts two columns before the query
    EXPECT_EQ(a.overlap, original.width() - 2);
    const MotifMatch b = stats::compareWithDatabase(back, bundledDatabase(), {}).front();
    EXPECT_EQ(bundledDatabase().target(b.target).id, id);
    EXPECT_EQ(b.offset, 0);
    EXPECT_EQ(b.overlap, original.width() - 2);
  }
}

// Random matrices resemble no known motif more than chance allows: the best
// alignment of each query with each target, corrected for the alignments
// tried, has p < 0.05 for about 5 % of the pairs.
TEST(CompareCalibration, RandomMatricesAgainstTheBundledCollection) {
  std::mt19937_64 rng(20240611);
  std::gamma_distribution<double> gamma(1.0, 1.0);  // Dirichlet(1, 1, 1, 1) columns
  std::uniform_int_distribution<int> width(6, 16);
  const stats::Database& database = bundledDatabase();
  constexpr int kQueries = 200;
  long long pairs = 0, below5 = 0, below1 = 0, evalueBelow1 = 0;
  for (int k = 0; k < kQueries; ++k) {
    Motif query;
    query.id = "random";
    query.counts = false;
    for (int i = width(rng); i > 0; --i) {
      Column c{};
      for (double& x : c) x = gamma(rng);
      const double total = c[0] + c[1] + c[2] + c[3];
      for (double& x : c) x /= total;
      query.columns.push_back(c);
    }
    for (const MotifMatch& m : stats::compareWithDatabase(query, database, {})) {
      ++pairs;
      below5 += m.p < 0.05;
      below1 += m.p < 0.01;
      evalueBelow1 += m.e < 1;
    }
  }
  const double fraction5 = static_cast<double>(below5) / static_cast<double>(pairs);
  const double fraction1 = static_cast<double>(below1) / static_cast<double>(pairs);
  EXPECT_GE(fraction5, 0.02);
  EXPECT_LE(fraction5, 0.10);
  EXPECT_GE(fraction1, 0.002);
  EXPECT_LE(fraction1, 0.03);
  RecordProperty("fraction_p_below_0.05", std::to_string(fraction5));
  RecordProperty("fraction_p_below_0.01", std::to_string(fraction1));
  RecordProperty("matches_with_E_below_1_per_query", std::to_string(evalueBelow1 / double{kQueries}));
}

TEST(CompareErrors, ZeroWidthAndZeroOverlapAreRefused) {
  const stats::Database database({countMotif("t", {{1, 0, 0, 0}})}, 0.1);
  EXPECT_DEATH(stats::compareWithDatabase(countMotif("empty", {}), database, {}), "has columns");
  EXPECT_DEATH(stats::compareWithDatabase(countMotif("q", {{1, 0, 0, 0}}), database, stats::ComparisonSettings{0, 0.1}),
               "smallest overlap");
  EXPECT_DEATH(stats::Database({countMotif("empty", {})}, 0.1), "has columns");
}

}  // namespace

namespace {

// The best alignment of `query` with every target by the definition: every
// orientation and offset, each overlap's p-value from the convolution of the
// null distributions of exactly its query columns.
std::vector<MotifMatch> byEveryAlignment(const Motif& query, const stats::Database& database,
                                         const stats::ComparisonSettings& settings) {
  const std::vector<Column> q = formats::frequencies(query, settings.pseudocount);
  const std::vector<stats::ScoreDistribution> nulls = stats::columnNulls(q, database);
  const int width = static_cast<int>(q.size());
  std::vector<MotifMatch> matches;
  for (std::size_t t = 0; t < database.size(); ++t) {
    const int targetWidth = database.target(t).width();
    const int shortest = std::min({settings.minOverlap, width, targetWidth});
    MotifMatch best;
    best.target = t;
    for (bool reverse : {false, true}) {
      const std::vector<Column>& target = database.columns(t, reverse);
      for (int offset = shortest - targetWidth; offset <= width - shortest; ++offset) {
        const int first = std::max(0, offset), last = std::min(width, offset + targetWidth) - 1;
        int score = 0;
        stats::ScoreDistribution sum;
        for (int i = first; i <= last; ++i) {
          score += stats::columnScore(q[static_cast<std::size_t>(i)], target[static_cast<std::size_t>(i - offset)]);
          sum = sum.plus(nulls[static_cast<std::size_t>(i)]);
        }
        const double p = stats::UpperTail(sum).atLeast(score);
        if (p < best.alignmentP || best.overlap == 0) {
          best.reverse = reverse;
          best.offset = offset;
          best.overlap = last - first + 1;
          best.score = score;
          best.alignmentP = p;
        }
      }
    }
    matches.push_back(best);
  }
  return matches;
}

}  // namespace

// The comparison goes query column by query column, holding only runs that
// start there and are no longer than the longest target; it must find the
// alignments the definition finds, for queries narrower and wider than every
// target, with overlaps of any floor.
TEST(MotifCompareBounded, EqualsTryingEveryAlignment) {
  std::mt19937 random(17);
  std::vector<Motif> targets(bundled().begin(), bundled().begin() + 25);
  const stats::Database database(targets, stats::ComparisonSettings{}.pseudocount);
  for (int width : {1, 3, 6, 11, 24, 40}) {
    std::vector<Column> columns;
    for (int i = 0; i < width; ++i) {
      Column c{};
      for (double& x : c) x = static_cast<double>(random() % 20);
      columns.push_back(c);
    }
    for (int minOverlap : {1, 5, 9}) {
      stats::ComparisonSettings settings;
      settings.minOverlap = minOverlap;
      const Motif query = countMotif("q" + std::to_string(width), columns);
      const std::vector<MotifMatch> expected = byEveryAlignment(query, database, settings);
      for (const MotifMatch& m : stats::compareWithDatabase(query, database, settings)) {
        const MotifMatch& e = expected[m.target];
        SCOPED_TRACE(std::to_string(width) + " columns, overlap " + std::to_string(minOverlap) + ", " +
                     targets[m.target].id);
        EXPECT_EQ(m.alignmentP, e.alignmentP);
        EXPECT_EQ(m.reverse, e.reverse);
        EXPECT_EQ(m.offset, e.offset);
        EXPECT_EQ(m.overlap, e.overlap);
        EXPECT_EQ(m.score, e.score);
      }
    }
  }
}
