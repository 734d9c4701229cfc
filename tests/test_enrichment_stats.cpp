// The Fisher tail against exact sums, its correction for a chosen threshold,
// and the threshold search against a direct loop over every threshold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "stats/enrichment_stats.h"

using stats::HitTable;

namespace {

using Exact = unsigned __int128;

Exact choose(long long n, long long k) {
  if (k < 0 || k > n) return 0;
  Exact value = 1;
  for (long long i = 1; i <= k; ++i) value = value * static_cast<Exact>(n - k + i) / static_cast<Exact>(i);
  return value;
}

// P(X >= a) as an exact ratio of integers, then its log10.
long double exactLog10Tail(const HitTable& t) {
  const long long population = t.primaryTotal + t.controlTotal;
  const long long successes = t.primaryHits + t.controlHits;
  Exact tail = 0;
  for (long long x = t.primaryHits; x <= std::min(successes, t.primaryTotal); ++x)
    tail += choose(successes, x) * choose(population - successes, t.primaryTotal - x);
  return std::log10(static_cast<long double>(tail)) -
         std::log10(static_cast<long double>(choose(population, t.primaryTotal)));
}

}  // namespace

TEST(FisherEnrichment, EqualsTheExactTailOnEverySmallTable) {
  int tables = 0;
  for (long long P : {1, 2, 5, 13, 30})
    for (long long C : {1, 3, 8, 21, 30})
      for (long long a = 0; a <= P; ++a)
        for (long long b = 0; b <= C; ++b) {
          const HitTable t{a, P, b, C};
          const long double exact = exactLog10Tail(t);
          const double ours = stats::log10FisherEnrichment(t);
          ASSERT_NEAR(ours, static_cast<double>(exact), 1e-12 * std::max(1.0L, -exact))
              << a << '/' << P << " vs " << b << '/' << C;
          ++tables;
        }
  EXPECT_GT(tables, 3000);
}

TEST(FisherEnrichment, KnownValuesOnLargeTables) {
  // Reference values from exact integer binomials summed in 60-digit decimals.
  struct Case {
    HitTable table;
    double log10P;
  };
  const Case cases[] = {
      {{300, 1000, 200, 1000}, -6.827507708571346},
      {{1500, 20000, 1000, 20000}, -24.631999577692002},
      {{20600, 200000, 20000, 200000}, -3.067725848608040},
      {{150000, 200000, 100000, 200000}, -5877.869837773398},
      {{60000, 100000, 150000, 300000}, -659.286698394659789},
      {{1000, 1000, 0, 1000}, -600.311362104807348},  // 1 / C(2000, 1000)
      {{5, 10, 0, 100000}, -20.519591923798139},
      {{450, 1000, 500, 1000}, -0.004884634305161},  // depleted: p just below 1
      {{480, 1000, 500, 1000}, -0.082904422019735},
  };
  for (const Case& c : cases)
    EXPECT_NEAR(stats::log10FisherEnrichment(c.table), c.log10P, 1e-7 * std::max(1.0, -c.log10P))
        << c.table.primaryHits << '/' << c.table.primaryTotal << " vs " << c.table.controlHits << '/'
        << c.table.controlTotal;
}

TEST(FisherEnrichment, TablesWithoutPossibleEnrichmentHavePOne) {
  EXPECT_EQ(stats::log10FisherEnrichment({0, 100, 0, 100}), 0.0);
  EXPECT_EQ(stats::log10FisherEnrichment({0, 100, 40, 100}), 0.0);
  EXPECT_EQ(stats::log10FisherEnrichment({100, 100, 100, 100}), 0.0);  // every sequence scores
  // All hits, but so many that the primary set must hold some of them.
  EXPECT_EQ(stats::log10FisherEnrichment({60, 100, 100, 100}), 0.0);
}

TEST(CandidateAdjustment, EqualsTheDirectProduct) {
  for (double p : {0.9, 0.5, 0.05, 1e-3, 1e-6})
    for (long long n : {1, 2, 7, 100, 5000}) {
      long double survive = 1;
      for (long long i = 0; i < n; ++i) survive *= 1 - static_cast<long double>(p);
      const double expected = static_cast<double>(std::log10(1 - survive));
      EXPECT_NEAR(stats::log10AdjustForCandidates(std::log10(p), n), expected, 1e-9) << "p " << p << " n " << n;
    }
}

TEST(CandidateAdjustment, TinyPValuesMultiplyByTheCandidates) {
  EXPECT_NEAR(stats::log10AdjustForCandidates(-250.0, 1000), -247.0, 1e-12);
  EXPECT_NEAR(stats::log10AdjustForCandidates(-5000.0, 100), -4998.0, 1e-12);
  // Either side of the switch to the additive form.
  EXPECT_NEAR(stats::log10AdjustForCandidates(-299.9, 10), -298.9, 1e-9);
  EXPECT_NEAR(stats::log10AdjustForCandidates(-300.1, 10), -299.1, 1e-9);
  EXPECT_EQ(stats::log10AdjustForCandidates(0.0, 30), 0.0);
  EXPECT_EQ(stats::log10AdjustForCandidates(-3.5, 1), -3.5);
}

namespace {

// Best window scores on a grid of 1/50, so thresholds tie often, with a few
// sequences that have no window at all.
std::vector<double> gridScores(std::size_t count, double shift, std::mt19937& rng) {
  std::uniform_int_distribution<int> step(20, 50);
  std::vector<double> scores;
  for (std::size_t i = 0; i < count; ++i) {
    if (i % 17 == 3) {
      scores.push_back(stats::kNoWindow);
      continue;
    }
    scores.push_back(std::min(1.0, step(rng) / 50.0 + shift));
  }
  return scores;
}

long long atLeast(const std::vector<double>& scores, double t) {
  long long n = 0;
  for (double s : scores) n += s >= t;
  return n;
}

}  // namespace

TEST(ThresholdChoice, IsTheBestOfADirectLoopOverEveryCandidate) {
  std::mt19937 rng(7);
  for (int round = 0; round < 40; ++round) {
    // Small enough for exact binomials: C(65, 32) < 2^64.
    const std::vector<double> primary = gridScores(20 + round % 16, round % 4 * 0.02, rng);
    const std::vector<double> control = gridScores(30, 0.0, rng);
    std::vector<double> candidates;
    for (double s : primary)
      if (s >= stats::kLowestCandidate && std::find(candidates.begin(), candidates.end(), s) == candidates.end())
        candidates.push_back(s);
    std::sort(candidates.rbegin(), candidates.rend());
    long double bestLog10P = 1;
    double bestT = 0;
    HitTable bestTable;
    for (double t : candidates) {  // from the highest, so a tie keeps the higher threshold
      const HitTable table{atLeast(primary, t), static_cast<long long>(primary.size()), atLeast(control, t),
                           static_cast<long long>(control.size())};
      const long double log10P = exactLog10Tail(table);
      if (log10P < bestLog10P - 1e-12L) {
        bestLog10P = log10P;
        bestT = t;
        bestTable = table;
      }
    }
    const stats::ThresholdChoice choice = stats::chooseThreshold(primary, control);
    ASSERT_EQ(choice.candidates, static_cast<long long>(candidates.size()));
    EXPECT_EQ(choice.threshold, bestT) << "round " << round;
    EXPECT_EQ(choice.table.primaryHits, bestTable.primaryHits);
    EXPECT_EQ(choice.table.controlHits, bestTable.controlHits);
    EXPECT_EQ(choice.table.primaryTotal, static_cast<long long>(primary.size()));
    EXPECT_NEAR(choice.log10P, static_cast<double>(bestLog10P), 1e-12);
  }
}

TEST(ThresholdChoice, FixedThresholdCountsScoresAtOrAboveIt) {
  const std::vector<double> primary{0.95, 0.8, 0.8, 0.79, stats::kNoWindow};
  const std::vector<double> control{0.8, 0.7, 0.5};
  const stats::ThresholdChoice at = stats::atThreshold(primary, control, 0.8);
  EXPECT_EQ(at.table.primaryHits, 3);
  EXPECT_EQ(at.table.primaryTotal, 5);
  EXPECT_EQ(at.table.controlHits, 1);
  EXPECT_EQ(at.table.controlTotal, 3);
  EXPECT_EQ(at.candidates, 1);
  EXPECT_DOUBLE_EQ(at.log10P, stats::log10FisherEnrichment(at.table));
}

TEST(ThresholdChoice, WithoutCandidatesTheLowestThresholdIsReportedWithPOne) {
  const std::vector<double> primary{0.55, stats::kNoWindow};
  const std::vector<double> control{0.9, 0.3};
  const stats::ThresholdChoice choice = stats::chooseThreshold(primary, control);
  EXPECT_EQ(choice.threshold, stats::kLowestCandidate);
  EXPECT_EQ(choice.candidates, 1);
  EXPECT_EQ(choice.table.primaryHits, 0);
  EXPECT_EQ(choice.table.controlHits, 1);
  EXPECT_EQ(choice.log10P, 0.0);
}
