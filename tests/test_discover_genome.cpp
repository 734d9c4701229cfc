// zelkova-discover on peaks and a genome: the options and which control they
// choose, the windows and controls cut from a generated genome, the files
// written of them, and how the log and the page tell of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "base/words.h"
#include "cli/companion_parser.h"
#include "discover/inputs/genome_input.h"
#include "discover/inputs/regions.h"
#include "discover/report/genome_files.h"
#include "discover/report/genome_log.h"
#include "discover/report/genome_page.h"
#include "discover/setup/options.h"
#include "discover_arguments.h"
#include "genome_support.h"

namespace {

using discover::ControlSource;
using testing_support::discoverRefusal;
using testing_support::errorText;
using testing_support::GeneratedGenome;
using testing_support::parseDiscover;

}  // namespace

TEST(DiscoverGenomeOptions, PeaksAndGenomeWithTheirDefaults) {
  const std::optional<discover::Options> o =
      parseDiscover({"--peaks", "p.narrowPeak", "--genome", "g.fa", "-o", "out"});
  ASSERT_TRUE(o);
  EXPECT_TRUE(o->primaryFile.empty());
  EXPECT_EQ(discover::primarySource(*o), "p.narrowPeak");
  EXPECT_EQ(o->genome.windowSize, std::optional<long long>(200));
  EXPECT_FALSE(o->genome.topPeaks);
  EXPECT_EQ(o->genome.backgroundRatio, 2.0);
  EXPECT_EQ(o->motifPrefix, "ZELKOVA");
  EXPECT_EQ(discover::controlSource(o->genome, o->controlFile), ControlSource::GenomicBackground);

  const std::optional<discover::Options> set =
      parseDiscover({"--peaks", "p.bed", "--genome", "g.fa.gz", "--size", "given", "--top-peaks", "500",
                     "--background-ratio", "0.5", "--exclude", "black.bed", "--prefix", "CTCF_rep-1.b", "-o", "out"});
  ASSERT_TRUE(set);
  EXPECT_FALSE(set->genome.windowSize);
  EXPECT_EQ(set->genome.topPeaks, std::optional<int>(500));
  EXPECT_EQ(set->genome.backgroundRatio, 0.5);
  EXPECT_EQ(set->genome.excludeFile, "black.bed");
  EXPECT_EQ(set->motifPrefix, "CTCF_rep-1.b");
  EXPECT_EQ(discover::parseWindowSize("150"), std::optional<long long>(150));
}

TEST(DiscoverGenomeOptions, EachControlChoice) {
  auto sourceOf = [](std::vector<const char*> argv) {
    const std::optional<discover::Options> o = parseDiscover(std::move(argv));
    return discover::controlSource(o->genome, o->controlFile);
  };
  EXPECT_EQ(sourceOf({"p.fa", "-o", "out"}), ControlSource::Shuffled);
  EXPECT_EQ(sourceOf({"p.fa", "--shuffled-control", "-o", "out"}), ControlSource::Shuffled);
  EXPECT_EQ(sourceOf({"p.fa", "-c", "c.fa", "-o", "out"}), ControlSource::File);
  EXPECT_EQ(sourceOf({"--peaks", "p.bed", "--genome", "g.fa", "-c", "c.fa", "-o", "out"}), ControlSource::File);
  EXPECT_EQ(sourceOf({"--peaks", "p.bed", "--genome", "g.fa", "--shuffled-control", "-o", "out"}),
            ControlSource::Shuffled);
  EXPECT_EQ(sourceOf({"--peaks", "p.bed", "--genome", "g.fa", "--control-peaks", "c.bed", "-o", "out"}),
            ControlSource::ControlPeaks);
  EXPECT_TRUE(discover::controlFromGenome(ControlSource::GenomicBackground));
  EXPECT_TRUE(discover::controlFromGenome(ControlSource::ControlPeaks));
  EXPECT_FALSE(discover::controlFromGenome(ControlSource::File));
  EXPECT_FALSE(discover::controlFromGenome(ControlSource::Shuffled));
}

TEST(DiscoverGenomeOptions, CombinationsThatCannotRunAreRefused) {
  EXPECT_EQ(discoverRefusal({"--peaks", "p.bed", "-o", "out"}),
            "--peaks needs --genome GENOME.fa, the genome the peaks were called on.");
  EXPECT_EQ(discoverRefusal({"p.fa", "--genome", "g.fa", "-o", "out"}),
            "--genome needs --peaks PEAKS: the windows of the peaks are cut from the genome.");
  EXPECT_EQ(discoverRefusal({"p.fa", "--peaks", "p.bed", "--genome", "g.fa", "-o", "out"}),
            "PRIMARY.fa and --peaks both name the primary sequences; give one of them.");
  EXPECT_EQ(discoverRefusal({"-o", "out"}), "no PRIMARY.fa given (nor --peaks PEAKS --genome GENOME.fa).");
  for (const char* option : {"--size", "--top-peaks", "--background-ratio", "--exclude", "--control-peaks"})
    EXPECT_EQ(discoverRefusal({"p.fa", option, "1", "-o", "out"}), std::string(option) + " applies to --peaks only.");
  EXPECT_EQ(discoverRefusal({"--peaks", "p.bed", "--genome", "g.fa", "--trim", "50", "-o", "out"}),
            "--trim cuts the records of PRIMARY.fa; with --peaks, --size sets the windows' length.");
  EXPECT_EQ(
      discoverRefusal({"--peaks", "p.bed", "--genome", "g.fa", "-c", "c.fa", "--control-peaks", "c.bed", "-o", "out"}),
      "--control and --control-peaks each choose the control; give one of them.");
  EXPECT_EQ(discoverRefusal({"p.fa", "-c", "c.fa", "--shuffled-control", "-o", "out"}),
            "--control and --shuffled-control each choose the control; give one of them.");
  EXPECT_EQ(discoverRefusal({"--peaks", "p.bed", "--genome", "g.fa", "--control-peaks", "c.bed", "--background-ratio",
                             "3", "-o", "out"}),
            "--background-ratio sizes the genomic background, which the control chosen replaces.");
  EXPECT_EQ(discoverRefusal({"--peaks", "p.bed", "--genome", "g.fa", "--size", "0", "-o", "out"}),
            "--size \"0\" is neither a whole number from 1 to 1000000 nor \"given\".");
  EXPECT_EQ(discoverRefusal({"--peaks", "p.bed", "--genome", "g.fa", "--background-ratio", "0", "-o", "out"}),
            "--background-ratio \"0\" is not a number above 0 and of at most 100.");
  EXPECT_EQ(discoverRefusal({"p.fa", "--prefix", "my sample", "-o", "out"}),
            "--prefix \"my sample\" is not up to 100 letters, digits, '.', '_' and '-'.");
  EXPECT_EQ(discoverRefusal({"p.fa", "--prefix", std::string(101, 'a').c_str(), "-o", "out"}),
            "--prefix \"" + std::string(101, 'a') + "\" is not up to 100 letters, digits, '.', '_' and '-'.");
}

TEST(DiscoverGenomeOptions, IndexingAloneNeedsTheGenomeOnly) {
  const std::optional<discover::Options> o = parseDiscover({"--index-genome", "--genome", "g.fa"});
  ASSERT_TRUE(o);
  EXPECT_TRUE(o->genome.indexOnly);
  EXPECT_EQ(discoverRefusal({"--index-genome"}), "--index-genome needs --genome GENOME.fa.");
  EXPECT_EQ(discoverRefusal({"--index-genome", "--genome", "g.fa", "--peaks", "p.bed"}),
            "--index-genome only indexes the genome; give it without PRIMARY.fa or --peaks.");
}

namespace {

// A generated genome with four peaks on chr1, one of them on the '-' strand,
// and the options of a run on them.
class GenomeRunOnPeaks : public ::testing::Test {
 protected:
  void SetUp() override {
    made.write();
    testing_support::writeText(made.dir() / "peaks.bed",
                               "chr1\t10000\t10400\tp1\t5\t+\n"
                               "chr1\t20000\t20400\tp2\t9\t-\n"
                               "chr1\t20100\t20500\tp3\t1\t+\n"  // its window overlaps p2's
                               "chr2\t50000\t50400\tp4\t7\t.\n");
    options.genome.peaksFile = made.dir() / "peaks.bed";
    options.genome.genomeFile = made.plainPath();
    options.seed = 3;
  }

  GeneratedGenome made;
  discover::Options options;
};

}  // namespace

TEST_F(GenomeRunOnPeaks, WindowsAndBackgroundAsTheFilesShowThem) {
  discover::StepProgress progress(nullptr, false);
  discover::GenomeInput input(options, progress);
  input.cutPeakWindows();
  input.cutControl(progress);
  const discover::GenomeRun& run = input.run();
  EXPECT_EQ(run.indexOrigin, formats::IndexOrigin::BuiltBeside);
  EXPECT_EQ(run.chromosomes, 3u);
  ASSERT_EQ(run.peakRecords.size(), 3u);
  EXPECT_EQ(run.windows.overlapping, 1);
  // bedtools getfasta -s names, the '-' window reverse-complemented; letters
  // other than A, C, G and T are N.
  EXPECT_EQ(run.peakRecords[0].name, "chr1:10100-10300(+)");
  EXPECT_EQ(run.peakRecords[1].name, "chr1:20100-20300(-)");
  EXPECT_EQ(run.peakRecords[2].name, "chr2:50100-50300");
  std::string minus = base::reverseComplement(made.expected("chr1", 20100, 20300));
  std::replace_if(
      minus.begin(), minus.end(), [](char c) { return std::string("ACGT").find(c) == std::string::npos; }, 'N');
  EXPECT_EQ(run.peakRecords[1].letters, minus);
  // Every window's header names its region the way the FASTA path reads it.
  for (const FastaRecord& r : run.peakRecords) EXPECT_TRUE(discover::regionOfHeader(r.name)) << r.name;

  ASSERT_TRUE(run.draw);
  EXPECT_EQ(run.controlRecords.size(), 6u);
  EXPECT_EQ(run.controlRegions.size(), 6u);
  const auto files = discover::genomeRunFiles(run);
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[0].first, "peaks.fa");
  EXPECT_EQ(files[0].second.substr(0, 21), ">chr1:10100-10300(+)\n");
  EXPECT_EQ(std::count(files[0].second.begin(), files[0].second.end(), '\n'), 6);
  EXPECT_EQ(files[1].first, "background.fa");
  EXPECT_EQ(files[2].first, "background.bed");
  EXPECT_EQ(std::count(files[2].second.begin(), files[2].second.end(), '\n'), 6);
  EXPECT_NE(files[2].second.find("\tbackground_6\t"), std::string::npos);

  // The same seed draws the same background; another seed another one.
  discover::GenomeInput again(options, progress);
  again.cutPeakWindows();
  again.cutControl(progress);
  EXPECT_EQ(discover::genomeRunFiles(again.run()), files);
  options.seed = 4;
  discover::GenomeInput other(options, progress);
  other.cutPeakWindows();
  other.cutControl(progress);
  EXPECT_NE(discover::genomeRunFiles(other.run())[2], files[2]);
}

TEST_F(GenomeRunOnPeaks, ControlPeaksOverlappingAPeakWindowAreLeftOut) {
  testing_support::writeText(made.dir() / "control.bed",
                             "chr1\t20050\t20450\n"  // on p2's window
                             "chr2\t90000\t90400\n"
                             "chr2\t120000\t120400\n");
  options.genome.controlPeaksFile = made.dir() / "control.bed";
  discover::StepProgress progress(nullptr, false);
  discover::GenomeInput input(options, progress);
  input.cutPeakWindows();
  input.cutControl(progress);
  const discover::GenomeRun& run = input.run();
  EXPECT_EQ(run.control, ControlSource::ControlPeaks);
  EXPECT_FALSE(run.draw);
  EXPECT_EQ(run.controlOverlappingPeaks, 1);
  ASSERT_EQ(run.controlRecords.size(), 2u);
  EXPECT_EQ(run.controlRecords[0].name, "chr2:90100-90300");
  const auto files = discover::genomeRunFiles(run);
  ASSERT_EQ(files.size(), 3u);
  // Named control_1, ..., scored by GC in thousandths, as the drawn background is.
  const std::string gc = std::to_string(stats::gcPermille(stats::countGc(run.controlRecords[0].letters)));
  const std::string firstLine = files[2].second.substr(0, files[2].second.find('\n') + 1);
  EXPECT_EQ(firstLine, "chr2\t90100\t90300\tcontrol_1\t" + gc + "\t.\n");

  testing_support::writeText(made.dir() / "control.bed", "chr1\t20050\t20450\n");
  discover::GenomeInput onlyOverlapping(options, progress);
  onlyOverlapping.cutPeakWindows();
  EXPECT_EQ(errorText([&] { onlyOverlapping.cutControl(progress); }),
            "Error: every window of the control peaks " + made.dir() / "control.bed" + " overlaps a peak window of " +
                made.dir() / "peaks.bed" + "; a control needs windows of its own.\n");
}

TEST_F(GenomeRunOnPeaks, AControlOfAnotherKindCutsNothing) {
  options.controlFile = "control.fa";
  discover::StepProgress progress(nullptr, false);
  discover::GenomeInput input(options, progress);
  input.cutPeakWindows();
  input.cutControl(progress);
  EXPECT_TRUE(input.run().controlRecords.empty());
  const auto files = discover::genomeRunFiles(input.run());
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].first, "peaks.fa");
}

TEST_F(GenomeRunOnPeaks, IndexingAloneSaysWhatItFound) {
  EXPECT_EQ(discover::indexGenomeOnly(made.bgzipPath()), "Built the index of " + made.bgzipPath() + " beside it.");
  EXPECT_EQ(discover::indexGenomeOnly(made.bgzipPath()),
            "The index of " + made.bgzipPath() + " is there and up to date.");
}

TEST(DiscoverGenomeText, WindowCountsNameOnlyTheReasonsThatLeftPeaksOut) {
  stats::WindowSet set;
  set.peaks = 10;
  set.windows.resize(6);
  EXPECT_EQ(discover::windowCountsText(set), "10 peaks, 6 windows");
  set.overlapping = 3;
  set.beyondTop = 1;
  EXPECT_EQ(discover::windowCountsText(set),
            "10 peaks, 6 windows; left out: 3 overlapping the window of a stronger peak, 1 beyond --top-peaks");
  discover::GenomeRun run;
  run.genomePath = "/ref/hg38.fa";
  run.indexOrigin = formats::IndexOrigin::BuiltInMemory;
  run.inMemoryReason = "Permission denied";
  EXPECT_EQ(discover::indexOriginText(run),
            "index built in memory (the directory of /ref/hg38.fa cannot be written to: Permission denied; it is "
            "built again by every run)");
  discover::Options o;
  EXPECT_EQ(discover::windowShapeText(o, formats::PeakFormat::NarrowPeak), "200 letters centred on each summit");
  EXPECT_EQ(discover::windowShapeText(o, formats::PeakFormat::Bed), "200 letters centred on each peak's centre");
  o.genome.windowSize.reset();
  EXPECT_EQ(discover::windowShapeText(o, formats::PeakFormat::Bed), "the peaks' own intervals");
}

TEST(DiscoverGenomeText, GenomePositionsAreOneBasedAndLinked) {
  EXPECT_EQ(discover::genomePositionLink({"chr1", 1000, 1014, '+'}),
            "<a class=\"locus\" href=\"https://genome.ucsc.edu/cgi-bin/hgTracks?position=chr1%3A1001-1014\" "
            "title=\"Open in the UCSC Genome Browser (its assembly chosen last), or paste into any genome browser\">"
            "chr1:1001-1014</a>");
  // Names are escaped in the text and encoded in the address.
  const std::string odd = discover::genomePositionLink({"HLA-A*01:01&x", 0, 5, '-'});
  EXPECT_NE(odd.find("position=HLA-A%2A01%3A01%26x%3A1-5\""), std::string::npos) << odd;
  EXPECT_NE(odd.find(">HLA-A*01:01&amp;x:1-5</a>"), std::string::npos) << odd;
}
