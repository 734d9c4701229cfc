// The peak-file reader: BED of 3 to 12 columns, narrowPeak and summit BED,
// plain or gzip, the lines it skips, and refusals that name file and line.
#include <gtest/gtest.h>

#include <string>

#include "formats/peaks.h"
#include "genome_support.h"

using formats::PeakFile;
using formats::PeakFormat;
using testing_support::gzipped;
using testing_support::TempFile;

namespace {

// The message of the error that reading `text` as "peaks.bed" throws.
std::string refusal(const std::string& text) {
  return testing_support::errorText([&] { formats::parsePeaks(text, "peaks.bed"); });
}

}  // namespace

TEST(PeakFile, Bed3To6WithStrandsAndSkippedLines) {
  const PeakFile file = formats::parsePeaks(
      "track name=peaks\nbrowser position chr1:1-1000\n# a comment\n\n"
      "chr1\t100\t300\n",
      "a.bed");
  EXPECT_EQ(file.format, PeakFormat::Bed);
  ASSERT_EQ(file.peaks.size(), 1u);
  EXPECT_EQ(file.peaks[0].chrom, "chr1");
  EXPECT_EQ(file.peaks[0].start, 100);
  EXPECT_EQ(file.peaks[0].end, 300);
  EXPECT_EQ(file.peaks[0].strand, '.');
  EXPECT_FALSE(file.peaks[0].score);
  EXPECT_EQ(file.peaks[0].line, 5);

  const PeakFile six = formats::parsePeaks("chr2\t5\t15\tp1\t7.5\t-\nchr2\t20\t30\t.\t.\t+\r\n", "b.bed");
  ASSERT_EQ(six.peaks.size(), 2u);
  EXPECT_EQ(six.peaks[0].name, "p1");
  EXPECT_DOUBLE_EQ(*six.peaks[0].score, 7.5);
  EXPECT_EQ(six.peaks[0].strand, '-');
  EXPECT_EQ(six.peaks[1].name, "");
  EXPECT_FALSE(six.peaks[1].score);
  EXPECT_EQ(six.peaks[1].strand, '+');
  EXPECT_FALSE(six.peaks[1].summit);
}

TEST(PeakFile, BlankSeparatedFieldsAndTrailingBedColumns) {
  const PeakFile file = formats::parsePeaks("chr1 10 20 a 5 +\nchr1  30 40 b 6 -\n", "c.bed");
  ASSERT_EQ(file.peaks.size(), 2u);
  EXPECT_EQ(file.peaks[1].start, 30);
  EXPECT_EQ(file.peaks[1].name, "b");
  // BED12: thick start and end, colour and blocks are read past.
  const PeakFile bed12 = formats::parsePeaks("chr1\t10\t90\tg\t0\t+\t10\t90\t0\t2\t10,10\t0,70\n", "d.bed");
  EXPECT_EQ(bed12.format, PeakFormat::Bed);
  EXPECT_EQ(bed12.peaks[0].end, 90);
}

TEST(PeakFile, NarrowPeakSignalAndSummit) {
  const PeakFile file = formats::parsePeaks(
      "chr1\t1000\t1400\tpeak_1\t850\t.\t12.5\t40.1\t37.2\t180\n"
      "chr1\t2000\t2300\tpeak_2\t500\t.\t3.25\t-1\t-1\t-1\n",
      "x.narrowPeak");
  EXPECT_EQ(file.format, PeakFormat::NarrowPeak);
  ASSERT_EQ(file.peaks.size(), 2u);
  EXPECT_DOUBLE_EQ(*file.peaks[0].signal, 12.5);
  EXPECT_EQ(*file.peaks[0].summit, 180);
  EXPECT_DOUBLE_EQ(*file.peaks[1].signal, 3.25);
  EXPECT_FALSE(file.peaks[1].summit);  // -1: no summit called
}

TEST(PeakFile, SummitBedHasOneBaseIntervals) {
  const PeakFile file = formats::parsePeaks("chr3\t4999\t5000\tsummit_1\t22.1\n", "summits.bed");
  EXPECT_EQ(file.format, PeakFormat::Bed);
  EXPECT_EQ(file.peaks[0].end - file.peaks[0].start, 1);
  EXPECT_DOUBLE_EQ(*file.peaks[0].score, 22.1);
}

TEST(PeakFile, GzipReadsAsPlain) {
  const std::string text = "# peaks\nchr1\t10\t20\tp\t3\t+\nchr2\t5\t50\tq\t4\t-\n";
  const TempFile plain(text, ".bed");
  const TempFile compressed(gzipped(text), ".bed.gz");
  // bgzip (as tabix-indexed BED files are) is gzip of many members.
  const TempFile bgzipped("", ".bed.gz");
  ASSERT_TRUE(testing_support::writeBgzf(bgzipped.path(), text));
  const PeakFile a = formats::readPeakFile(plain.path());
  for (const std::string& path : {compressed.path(), bgzipped.path()}) {
    const PeakFile b = formats::readPeakFile(path);
    ASSERT_EQ(a.peaks.size(), 2u);
    ASSERT_EQ(b.peaks.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
      EXPECT_EQ(a.peaks[i].chrom, b.peaks[i].chrom);
      EXPECT_EQ(a.peaks[i].start, b.peaks[i].start);
      EXPECT_EQ(a.peaks[i].end, b.peaks[i].end);
      EXPECT_EQ(a.peaks[i].strand, b.peaks[i].strand);
      EXPECT_EQ(a.peaks[i].line, b.peaks[i].line);
    }
    EXPECT_EQ(b.source, path);
  }
}

TEST(PeakFile, ReadALineAtATimeAsTheTextIsParsed) {
  // Windows line ends, a comment, and a last line without its end.
  const std::string text = "chr1\t10\t20\tp\t3\t+\r\n# x\r\nchr2\t5\t50\tq\t4\t-\r\nchr3\t1\t2\tr\t.\t.";
  const TempFile compressed(gzipped(text), ".bed.gz");
  const PeakFile streamed = formats::readPeakFile(compressed.path());
  const PeakFile parsed = formats::parsePeaks(text, compressed.path());
  ASSERT_EQ(streamed.peaks.size(), 3u);
  ASSERT_EQ(parsed.peaks.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(streamed.peaks[i].chrom, parsed.peaks[i].chrom);
    EXPECT_EQ(streamed.peaks[i].end, parsed.peaks[i].end);
    EXPECT_EQ(streamed.peaks[i].name, parsed.peaks[i].name);
    EXPECT_EQ(streamed.peaks[i].line, parsed.peaks[i].line);
  }
  EXPECT_EQ(streamed.peaks[2].line, 4);
  EXPECT_FALSE(streamed.peaks[2].score);
  // A line past the limit is refused at its line, streamed or parsed; one at
  // the limit is read.
  const std::string longName(formats::kLongestPeakLine - 9, 'n');
  const std::string atLimit = "chr1\t1\t2\t" + longName + "\n";
  ASSERT_EQ(atLimit.size(), formats::kLongestPeakLine + 1);
  EXPECT_EQ(formats::parsePeaks(atLimit, "l.bed").peaks.at(0).name, longName);
  const std::string overLimit = "chr1\t1\t2\n" + atLimit.substr(0, atLimit.size() - 1) + "n\n";
  const std::string said = "long.bed.gz:2: the line is longer than 1000000 bytes; is this a peak file?";
  EXPECT_EQ(testing_support::errorText([&] { formats::parsePeaks(overLimit, "long.bed.gz"); }), said);
  const TempFile longFile(gzipped(overLimit), ".bed.gz");
  EXPECT_EQ(testing_support::errorText([&] { formats::readPeakFile(longFile.path()); }),
            longFile.path() + said.substr(std::string("long.bed.gz").size()));
}

TEST(PeakFile, EmptyFileHasNoPeaks) {
  EXPECT_TRUE(formats::parsePeaks("", "e.bed").peaks.empty());
  EXPECT_TRUE(formats::parsePeaks("track name=x\n# nothing\n\n", "e.bed").peaks.empty());
}

TEST(PeakFile, RefusalsNameFileAndLine) {
  EXPECT_EQ(refusal("chr1\t10\n"),
            "peaks.bed:1: a peak line has at least 3 fields (chromosome, start, end); this one has 2");
  EXPECT_EQ(refusal("# header\nchr1\tten\t20\n"), "peaks.bed:2: start \"ten\" is not a whole number");
  EXPECT_EQ(refusal("chr1\t10\t2x0\n"), "peaks.bed:1: end \"2x0\" is not a whole number");
  EXPECT_EQ(refusal("chr1\t30\t20\n"), "peaks.bed:1: end 20 is before start 30");
  EXPECT_EQ(refusal("chr1\t20\t20\n"), "peaks.bed:1: end equals start (20): the interval holds no base");
  EXPECT_EQ(refusal("chr1\t-5\t20\n"), "peaks.bed:1: start -5 is negative");
  EXPECT_EQ(refusal("chr1\t1\t20\tp\thigh\n"), "peaks.bed:1: score (column 5) \"high\" is not a number");
  EXPECT_EQ(refusal("chr1\t1\t20\tp\t1\tx\n"), "peaks.bed:1: strand \"x\" is not +, - or .");
  EXPECT_EQ(refusal("chr1\t1\t20\nchr1\t30\t40\tp\n"),
            "peaks.bed:2: the line has 4 fields; the file's first peak line has 3");
  EXPECT_EQ(refusal("chr1\t100\t200\tp\t1\t.\t2.5\t1\t1\t100\n"),
            "peaks.bed:1: summit offset 100 lies outside the peak, which is 100 bases long");
  EXPECT_EQ(refusal("chr1\t100\t200\tp\t1\t.\tstrong\t1\t1\t10\n"),
            "peaks.bed:1: signal value (column 7) \"strong\" is not a number");
  EXPECT_EQ(refusal("chr1\t100\t200\tp\t1\t.\t2\t1\t1\tmid\n"),
            "peaks.bed:1: summit offset (column 10) \"mid\" is not a whole number");
}

TEST(PeakFile, UnreadableFileIsNamed) {
  try {
    formats::readPeakFile("/nonexistent/peaks.bed");
    FAIL() << "no error";
  } catch (const std::exception& error) {
    EXPECT_NE(std::string(error.what()).find("/nonexistent/peaks.bed"), std::string::npos) << error.what();
  }
}
