// The GC-matched genomic background on a generated genome whose peaks sit in
// GC-rich DNA: its GC histogram matches the peaks' (a chi-square test of
// homogeneity, which a draw without matching fails), no window touches a
// peak, an excluded region or another window, a seed gives the same draw from
// plain and bgzip genomes, and bins that cannot be filled are filled from
// their neighbours and reported.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "formats/genome.h"
#include "formats/peaks.h"
#include "genome_support.h"
#include "stats/gc_background.h"
#include "stats/genome_intervals.h"
#include "stats/peak_windows.h"
#include "stats/shuffle.h"

using stats::BackgroundDraw;
using stats::BackgroundOptions;
using stats::Interval;
using stats::IntervalIndex;
using testing_support::GeneratedGenome;

namespace {

constexpr int kCoarseBins = 20;  // 5 % wide, for the chi-square test

std::vector<long long> coarseHistogram(const std::vector<FastaRecord>& records) {
  std::vector<long long> counts(kCoarseBins, 0);
  for (const FastaRecord& r : records) {
    const stats::GcCount count = stats::countGc(r.letters);
    if (count.acgt > 0) ++counts[static_cast<std::size_t>(stats::gcBin(count) / 5)];
  }
  return counts;
}

// Pearson's chi-square statistic of homogeneity of two histograms, and its
// degrees of freedom (bins holding anything, less one).
std::pair<double, int> homogeneity(const std::vector<long long>& a, const std::vector<long long>& b) {
  double na = 0, nb = 0;
  for (std::size_t i = 0; i < a.size(); ++i) na += a[i], nb += b[i];
  double chi2 = 0;
  int bins = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const double both = static_cast<double>(a[i] + b[i]);
    if (both == 0) continue;
    ++bins;
    const double ea = both * na / (na + nb), eb = both * nb / (na + nb);
    chi2 += (a[i] - ea) * (a[i] - ea) / ea + (b[i] - eb) * (b[i] - eb) / eb;
  }
  return {chi2, bins - 1};
}

// The 0.999 quantile of the chi-square distribution (Wilson-Hilferty).
double chiSquareBound(int df) {
  const double z = 3.09, k = 2.0 / (9.0 * df);
  return df * std::pow(1 - k + z * std::sqrt(k), 3);
}

// The generated genome with planted peaks, written, and the peak windows.
struct PeakGenome {
  GeneratedGenome made{21, 2000000, 1000000};
  std::vector<genome_maker::PlantedPeak> planted;
  std::string peakText;
  explicit PeakGenome(int perChromosome = 60) {
    planted = made.plant("GGTTACGCAATA", perChromosome, 3);
    for (std::size_t i = 0; i < planted.size(); ++i)
      peakText += genome_maker::narrowPeakLine(planted[i], static_cast<int>(i));
    made.write();
  }
};

struct Drawn {
  BackgroundDraw draw;
  std::vector<FastaRecord> peaks, background;
  std::vector<Interval> keepOut;
};

Drawn drawFor(const std::string& genomePath, const std::string& peakText, const BackgroundOptions& options,
              const std::vector<Interval>& excluded = {}) {
  formats::IndexedGenome g(genomePath);
  const formats::PeakFile file = formats::parsePeaks(peakText, "peaks.narrowPeak");
  const stats::WindowSet set = stats::makeWindows(file, g, {}, IntervalIndex(excluded));
  Drawn d;
  d.peaks = stats::fetchRecords(g, stats::regionsOf(set.windows), options.lowerCase);
  d.keepOut = stats::keepOutZones(file, {});
  d.keepOut.insert(d.keepOut.end(), excluded.begin(), excluded.end());
  d.draw = stats::drawBackground(g, d.peaks, IntervalIndex(d.keepOut), options);
  d.background = stats::fetchRecords(g, stats::regionsOf(d.draw), options.lowerCase);
  return d;
}

bool overlap(const Interval& a, const Interval& b) { return a.chrom == b.chrom && a.start < b.end && b.start < a.end; }

}  // namespace

TEST(GcBackground, HistogramMatchesThePeaksOverSeedsAndAnUnmatchedDrawDoesNot) {
  const PeakGenome pg;
  for (std::uint64_t seed = 1; seed <= 5; ++seed) {
    BackgroundOptions options;
    options.seed = seed;
    const Drawn d = drawFor(pg.made.plainPath(), pg.peakText, options);
    EXPECT_EQ(d.draw.wanted, 2 * static_cast<int>(d.peaks.size()));
    EXPECT_EQ(d.background.size(), static_cast<std::size_t>(d.draw.wanted));
    EXPECT_TRUE(d.draw.shortfalls.empty());
    const auto [chi2, df] = homogeneity(coarseHistogram(d.peaks), coarseHistogram(d.background));
    EXPECT_LT(chi2, chiSquareBound(df)) << "seed " << seed;
    for (int b = 0; b < stats::kGcBins; ++b) EXPECT_EQ(d.draw.bins[b].drawn, 2 * d.draw.bins[b].peaks) << "bin " << b;

    // Windows of the same genome drawn without regard to GC: the test tells them apart.
    formats::IndexedGenome g(pg.made.plainPath());
    stats::Random random(seed);
    std::vector<Interval> unmatched;
    while (unmatched.size() < d.background.size()) {
      const formats::Chromosome& c = g.chromosomes()[random.below(2)];
      const long long start = static_cast<long long>(random.below(static_cast<std::uint64_t>(c.length - 200)));
      if (stats::countGc(g.fetch(c.name, start, start + 200, LowerCase::AsUpper)).acgt >= 190)
        unmatched.push_back({c.name, start, start + 200});
    }
    const auto [chi2Unmatched, dfUnmatched] =
        homogeneity(coarseHistogram(d.peaks), coarseHistogram(stats::fetchRecords(g, unmatched, LowerCase::AsUpper)));
    EXPECT_GT(chi2Unmatched, chiSquareBound(dfUnmatched)) << "seed " << seed;
  }
}

TEST(GcBackground, WindowsKeepAwayFromPeaksExcludedRegionsAndEachOther) {
  const PeakGenome pg;
  const std::vector<Interval> excluded = {{"chr1", 0, 500000}, {"chr2", 300000, 400000}};
  BackgroundOptions options;
  options.ratio = 3;
  const Drawn d = drawFor(pg.made.plainPath(), pg.peakText, options, excluded);
  ASSERT_EQ(d.background.size(), static_cast<std::size_t>(d.draw.wanted));
  const std::vector<Interval> regions = stats::regionsOf(d.draw);
  for (std::size_t i = 0; i < regions.size(); ++i) {
    const Interval& w = regions[i];
    EXPECT_EQ(w.length(), 200);
    for (const Interval& zone : d.keepOut) EXPECT_FALSE(overlap(w, zone)) << stats::regionName(w);
    for (const genome_maker::PlantedPeak& p : pg.planted)
      EXPECT_TRUE(w.chrom != p.chrom || w.end + 200 <= p.start || p.end + 200 <= w.start);
    if (i > 0) {  // in genome order (chr1, chr2, chrM), apart
      EXPECT_LE(regions[i - 1].chrom, w.chrom);
      if (regions[i - 1].chrom == w.chrom) {
        EXPECT_LE(regions[i - 1].end, w.start);
      }
    }
    const stats::GcCount count = stats::countGc(d.background[i].letters);
    EXPECT_LE(200 - count.acgt, 10);  // at most 5 % N
  }
  EXPECT_EQ(regions.front().chrom, "chr1");
}

TEST(GcBackground, SameSeedSameDrawFromPlainAndBgzip) {
  const PeakGenome pg(30);
  BackgroundOptions options;
  options.seed = 42;
  const Drawn plain = drawFor(pg.made.plainPath(), pg.peakText, options);
  const Drawn bgzip = drawFor(pg.made.bgzipPath(), pg.peakText, options);
  const Drawn again = drawFor(pg.made.plainPath(), pg.peakText, options);
  options.seed = 43;
  const Drawn other = drawFor(pg.made.plainPath(), pg.peakText, options);
  auto names = [](const Drawn& d) {
    std::vector<std::string> n;
    for (const FastaRecord& r : d.background) n.push_back(r.name + " " + r.letters);
    return n;
  };
  EXPECT_EQ(names(plain), names(bgzip));
  EXPECT_EQ(names(plain), names(again));
  EXPECT_EQ(plain.draw.candidates, bgzip.draw.candidates);
  EXPECT_NE(names(plain), names(other));
}

TEST(GcBackground, LowerCaseMaskedWindowsCountAsN) {
  const PeakGenome pg(30);
  BackgroundOptions options;
  options.lowerCase = LowerCase::AsN;
  const Drawn d = drawFor(pg.made.plainPath(), pg.peakText, options);
  ASSERT_FALSE(d.background.empty());
  formats::IndexedGenome g(pg.made.plainPath());
  for (const Interval& w : stats::regionsOf(d.draw)) {
    const std::string raw = g.fetch(w.chrom, w.start, w.end, LowerCase::AsN);
    EXPECT_LE(std::count(raw.begin(), raw.end(), 'N'), 10) << stats::regionName(w);
  }
}

TEST(GcBackground, WantsAreApportionedByLargestRemainders) {
  const PeakGenome pg(5);
  formats::IndexedGenome g(pg.made.plainPath());
  // Three windows of 40 % GC and one of 41 %, at ratio 1.5: 4.5 and 1.5 are
  // rounded to 5 and 1 (equal remainders: the lower GC first), 6 in all.
  auto window = [](int gc) { return FastaRecord{"w", std::string(gc, 'G') + std::string(100 - gc, 'A')}; };
  const std::vector<FastaRecord> peakWindows = {
      window(40), window(40), window(40), window(41), {"n", std::string(100, 'N')}};
  BackgroundOptions options;
  options.ratio = 1.5;
  const BackgroundDraw draw = stats::drawBackground(g, peakWindows, IntervalIndex(), options);
  EXPECT_EQ(draw.bins[40].peaks, 3);
  EXPECT_EQ(draw.bins[41].peaks, 1);
  EXPECT_EQ(draw.bins[40].wanted, 5);
  EXPECT_EQ(draw.bins[41].wanted, 1);
  EXPECT_EQ(draw.wanted, 6);
  EXPECT_EQ(draw.peaksWithoutLetters, 1);
  EXPECT_EQ(draw.windows.size(), 6u);
  for (const stats::BackgroundWindow& w : draw.windows) EXPECT_EQ(w.region.length(), 100);
}

TEST(GcBackground, ShortBinsTakeTheNearestSparesAndAreReported) {
  const PeakGenome pg(5);
  formats::IndexedGenome g(pg.made.plainPath());
  // No window of the generated genome is 95 % GC or more.
  const std::vector<FastaRecord> peakWindows = {{"a", std::string(100, 'G')},
                                                {"b", std::string(50, 'A') + std::string(50, 'C')}};
  BackgroundOptions options;
  options.maxCandidatesPerWindow = 500;
  const BackgroundDraw draw = stats::drawBackground(g, peakWindows, IntervalIndex(), options);
  EXPECT_EQ(draw.candidates, draw.candidateLimit);
  ASSERT_EQ(draw.shortfalls.size(), 1u);
  EXPECT_EQ(draw.shortfalls[0].bin, 99);
  EXPECT_EQ(draw.shortfalls[0].wanted, 2);
  EXPECT_EQ(draw.shortfalls[0].found, 0);
  EXPECT_EQ(draw.shortfalls[0].standIns, 2);
  EXPECT_EQ(draw.windows.size(), 4u);
  EXPECT_EQ(draw.bins[50].drawn, 2);
  // The stand-ins are the richest in GC of the candidates kept aside: none of
  // the rest of the genome's spares lies nearer to 99 %.
  int highest = 0;
  for (const stats::BackgroundWindow& w : draw.windows) highest = std::max(highest, stats::gcBin(w.count));
  EXPECT_GT(highest, 60);
  int standIns = 0;
  for (int b = 51; b < 99; ++b) standIns += draw.bins[b].drawn;
  EXPECT_EQ(standIns, 2);
}

TEST(GcBackground, HopelessBinsStopTheDrawBeforeTheLimit) {
  const PeakGenome pg(5);
  formats::IndexedGenome g(pg.made.plainPath());
  const std::vector<FastaRecord> peakWindows = {{"a", std::string(100, 'G')},
                                                {"b", std::string(50, 'A') + std::string(50, 'C')}};
  BackgroundOptions options;
  options.maxCandidatesPerWindow = 100000;
  const BackgroundDraw draw = stats::drawBackground(g, peakWindows, IntervalIndex(), options);
  // Nothing at 99 % after the first batch nor after the second, which was
  // sized for it: more than the limit would then be needed.
  EXPECT_GT(draw.candidates, 65536);
  EXPECT_LT(draw.candidates, draw.candidateLimit);
  ASSERT_EQ(draw.shortfalls.size(), 1u);
  EXPECT_EQ(draw.shortfalls[0].standIns, 2);
}

TEST(GcBackground, SmallGenomeGivesFewerWindowsAndSaysSo) {
  testing_support::TempDir dir;
  testing_support::writeText(dir / "g.fa", genome_maker::fastaText("chr1", genome_maker::makeChromosome(1500, 4)));
  formats::IndexedGenome g(dir / "g.fa");
  const std::vector<FastaRecord> peakWindows(10, FastaRecord{"p", g.fetch("chr1", 0, 200, LowerCase::AsUpper)});
  const BackgroundDraw draw = stats::drawBackground(g, peakWindows, IntervalIndex(), BackgroundOptions());
  EXPECT_EQ(draw.wanted, 20);
  EXPECT_LE(draw.windows.size(), 7u);  // 1500 letters hold at most 7 windows of 200 apart
  ASSERT_EQ(draw.shortfalls.size(), 1u);
  EXPECT_EQ(draw.shortfalls[0].found + draw.shortfalls[0].standIns, static_cast<int>(draw.windows.size()));

  const std::vector<FastaRecord> tooLong = {{"p", std::string(2000, 'A')}};
  EXPECT_EQ(
      testing_support::errorText([&] { stats::drawBackground(g, tooLong, IntervalIndex(), BackgroundOptions()); }),
      "no record of " + dir / "g.fa" +
          " is as long as the longest peak window (2000 bases), so no background can be drawn from it.");
}

TEST(GcBackground, GivenSizesAreDrawnInThePeaksLengths) {
  const PeakGenome pg(5);
  formats::IndexedGenome g(pg.made.plainPath());
  std::vector<FastaRecord> peakWindows;
  for (int i = 0; i < 20; ++i)
    peakWindows.push_back(
        {"p", g.fetch("chr1", 600000 + i * 1000, 600000 + i * 1000 + (i % 2 ? 300 : 100), LowerCase::AsUpper)});
  const BackgroundDraw draw = stats::drawBackground(g, peakWindows, IntervalIndex(), BackgroundOptions());
  std::multiset<long long> lengths;
  for (const stats::BackgroundWindow& w : draw.windows) lengths.insert(w.region.length());
  EXPECT_EQ(lengths.count(100) + lengths.count(300), draw.windows.size());
  EXPECT_GT(lengths.count(100), 5u);
  EXPECT_GT(lengths.count(300), 5u);
}

TEST(GcBackground, BackgroundBedNamesAndScoresEachWindow) {
  BackgroundDraw draw;
  draw.windows = {{{"chr1", 100, 300}, {100, 199}}, {{"chr2", 0, 200}, {1, 3}}};
  EXPECT_EQ(formats::bedText(stats::backgroundBed(draw)),
            "chr1\t100\t300\tbackground_1\t503\t.\n"
            "chr2\t0\t200\tbackground_2\t333\t.\n");
}
