// The exporters: logo arithmetic on hand-made columns, the exact text of each
// matrix format for a hand-made report, and round trips of a real report of
// zelkova through every format and back.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "base/version.h"
#include "formats/motif_export.h"
#include "formats/report_reader.h"
#include "pages/report_page.h"
#include "support_exports.h"

namespace {

using formats::CountColumn;

const std::string kDataDir = std::string(ZELKOVA_TEST_DATA) + "/export/";

formats::Report fixture(const std::string& name) { return formats::readReportFile(kDataDir + name); }

std::string html(const formats::Report& r) {
  std::ostringstream out;
  pages::writeHtml(out, r, "tiny.out", "zelkova-export");
  return out.str();
}

std::size_t occurrences(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// What a reader of an exported file gets back: identifiers and counts.
struct ReadBack {
  std::string id;
  std::string name;
  std::vector<CountColumn> counts;
};

std::vector<ReadBack> readMeme(const std::string& text) {
  std::vector<ReadBack> motifs;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::smatch m;
    if (std::regex_match(line, m, std::regex("MOTIF (\\S+) (\\S+)"))) motifs.push_back({m[1], m[2], {}});
    if (!std::regex_search(line, m, std::regex("w= (\\d+) nsites= (\\d+) E= 0$"))) continue;
    const int width = std::stoi(m[1]);
    const double sites = std::stod(m[2]);
    for (int i = 0; i < width && std::getline(in, line); ++i) {
      std::istringstream row(line);
      CountColumn c{};
      double p = 0, sum = 0;
      for (int b = 0; b < 4 && row >> p; ++b, sum += p) c[b] = std::llround(p * sites);
      EXPECT_NEAR(sum, 1.0, 1e-5) << line;
      motifs.back().counts.push_back(c);
    }
  }
  return motifs;
}

std::vector<ReadBack> readJaspar(const std::string& text) {
  std::vector<ReadBack> motifs;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::smatch m;
    if (!std::regex_match(line, m, std::regex(">(\\S+)\\t(\\S+)"))) continue;
    motifs.push_back({m[1], m[2], {}});
    for (int b = 0; b < 4 && std::getline(in, line); ++b) {
      EXPECT_EQ(line.substr(0, 4), std::string(1, "ACGT"[b]) + "  [");
      std::istringstream row(line.substr(4, line.find(']') - 4));
      long long count = 0;
      for (std::size_t i = 0; row >> count; ++i) {
        if (b == 0) motifs.back().counts.push_back(CountColumn{});
        motifs.back().counts.at(i)[b] = count;
      }
    }
  }
  return motifs;
}

std::vector<ReadBack> readTransfac(const std::string& text) {
  std::vector<ReadBack> motifs;
  std::istringstream in(text);
  bool inMatrix = false;
  for (std::string line; std::getline(in, line);) {
    const std::string tag = line.substr(0, 2);
    if (tag == "AC") motifs.push_back({line.substr(4), "", {}});
    if (tag == "DE") motifs.back().name = line.substr(4);
    if (tag == "XX" || tag == "//") inMatrix = false;
    if (inMatrix) {
      std::istringstream row(line);
      int position = 0;
      CountColumn c{};
      row >> position >> c[0] >> c[1] >> c[2] >> c[3];
      EXPECT_EQ(position, static_cast<int>(motifs.back().counts.size()) + 1) << line;
      motifs.back().counts.push_back(c);
    }
    if (tag == "P0") inMatrix = true;
  }
  return motifs;
}

// The count tables of the page, one per motif section.
std::vector<ReadBack> readHtml(const std::string& page) {
  std::vector<ReadBack> motifs;
  const std::regex section("<section class=\"motif\" id=\"([^\"]+)\">");
  const std::regex countRow("<tr><th class=\"([ACGT])\">[ACGT]</th>((?:<td>\\d+</td>)+)</tr>");
  const std::regex cell("<td>(\\d+)</td>");
  std::istringstream in(page);
  for (std::string line; std::getline(in, line);) {
    std::smatch m;
    if (std::regex_search(line, m, section)) motifs.push_back({m[1], "", {}});
    if (!std::regex_match(line, m, countRow)) continue;
    const int base = static_cast<int>(std::string("ACGT").find(m[1].str()[0]));
    const std::string cells = m[2];
    std::size_t i = 0;
    for (std::sregex_iterator c(cells.begin(), cells.end(), cell), end; c != end; ++c, ++i) {
      if (base == 0) motifs.back().counts.push_back(CountColumn{});
      motifs.back().counts.at(i)[base] = std::stoll((*c)[1]);
    }
  }
  return motifs;
}

void expectSameMotifs(const formats::Report& r, const std::vector<ReadBack>& back, bool withNames) {
  ASSERT_EQ(back.size(), r.motifs.size());
  for (std::size_t i = 0; i < back.size(); ++i) {
    EXPECT_EQ(back[i].id, "ZELKOVA-" + std::to_string(r.motifs[i].rank));
    if (withNames) {
      EXPECT_EQ(back[i].name, r.motifs[i].consensus);
    }
    EXPECT_EQ(back[i].counts, r.motifs[i].counts) << back[i].id;
  }
}

TEST(LogoArithmetic, LetterHeightsOfHandMadeColumns) {
  // p = 3/4, 1/4: IC = 2 + 0.75 log2 0.75 + 0.25 log2 0.25 = 1.188722 bits.
  EXPECT_NEAR(pages::informationContent(CountColumn{6, 2, 0, 0}), 1.188722, 1e-6);
  const auto h = pages::letterHeights(CountColumn{6, 2, 0, 0});
  EXPECT_NEAR(h[0], 0.891542, 1e-6);
  EXPECT_NEAR(h[1], 0.297180, 1e-6);
  EXPECT_EQ(h[2], 0.0);
  EXPECT_EQ(h[3], 0.0);
  // p = 1/4, 1/4, 1/2: IC = 2 - 1.5 = 0.5 bits.
  const auto g = pages::letterHeights(CountColumn{1, 1, 2, 0});
  EXPECT_NEAR(g[0], 0.125, 1e-12);
  EXPECT_NEAR(g[1], 0.125, 1e-12);
  EXPECT_NEAR(g[2], 0.25, 1e-12);
  EXPECT_EQ(g[3], 0.0);
  EXPECT_NEAR(pages::letterHeights(CountColumn{0, 0, 0, 5})[3], 2.0, 1e-12);
  for (double x : pages::letterHeights(CountColumn{3, 3, 3, 3})) EXPECT_NEAR(x, 0.0, 1e-12);
  for (double x : pages::letterHeights(CountColumn{0, 0, 0, 0})) EXPECT_EQ(x, 0.0);
}

TEST(LogoArithmetic, ReverseComplementMirrorsColumnsAndBases) {
  const std::vector<CountColumn> forward = {{1, 2, 3, 4}, {5, 6, 7, 8}};
  EXPECT_EQ(pages::reverseComplement(forward), (std::vector<CountColumn>{{8, 7, 6, 5}, {4, 3, 2, 1}}));
}

// The drawn letters: stacked from the baseline up, smallest first, each as
// tall as its share of the axis from 0 to 2 bits.
TEST(LogoArithmetic, LettersAreStackedSmallestFirstAtTheirHeights) {
  const std::string svg = pages::logoSvg({CountColumn{6, 2, 0, 0}, CountColumn{0, 0, 0, 9}}, "test");
  std::smatch axis;
  ASSERT_TRUE(std::regex_search(svg, axis,
                                std::regex("<line x1=\"[0-9.]+\" y1=\"([0-9.]+)\" x2=\"[0-9.]+\" "
                                           "y2=\"([0-9.]+)\"")));
  const double top = std::stod(axis[1]), baseline = std::stod(axis[2]);
  const double pixelsPerBit = (baseline - top) / 2;
  const std::regex letter(
      "class=\"letter-([ACGT])\"[^>]*translate\\(([0-9.]+) ([0-9.]+)\\) scale\\([0-9.]+ ([0-9.]+)\\)");
  std::vector<std::string> letters;
  std::vector<double> y, height;
  for (std::sregex_iterator m(svg.begin(), svg.end(), letter), end; m != end; ++m) {
    letters.push_back((*m)[1]);
    y.push_back(std::stod((*m)[3]));
    height.push_back(std::stod((*m)[4]) * 100);
  }
  ASSERT_EQ(letters, (std::vector<std::string>{"C", "A", "T"}));
  EXPECT_NEAR(height[0] / pixelsPerBit, 0.297180, 1e-3);
  EXPECT_NEAR(height[1] / pixelsPerBit, 0.891542, 1e-3);
  EXPECT_NEAR(y[0] + height[0], baseline, 1e-2);
  EXPECT_NEAR(y[1] + height[1], y[0], 1e-2);
  EXPECT_NEAR(y[2], top, 1e-2);  // a certain base fills the whole 2 bits
  EXPECT_NEAR(y[2] + height[2], baseline, 1e-2);
}

TEST(ExportText, MemeOfAHandMadeReport) {
  const std::string rows1 =
      "  1.000000  0.000000  0.000000  0.000000\n  0.000000  1.000000  0.000000  0.000000\n"
      "  0.000000  0.000000  1.000000  0.000000\n  0.000000  0.000000  0.250000  0.750000\n"
      "  0.000000  0.000000  0.000000  1.000000\n  0.500000  0.000000  0.000000  0.500000\n";
  std::string rows2;
  for (int i = 0; i < 6; ++i) rows2 += "  0.250000  0.250000  0.250000  0.250000\n";
  EXPECT_EQ(testing_support::memeOf(fixture("tiny.out")),
            "MEME version 4\n\nALPHABET= ACGT\n\nstrands: +\n\nBackground letter frequencies\n"
            "A 0.25 C 0.25 G 0.25 T 0.25\n\n"
            "MOTIF ZELKOVA-1 ACGTTA\nletter-probability matrix: alength= 4 w= 6 nsites= 4 E= 0\n" +
                rows1 +
                "\n"
                "MOTIF ZELKOVA-2 AAAAAA\nletter-probability matrix: alength= 4 w= 6 nsites= 0 E= 0\n" +
                rows2 + "\n");
}

TEST(ExportText, JasparOfAHandMadeReport) {
  EXPECT_EQ(testing_support::jasparOf(fixture("tiny.out")),
            ">ZELKOVA-1\tACGTTA\nA  [ 4 0 0 0 0 2 ]\nC  [ 0 4 0 0 0 0 ]\nG  [ 0 0 4 1 0 0 ]\n"
            "T  [ 0 0 0 3 4 2 ]\n\n>ZELKOVA-2\tAAAAAA\nA  [ 0 0 0 0 0 0 ]\nC  [ 0 0 0 0 0 0 ]\n"
            "G  [ 0 0 0 0 0 0 ]\nT  [ 0 0 0 0 0 0 ]\n");
}

TEST(ExportText, TransfacOfAHandMadeReport) {
  const std::string text = testing_support::transfacOf(fixture("tiny.out"));
  const std::string first =
      "AC  ZELKOVA-1\nXX\nID  ZELKOVA-1\nXX\nDE  ACGTTA\nXX\n"
      "P0      A      C      G      T\n"
      "01      4      0      0      0      A\n"
      "02      0      4      0      0      C\n"
      "03      0      0      4      0      G\n"
      "04      0      0      1      3      K\n"
      "05      0      0      0      4      T\n"
      "06      2      0      0      2      W\n"
      "XX\nCC  MAP score: 0.512345; complexity: 0.800000; relative entropy: 7.250000 bits\nXX\n"
      "BA  4 sites found by zelkova\nXX\n//\n";
  EXPECT_EQ(text.substr(0, first.size()), first);
  EXPECT_EQ(occurrences(text, "\n//\n"), 2u);
  EXPECT_NE(text.find("AC  ZELKOVA-2\n", first.size()), std::string::npos);
}

TEST(ExportText, StrandsFollowTheHeader) {
  formats::Report r = fixture("tiny.out");
  r.parameters.forwardOnly = false;
  EXPECT_NE(testing_support::memeOf(r).find("\nstrands: + -\n"), std::string::npos);
}

TEST(ExportText, AnEmptyReportGivesFilesWithoutMotifs) {
  const formats::Report r = fixture("empty.out");
  EXPECT_EQ(testing_support::memeOf(r),
            "MEME version 4\n\nALPHABET= ACGT\n\nstrands: +\n\nBackground letter frequencies\n"
            "A 0.25 C 0.25 G 0.25 T 0.25\n\n");
  EXPECT_EQ(testing_support::jasparOf(r), "");
  EXPECT_EQ(testing_support::transfacOf(r), "");
  const std::string page = html(r);
  EXPECT_NE(page.find("The report holds no motifs."), std::string::npos);
  EXPECT_EQ(occurrences(page, "<section class=\"motif\""), 0u);
  EXPECT_NE(page.find("</html>"), std::string::npos);
}

TEST(ExportHtml, PageOfAHandMadeReport) {
  const std::string page = html(fixture("tiny.out"));
  EXPECT_EQ(occurrences(page, "<section class=\"motif\" id=\"ZELKOVA-1\">"), 1u);
  EXPECT_EQ(occurrences(page, "<section class=\"motif\" id=\"ZELKOVA-2\">"), 1u);
  EXPECT_EQ(occurrences(page, "<svg"), 4u);  // two logos per motif
  for (const std::string tag :
       {"section", "table", "thead", "tbody", "tr", "th", "td", "svg", "figure", "div", "script", "style", "h2", "h3"})
    EXPECT_EQ(occurrences(page, "<" + tag + ">") + occurrences(page, "<" + tag + " "),
              occurrences(page, "</" + tag + ">"))
        << "<" << tag << "> not balanced";
  EXPECT_NE(page.find("<tr><th>Strands</th><td>forward only</td></tr>"), std::string::npos);
  EXPECT_NE(page.find(std::string("<p>Written by zelkova-export (ZELKOVA) ") + kZelkovaVersion + ".</p>"),
            std::string::npos);
  EXPECT_NE(page.find("<td>seq\ttwo &lt;b&gt;&amp;</td>"), std::string::npos);
  EXPECT_EQ(page.find("<b>"), std::string::npos);
  EXPECT_NE(page.find("No sites."), std::string::npos);
  EXPECT_EQ(page.find("http://"), page.find("http://www.w3.org/2000/svg"));  // nothing is fetched
  EXPECT_EQ(page.find("https://"), std::string::npos);
  EXPECT_EQ(page.find(" src="), std::string::npos);
}

// A report written by zelkova on the bundled example, exported to every
// format and read back: identifiers, names and counts survive.
TEST(ExportRoundTrip, RealReportThroughEveryFormat) {
  const formats::Report r = fixture("crp0.out");
  ASSERT_EQ(r.motifs.size(), 10u);
  {
    SCOPED_TRACE("MEME");
    expectSameMotifs(r, readMeme(testing_support::memeOf(r)), true);
  }
  {
    SCOPED_TRACE("JASPAR");
    expectSameMotifs(r, readJaspar(testing_support::jasparOf(r)), true);
  }
  {
    SCOPED_TRACE("TRANSFAC");
    expectSameMotifs(r, readTransfac(testing_support::transfacOf(r)), true);
  }
  {
    SCOPED_TRACE("HTML");
    expectSameMotifs(r, readHtml(html(r)), false);
  }
}

}  // namespace
