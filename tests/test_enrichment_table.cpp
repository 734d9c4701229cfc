// The enrichment table and site list as text, the table read back, and the
// enrichment on the HTML page.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "formats/report_reader.h"
#include "pages/enrichment_section.h"
#include "pages/report_page.h"
#include "stats/enrichment_rows.h"

namespace {

stats::MotifResult result(int rank, const std::string& consensus, double threshold, stats::HitTable table,
                          double log10P, double log10PAdjusted, double log10E) {
  stats::MotifResult r;
  r.motif = stats::MotifMatrix{rank, "ZELKOVA-" + std::to_string(rank), consensus, {}};
  r.choice.threshold = threshold;
  r.choice.table = table;
  r.choice.log10P = log10P;
  r.log10PAdjusted = log10PAdjusted;
  r.log10E = log10E;
  return r;
}

std::vector<stats::MotifResult> twoResults() {
  std::vector<stats::MotifResult> results{
      result(1, "TGACGTCA", 0.84996, {60, 200, 12, 400}, -31.23456, -29.5, -28.49897),
      result(2, "AAAAAAAA", 0.7, {0, 200, 0, 400}, -0.0000001, 0.0, 0.30103),
  };
  results[0].sites.push_back({stats::SequenceRole::Primary, 1, 17, false, "TGACGTCA", 0.84996});
  results[0].sites.push_back({stats::SequenceRole::Control, 0, 3, true, "TGACGTCC", 0.91});
  return results;
}

std::string tableText() {
  std::ostringstream out;
  stats::writeEnrichmentTable(out, twoResults());
  return out.str();
}

std::string readError(const std::string& text) {
  std::istringstream in(text);
  try {
    formats::readEnrichmentTable(in, "t.tsv");
  } catch (const ReadError& error) {
    return error.what();
  }
  return "no error";
}

}  // namespace

TEST(EnrichmentTable, WholeTextOfTwoMotifs) {
  EXPECT_EQ(tableText(),
            "rank\tid\tconsensus\tthreshold\tprimary_hits\tprimary_total\tcontrol_hits\tcontrol_total\t"
            "enrichment\tlog10_p\tlog10_p_adj\tlog10_E\n"
            "1\tZELKOVA-1\tTGACGTCA\t0.8499\t60\t200\t12\t400\t10.000\t-31.235\t-29.500\t-28.499\n"
            "2\tZELKOVA-2\tAAAAAAAA\t0.7000\t0\t200\t0\t400\tNA\t0.000\t0.000\t0.301\n");
}

TEST(EnrichmentTable, SitesNameTheirSequencesAndStrands) {
  const std::vector<FastaRecord> primary{{"p0", "A"}, {"p1\twith tab", "A"}};
  const std::vector<FastaRecord> control{{"p0 [shuffled 1]", "A"}};
  std::ostringstream out;
  stats::writeEnrichmentSites(out, twoResults(), primary, control);
  EXPECT_EQ(out.str(),
            "motif\tset\tsequence\tposition\tstrand\tword\tscore\n"
            "ZELKOVA-1\tprimary\tp1 with tab\t17\t-\tTGACGTCA\t0.8500\n"
            "ZELKOVA-1\tcontrol\tp0 [shuffled 1]\t3\t+\tTGACGTCC\t0.9100\n");
}

TEST(EnrichmentTable, ReadsBackWhatItWrites) {
  std::istringstream in(tableText());
  const std::vector<formats::EnrichmentRow> rows = formats::readEnrichmentTable(in, "t.tsv");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].rank, 1);
  EXPECT_EQ(rows[0].id, "ZELKOVA-1");
  EXPECT_EQ(rows[0].threshold, "0.8499");
  EXPECT_EQ(rows[0].primaryHits, 60);
  EXPECT_EQ(rows[0].controlTotal, 400);
  EXPECT_EQ(rows[0].enrichment, "10.000");
  EXPECT_EQ(rows[0].log10E, "-28.499");
  EXPECT_EQ(rows[1].enrichment, "NA");
}

TEST(EnrichmentTable, RefusesWhatItDidNotWrite) {
  const std::string text = tableText();
  const std::string header = text.substr(0, text.find('\n') + 1);
  EXPECT_EQ(readError(""), "t.tsv:1: the file ends here; expected the header line next");
  EXPECT_EQ(readError("rank\tid\n"), "t.tsv:1: not an enrichment table: the header line has no column \"consensus\"");
  EXPECT_EQ(readError(header + "1\tZ\tA\t0.8\t1\t2\t3\t4\t1.0\t-1\t-1\n"),
            "t.tsv:2: an enrichment line needs 12 tab-separated fields, found 11");
  EXPECT_EQ(readError(header + "1\tZ\tA\t0.8\tx\t2\t3\t4\t1.0\t-1\t-1\t-1\n"),
            "t.tsv:2: primary_hits \"x\" is not a count");
  EXPECT_EQ(readError(header + "1\tZ\tA\t0.8\t3\t2\t3\t4\t1.0\t-1\t-1\t-1\n"), "t.tsv:2: more hits than sequences");
  EXPECT_EQ(readError(header + "1\tZ\tA\t0.8\t1\t2\t3\t4\tbig\t-1\t-1\t-1\n"),
            "t.tsv:2: enrichment \"big\" is not a number");
  EXPECT_EQ(readError(header + "1\tZ\tA\t0.8\t1\t2\t3\t4\tinf\t-1\t-1\t\n"), "t.tsv:2: log10_E \"\" is not a number");
}

TEST(EnrichmentHtml, NumbersFromTheirLogarithms) {
  EXPECT_EQ(pages::fromLog10("-14.500"), "3.2e-15");
  EXPECT_EQ(pages::fromLog10("0.000"), "1.0e+00");
  EXPECT_EQ(pages::fromLog10("0.301"), "2.0e+00");
  EXPECT_EQ(pages::fromLog10("-0.001"), "1.0e+00");  // 9.977e-01 rounds up to the next power
  EXPECT_EQ(pages::fromLog10("-5877.870"), "1.3e-5878");
}

TEST(EnrichmentHtml, TheMotifTableAndSectionsShowTheEnrichment) {
  const formats::Report report = formats::readReportFile(std::string(ZELKOVA_TEST_DATA) + "/export/crp0.out");
  ASSERT_GE(report.motifs.size(), 2u);
  const std::string header = tableText().substr(0, tableText().find('\n') + 1);
  std::istringstream in(header + "2\tZELKOVA-2\t" + report.motifs[1].consensus +
                        "\t0.8123\t15\t18\t4\t36\t7.500\t-6.100\t-5.200\t-4.200\n");
  const std::vector<formats::EnrichmentRow> rows = formats::readEnrichmentTable(in, "crp0.tsv");
  const std::vector<const formats::EnrichmentRow*> matched = pages::matchEnrichment(report, rows, "crp0.tsv");
  ASSERT_EQ(matched.size(), report.motifs.size());
  EXPECT_EQ(matched[0], nullptr);
  EXPECT_EQ(matched[1], &rows[0]);
  std::ostringstream page;
  pages::writeHtml(page, report, "crp0.out", "zelkova-export", {pages::enrichmentAddition(report, matched)});
  const std::string html = page.str();
  EXPECT_NE(html.find("<th class=\"num\">E-value</th>"), std::string::npos);
  EXPECT_NE(html.find("<td class=\"num\">0.8123</td><td class=\"num\">15 of 18</td><td class=\"num\">4 of 36</td>"
                      "<td class=\"num\">7.500</td><td class=\"num evalue\">6.3e-05</td>"),
            std::string::npos);
  EXPECT_NE(html.find("<tr><th>Primary sequences at or above it</th><td>15 of 18 (83.3 %)</td></tr>"),
            std::string::npos);
  EXPECT_NE(html.find("<tr><th>E-value</th><td>6.3e-05 (log<sub>10</sub> -4.200)</td></tr>"), std::string::npos);
  EXPECT_NE(html.find("not tested"), std::string::npos);  // motif 1 has no row

  std::ostringstream plain;
  pages::writeHtml(plain, report, "crp0.out", "zelkova-export");
  EXPECT_EQ(plain.str().find("E-value"), std::string::npos);
}

TEST(EnrichmentHtml, ATableOfAnotherReportIsRefused) {
  const formats::Report report = formats::readReportFile(std::string(ZELKOVA_TEST_DATA) + "/export/crp0.out");
  const std::string header = tableText().substr(0, tableText().find('\n') + 1);
  auto refusal = [&](const std::string& line) {
    std::istringstream in(header + line);
    const std::vector<formats::EnrichmentRow> rows = formats::readEnrichmentTable(in, "x.tsv");
    try {
      pages::matchEnrichment(report, rows, "x.tsv");
    } catch (const ReadError& error) {
      return std::string(error.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(refusal("99\tZELKOVA-99\tACGT\t0.8\t1\t2\t1\t2\t1.0\t-1\t-1\t-1\n"),
            "x.tsv:2: motif ZELKOVA-99 is not in the motif file");
  EXPECT_EQ(refusal("1\tZELKOVA-1\tACGT\t0.8\t1\t2\t1\t2\t1.0\t-1\t-1\t-1\n"),
            "x.tsv:2: motif ZELKOVA-1 has the consensus ACGT here but " + report.motifs[0].consensus +
                " in the motif file; was the table made from another file?");
}
