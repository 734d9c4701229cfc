// Windows from peaks on a generated genome with sites planted at the summits:
// windows lie exactly where the summits say and hold the genome's letters
// (plain and bgzip alike); the strongest peaks are taken first; overlapping,
// excluded and off-chromosome windows are left out and counted; refusals name
// the peak file and line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/words.h"
#include "formats/genome.h"
#include "formats/peaks.h"
#include "genome_support.h"
#include "stats/genome_intervals.h"
#include "stats/peak_windows.h"

using stats::Interval;
using stats::IntervalIndex;
using stats::WindowOptions;
using stats::WindowSet;
using testing_support::errorText;
using testing_support::GeneratedGenome;

namespace {

const std::string kSite = "GGTTACGCAATA";

std::string narrowPeakText(const std::vector<genome_maker::PlantedPeak>& planted) {
  std::string text = "track type=narrowPeak\n";
  for (std::size_t i = 0; i < planted.size(); ++i)
    text += genome_maker::narrowPeakLine(planted[i], static_cast<int>(i + 1));
  return text;
}

WindowSet windowsOf(const std::string& peakText, formats::IndexedGenome& g, const WindowOptions& options = {},
                    const IntervalIndex& excluded = IntervalIndex()) {
  return stats::makeWindows(formats::parsePeaks(peakText, "peaks.bed"), g, options, excluded);
}

std::vector<std::string> regionNames(const WindowSet& set) {
  std::vector<std::string> names;
  for (const stats::Window& w : set.windows) names.push_back(stats::regionName(w.region));
  return names;
}

// A genome of one generated chromosome of 20000 letters, chr1.
class PeakWindowsOnOneChromosome : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::writeText(dir / "g.fa", genome_maker::fastaText("chr1", genome_maker::makeChromosome(20000, 3)));
    g = std::make_unique<formats::IndexedGenome>(dir / "g.fa");
  }
  testing_support::TempDir dir;
  std::unique_ptr<formats::IndexedGenome> g;
};

}  // namespace

TEST(PeakWindows, SummitCentredWindowsHoldThePlantedSites) {
  GeneratedGenome made;
  const std::vector<genome_maker::PlantedPeak> planted = made.plant(kSite, 25, 7);
  ASSERT_EQ(planted.size(), 50u);
  made.write();
  std::vector<std::vector<FastaRecord>> byCompression;
  for (const std::string& path : {made.plainPath(), made.bgzipPath()}) {
    formats::IndexedGenome g(path);
    const WindowSet set = windowsOf(narrowPeakText(planted), g);
    ASSERT_EQ(set.windows.size(), planted.size());
    for (std::size_t i = 0; i < planted.size(); ++i) {
      const long long summit = planted[i].start + planted[i].summit;
      EXPECT_EQ(set.windows[i].region.start, summit - 100);
      EXPECT_EQ(set.windows[i].region.end, summit + 100);
      EXPECT_EQ(set.windows[i].peakLine, static_cast<int>(i + 2));
    }
    std::vector<FastaRecord> records = stats::fetchRecords(g, stats::regionsOf(set.windows), LowerCase::AsUpper);
    for (std::size_t i = 0; i < records.size(); ++i) {
      const Interval& w = set.windows[i].region;
      EXPECT_EQ(records[i].name, w.chrom + ":" + std::to_string(w.start) + "-" + std::to_string(w.end));
      EXPECT_EQ(records[i].letters, made.expected(w.chrom, w.start, w.end));
      // The site is centred on the summit, at offset 100 - 6 of the window.
      const std::string site = records[i].letters.substr(94, kSite.size());
      EXPECT_EQ(site, planted[i].siteStrand == '+' ? kSite : base::reverseComplement(kSite)) << records[i].name;
    }
    byCompression.push_back(std::move(records));
  }
  ASSERT_EQ(byCompression[0].size(), byCompression[1].size());
  for (std::size_t i = 0; i < byCompression[0].size(); ++i) {
    EXPECT_EQ(byCompression[0][i].name, byCompression[1][i].name);
    EXPECT_EQ(byCompression[0][i].letters, byCompression[1][i].letters);
  }
}

TEST_F(PeakWindowsOnOneChromosome, SummitBedCentresAndOtherSizes) {
  // A 1-base summit interval centres on its base; a wider interval on
  // START + (END - START) / 2; an odd size puts the extra base after it.
  const std::string text = "chr1\t5000\t5001\ts1\t9\nchr1\t8000\t8101\ts2\t8\n";
  EXPECT_EQ(regionNames(windowsOf(text, *g)), (std::vector<std::string>{"chr1:4900-5100", "chr1:7950-8150"}));
  WindowOptions odd;
  odd.size = 51;
  EXPECT_EQ(regionNames(windowsOf(text, *g, odd)), (std::vector<std::string>{"chr1:4975-5026", "chr1:8025-8076"}));
  WindowOptions given;
  given.size = std::nullopt;
  EXPECT_EQ(regionNames(windowsOf(text, *g, given)), (std::vector<std::string>{"chr1:5000-5001", "chr1:8000-8101"}));
}

TEST_F(PeakWindowsOnOneChromosome, MinusStrandWindowsAreReverseComplemented) {
  const WindowSet set = windowsOf("chr1\t1000\t1300\tp\t1\t-\nchr1\t3000\t3300\tq\t1\t+\n", *g);
  const std::vector<FastaRecord> records = stats::fetchRecords(*g, stats::regionsOf(set.windows), LowerCase::AsUpper);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].name, "chr1:1050-1250(-)");
  EXPECT_EQ(records[0].letters, base::reverseComplement(g->fetch("chr1", 1050, 1250, LowerCase::AsUpper)));
  EXPECT_EQ(records[1].name, "chr1:3050-3250(+)");
  EXPECT_EQ(records[1].letters, g->fetch("chr1", 3050, 3250, LowerCase::AsUpper));
}

TEST_F(PeakWindowsOnOneChromosome, TopPeaksBySignalThenScoreKeptInFileOrder) {
  const std::string narrow =
      "chr1\t1000\t1200\ta\t0\t.\t2.0\t-1\t-1\t100\n"
      "chr1\t2000\t2200\tb\t0\t.\t9.0\t-1\t-1\t100\n"
      "chr1\t3000\t3200\tc\t0\t.\t5.0\t-1\t-1\t100\n"
      "chr1\t4000\t4200\td\t0\t.\t7.0\t-1\t-1\t100\n";
  WindowOptions top2;
  top2.topPeaks = 2;
  const WindowSet set = windowsOf(narrow, *g, top2);
  EXPECT_EQ(regionNames(set), (std::vector<std::string>{"chr1:2000-2200", "chr1:4000-4200"}));
  EXPECT_EQ(set.beyondTop, 2);
  // BED: by score; ties and peaks without a score in file order, scoreless last.
  const std::string bed =
      "chr1\t1000\t1200\ta\t.\nchr1\t2000\t2200\tb\t3\nchr1\t3000\t3200\tc\t3\nchr1\t4000\t4200\td\t1\n";
  EXPECT_EQ(regionNames(windowsOf(bed, *g, top2)), (std::vector<std::string>{"chr1:2000-2200", "chr1:3000-3200"}));
  WindowOptions top3;
  top3.topPeaks = 3;
  EXPECT_EQ(regionNames(windowsOf(bed, *g, top3)),
            (std::vector<std::string>{"chr1:2000-2200", "chr1:3000-3200", "chr1:4000-4200"}));
  // BED3: file order.
  EXPECT_EQ(regionNames(windowsOf("chr1\t9000\t9200\nchr1\t1000\t1200\nchr1\t5000\t5200\n", *g, top2)),
            (std::vector<std::string>{"chr1:9000-9200", "chr1:1000-1200"}));
}

TEST_F(PeakWindowsOnOneChromosome, OverlappingDuplicateExcludedAndOffChromosomeWindowsAreLeftOut) {
  const std::string text =
      "chr1\t1000\t1200\tweak\t2\n"  // overlaps the window of "strong"
      "chr1\t1050\t1250\tstrong\t5\n"
      "chr1\t1050\t1250\tagain\t5\n"  // the same window again, weaker by file order
      "chr1\t1250\t1450\tnext\t1\n"   // touches "strong"'s window without overlapping
      "chr1\t10\t30\tedge\t4\n"       // its window would start before base 0
      "chr1\t19950\t20000\tend\t4\n"  // and this one end past the chromosome
      "chr1\t6000\t6200\tblacklisted\t9\n";
  const IntervalIndex excluded({{"chr1", 6150, 6160}});
  const WindowSet set = windowsOf(text, *g, {}, excluded);
  EXPECT_EQ(regionNames(set), (std::vector<std::string>{"chr1:1050-1250", "chr1:1250-1450"}));
  EXPECT_EQ(set.windows[0].peakLine, 2);
  EXPECT_EQ(set.peaks, 7);
  EXPECT_EQ(set.overlapping, 2);
  EXPECT_EQ(set.offChromosome, 2);
  EXPECT_EQ(set.excluded, 1);
  EXPECT_EQ(set.beyondTop, 0);
}

TEST_F(PeakWindowsOnOneChromosome, RefusalsNameThePeakFileAndLine) {
  EXPECT_EQ(errorText([&] { windowsOf("chr1\t100\t300\n1\t500\t700\n", *g); }),
            "peaks.bed:2: chromosome 1 is not in the genome " + dir / "g.fa" +
                ", which names it chr1: name the chromosomes of both files the same way (\"chr1\" or \"1\")");
  EXPECT_EQ(errorText([&] { windowsOf("chrUn_1\t100\t300\n", *g); }),
            "peaks.bed:1: chromosome chrUn_1 is not in the genome " + dir / "g.fa" +
                " (its records: chr1); are the peaks and the genome of the same assembly?");
  EXPECT_EQ(errorText([&] { windowsOf("# peaks\nchr1\t19900\t20001\n", *g); }),
            "peaks.bed:2: the peak chr1:19900-20001 ends past the end of chr1 (20000 bases) in " + dir / "g.fa" +
                "; are the peaks and the genome of the same assembly?");
  EXPECT_EQ(errorText([&] { windowsOf("track name=none\n", *g); }),
            "peaks.bed: the file holds no peak (a line CHROM START END)");
  EXPECT_EQ(errorText([&] {
              windowsOf("chr1\t0\t10\n", *g, {}, IntervalIndex({{"chr1", 0, 20000}}));
            }),
            "peaks.bed: none of the 1 peaks leaves a window: 1 would run past a chromosome's end, 0 overlap an "
            "excluded region");
}

TEST_F(PeakWindowsOnOneChromosome, ExcludedRegionsAndKeepOutZones) {
  const formats::PeakFile blacklist = formats::parsePeaks("chr1\t100\t200\nchrY\t5\t10\n", "black.bed");
  const std::vector<Interval> regions = stats::excludedRegions(blacklist, *g);
  ASSERT_EQ(regions.size(), 2u);
  EXPECT_EQ(regions[1].chrom, "chrY");  // kept: it excludes nothing
  EXPECT_EQ(errorText([&] { stats::excludedRegions(formats::parsePeaks("1\t100\t200\n", "black.bed"), *g); }),
            "black.bed:1: chromosome 1 is not in the genome " + dir / "g.fa" +
                ", which names it chr1: name the chromosomes of both files the same way (\"chr1\" or \"1\")");

  // Around a peak: its interval and its window, widened by the window size.
  const formats::PeakFile file = formats::parsePeaks("chr1\t1000\t1500\nchr1\t3000\t3001\n", "p.bed");
  const std::vector<Interval> zones = stats::keepOutZones(file, WindowOptions());
  ASSERT_EQ(zones.size(), 2u);
  EXPECT_EQ(zones[0].start, 1000 - 200);
  EXPECT_EQ(zones[0].end, 1500 + 200);
  EXPECT_EQ(zones[1].start, 2900 - 200);
  EXPECT_EQ(zones[1].end, 3100 + 200);
}

TEST(IntervalIndex, OverlapsOnlyWhenABaseIsShared) {
  const IntervalIndex index({{"chr1", 100, 200}, {"chr1", 150, 300}, {"chr1", 500, 501}, {"chr2", 0, 10}});
  EXPECT_TRUE(index.overlaps("chr1", 299, 400));
  EXPECT_FALSE(index.overlaps("chr1", 300, 500));
  EXPECT_TRUE(index.overlaps("chr1", 0, 101));
  EXPECT_FALSE(index.overlaps("chr1", 0, 100));
  EXPECT_TRUE(index.overlaps("chr1", 500, 501));
  EXPECT_FALSE(index.overlaps("chr1", 501, 600));
  EXPECT_FALSE(index.overlaps("chr3", 0, 1000));
  EXPECT_TRUE(index.overlaps("chr2", 9, 10));

  stats::DisjointIntervals kept;
  kept.add({"chr1", 100, 200});
  kept.add({"chr1", 300, 400});
  EXPECT_TRUE(kept.overlaps({"chr1", 199, 300}));
  EXPECT_FALSE(kept.overlaps({"chr1", 200, 300}));
  EXPECT_TRUE(kept.overlaps({"chr1", 50, 500}));
  EXPECT_FALSE(kept.overlaps({"chr2", 100, 200}));
}
