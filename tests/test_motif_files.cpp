// The motif file readers: every export of zelkova-export read back to the
// report's counts, files written by others (the bundled JASPAR collection and
// hand-made MEME and TRANSFAC files in the layouts other tools write), and
// damaged files refused at the right line.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "formats/motif_export.h"
#include "formats/motif_files.h"
#include "formats/report_reader.h"
#include "support_exports.h"

namespace {

using formats::Format;
using formats::Motif;

const std::string kExportData = std::string(ZELKOVA_TEST_DATA) + "/export/";
const std::string kBundled = std::string(ZELKOVA_DATA_DIR) + "/jaspar/";

std::vector<Motif> readText(const std::string& text) {
  std::istringstream in(text);
  return formats::readMotifs(in, "test.txt");
}

Format formatOf(const std::string& text) { return formats::detectFormat(text, "test.txt"); }

// Whole-number counts of a motif read back: probabilities times nsites.
std::vector<formats::CountColumn> roundedCounts(const Motif& m) {
  std::vector<formats::CountColumn> counts;
  for (const formats::Column& c : m.columns) {
    formats::CountColumn whole{};
    for (int b = 0; b < 4; ++b) whole[b] = std::llround(m.counts ? c[b] : c[b] * m.nsites.value());
    counts.push_back(whole);
  }
  return counts;
}

void expectReportMotifs(const formats::Report& r, const std::vector<Motif>& back, bool counts) {
  ASSERT_EQ(back.size(), r.motifs.size());
  for (std::size_t i = 0; i < back.size(); ++i) {
    SCOPED_TRACE(back[i].id);
    EXPECT_EQ(back[i].id, "ZELKOVA-" + std::to_string(r.motifs[i].rank));
    EXPECT_EQ(back[i].name, r.motifs[i].consensus);
    EXPECT_EQ(back[i].counts, counts);
    ASSERT_TRUE(back[i].nsites.has_value());
    EXPECT_EQ(*back[i].nsites, static_cast<double>(r.motifs[i].siteCount));
    EXPECT_EQ(roundedCounts(back[i]), r.motifs[i].counts);
  }
}

TEST(MotifFilesRoundTrip, EveryExportOfARealReportReadsBackToItsCounts) {
  const formats::Report r = formats::readReportFile(kExportData + "crp0.out");
  ASSERT_EQ(r.motifs.size(), 10u);
  const std::string meme = testing_support::memeOf(r);
  const std::string jaspar = testing_support::jasparOf(r);
  const std::string transfac = testing_support::transfacOf(r);
  EXPECT_EQ(formatOf(meme), Format::Meme);
  EXPECT_EQ(formatOf(jaspar), Format::Jaspar);
  EXPECT_EQ(formatOf(transfac), Format::Transfac);
  {
    SCOPED_TRACE("MEME");
    expectReportMotifs(r, readText(meme), false);
  }
  {
    SCOPED_TRACE("JASPAR");
    expectReportMotifs(r, readText(jaspar), true);
  }
  {
    SCOPED_TRACE("TRANSFAC");
    expectReportMotifs(r, readText(transfac), true);
  }
  {
    SCOPED_TRACE("report");
    const std::vector<Motif> fromReport = formats::readMotifFile(kExportData + "crp0.out");
    expectReportMotifs(r, fromReport, true);
    EXPECT_EQ(fromReport[1].where(), kExportData + "crp0.out:" + std::to_string(r.motifs[1].line));
  }
}

// A motif without sites is exported as even probabilities and zero counts;
// both read back as a motif of the right width.
TEST(MotifFilesRoundTrip, AMotifWithoutSitesKeepsItsWidth) {
  const formats::Report r = formats::readReportFile(kExportData + "tiny.out");
  for (const std::string& text :
       {testing_support::memeOf(r), testing_support::jasparOf(r), testing_support::transfacOf(r)}) {
    const std::vector<Motif> back = readText(text);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].width(), 6);
    EXPECT_EQ(back[1].nsites.value_or(-1), 0.0);
    for (const formats::Column& p : formats::frequencies(back[1], 0.1))
      for (double x : p) EXPECT_DOUBLE_EQ(x, 0.25);
  }
  // The empty report's MEME file has a header and no motif.
  EXPECT_TRUE(readText(testing_support::memeOf(formats::readReportFile(kExportData + "empty.out"))).empty());
}

TEST(MotifFilesOthers, TheBundledJasparFilesParse) {
  const std::vector<Motif> insects = formats::readMotifFile(kBundled + "jaspar_insecta.jaspar");
  const std::vector<Motif> vertebrates = formats::readMotifFile(kBundled + "jaspar_vertebrates.pfm");
  ASSERT_EQ(insects.size(), 126u);
  ASSERT_EQ(vertebrates.size(), 205u);
  const Motif& brZ1 = insects.front();
  EXPECT_EQ(brZ1.id, "MA0010.1");
  EXPECT_EQ(brZ1.name, "br_Z1");
  ASSERT_EQ(brZ1.width(), 14);
  EXPECT_EQ(brZ1.columns[0], (formats::Column{3, 1, 4, 1}));
  EXPECT_EQ(brZ1.columns[13], (formats::Column{2, 3, 2, 2}));
  EXPECT_TRUE(brZ1.counts);
  EXPECT_EQ(brZ1.line, 1);
  const Motif& arnt = vertebrates.front();
  EXPECT_EQ(arnt.id, "MA0004.1");
  EXPECT_EQ(arnt.name, "Arnt");
  ASSERT_EQ(arnt.width(), 6);
  EXPECT_EQ(arnt.columns[0], (formats::Column{4, 16, 0, 0}));
  EXPECT_EQ(arnt.columns[5], (formats::Column{0, 0, 20, 0}));
  EXPECT_EQ(arnt.nsites.value_or(-1), 20.0);
  int withBlank = 0;
  for (const Motif& m : vertebrates) {
    if (m.id == "MA0489.1") {
      EXPECT_EQ(m.name, "JUN (var.2)");
    }
    withBlank += m.name.find(' ') != std::string::npos;
    EXPECT_GT(m.width(), 0);
  }
  EXPECT_EQ(withBlank, 3);
  EXPECT_EQ(vertebrates.back().line, 205 * 5 - 4);
}

// The layout MEME itself writes, with the parts the minimal format allows.
TEST(MotifFilesOthers, MemeFilesAsMotifToolsWriteThem) {
  const std::string text =
      "MEME version 5.4.1\n\nALPHABET= ACGT\n\nstrands: + -\n\nBackground letter frequencies\n"
      "A 0.303 C 0.197 G 0.197 T 0.303 \n\n"
      "MOTIF MA0004.1 Arnt\nletter-probability matrix: alength= 4 w= 3 nsites= 20 E= 0\n"
      " 0.200000  0.800000  0.000000  0.000000\n 0.950000\t0.000000  0.050000  0.000000\n"
      " 0.000  1.000  0.000  0.000\nURL http://example.org/MA0004.1\n\n"
      "MOTIF 2\n\nletter-probability matrix: alength= 4 w= 2 E= 1.2e-5\n"
      "0.25 0.25 0.25 0.25\n0.1 0.2 0.3 0.4\n";
  const std::vector<Motif> motifs = readText(text);
  ASSERT_EQ(motifs.size(), 2u);
  EXPECT_EQ(motifs[0].id, "MA0004.1");
  EXPECT_EQ(motifs[0].name, "Arnt");
  EXPECT_FALSE(motifs[0].counts);
  EXPECT_EQ(motifs[0].nsites.value_or(-1), 20.0);
  EXPECT_EQ(motifs[0].columns[1], (formats::Column{0.95, 0, 0.05, 0}));
  EXPECT_EQ(motifs[0].line, 10);
  EXPECT_EQ(motifs[1].id, "2");
  EXPECT_EQ(motifs[1].name, "");
  EXPECT_FALSE(motifs[1].nsites.has_value());
  // Probabilities without a number of sites are used as they are.
  EXPECT_EQ(formats::frequencies(motifs[1], 0.1)[1], (formats::Column{0.1, 0.2, 0.3, 0.4}));
  // With 20 sites the pseudocount counts: (0 + 0.1) / (20 + 0.4).
  EXPECT_NEAR(formats::frequencies(motifs[0], 0.1)[2][0], 0.1 / 20.4, 1e-12);
}

TEST(MotifFilesOthers, TransfacEntriesWithAVersionBlockAndAnotherLetterOrder) {
  const std::string text =
      "VV  TRANSFAC MATRIX TABLE, Release 2023\nXX\n//\n"
      "AC  M00001\nXX\nID  V$MYOD_01\nXX\nNA  MyoD\nXX\n"
      "PO        T      G      C      A\n01      1      2      3      4      N\n02      0      0     10      0      C\n"
      "XX\n//\n"
      "ID  only_an_id\nDE  some factor\nP0 A C G T\n1 0.5 0.5 0 0\n2 0.25 0.25 0.25 0.25\n";
  const std::vector<Motif> motifs = readText(text);
  ASSERT_EQ(motifs.size(), 2u);
  EXPECT_EQ(motifs[0].id, "M00001");
  EXPECT_EQ(motifs[0].name, "V$MYOD_01");
  EXPECT_EQ(motifs[0].columns[0], (formats::Column{4, 3, 2, 1}));
  EXPECT_EQ(motifs[0].columns[1], (formats::Column{0, 10, 0, 0}));
  EXPECT_EQ(motifs[0].line, 4);
  EXPECT_EQ(motifs[1].id, "only_an_id");
  EXPECT_EQ(motifs[1].name, "some factor");
  EXPECT_FALSE(motifs[1].counts);  // fractions adding up to 1
}

TEST(MotifFilesOthers, PlainJasparWithFractionsAndWindowsLineEnds) {
  const std::vector<Motif> motifs = readText(
      ">M1\tfirst one\r\n0.5 0.1\r\n0.5 0.2\r\n0 0.3\r\n0 0.4\r\n\r\n"
      ">M2\n1 2\n3 4\n5 6\n7 8\n");
  ASSERT_EQ(motifs.size(), 2u);
  EXPECT_EQ(motifs[0].name, "first one");
  EXPECT_FALSE(motifs[0].counts);
  EXPECT_EQ(motifs[0].columns[1], (formats::Column{0.1, 0.2, 0.3, 0.4}));
  EXPECT_TRUE(motifs[1].counts);
  EXPECT_FALSE(motifs[1].nsites.has_value());  // columns of 16 and 20 counts
  EXPECT_EQ(motifs[1].line, 7);
}

struct Damaged {
  const char* name;
  std::string text;
  int line;
  const char* message;
};

TEST(MotifFilesErrors, DamagedFilesNameTheirLine) {
  const std::string meme =
      "MEME version 4\n\nALPHABET= ACGT\n\nMOTIF m1 x\nletter-probability matrix: alength= 4 w= 2\n";
  const std::vector<Damaged> cases = {
      {"empty file", "", 0, "empty"},
      {"only blank lines", "\n  \n\t\n", 0, "empty"},
      {"not a motif file", "\nhello world\n", 2, "not a motif file"},
      {"MEME row of 3", meme + "0.25 0.25 0.5\n0.25 0.25 0.25 0.25\n", 7, "4 probabilities"},
      {"MEME row not adding up", meme + "0.25 0.25 0.25 0.25\n0.5 0.5 0.5 0\n", 8, "add up to 1.5"},
      {"MEME truncated matrix", meme + "0.25 0.25 0.25 0.25\n", 7, "row 2 of the matrix of m1"},
      {"MEME letter in a row", meme + "0.25 x 0.25 0.25\n0.25 0.25 0.25 0.25\n", 7, "\"x\""},
      {"MEME negative value", meme + "0.25 -0.25 0.5 0.5\n0.25 0.25 0.25 0.25\n", 7, "0 or more"},
      {"MEME without w", "MEME version 4\nMOTIF a\nletter-probability matrix: alength= 4\n", 3, "w="},
      {"MEME protein", "MEME version 4\nALPHABET= ACDEFGHIKLMNPQRSTVWY\n", 2, "only DNA"},
      {"MEME motif without matrix", "MEME version 4\n\nMOTIF a\nMOTIF b\nletter-probability matrix: w= 1\n1 0 0 0\n", 3,
       "motif a has no letter-probability matrix"},
      {"MEME zero width", "MEME version 4\nMOTIF z\nletter-probability matrix: alength= 4 w= 0\n", 2, "no columns"},
      {"JASPAR short row", ">MA1 x\nA [ 1 2 ]\nC [ 1 2 ]\nG [ 1 ]\nT [ 1 2 ]\n", 4, "holds 1 numbers"},
      {"JASPAR wrong letter", ">MA1 x\nA [ 1 2 ]\nG [ 1 2 ]\nC [ 1 2 ]\nT [ 1 2 ]\n", 3, "row of C"},
      {"JASPAR no bracket", ">MA1 x\nA [ 1 2 ]\nC [ 1 2\nG [ 1 2 ]\nT [ 1 2 ]\n", 3, "C [ ... ]"},
      {"JASPAR truncated", ">MA1 x\nA [ 1 2 ]\nC [ 1 2 ]\n", 3, "row of G of MA1"},
      {"JASPAR zero width", ">MA1 x\nA [ ]\nC [ ]\nG [ ]\nT [ ]\n", 1, "no columns"},
      {"JASPAR second header missing", ">MA1 x\nA [1]\nC [1]\nG [1]\nT [1]\nMA2\n", 6, "header line"},
      {"plain JASPAR text in a row", ">MA1 x\n1 2\n3 4\n5 six\n7 8\n", 4, "\"six\""},
      {"plain JASPAR infinite count", ">MA1 x\n1 2\n3 4\n5 inf\n7 8\n", 4, "0 or more"},
      {"TRANSFAC rows out of order", "AC  a\nP0 A C G T\n01 1 0 0 0\n03 1 0 0 0\n//\n", 4, "does not follow"},
      {"TRANSFAC P0 letters", "AC  a\nP0 A C G U\n01 1 0 0 0\n//\n", 2, "\"U\""},
      {"TRANSFAC short row", "AC  a\nP0 A C G T\n01 1 0 0\n//\n", 3, "four numbers"},
      {"TRANSFAC row without P0", "AC  a\nXX\n01 1 0 0 0\n//\n", 3, "no P0 line"},
      {"TRANSFAC matrix without a name", "XX\nP0 A C G T\n01 1 0 0 0\n//\n", 1, "without AC or ID"},
  };
  for (const Damaged& d : cases) {
    SCOPED_TRACE(d.name);
    try {
      readText(d.text);
      ADD_FAILURE() << "accepted";
    } catch (const ReadError& e) {
      const std::string what = e.what();
      EXPECT_EQ(e.line(), d.line) << what;
      const std::string where = d.line > 0 ? "test.txt:" + std::to_string(d.line) + ": " : "test.txt: ";
      EXPECT_EQ(what.rfind(where, 0), 0u) << what;
      EXPECT_NE(what.find(d.message), std::string::npos) << what;
    }
  }
}

TEST(MotifFilesErrors, AMissingFileAndADamagedReportAreNamed) {
  try {
    formats::readMotifFile(kExportData + "no-such-file.meme");
    ADD_FAILURE() << "accepted";
  } catch (const ReadError& e) {
    EXPECT_EQ(e.line(), 0);
    EXPECT_NE(std::string(e.what()).find("no-such-file.meme: cannot open"), std::string::npos) << e.what();
  }
  // A report goes through the report reader, with its messages.
  std::ostringstream text;
  text << std::ifstream(kExportData + "tiny.out").rdbuf();
  std::string damaged = text.str();
  damaged.replace(damaged.find("No. of sites:4"), 14, "No. of sites:x");
  try {
    readText(damaged);
    ADD_FAILURE() << "accepted";
  } catch (const ReadError& e) {
    EXPECT_NE(std::string(e.what()).find("test.txt:21: number of sites"), std::string::npos) << e.what();
  }
}

}  // namespace

namespace {

// The first error a text gives, as "LINE: message".
std::string refusalOf(const std::string& text) {
  try {
    readText(text);
  } catch (const ReadError& e) {
    return std::to_string(e.line()) + ": " + e.what();
  }
  return "accepted";
}

bool holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

// A MEME matrix must have exactly the rows its w= announces: fewer is refused
// at the line where a row was due, more at the first row too many.
TEST(MotifFilesCounts, MemeRowsMustMatchTheirWidthBothWays) {
  const std::string head =
      "MEME version 4\n\nALPHABET= ACGT\n\nMOTIF m1 x\nletter-probability matrix: alength= 4 w= 2\n";
  const std::string row = "0.25 0.25 0.25 0.25\n";
  EXPECT_EQ(readText(head + row + row).front().width(), 2);
  const std::string more = refusalOf(head + row + row + row + "\nMOTIF m2\n");
  EXPECT_EQ(more.rfind("9: ", 0), 0u) << more;
  EXPECT_TRUE(holds(more, "the matrix of m1 has more rows than its w= 2")) << more;
  // A blank line between the rows and one too many does not hide it.
  const std::string moreAfterBlank = refusalOf(head + row + row + "\n" + row);
  EXPECT_EQ(moreAfterBlank.rfind("10: ", 0), 0u) << moreAfterBlank;
  const std::string fewer = refusalOf(head + row + "MOTIF m2\nletter-probability matrix: w= 1\n" + row);
  EXPECT_EQ(fewer.rfind("8: ", 0), 0u) << fewer;
  EXPECT_TRUE(holds(fewer, "the matrix of m1 has 1 row, fewer than its w= 2")) << fewer;
  const std::string fewerAtBlank = refusalOf(head + row + "\n" + row);
  EXPECT_TRUE(holds(fewerAtBlank, "fewer than its w= 2")) << fewerAtBlank;
  // A full MEME output goes on after the matrix with lines that are not rows.
  EXPECT_EQ(readText(head + row + row +
                     "----------------------------------------\n"
                     "Time  0.01 secs.\n")
                .size(),
            1u);
}

TEST(MotifFilesCounts, DeclaredSizesAndValuesAreChecked) {
  const std::string head = "MEME version 4\nMOTIF m1\nletter-probability matrix: alength= 4 w= 1 nsites= ";
  EXPECT_TRUE(holds(refusalOf(head + "inf\n1 0 0 0\n"), "3: ")) << refusalOf(head + "inf\n1 0 0 0\n");
  EXPECT_TRUE(holds(refusalOf(head + "-3\n1 0 0 0\n"), "not a number of sites"));
  EXPECT_TRUE(
      holds(refusalOf("MEME version 4\nMOTIF m\nletter-probability matrix: alength= 20 w= 1\n"), "alength= 20"));
  // TRANSFAC: a row holds the four numbers of its P0 line and at most a letter.
  const std::string fifth = refusalOf("AC  a\nP0 A C G T\n01 1 0 0 0 7\n//\n");
  EXPECT_EQ(fifth.rfind("3: ", 0), 0u) << fifth;
  EXPECT_TRUE(holds(fifth, "found 5 fields after the position")) << fifth;
  EXPECT_EQ(readText("AC  a\nP0 A C G T\n01 1 0 0 0 A\n//\n").front().width(), 1);
}

// The files the JASPAR project distributes for a release, as downloaded: the
// MEME layout with its header lines, tab-separated rows with a trailing tab,
// URL lines, nsites and E=; and the bracketed layout with tabs. Windows line
// ends change nothing.
TEST(MotifFilesDatabases, JasparReleaseFiles) {
  const std::string meme =
      "MEME version 4\n\nALPHABET= ACGT\n\nstrands: + -\n\nBackground letter frequencies\n"
      "A 0.25 C 0.25 G 0.25 T 0.25\n\n"
      "MOTIF MA0004.1 Arnt\nletter-probability matrix: alength= 4 w= 3 nsites= 20 E= 0\n"
      "  0.200000\t  0.800000\t  0.000000\t  0.000000\t\n  0.950000\t  0.000000\t  0.050000\t  0.000000\t\n"
      "  0.000000\t  1.000000\t  0.000000\t  0.000000\t\n\nURL http://jaspar.genereg.net/matrix/MA0004.1\n\n"
      "MOTIF MA0006.1 Ahr::Arnt\nletter-probability matrix: alength= 4 w= 2 nsites= 24 E= 0\n"
      "  0.125000\t  0.333333\t  0.083333\t  0.458333\t\n  0.000000\t  0.000000\t  0.958333\t  0.041667\t\n\n"
      "URL http://jaspar.genereg.net/matrix/MA0006.1\n";
  const std::string jaspar =
      ">MA0004.1\tArnt\nA  [     4     19      0 ]\nC  [    16      0     20 ]\nG  [     0      1      0 ]\n"
      "T  [     0      0      0 ]\n\n>MA0006.1\tAhr::Arnt\nA  [     3      0 ]\nC  [     8      0 ]\n"
      "G  [     2     23 ]\nT  [    11      1 ]\n";
  for (const bool windows : {false, true}) {
    SCOPED_TRACE(windows ? "CRLF" : "LF");
    std::string memeText = meme, jasparText = jaspar;
    if (windows)
      for (std::string* text : {&memeText, &jasparText})
        for (std::size_t at = text->find('\n'); at != std::string::npos; at = text->find('\n', at + 2))
          text->insert(at, "\r");
    const std::vector<Motif> fromMeme = readText(memeText);
    const std::vector<Motif> fromJaspar = readText(jasparText);
    ASSERT_EQ(fromMeme.size(), 2u);
    ASSERT_EQ(fromJaspar.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
      EXPECT_EQ(fromMeme[i].id, fromJaspar[i].id);
      EXPECT_EQ(fromMeme[i].name, fromJaspar[i].name);
      // The probabilities times nsites are the release's counts again.
      EXPECT_EQ(formats::countsOf(fromMeme[i]), formats::countsOf(fromJaspar[i])) << fromMeme[i].id;
    }
  }
}

// HOCOMOCO distributes MEME files whose MOTIF lines give the identifier
// alone, with a blank line before the matrix, and JASPAR-layout files whose
// counts are not whole numbers.
TEST(MotifFilesDatabases, HocomocoFiles) {
  const std::vector<Motif> meme = readText(
      "MEME version 4\n\nALPHABET= ACGT\n\nstrands: + -\n\nBackground letter frequencies\n"
      "A 0.25 C 0.25 G 0.25 T 0.25\n\nMOTIF AHR_HUMAN.H11MO.0.B\n\n"
      "letter-probability matrix: alength= 4 w= 2 nsites= 64 E= 0\n"
      "0.262448\t0.234321\t0.363116\t0.140115\n0.036741\t0.031327\t0.041853\t0.890079\n");
  ASSERT_EQ(meme.size(), 1u);
  EXPECT_EQ(meme[0].id, "AHR_HUMAN.H11MO.0.B");
  EXPECT_EQ(meme[0].name, "");
  EXPECT_EQ(meme[0].nsites.value_or(0), 64.0);
  const std::vector<Motif> jaspar = readText(
      ">AHR_HUMAN.H11MO.0.B\nA [ 40.51343240527031 18.0 ]\nC [ 18.0 8.41 ]\nG [ 28.2 1.59 ]\nT [ 13.28 71.998 ]\n");
  ASSERT_EQ(jaspar.size(), 1u);
  EXPECT_TRUE(jaspar[0].counts);
  EXPECT_DOUBLE_EQ(jaspar[0].columns[0][0], 40.51343240527031);
  EXPECT_FALSE(jaspar[0].nsites.has_value());  // the columns add up to 99.99 and 99.998
}

// HOMER motif files as HOMER writes them: six tab-separated header fields,
// names with slashes and parentheses, three-decimal rows that add up to 0.999
// or 1.001; and the three-field header HOMER reads at least.
TEST(MotifFilesHomer, FilesAsHomerWritesThem) {
  const std::string text =
      ">CNNCCAGCAGRGGGCGCN\tCTCF(Zf)/CD4+-CTCF-ChIP-Seq(Barski_et_al.)/Homer\t9.873393\t-1.314e+04\t0\t"
      "T:24494.0(73.47%),B:2015.6(6.01%),P:1e-5707\n"
      "0.419\t0.275\t0.277\t0.028\n0.001\t0.001\t0.997\t0.001\n0.332\t0.334\t0.333\t0.001\n"
      ">ASTTCCTCTT\t1-ASTTCCTCTT\t6.049537\n0.401\t0.100\t0.499\t0.001\n0.250\t0.250\t0.250\t0.250\n";
  EXPECT_EQ(formatOf(text), Format::Homer);
  const std::vector<Motif> motifs = readText(text);
  ASSERT_EQ(motifs.size(), 2u);
  EXPECT_EQ(motifs[0].id, "CTCF(Zf)/CD4+-CTCF-ChIP-Seq(Barski_et_al.)/Homer");
  EXPECT_EQ(motifs[0].name, "CNNCCAGCAGRGGGCGCN");
  EXPECT_EQ(motifs[0].width(), 3);
  EXPECT_FALSE(motifs[0].counts);
  EXPECT_EQ(motifs[0].columns[1], (formats::Column{0.001, 0.001, 0.997, 0.001}));
  EXPECT_EQ(motifs[1].id, "1-ASTTCCTCTT");
  EXPECT_EQ(motifs[1].line, 5);
  // A JASPAR header with a name is not taken for HOMER's.
  EXPECT_EQ(formatOf(">MA0004.1\tArnt\n1 2\n3 4\n5 6\n7 8\n"), Format::JasparPlain);
  const std::string shortRow = refusalOf(">A\tB\t3.5\n0.5 0.5 0\n");
  EXPECT_EQ(shortRow.rfind("2: ", 0), 0u) << shortRow;
  EXPECT_TRUE(holds(shortRow, "needs the 4 values of A, C, G and T")) << shortRow;
  EXPECT_TRUE(holds(refusalOf(">A\tB\t3.5\n"), "no columns"));
}

// Every format a program writes is read back by every program: written from
// motifs of each kind (counts, probabilities with and without a number of
// sites), the identifiers come back, and counts come back exactly.
TEST(MotifFilesRoundTrip, EveryWriterReadsBackForMotifsOfEveryKind) {
  std::vector<Motif> motifs = formats::readMotifFile(kBundled + "jaspar_vertebrates.pfm");
  motifs.resize(20);
  motifs.push_back(readText(">A\tHOMER-1\t3.5\n0.5\t0.5\t0\t0\n0.1\t0.2\t0.3\t0.4\n").front());
  motifs.push_back(readText("MEME version 4\nMOTIF P2 some name\nletter-probability matrix: w= 1 nsites= 3\n"
                            "0.333333 0.666667 0 0\n")
                       .front());
  std::vector<double> thresholds(motifs.size(), 1.5);
  std::ostringstream meme, jaspar, transfac, homer;
  formats::writeMeme(meme, motifs);
  formats::writeJaspar(jaspar, motifs);
  formats::writeTransfac(transfac, motifs);
  formats::writeHomer(homer, motifs, thresholds);
  for (const auto& [name, text] : {std::pair{"MEME", meme.str()}, std::pair{"JASPAR", jaspar.str()},
                                   std::pair{"TRANSFAC", transfac.str()}, std::pair{"HOMER", homer.str()}}) {
    SCOPED_TRACE(name);
    const std::vector<Motif> back = readText(text);
    ASSERT_EQ(back.size(), motifs.size());
    for (std::size_t i = 0; i < motifs.size(); ++i) {
      EXPECT_EQ(back[i].id, motifs[i].id);
      EXPECT_EQ(back[i].width(), motifs[i].width());
      if (std::string(name) == "HOMER") continue;  // probabilities in thousandths
      EXPECT_EQ(back[i].name, motifs[i].name);
      // MEME gives one number of sites: counts whose columns add up to
      // different totals come back as probabilities.
      if (std::string(name) != "MEME" || motifs[i].nsites) {
        EXPECT_EQ(formats::countsOf(back[i]), formats::countsOf(motifs[i])) << motifs[i].id;
      }
      for (std::size_t c = 0; c < motifs[i].columns.size(); ++c)
        for (int b = 0; b < 4; ++b)
          EXPECT_NEAR(formats::plainFrequencies(back[i])[c][b], formats::plainFrequencies(motifs[i])[c][b], 1e-6);
    }
  }
}

TEST(MotifFilesSets, SeveralFilesAreOneSetWithUniqueIdentifiers) {
  const std::string dir = testing::TempDir();
  const std::string a = dir + "/set_a.jaspar", b = dir + "/set_b.meme", empty = dir + "/set_empty.meme";
  std::ofstream(a) << ">M1\tone\nA [ 1 ]\nC [ 0 ]\nG [ 0 ]\nT [ 0 ]\n\n>M2\ttwo\nA [ 0 ]\nC [ 1 ]\nG [ 0 ]\nT [ 0 ]\n";
  std::ofstream(b) << "MEME version 4\n\nMOTIF M3\nletter-probability matrix: w= 1\n1 0 0 0\n\n"
                      "MOTIF M2 again\nletter-probability matrix: w= 1\n0 1 0 0\n";
  std::ofstream(empty) << "MEME version 4\n\nALPHABET= ACGT\n";
  EXPECT_EQ(formats::readFiles({a}).size(), 2u);
  try {
    formats::readFiles({a, b});
    ADD_FAILURE() << "accepted";
  } catch (const ReadError& e) {
    EXPECT_EQ(e.line(), 7);
    EXPECT_EQ(std::string(e.what()).rfind(b + ":7: motif M2 is already in " + a + ":7;", 0), 0u) << e.what();
  }
  try {
    formats::readFiles({a, empty});
    ADD_FAILURE() << "accepted";
  } catch (const ReadError& e) {
    EXPECT_EQ(std::string(e.what()), empty + ": the file holds no motif");
  }
}

TEST(MotifValues, CountsComeBackFromProbabilitiesOnlyWhenWhole) {
  Motif m;
  m.columns = {{0.2, 0.8, 0, 0}, {0.333333, 0.666667, 0, 0}};
  m.counts = false;
  EXPECT_FALSE(formats::countsOf(m).has_value());  // no number of sites
  m.nsites = 3;
  // 0.2 of 3 sites is no whole number: every product is kept as it is.
  const std::vector<formats::Column> products = formats::countsOf(m).value();
  EXPECT_NEAR(products[0][0], 0.6, 1e-12);
  EXPECT_NEAR(products[1][0], 0.999999, 1e-12);
  // Six-decimal probabilities of whole counts give the counts back exactly.
  m.columns[0] = {0.333333, 0.666667, 0, 0};
  EXPECT_EQ(formats::countsOf(m).value(), (std::vector<formats::Column>{{1, 2, 0, 0}, {1, 2, 0, 0}}));
  EXPECT_EQ(formats::plainFrequencies(m)[0], (formats::Column{1.0 / 3, 2.0 / 3, 0, 0}));
  EXPECT_EQ(formats::degenerateConsensus(
                {{0.9, 0.05, 0.05, 0}, {0.5, 0.4, 0.1, 0}, {0.3, 0.3, 0.2, 0.2}, {0, 0.1, 0.1, 0.8}, {0.4, 0, 0, 0.6}}),
            "AMNTW");
}
