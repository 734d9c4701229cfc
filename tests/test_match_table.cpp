// The table of matches: written and read back, damaged lines refused at their
// line, and the HTML section made from it, with the known motif's logo
// aligned under the motif's.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "formats/match_table.h"
#include "formats/report_reader.h"
#include "pages/matches_section.h"
#include "pages/report_page.h"

namespace {

using formats::MatchRow;

const std::string kDataDir = std::string(ZELKOVA_TEST_DATA) + "/export/";

MatchRow sampleRow() {
  MatchRow r;
  r.query = "ZELKOVA-1";
  r.queryConsensus = "ACGTTA";
  r.targetId = "MA0001.1";
  r.targetName = "JUN (var.2)";
  r.reverse = true;
  r.offset = -2;
  r.overlap = 4;
  r.p = 1.234567e-7;
  r.e = 4.1e-5;
  r.q = 0.5;
  r.targetConsensus = "GGACGT";
  return r;
}

std::vector<MatchRow> readText(const std::string& text) {
  std::istringstream in(text);
  return formats::readMatchTable(in, "m.tsv");
}

TEST(MatchTable, WrittenAndReadBack) {
  MatchRow odd = sampleRow();
  odd.targetName = "tab\tin name";
  odd.reverse = false;
  odd.offset = 3;
  std::ostringstream out;
  formats::writeMatchTable(out, {sampleRow(), odd});
  EXPECT_EQ(out.str(), std::string(formats::kMatchHeader) + "\n" +
                           "ZELKOVA-1\tACGTTA\tMA0001.1\tJUN (var.2)\t-\t-2\t4\t1.23e-07\t4.1e-05\t0.5\tGGACGT\n"
                           "ZELKOVA-1\tACGTTA\tMA0001.1\ttab in name\t+\t3\t4\t1.23e-07\t4.1e-05\t0.5\tGGACGT\n");
  const std::vector<MatchRow> back = readText(out.str());
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].targetName, "JUN (var.2)");
  EXPECT_TRUE(back[0].reverse);
  EXPECT_EQ(back[0].offset, -2);
  EXPECT_DOUBLE_EQ(back[0].p, 1.23e-7);
  EXPECT_EQ(back[0].line, 2);
  EXPECT_EQ(back[1].targetName, "tab in name");
  EXPECT_EQ(back[1].offset, 3);
  EXPECT_EQ(formats::formatMatchValue(0.000123456), "0.000123");
  EXPECT_EQ(formats::formatMatchValue(1), "1");
}

TEST(MatchTable, DamagedLinesAreRefusedAtTheirLine) {
  const std::string header = std::string(formats::kMatchHeader) + "\n";
  const std::string good = "Q\tA\tT\tn\t+\t0\t3\t0.1\t1\t1\tAAA\n";
  const struct {
    std::string text;
    int line;
    const char* message;
  } cases[] = {
      {"query\ttarget\n", 1, "not a zelkova-compare table: the header line has no column \"query_consensus\""},
      {"", 1, "ends here"},
      {header + good + "Q\tA\tT\tn\t+\t0\t3\t0.1\t1\t1\n", 3, "11 tab-separated fields, found 10"},
      {header + "Q\tA\tT\tn\tx\t0\t3\t0.1\t1\t1\tAAA\n", 2, "neither + nor -"},
      {header + "Q\tA\tT\tn\t+\t0\t0\t0.1\t1\t1\tAAA\n", 2, "overlap"},
      {header + "Q\tA\tT\tn\t+\tone\t3\t0.1\t1\t1\tAAA\n", 2, "offset"},
      {header + "Q\tA\tT\tn\t+\t0\t3\t-0.1\t1\t1\tAAA\n", 2, "p-value"},
      {header + "\tA\tT\tn\t+\t0\t3\t0.1\t1\t1\tAAA\n", 2, "query is empty"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      readText(c.text);
      ADD_FAILURE() << "accepted";
    } catch (const ReadError& e) {
      EXPECT_EQ(e.line(), c.line) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
  EXPECT_TRUE(readText(header).empty());
}

// x positions of the letters of one SVG logo, per column left to right.
std::vector<double> letterPositions(const std::string& svg) {
  std::vector<double> x;
  const std::regex letter("class=\"letter-[ACGT]\"[^>]*translate\\(([0-9.]+) ");
  for (std::sregex_iterator m(svg.begin(), svg.end(), letter), end; m != end; ++m) {
    const double at = std::stod((*m)[1]);
    if (x.empty() || at != x.back()) x.push_back(at);
  }
  return x;
}

std::string pageWith(const std::vector<MatchRow>& rows, const std::vector<formats::Motif>& targets) {
  const formats::Report r = formats::readReportFile(kDataDir + "tiny.out");
  std::ostringstream out;
  pages::writeHtml(out, r, "tiny.out", "zelkova-export", {pages::matchesAddition(rows, "m.tsv", r, targets)});
  return out.str();
}

formats::Motif target(const std::string& id, const std::vector<formats::Column>& columns) {
  formats::Motif m;
  m.id = id;
  m.name = "known";
  m.columns = columns;
  return m;
}

// ZELKOVA-1 of tiny.out is ACGTTA; a target of three certain columns matched at
// offset 2 on the forward strand sits under query columns 3 to 5; on the other
// strand its columns are reverse-complemented.
TEST(MatchesOnThePage, TheTargetLogoLinesUpUnderTheMotif) {
  MatchRow row = sampleRow();
  row.reverse = false;
  row.offset = 2;
  row.overlap = 3;
  const formats::Motif known = target("MA0001.1", {{0, 0, 9, 0}, {0, 0, 0, 9}, {0, 0, 0, 9}});
  const std::string page = pageWith({row}, {known});
  std::smatch figure;
  ASSERT_TRUE(std::regex_search(page, figure,
                                std::regex("<figure class=\"match\"[^>]*><div class=\"aligned\">"
                                           "(<svg.*?</svg>)(<svg.*?</svg>)</div>")));
  const std::vector<double> query = letterPositions(figure[1]), known_x = letterPositions(figure[2]);
  ASSERT_EQ(query.size(), 6u);
  ASSERT_EQ(known_x.size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(known_x[i], query[i + 2]);
  EXPECT_NE(std::string(figure[2]).find("class=\"letter-G\""), std::string::npos);
  EXPECT_EQ(std::string(figure[2]).find("class=\"letter-A\""), std::string::npos);
  EXPECT_NE(page.find("<td>MA0001.1</td><td>JUN (var.2)</td><td>+</td><td class=\"num\">2</td>"), std::string::npos);
  // Only ZELKOVA-1 has matches; ZELKOVA-2 says it has none.
  EXPECT_NE(page.find("No known motif matched."), std::string::npos);

  // Offset -1 on the other strand: the motif moves right by one column and the
  // target is drawn as its reverse complement AAC.
  row.reverse = true;
  row.offset = -1;
  const std::string other = pageWith({row}, {known});
  ASSERT_TRUE(std::regex_search(other, figure,
                                std::regex("<figure class=\"match\"[^>]*><div class=\"aligned\">"
                                           "(<svg.*?</svg>)(<svg.*?</svg>)</div>")));
  const std::vector<double> q2 = letterPositions(figure[1]), t2 = letterPositions(figure[2]);
  ASSERT_EQ(t2.size(), 3u);
  EXPECT_DOUBLE_EQ(q2[0], t2[1]);
  EXPECT_NE(std::string(figure[2]).find("class=\"letter-A\""), std::string::npos);
  EXPECT_EQ(std::string(figure[2]).find("class=\"letter-T\""), std::string::npos);
}

TEST(MatchesOnThePage, RowsThatDoNotBelongAreRefusedAtTheirLine) {
  const formats::Motif known = target("MA0001.1", {{0, 0, 9, 0}});
  MatchRow unknownTarget = sampleRow();
  unknownTarget.targetId = "MA9999.1";
  unknownTarget.line = 4;
  MatchRow otherQuery = sampleRow();
  otherQuery.query = "ZELKOVA-7";
  otherQuery.line = 5;
  MatchRow otherReport = sampleRow();
  otherReport.queryConsensus = "TTTTTT";
  otherReport.line = 6;
  const formats::Report r = formats::readReportFile(kDataDir + "tiny.out");
  const struct {
    MatchRow row;
    const char* message;
  } cases[] = {{unknownTarget, "m.tsv:4: the known motif MA9999.1 is not in the database"},
               {otherQuery, "m.tsv:5: ZELKOVA-7 is not a motif of the report"},
               {otherReport, "m.tsv:6: the consensus TTTTTT is not that of ZELKOVA-1"}};
  for (const auto& c : cases) {
    try {
      pages::matchesAddition({c.row}, "m.tsv", r, {known});
      ADD_FAILURE() << "accepted " << c.message;
    } catch (const ReadError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

}  // namespace
