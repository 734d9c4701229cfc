// q-values from counts by score equal Benjamini-Hochberg over the list of
// every test's p-value, ties and tests left out of the counts included; and
// counting only the p-values up to a bound changes no q-value up to it.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "stats/motif_compare.h"
#include "stats/score_qvalues.h"
#include "stats/shuffle.h"

TEST(ScoreQValues, EqualBenjaminiHochbergOverEveryTest) {
  for (std::uint64_t seed = 1; seed <= 20; ++seed) {
    stats::Random random(seed);
    std::vector<double> p;
    std::vector<long long> counts;
    std::vector<double> everyTest;
    const std::size_t groups = 1 + random.below(30);
    for (std::size_t g = 0; g < groups; ++g) {
      // Some groups share a p-value, as the two strands' scores do.
      p.push_back(g > 0 && random.below(4) == 0 ? p[random.below(g)]
                                                : std::pow(10.0, -static_cast<double>(random.below(60)) / 10));
      counts.push_back(static_cast<long long>(random.below(5)));
      everyTest.insert(everyTest.end(), static_cast<std::size_t>(counts.back()), p.back());
    }
    const long long outside = static_cast<long long>(random.below(50));
    everyTest.insert(everyTest.end(), static_cast<std::size_t>(outside), 1.0);
    const long long tests = static_cast<long long>(everyTest.size());
    const std::vector<double> grouped = stats::groupedBenjaminiHochberg(p, counts, tests);
    const std::vector<double> direct = stats::benjaminiHochberg(everyTest);
    // Each test's q-value by the group its p-value is in.
    std::size_t at = 0;
    for (std::size_t g = 0; g < groups; ++g)
      for (long long c = 0; c < counts[g]; ++c, ++at) EXPECT_DOUBLE_EQ(grouped[g], direct[at]) << "seed " << seed;
  }
}

TEST(ScoreQValues, CountingOnlyUpToABoundKeepsEveryQValueUpToIt) {
  stats::Random random(9);
  std::vector<double> p;
  std::vector<long long> counts;
  long long tests = 0;
  for (int g = 0; g < 200; ++g) {
    p.push_back(std::pow(10.0, -static_cast<double>(random.below(80)) / 10));
    counts.push_back(1 + static_cast<long long>(random.below(3)));
    tests += counts.back();
  }
  tests *= 3;  // and as many tests again of p = 1
  const std::vector<double> all = stats::groupedBenjaminiHochberg(p, counts, tests);
  const double bound = 1e-3;
  std::vector<double> kept;
  std::vector<long long> keptCounts;
  std::vector<std::size_t> from;
  for (std::size_t g = 0; g < p.size(); ++g)
    if (p[g] <= bound) kept.push_back(p[g]), keptCounts.push_back(counts[g]), from.push_back(g);
  const std::vector<double> partial = stats::groupedBenjaminiHochberg(kept, keptCounts, tests);
  int exact = 0;
  for (std::size_t k = 0; k < kept.size(); ++k) {
    EXPECT_GE(partial[k], all[from[k]]);
    if (partial[k] <= bound) {
      EXPECT_DOUBLE_EQ(partial[k], all[from[k]]);
      ++exact;
    }
  }
  EXPECT_GT(exact, 0);
}
