// The report reader: real reports of zelkova, hand-made ones with the odd
// corners of the format, and damaged ones that must be refused at the right line.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "formats/report_reader.h"

namespace {

const std::string kDataDir = std::string(ZELKOVA_TEST_DATA) + "/export/";

std::string fixtureText(const std::string& name) {
  std::ifstream in(kDataDir + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

formats::Report readText(const std::string& text) {
  std::istringstream in(text);
  return formats::readReport(in, "test.out");
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string joinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

std::string reverseComplementOf(const std::string& word) {
  std::string rc;
  for (auto c = word.rbegin(); c != word.rend(); ++c) rc += "TGCA"[std::string("ACGT").find(*c)];
  return rc;
}

TEST(ReportReader, ReadsTheParametersOfTheHeader) {
  const formats::ReportParameters p = readText(fixtureText("tiny.out")).parameters;
  EXPECT_EQ(p.date, "Mon Jan  5 10:00:00 2026");
  EXPECT_DOUBLE_EQ(p.matchingThreshold, 0.75);
  EXPECT_EQ(p.initMethod, 2);
  EXPECT_TRUE(p.forwardOnly);
  EXPECT_EQ(p.mismatches, 2);
  EXPECT_DOUBLE_EQ(p.complexityThreshold, 0.0);
  EXPECT_EQ(p.seedSequences, 3);
  EXPECT_EQ(p.sequences, 7);
  EXPECT_EQ(p.totalLength, 700);
  EXPECT_EQ(p.averageLength, 100);
  EXPECT_EQ(p.commandLine, "zelkova -f tiny.fa -l 6 -b bg.txt -z fg.txt -r -k 2 -c 0");
}

TEST(ReportReader, ReadsEveryPartOfAMotifBlock) {
  const formats::Report r = readText(fixtureText("tiny.out"));
  ASSERT_EQ(r.motifs.size(), 2u);
  const formats::ReportMotif& m = r.motifs[0];
  EXPECT_EQ(m.rank, 1);
  EXPECT_DOUBLE_EQ(m.mapScore, 0.512345);
  EXPECT_DOUBLE_EQ(m.complexity, 0.8);
  EXPECT_DOUBLE_EQ(m.relativeEntropy, 7.25);
  EXPECT_EQ(m.siteCount, 4);
  EXPECT_EQ(m.consensus, "ACGTTA");
  EXPECT_EQ(m.degenerateConsensus, "ACGKTW");
  EXPECT_EQ(m.reverseConsensus, "TAACGT");
  ASSERT_EQ(m.width(), 6);
  EXPECT_EQ(m.counts[3], (formats::CountColumn{0, 0, 1, 3}));
  EXPECT_EQ(m.counts[5], (formats::CountColumn{2, 0, 0, 2}));
  ASSERT_EQ(m.sites.size(), 4u);
  EXPECT_EQ(m.sites[0].sequence, "seq one");
  EXPECT_TRUE(m.sites[0].forward);
  EXPECT_EQ(m.sites[0].position, 10);
  EXPECT_EQ(m.sites[2].word, "ACGGTT");
  EXPECT_DOUBLE_EQ(m.sites[2].score, 0.75);
}

TEST(ReportReader, TakesTheSiteFieldsFromTheRightSoNamesMayHoldTabs) {
  const formats::Report r = readText(fixtureText("tiny.out"));
  const formats::ReportSite& s = r.motifs[0].sites[1];
  EXPECT_EQ(s.sequence, "seq\ttwo <b>&");
  EXPECT_EQ(s.word, "ACGTTA");
  EXPECT_FALSE(s.forward);
  EXPECT_EQ(s.position, 5);
}

TEST(ReportReader, AcceptsAMotifWithoutSites) {
  const formats::Report r = readText(fixtureText("tiny.out"));
  const formats::ReportMotif& m = r.motifs[1];
  EXPECT_EQ(m.rank, 2);
  EXPECT_EQ(m.siteCount, 0);
  EXPECT_TRUE(m.sites.empty());
  EXPECT_EQ(m.width(), 6);
  EXPECT_TRUE(std::signbit(m.mapScore));  // "-0.000000"
  for (const formats::CountColumn& c : m.counts) EXPECT_EQ(c, (formats::CountColumn{0, 0, 0, 0}));
}

TEST(ReportReader, AHeaderWithoutMotifsIsAnEmptyReport) {
  const formats::Report r = readText(fixtureText("empty.out"));
  EXPECT_TRUE(r.motifs.empty());
  EXPECT_EQ(r.parameters.sequences, 7);
  // Without the empty line that ends the header, too.
  std::string cut = fixtureText("empty.out");
  cut.pop_back();
  EXPECT_TRUE(readText(cut).motifs.empty());
}

TEST(ReportReader, AcceptsScoresOnlyStrtodReadsAndWindowsLineEnds) {
  std::string text = fixtureText("tiny.out");
  text.replace(text.find("0.512345"), 8, "inf");
  text.replace(text.find("7.250000"), 8, "-nan");
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const formats::Report r = readText(crlf);
  ASSERT_EQ(r.motifs.size(), 2u);
  EXPECT_TRUE(std::isinf(r.motifs[0].mapScore));
  EXPECT_TRUE(std::isnan(r.motifs[0].relativeEntropy));
  EXPECT_EQ(r.motifs[0].sites[3].word, "ACGTTT");
  EXPECT_EQ(r.motifs[0].sites[1].sequence, "seq\ttwo <b>&");
}

// Counts print with "%4d", so four-digit counts touch their neighbours.
TEST(ReportReader, SplitsCountRowsWhoseCountsRunTogether) {
  std::string text = fixtureText("empty.out") +
                     "\nMotif rank #1\nMotif Score: 1.0\tComplexity: 0.5\t\n"
                     "Relative Entropy: 9.0 bits\nNo. of sites:1250\nCon : AAAAAA  Deg. Con: AAAAAA\n"
                     "rCon: TTTTTT\n\nPosition Count Matrix\n\t   1   2   3   4   5   6\n"
                     "A\t100010001000100010001000\nC\t 250 250 250 250 250 250\n"
                     "G\t   0   0   0   0   0   0\nT\t   0   0   0   0   0   0\n";
  for (int i = 0; i < 1250; ++i) text += i < 1000 ? ">s\tAAAAAA\t1\t1\t1.0000\n" : ">s\tCCCCCC\t1\t1\t0.0000\n";
  text += std::string(32, '#') + "\n";
  const formats::ReportMotif m = readText(text).motifs.at(0);
  for (const formats::CountColumn& c : m.counts) EXPECT_EQ(c, (formats::CountColumn{1000, 250, 0, 0}));
}

// Real output of zelkova on the bundled CRP example: every count matrix must
// be the count of the site words listed under it, and the consensus words
// must belong to that matrix.
TEST(ReportReader, RealReportMatricesAgreeWithTheirOwnSites) {
  const formats::Report r = readText(fixtureText("crp0.out"));
  EXPECT_EQ(r.parameters.sequences, 18);
  EXPECT_EQ(r.parameters.totalLength, 1890);
  EXPECT_FALSE(r.parameters.forwardOnly);
  ASSERT_EQ(r.motifs.size(), 10u);
  for (std::size_t i = 0; i < r.motifs.size(); ++i) {
    const formats::ReportMotif& m = r.motifs[i];
    SCOPED_TRACE("motif rank " + std::to_string(m.rank));
    EXPECT_EQ(m.rank, static_cast<int>(i) + 1);
    EXPECT_EQ(m.width(), 16);
    EXPECT_EQ(static_cast<long long>(m.sites.size()), m.siteCount);
    std::vector<formats::CountColumn> recount(16, formats::CountColumn{});
    for (const formats::ReportSite& s : m.sites)
      for (int p = 0; p < 16; ++p) ++recount[p][std::string("ACGT").find(s.word[p])];
    EXPECT_EQ(recount, m.counts);
    EXPECT_EQ(m.reverseConsensus, reverseComplementOf(m.consensus));
    for (int p = 0; p < 16; ++p) {
      const formats::CountColumn& c = m.counts[p];
      const int top = static_cast<int>(std::string("ACGT").find(m.consensus[p]));
      for (int b = 0; b < 4; ++b) EXPECT_GE(c[top], c[b]) << "position " << p + 1;
    }
  }
  EXPECT_EQ(r.motifs[0].sites[1].sequence, "tnaa 71 ");  // the header's trailing blank is kept
}

struct Damage {
  const char* name;
  std::function<void(std::vector<std::string>&)> edit;
  int line;
  const char* message;
};

// Each damaged copy of tiny.out must be refused at the given line.
TEST(ReportReaderErrors, RefusesDamagedReportsNamingTheLine) {
  const std::vector<Damage> damages = {
      {"truncated in the count matrix", [](auto& l) { l.resize(29); }, 29, "ends here"},
      {"truncated in the site list", [](auto& l) { l.resize(33); }, 33, "ends here"},
      {"truncated header", [](auto& l) { l.resize(10); }, 10, "ends here"},
      {"empty file", [](auto& l) { l.clear(); }, 1, "ends here"},
      {"letter in a count row", [](auto& l) { l[27] = "C\t   0   4   x   0   0   0"; }, 28, "not a whole number"},
      {"count row too short", [](auto& l) { l[26] = "A\t   4   0   0   0   0"; }, 27, "holds 5 counts"},
      {"row of the wrong base", [](auto& l) { l[28] = "T\t   0   0   4   1   0   0"; }, 29, "\"G\t\""},
      {"column not adding up", [](auto& l) { l[29] = "T\t   0   0   0   2   4   2"; }, 30, "column 4"},
      {"count beyond any sum", [](auto& l) { l[26] = "A\t9223372036854775807   0   0   0   0   2"; }, 30,
       "more than the 4 sites"},
      {"site missing", [](auto& l) { l.erase(l.begin() + 33); }, 34, "lists 3 sites"},
      {"bad strand", [](auto& l) { l[30] = ">seq one\tACGTTA\t2\t10\t1.0000"; }, 31, "strand"},
      {"short site word", [](auto& l) { l[31] = ">s\tACGTT\t1\t10\t1.0000"; }, 32, "ACGTT"},
      {"site with few fields", [](auto& l) { l[32] = ">s3 ACGGTT 1 1 0.7500"; }, 33, "five"},
      {"no degenerate consensus", [](auto& l) { l[21] = "Con : ACGTTA"; }, 22, "Deg. Con"},
      {"short reverse consensus", [](auto& l) { l[22] = "rCon: TAACG"; }, 23, "reverse consensus"},
      {"rank repeated", [](auto& l) { l[36] = "Motif rank #1"; }, 37, "does not follow"},
      {"text between blocks", [](auto& l) { l[35] = "hello"; }, 36, "Motif rank #"},
      {"score not a number", [](auto& l) { l[18] = "Motif Score: high\tComplexity: 0.8\t"; }, 19, "high"},
      {"strand flag of the header", [](auto& l) { l[6] = "Forward strand only:maybe"; }, 7, "maybe"},
      {"column numbers", [](auto& l) { l[25] = "\t   1   2   3   5   4   6"; }, 26, "column 4"},
  };
  const std::vector<std::string> good = splitLines(fixtureText("tiny.out"));
  for (const Damage& d : damages) {
    SCOPED_TRACE(d.name);
    std::vector<std::string> lines = good;
    d.edit(lines);
    try {
      readText(joinLines(lines));
      ADD_FAILURE() << "accepted";
    } catch (const ReadError& e) {
      EXPECT_EQ(e.line(), d.line) << e.what();
      const std::string what = e.what();
      EXPECT_EQ(what.rfind("test.out:" + std::to_string(d.line) + ": ", 0), 0u) << what;
      EXPECT_NE(what.find(d.message), std::string::npos) << what;
    }
  }
}

TEST(ReportReaderErrors, AMissingFileIsAReadErrorNamingIt) {
  try {
    formats::readReportFile(kDataDir + "no-such-report.out");
    ADD_FAILURE() << "accepted";
  } catch (const ReadError& e) {
    EXPECT_EQ(e.line(), 0);
    EXPECT_NE(std::string(e.what()).find("no-such-report.out: cannot open"), std::string::npos) << e.what();
  }
}

}  // namespace
