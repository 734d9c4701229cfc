// zelkova-aggregate's library: summary.tsv and log.txt read back, sample
// directories, the combined table and the page's links and rows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "aggregate/page.h"
#include "aggregate/samples.h"
#include "base/errors.h"
#include "discover/report/log.h"
#include "formats/summary_table.h"
#include "formats/text_lines.h"
#include "support_files.h"

namespace {

namespace fs = std::filesystem;
using testing_support::readWholeFile;
using testing_support::TempDir;

const std::string kSamples = std::string(ZELKOVA_TEST_DATA) + "/aggregate/samples";

const char* const kLine =
    "1\tZELKOVA-1\t8\t2\tTCACATTT\t0.9096\t-1.661\tno\t10\t18\t1\t36\tMA0168.1\tB-H1\t0.0287\tNA\tNA\t-1.402\tno\t"
    "-2.310\t20";

std::string withHeader(const std::string& lines) { return std::string(formats::kSummaryHeader) + "\n" + lines; }

std::vector<formats::SummaryRow> readText(const std::string& text) {
  std::istringstream in(text);
  return formats::readSummaryTable(in, "s.tsv");
}

// The message of the ReadError `text` causes, or "" when it is read.
std::string readFailure(const std::string& text) {
  try {
    readText(text);
  } catch (const ReadError& e) {
    return e.what();
  }
  return "";
}

// ---- summary.tsv ------------------------------------------------------------

TEST(AggregateSummaryReader, EveryLineOfARealSummaryIsWrittenBackAsItWas) {
  const std::string text = readWholeFile(kSamples + "/crp0/summary.tsv");
  std::string written = std::string(formats::kSummaryHeader) + "\n";
  for (const formats::SummaryRow& row : readText(text)) written += formats::summaryLine(row) + "\n";
  EXPECT_EQ(written, text);
}

TEST(AggregateSummaryReader, ASummaryOfTheEarlierLayoutReadsNAInTheCentralColumns) {
  // nodecoy was written before summary.tsv had the central columns.
  const std::string text = readWholeFile(kSamples + "/nodecoy/summary.tsv");
  ASSERT_EQ(text.substr(0, text.find('\n')), formats::kSummaryHeaderWithoutCentral);
  std::string expected = std::string(formats::kSummaryHeader) + "\n", written = expected;
  for (std::size_t at = text.find('\n') + 1; at < text.size(); at = text.find('\n', at) + 1)
    expected += text.substr(at, text.find('\n', at) - at) + "\tNA\tNA\n";
  for (const formats::SummaryRow& row : readText(text)) written += formats::summaryLine(row) + "\n";
  EXPECT_EQ(written, expected);
}

// Columns are found by their header names: the same table with its columns
// reversed and one column added reads as the same rows.
TEST(AggregateSummaryReader, ReadsTheColumnsByNameInAnyOrder) {
  const auto reordered = [](const std::string& line, const std::string& added) {
    std::vector<std::string> fields = formats::tabFields(line);
    std::string text = added;
    for (auto f = fields.rbegin(); f != fields.rend(); ++f) text += '\t' + *f;
    return text;
  };
  const std::vector<formats::SummaryRow> rows =
      readText(reordered(formats::kSummaryHeader, "note") + "\n" + reordered(kLine, "anything") + "\n");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(formats::summaryLine(rows[0]), kLine);
  EXPECT_EQ(rows[0].line, 2);
}

TEST(AggregateSummaryReader, KeepsTheFieldsAndTheLine) {
  const std::vector<formats::SummaryRow> rows = readText(withHeader(std::string(kLine) + "\n\n"));
  ASSERT_EQ(rows.size(), 1u);
  const formats::SummaryRow& r = rows[0];
  EXPECT_EQ(r.rank, 1);
  EXPECT_EQ(r.id, "ZELKOVA-1");
  EXPECT_EQ(r.length, 8);
  EXPECT_EQ(r.mismatches, 2);
  EXPECT_EQ(r.threshold, "0.9096");
  EXPECT_EQ(r.log10E, "-1.661");
  EXPECT_EQ(r.beatsDecoy, "no");
  EXPECT_EQ(r.primaryHits, 10);
  EXPECT_EQ(r.controlTotal, 36);
  EXPECT_EQ(r.bestMatchName, "B-H1");
  EXPECT_EQ(r.weakMatchId, "NA");
  EXPECT_EQ(r.conditionalLog10E, "-1.402");
  EXPECT_EQ(r.lowComplexity, "no");
  EXPECT_EQ(r.centralLog10P, "-2.310");
  EXPECT_EQ(r.centralWidth, "20");
  EXPECT_EQ(r.line, 2);
  EXPECT_TRUE(readText(withHeader("")).empty());
}

TEST(AggregateSummaryReader, RefusesWhatTheWriterNeverWrites) {
  const std::string line = kLine;
  const auto replaced = [&](const std::string& from, const std::string& to) {
    std::string changed = line;
    changed.replace(changed.find(from), from.size(), to);
    return changed;
  };
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"rank\tid\n" + line, "s.tsv:1: not a zelkova-discover summary.tsv: the header line has no column \"length\""},
      {"rank\tid\trank\n" + line, "s.tsv:1: the header line names the column \"rank\" twice"},
      {withHeader(line.substr(0, line.rfind('\t'))), "s.tsv:2: a summary line needs 21 tab-separated fields, found 20"},
      {std::string(formats::kSummaryHeaderWithoutCentral) + "\n" + line,
       "s.tsv:2: a summary line needs 19 tab-separated fields, found 21"},
      {withHeader(replaced("-2.310\t20", "NA\t20")), "s.tsv:2: central_log10_p and central_width are NA together"},
      {withHeader(replaced("-2.310\t20", "-2.310\tten")), "s.tsv:2: central_width \"ten\" is not a count"},
      {withHeader(line + "\n" + line), "s.tsv:3: the rank 1 should be 2"},
      {withHeader(replaced("1\tZELKOVA", "2\tZELKOVA")), "s.tsv:2: the rank 2 should be 1"},
      {withHeader(replaced("\t8\t", "\teight\t")), "s.tsv:2: length \"eight\" is not a count"},
      {withHeader(replaced("\t8\t2\t", "\t8\t20\t")), "s.tsv:2: the mismatches 20 are not from 0 to 19"},
      {withHeader(replaced("TCACATTT", "TCACATT")), "s.tsv:2: the consensus \"TCACATT\" is not 8 letters"},
      {withHeader(replaced("TCACATTT", "TCACATTN")), "s.tsv:2: the consensus \"TCACATTN\" is not 8 letters"},
      {withHeader(replaced("0.9096", "high")), "s.tsv:2: threshold \"high\" is not a number"},
      {withHeader(replaced("-1.661", "nan")), "s.tsv:2: log10_E \"nan\" is not a number"},
      {withHeader(replaced("\tno\t", "\tmaybe\t")), "s.tsv:2: beats_decoy \"maybe\" is not yes, no or NA"},
      {withHeader(replaced("\t10\t18\t", "\t-1\t18\t")), "s.tsv:2: primary_hits \"-1\" is not a count"},
      {withHeader(replaced("\t10\t18\t", "\t+10\t18\t")), "s.tsv:2: primary_hits \"+10\" is not a count"},
      {withHeader(replaced("\t10\t18\t", "\t 10\t18\t")), "s.tsv:2: primary_hits \" 10\" is not a count"},
      {withHeader(replaced("0.9096", " 0.9096")), "s.tsv:2: threshold \" 0.9096\" is not a number"},
      {withHeader(replaced("0.9096", "+0.9096")), "s.tsv:2: threshold \"+0.9096\" is not a number"},
      {withHeader(replaced("\t10\t18\t", "\t19\t18\t")), "s.tsv:2: more hits than sequences"},
      {withHeader(replaced("\t1\t36\t", "\t37\t36\t")), "s.tsv:2: more hits than sequences"},
      {withHeader(replaced("MA0168.1\tB-H1\t0.0287", "NA\tB-H1\tNA")), "s.tsv:2: a line without a best match"},
      {withHeader(replaced("\t0.0287", "\t-2")), "s.tsv:2: best_match_E \"-2\" is not a number of 0 or more"},
      {withHeader(replaced("\tNA\tNA\t-1.402", "\tMA0001.1\tNA\t-1.402")),
       "s.tsv:2: weak_match_E \"NA\" is not a number"},
      {withHeader(replaced("\tNA\tNA\t-1.402", "\tMA0001.1\t0.5\t-1.402")), "s.tsv:2: a line names both a best"},
      {withHeader(replaced("-1.402", "low")), "s.tsv:2: conditional_log10_E \"low\" is not a number"},
      {withHeader(replaced("-1.402\tno", "-1.402\tmaybe")), "s.tsv:2: low_complexity \"maybe\" is not yes or no"},
      {withHeader(replaced("ZELKOVA-1", "")), "s.tsv:2: id is empty"},
  };
  for (const auto& [text, message] : cases)
    EXPECT_NE(readFailure(text).find(message), std::string::npos)
        << "expected: " << message << "\nfound: " << readFailure(text);
  EXPECT_EQ(readFailure(withHeader(replaced("MA0168.1\tB-H1\t0.0287", "NA\tNA\tNA"))), "");
  EXPECT_EQ(readFailure(withHeader(replaced("MA0168.1\tB-H1\t0.0287\tNA\tNA", "NA\tNA\tNA\tMA0168.1\t0.287"))), "");
}

TEST(AggregateSummaryReader, AMissingFileIsNamed) {
  try {
    formats::readSummaryTableFile("/nonexistent/summary.tsv");
    FAIL() << "read a missing file";
  } catch (const ReadError& e) {
    EXPECT_STREQ(e.what(), "/nonexistent/summary.tsv: cannot open the file: No such file or directory");
  }
}

// ---- log.txt ------------------------------------------------------------------

std::string versionOf(const std::string& text) {
  std::istringstream in(text);
  return discover::logVersion(in, "log.txt");
}

TEST(AggregateLogVersion, IsTheRestOfTheFirstLine) {
  EXPECT_EQ(versionOf("zelkova-discover (ZELKOVA) 1.0\nstarted: now\n"), "1.0");
  EXPECT_EQ(versionOf("zelkova-discover (ZELKOVA) 2.1.3\r\n"), "2.1.3");
  EXPECT_EQ(discover::logVersionOfFile(kSamples + "/nodecoy/log.txt"), "0.9");
  for (const char* bad : {"", "zelkova-discover (ZELKOVA) \n", "zelkova (ZELKOVA) 1.0\n", "started: now\n",
                          "zelkova-discover (ZELKOVA) 1.0 beta\n"})
    EXPECT_THROW(versionOf(bad), ReadError) << bad;
}

// ---- sample directories ---------------------------------------------------------

TEST(AggregateSamples, AreNamedByTheirDirectory) {
  EXPECT_EQ(aggregate::nameOfDirectory("results/samples/ctcf"), "ctcf");
  EXPECT_EQ(aggregate::nameOfDirectory("results/samples/ctcf/"), "ctcf");
  EXPECT_EQ(aggregate::nameOfDirectory("results/samples/ctcf/."), "ctcf");
  EXPECT_EQ(aggregate::nameOfDirectory("results/samples/ctcf/../rest"), "rest");
  EXPECT_EQ(aggregate::nameOfDirectory("."), fs::current_path().filename().string());
  EXPECT_EQ(aggregate::nameOfDirectory("/"), "");
}

TEST(AggregateSamples, TwoOfOneNameAreRefused) {
  EXPECT_NO_THROW(aggregate::requireDistinctNames({"a", "b"}, {"x/a", "x/b"}));
  try {
    aggregate::requireDistinctNames({"a", "b", "a"}, {"x/a", "x/b", "y/a"});
    FAIL() << "accepted two samples named a";
  } catch (const FatalError& e) {
    EXPECT_NE(std::string(e.what()).find("the samples x/a and y/a are both named \"a\""), std::string::npos);
  }
}

TEST(AggregateSamples, AreReadWithTheMatrixOfTheirBestMotif) {
  const aggregate::Sample s = aggregate::readSample(kSamples + "/crp0", "crp0");
  EXPECT_EQ(s.discoverVersion, "1.0");
  ASSERT_EQ(s.motifs.size(), 4u);
  EXPECT_EQ(s.motifs[3].consensus, "TGTGGCATAG");
  ASSERT_EQ(s.bestCounts.size(), 16u);
  EXPECT_EQ(s.bestCounts.front(), (formats::CountColumn{2, 0, 0, 17}));
  EXPECT_EQ(s.bestCounts.back(), (formats::CountColumn{17, 0, 1, 1}));
}

TEST(AggregateSamples, WithoutMotifsNeedNoMatrices) {
  TempDir dir;
  const std::string sample = dir / "none";
  fs::copy(kSamples + "/empty", sample);
  fs::remove(sample + "/motifs.jaspar");
  const aggregate::Sample s = aggregate::readSample(sample, "none");
  EXPECT_TRUE(s.motifs.empty());
  EXPECT_TRUE(s.bestCounts.empty());
}

TEST(AggregateSamples, AMatrixOfAnotherWidthIsRefused) {
  TempDir dir;
  const std::string sample = dir / "s";
  fs::copy(kSamples + "/nodecoy", sample);
  std::string jaspar = readWholeFile(sample + "/motifs.jaspar");
  for (const char* row : {"A  [", "C  [", "G  [", "T  ["}) jaspar.insert(jaspar.find(row) + 4, " 1 ");
  std::ofstream(sample + "/motifs.jaspar") << jaspar;
  try {
    aggregate::readSample(sample, "s");
    FAIL() << "accepted a matrix of 9 columns for a motif of length 8";
  } catch (const ReadError& e) {
    EXPECT_NE(std::string(e.what()).find("summary.tsv:2: the motif ZELKOVA-1 (TCACATTT) differs from its matrix"),
              std::string::npos)
        << e.what();
  }
}

TEST(AggregateSamples, ANonDirectoryIsRefused) {
  EXPECT_THROW(aggregate::readSample(kSamples + "/crp0/log.txt", "x"), FatalError);
}

// ---- the combined table ------------------------------------------------------------

TEST(AggregateTable, HoldsTheTopMotifsOfEverySampleInOrder) {
  std::vector<aggregate::Sample> samples = {aggregate::readSample(kSamples + "/nodecoy", "b"),
                                            aggregate::readSample(kSamples + "/empty", "none"),
                                            aggregate::readSample(kSamples + "/crp0", "a\tc")};
  const std::string table = aggregate::summaryTable(samples, 2);
  std::istringstream in(table);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], aggregate::summaryHeader());
  EXPECT_EQ(formats::tabFields(lines[0]).size(), 23u);
  EXPECT_EQ(lines[1],
            "b\t1\tZELKOVA-1\t8\t2\tTCACATTT\t0.9096\t-1.661\tNA\t10\t18\t1\t36\tNA\tNA\tNA\tNA\tNA\t-1.661\tno\tNA\t"
            "NA\t0.9");
  EXPECT_EQ(lines[2].substr(0, 16), "a c\t1\tZELKOVA-1\t");
  EXPECT_EQ(lines[3].substr(0, 16), "a c\t2\tZELKOVA-2\t");
  EXPECT_EQ(formats::tabFields(lines[3]).size(), 23u);
  EXPECT_EQ(aggregate::summaryTable(samples, 1000).size(), aggregate::summaryTable(samples, 4).size());
}

// ---- the page --------------------------------------------------------------------------

TEST(AggregatePage, LinksAreRelativeToThePagesDirectory) {
  EXPECT_EQ(aggregate::pageLink("results/index.html", "results/samples/a"), "samples/a/index.html");
  EXPECT_EQ(aggregate::pageLink("results/index.html", "results/samples/a/"), "samples/a/index.html");
  EXPECT_EQ(aggregate::pageLink("index.html", "./x/../a"), "a/index.html");
  EXPECT_EQ(aggregate::pageLink("out/deep/index.html", "samples/a"), "../../samples/a/index.html");
  EXPECT_EQ(aggregate::pageLink("/srv/www/all.html", "/data/run 1/a#b"), "../../data/run%201/a%23b/index.html");
  EXPECT_EQ(aggregate::pageLink("a/all.html", "a"), "index.html");
}

TEST(AggregatePage, ShowsTheBestMotifOfEachSampleOrSaysThereIsNone) {
  aggregate::Sample withMotif = aggregate::readSample(kSamples + "/crp0", "<crp>");
  aggregate::Sample convincing = withMotif;
  convincing.name = "convincing";
  formats::SummaryRow& best = convincing.motifs.front();
  best.bestMatchId = best.weakMatchId;
  best.bestMatchName = "Meis1";
  best.bestMatchE = "0.01";
  best.weakMatchId = best.weakMatchE = "NA";
  const aggregate::Sample without = aggregate::readSample(kSamples + "/empty", "empty");
  const std::string page = aggregate::indexPage({withMotif, convincing, without}, "index.html", "2026-01-05 10:00");
  EXPECT_NE(page.find("<h1>Motifs of 3 samples</h1>"), std::string::npos);
  EXPECT_NE(page.find("2 samples report a motif"), std::string::npos);
  EXPECT_NE(page.find(">&lt;crp&gt;</a>"), std::string::npos);
  EXPECT_NE(page.find("no convincing match (best: MA0498.1, E = 1.09)"), std::string::npos);
  EXPECT_NE(page.find("<td>MA0498.1 Meis1 (E = 0.01)</td>"), std::string::npos);
  EXPECT_NE(page.find("<td class=\"num evalue\">1.5e-06</td>"), std::string::npos);
  EXPECT_NE(page.find("<td class=\"none\">No motif reported.</td>"), std::string::npos);
  EXPECT_NE(page.find("Sequence logo of the best motif of &lt;crp&gt;"), std::string::npos);
  EXPECT_NE(page.find("zelkova-aggregate (ZELKOVA) 1.0 on 2026-01-05 10:00."), std::string::npos);
  // Every row has as many cells as the heading, so that sorting keeps columns.
  std::size_t rows = 0;
  for (std::size_t at = page.find("<tr><td>"); at != std::string::npos; at = page.find("<tr><td>", at + 1)) {
    const std::string row = page.substr(at, page.find("</tr>", at) - at);
    std::size_t cells = 0;
    for (std::size_t c = row.find("<td"); c != std::string::npos; c = row.find("<td", c + 1)) ++cells;
    EXPECT_EQ(cells, 7u) << row.substr(0, 80);
    ++rows;
  }
  EXPECT_EQ(rows, 3u);
}

}  // namespace
