// Central enrichment: generated peak sets scanned for the best site of each
// sequence give a central p below 1e-10 when the sites were planted at the
// centre, and above 0.01 in most seeds when they were planted anywhere
// (calibration over seeds); the binomial tail, the widths tried, the
// histogram with its uniform expectation, and its SVG (the window shaded only
// when central).
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "formats/fasta.h"
#include "pages/central_histogram.h"
#include "stats/central_enrichment.h"
#include "stats/enrichment_stats.h"
#include "stats/matrix_scanner.h"
#include "stats/shuffle.h"
#include "stats/window_scorer.h"

namespace {

constexpr int kLength = 200;
const std::string kSite = "TGACGTCATC";  // the motif's consensus, 10 letters

// A sharp motif of the site: 0.85 for the site's letter, 0.05 for the others.
std::vector<formats::Column> siteColumns() {
  std::vector<formats::Column> columns;
  for (char c : kSite) {
    formats::Column column{0.05, 0.05, 0.05, 0.05};
    column[std::string("ACGT").find(c)] = 0.85;
    columns.push_back(column);
  }
  return columns;
}

// `count` random sequences; in every other one the site is planted, at the
// centre (within 5 letters either way) or anywhere.
std::vector<FastaRecord> peakSet(int count, bool central, std::uint64_t seed) {
  stats::Random random(seed);
  std::vector<FastaRecord> records;
  for (int i = 0; i < count; ++i) {
    std::string letters(kLength, 'A');
    for (char& c : letters) c = "ACGT"[random.below(4)];
    if (i % 2 == 0) {
      const int positions = kLength - static_cast<int>(kSite.size()) + 1;
      const int start = central ? (positions - 1) / 2 - 5 + static_cast<int>(random.below(11))
                                : static_cast<int>(random.below(static_cast<std::uint64_t>(positions)));
      letters.replace(static_cast<std::size_t>(start), kSite.size(), kSite);
    }
    records.push_back({"peak" + std::to_string(i), letters});
  }
  return records;
}

// The start of the best site of every sequence whose best window reaches p
// 1e-3, on either strand (of equal scores, the forward one).
std::vector<int> bestStarts(const std::vector<FastaRecord>& records) {
  const stats::Background bg = stats::uniformBackground();
  const stats::ScoringMatrix forward(siteColumns(), bg);
  const stats::MatrixScanner scanners[2] = {{forward, bg}, {forward.reverseComplement(), bg}};
  const int threshold = stats::ScoreTail::reaching(forward, bg, 1e-3).thresholdFor(1e-3);
  const stats::CodedSequences coded(records);
  std::vector<int> starts;
  for (std::size_t s = 0; s < records.size(); ++s) {
    std::optional<stats::MatrixScanner::Window> best;
    for (const stats::MatrixScanner& scanner : scanners) {
      const std::optional<stats::MatrixScanner::Window> found = scanner.best(coded, s, threshold);
      if (found && (!best || found->score > best->score)) best = found;
    }
    if (best) starts.push_back(static_cast<int>(best->start));
  }
  return starts;
}

}  // namespace

TEST(CentralEnrichment, SitesAtTheCentreAreFoundThere) {
  for (std::uint64_t seed = 1; seed <= 5; ++seed) {
    const stats::CentralResult r = stats::centralEnrichment(kLength, 10, bestStarts(peakSet(400, true, seed)));
    EXPECT_LT(r.best.log10P, -10) << "seed " << seed;
    EXPECT_LE(r.best.width, 30) << "seed " << seed;
    EXPECT_EQ(r.best.widthsTried, 9);  // 10 to 90 of 191 positions
  }
}

TEST(CentralEnrichment, SitesAnywhereAreRarelyCentral) {
  // Over 40 seeds the corrected p is above 0.01 in all but a few (about 1 %
  // of seeds are expected below it) and no seed looks strongly central.
  int above = 0;
  for (std::uint64_t seed = 101; seed <= 140; ++seed) {
    const stats::CentralResult r = stats::centralEnrichment(kLength, 10, bestStarts(peakSet(400, false, seed)));
    above += r.best.log10P > -2;
    EXPECT_GT(r.best.log10P, -4) << "seed " << seed;
  }
  EXPECT_GE(above, 37);
}

TEST(CentralEnrichment, BinomialTailEqualsTheSumOfItsTerms) {
  for (long long n : {1LL, 7LL, 40LL})
    for (double share : {0.05, 0.3, 0.9})
      for (long long k = 0; k <= n; k += 1 + n / 8) {
        double sum = 0;
        for (long long j = k; j <= n; ++j)
          sum += std::exp(std::lgamma(n + 1.0) - std::lgamma(j + 1.0) - std::lgamma(n - j + 1.0)) *
                 std::pow(share, static_cast<double>(j)) * std::pow(1 - share, static_cast<double>(n - j));
        EXPECT_NEAR(stats::log10BinomialUpperTail(k, n, share), std::log10(std::min(1.0, sum)), 1e-9)
            << "n=" << n << " share=" << share << " k=" << k;
      }
  // Far in the tail, where the sum underflows a double.
  EXPECT_NEAR(stats::log10BinomialUpperTail(1000, 1000, 0.1), -1000, 1e-6);
}

TEST(CentralEnrichment, HistogramAndWidthsOfTheStatedRule) {
  EXPECT_EQ(stats::widthsTried(19), std::vector<int>{});
  EXPECT_EQ(stats::widthsTried(20), std::vector<int>{10});
  EXPECT_EQ(stats::widthsTried(61), (std::vector<int>{10, 20, 30}));
  // 25 positions: three bins of ten letters overhanging both ends.
  const std::vector<int> starts{0, 1, 12, 12, 13, 24};
  const stats::CentralResult r = stats::centralEnrichment(30, 6, starts);
  EXPECT_EQ(r.positions, 25);
  EXPECT_EQ(r.histogram.firstStart, -2);
  EXPECT_EQ(r.histogram.counts, (std::vector<long long>{2, 3, 1}));
  EXPECT_DOUBLE_EQ(r.histogram.expected[0], 6.0 * 8 / 25);
  EXPECT_DOUBLE_EQ(std::accumulate(r.histogram.expected.begin(), r.histogram.expected.end(), 0.0), 6.0);
  EXPECT_DOUBLE_EQ(r.histogram.offsetOf(12), 0.0);
  // One width, 10: the central 10 starts (7 to 16) hold three of six sites;
  // nothing to correct for.
  EXPECT_EQ(r.best.widthsTried, 1);
  EXPECT_EQ(r.best.width, 10);
  EXPECT_EQ(r.best.inside, 3);
  EXPECT_NEAR(r.best.log10Uncorrected, stats::log10BinomialUpperTail(3, 6, 0.4), 1e-12);
  EXPECT_DOUBLE_EQ(r.best.log10P, r.best.log10Uncorrected);
  // 40 positions, widths 10 (starts 15 to 24: one site of eight) and 20
  // (10 to 29: six); the better corrected for the two tried.
  const stats::CentralResult two = stats::centralEnrichment(45, 6, {11, 12, 13, 14, 28, 16, 0, 39});
  EXPECT_EQ(two.best.widthsTried, 2);
  EXPECT_EQ(two.best.width, 20);
  EXPECT_EQ(two.best.inside, 6);
  EXPECT_NEAR(two.best.log10Uncorrected, std::log10(37.0 / 256), 1e-12);
  EXPECT_DOUBLE_EQ(two.best.log10P, stats::log10AdjustForCandidates(two.best.log10Uncorrected, 2));
  EXPECT_GT(two.best.log10P, two.best.log10Uncorrected);
  // Too few positions for any width: nothing tested.
  const stats::CentralResult none = stats::centralEnrichment(12, 6, {3});
  EXPECT_EQ(none.best.width, 0);
  EXPECT_EQ(none.best.log10P, 0.0);
}

TEST(CentralHistogram, DrawsABarPerFilledBinTheExpectationAndTheWindow) {
  const stats::CentralResult r = stats::centralEnrichment(kLength, 10, bestStarts(peakSet(200, true, 7)));
  const std::string svg = pages::centralHistogramSvg(r, "AP-1 <TGA>");
  std::size_t filled = 0;
  for (long long c : r.histogram.counts) filled += c > 0;
  std::size_t bars = 0;
  for (std::size_t at = svg.find("class=\"bin\""); at != std::string::npos; at = svg.find("class=\"bin\"", at + 1))
    ++bars;
  EXPECT_EQ(bars, filled);
  EXPECT_NE(svg.find("class=\"expected\""), std::string::npos);
  EXPECT_NE(svg.find("class=\"central-window\""), std::string::npos);
  EXPECT_NE(svg.find("AP-1 &lt;TGA&gt;"), std::string::npos);
  EXPECT_EQ(svg.find("<TGA>"), std::string::npos);
  EXPECT_EQ(svg.rfind("</svg>"), svg.size() - 6);
  // Sites anywhere: no window shaded, and the verdict says so.
  const stats::CentralResult anywhere = stats::centralEnrichment(kLength, 10, bestStarts(peakSet(200, false, 8)));
  ASSERT_GT(anywhere.best.log10P, -1.3);
  const std::string plain = pages::centralHistogramSvg(anywhere, "x");
  EXPECT_EQ(plain.find("class=\"central-window\""), std::string::npos);
  EXPECT_NE(plain.find(">not central; best window: "), std::string::npos);
}
