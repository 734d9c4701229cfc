// The report header, overlap removal, post-screening and the ranked report.
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/clust.h"
#include "formats/report_writer.h"
#include "reference.h"
#include "support.h"

using namespace testing_support;

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The configuration of the engines here: the store's motif length and every
// default, the report written into `report`.
RunConfig reportConfig(const Utilities& util, const TempFile& report) {
  RunConfig config = testConfig(util.GetL());
  config.outFile = report.path();
  config.cmdLine = " zelkova";
  return config;
}

// What writeHeader prints for the parameters.
std::string headerText(const formats::ReportParameters& parameters) {
  return writtenText([&](std::FILE* out) { formats::writeReportHeader(out, parameters); });
}

Site makeSite(const std::string& text, int seqIdx, int pos, bool strand = true, int tag = -1) {
  reference::L_mer mer;
  std::strcpy(strand ? mer.kmer : mer.rcKmer, text.c_str());
  mer.seqIdx = seqIdx;
  mer.pos = pos;
  mer.strand = strand;
  mer.matIdx = tag;  // overlap removal keeps this field: it tells the sites apart
  return reference::fromLmer(mer, static_cast<int>(text.size()));
}

using SiteKey = std::tuple<std::string, bool, int, int>;
std::vector<SiteKey> keysOf(const node& m) {
  std::vector<SiteKey> out;
  for (const Site& s : m.get_hits()) out.emplace_back(s.text, s.strand, s.pos, s.seqIdx);
  return out;
}

std::vector<int> tagsOf(const node& m) {
  std::vector<int> out;
  for (const Site& s : m.get_hits()) out.push_back(s.matIdx);
  return out;
}

std::string repeat(const std::string& unit, std::size_t length) {
  std::string s;
  while (s.size() < length) s += unit;
  return s.substr(0, length);
}

}  // namespace

// ---------------------------------------------------------------------------
// Header

TEST(ReportHeader, LinesOfTheParameters) {
  auto util = makeStore(
      ">a\n" + repeat("ACGT", 333) + "\n>b\n" + repeat("GATC", 333) + "\n>c\n" + repeat("TTGCA", 334) + "\n", 6);
  TempFile report("");
  RunConfig config = reportConfig(*util, report);
  config.initMethod = 2;
  config.cmdLine = " zelkova -f in.fa -l 6 -k 2";
  const std::string text = headerText(makeEngine(*util, config, {0, 1})->saveparameters());
  const std::regex dateLine(
      "Current local time and date: [A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] "
      "[0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}\n\n");
  std::smatch date;
  ASSERT_TRUE(std::regex_search(text, date, dateLine, std::regex_constants::match_continuous)) << text;
  EXPECT_EQ(text.substr(static_cast<std::size_t>(date.length())),
            "ZELKOVA clustering parameters\n"
            "#####################\n"
            "Kmers matching threshold:0.8000\n"
            "Clusters initialization method:2\n"
            "Forward strand only:false\n"
            "Mismatches allowed:3\n"
            "Complexity threshold:0.1500\n"
            "Number of seed sequences: 2\n"
            "Number of sequences:3\n"
            "Total sequences length:1000\n"
            "Average sequences length:333\n"
            "Command line options:  zelkova -f in.fa -l 6 -k 2\n"
            "#####################\n\n");
}

TEST(ReportHeader, ForwardOnlyThresholdComplexityAndTruncatedAverage) {
  auto util = makeStore(">a\nACGTACG\n>b\n\n>c\nACGTACGT\n", 6, 3, false, /*forwardOnly=*/true);  // 15 letters
  TempFile report("");
  RunConfig config = reportConfig(*util, report);
  config.forwardOnly = true;
  config.MIN_COMPLEXITY = 0.2;
  config.maxMismatch = 0;
  config.scanThreshold = 0.75f;
  config.cmdLine = " zelkova -r";
  const std::string text = headerText(makeEngine(*util, config, {2})->saveparameters());
  for (const char* line :
       {"\nKmers matching threshold:0.7500\n", "\nClusters initialization method:1\n", "\nForward strand only:true\n",
        "\nMismatches allowed:0\n", "\nComplexity threshold:0.2000\n", "\nNumber of seed sequences: 1\n",
        "\nTotal sequences length:15\n", "\nAverage sequences length:5\n", "\nCommand line options:  zelkova -r\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line;
  auto seven = makeStore(">a\nACGTAC\n>b\nA\n", 6);
  EXPECT_NE(headerText(makeEngine(*seven, testConfig(6), {0})->saveparameters()).find("\nAverage sequences length:3\n"),
            std::string::npos);  // 3.5
}

// ---------------------------------------------------------------------------
// Overlap removal (L = 8)

class Overlaps : public ::testing::Test {
 protected:
  void SetUp() override {
    util = makeStore(">s0\n" + repeat("ACGT", 40) + "\n>s1\n" + repeat("ACGT", 40) + "\n", 8);
    engine = makeEngine(*util, reportConfig(*util, report), {0});
    motif = engine->newMotif();
  }
  // Builds the motif with the sites in list order (first given = front), and a
  // frequency matrix whose columns favour A, so that the matrix-similarity
  // score grows with the number of A letters in a word.
  void build(const std::vector<Site>& inListOrder) {
    for (auto it = inListOrder.rbegin(); it != inListOrder.rend(); ++it) motif->addSite(*it);
    for (int i = 0; i < motif->K(); ++i) {
      motif->posFMatrix[0][i] = 0.7;
      motif->posFMatrix[1][i] = motif->posFMatrix[2][i] = motif->posFMatrix[3][i] = 0.1;
    }
  }
  TempFile report{""};
  std::unique_ptr<Utilities> util;
  std::unique_ptr<zelkova> engine;
  NodePtr motif;
};

TEST_F(Overlaps, SamePositionKeepsTheSiteNearerTheFront) {
  build({makeSite("AAAACCCC", 0, 10, true, 1), makeSite("AAAACCCC", 0, 10, true, 2)});
  engine->removeOverlaps(*motif);
  EXPECT_EQ(tagsOf(*motif), (std::vector<int>{1}));
  EXPECT_EQ(motif->getHitCount(), 1);
}

TEST_F(Overlaps, SitesOneMotifLengthApartBothStay) {
  build({makeSite("ACCCCCCC", 0, 10, true, 1), makeSite("AAAAAAAA", 0, 18, true, 2)});
  engine->removeOverlaps(*motif);
  EXPECT_EQ(tagsOf(*motif), (std::vector<int>{1, 2}));
}

TEST_F(Overlaps, OverlappingSitesKeepTheHigherScore) {
  build({makeSite("ACCCCCCC", 0, 10, true, 1), makeSite("AAAACCCC", 0, 12, true, 2)});
  engine->removeOverlaps(*motif);
  EXPECT_EQ(tagsOf(*motif), (std::vector<int>{2}));
  // The kept site carries its matrix-similarity score under the matrix before
  // removal: (4 x 0.7 + 4 x 0.1) / (8 x 0.7).
  EXPECT_NEAR(motif->get_hits().begin()->score, 3.2 / 5.6, 1e-12);
  // Then the matrices are recomputed from the one remaining site.
  EXPECT_EQ(motif->posCMatrix[0][0], 1);
  EXPECT_EQ(motif->posCMatrix[1][7], 1);
  EXPECT_EQ(motif->posCMatrix[0][7], 0);
}

TEST_F(Overlaps, HigherScoreWinsWhicheverComesFirst) {
  build({makeSite("AAAACCCC", 0, 12, true, 1), makeSite("ACCCCCCC", 0, 10, true, 2)});
  engine->removeOverlaps(*motif);
  EXPECT_EQ(tagsOf(*motif), (std::vector<int>{1}));
}

TEST_F(Overlaps, EqualScoresKeepTheFirst) {
  build({makeSite("AAAACCCC", 0, 10, true, 1), makeSite("AAAACCCC", 0, 12, true, 2)});
  engine->removeOverlaps(*motif);
  EXPECT_EQ(tagsOf(*motif), (std::vector<int>{1}));
}

TEST_F(Overlaps, ChainIsComparedWithTheCurrentBest) {
  // Scores at 10, 15, 20: low, high, middle. 15 beats 10; 20 overlaps 15 (not
  // 10) and loses to it. Only 15 stays.
  build({makeSite("ACCCCCCC", 0, 10, true, 10), makeSite("AAAAAAAA", 0, 15, true, 15),
         makeSite("AAAACCCC", 0, 20, true, 20)});
  engine->removeOverlaps(*motif);
  EXPECT_EQ(tagsOf(*motif), (std::vector<int>{15}));
  EXPECT_DOUBLE_EQ(motif->get_hits().begin()->score, 1.0);
}

TEST_F(Overlaps, ChainWhoseLastSiteWins) {
  build({makeSite("ACCCCCCC", 0, 10, true, 10), makeSite("AAAACCCC", 0, 15, true, 15),
         makeSite("AAAAAAAA", 0, 20, true, 20)});
  engine->removeOverlaps(*motif);
  EXPECT_EQ(tagsOf(*motif), (std::vector<int>{20}));
}

TEST_F(Overlaps, DifferentStrandsAndSequencesAreNeverCompared) {
  build({makeSite("ACCCCCCC", 0, 10, true, 1), makeSite("AAAAAAAA", 0, 12, false, 2),
         makeSite("AAAACCCC", 0, 12, true, 3), makeSite("AAAAAAAA", 1, 11, true, 4),
         makeSite("CCCCCCCC", 0, 10, false, 5)});
  engine->removeOverlaps(*motif);
  // Forward s0: 10 and 12 overlap, 12 scores higher. Reverse s0: 12 and 10
  // overlap, AAAAAAAA scores higher. s1 alone.
  EXPECT_EQ(tagsOf(*motif), (std::vector<int>{2, 3, 4}));
  EXPECT_EQ(motif->getHitCount(), 3);
}

// ---------------------------------------------------------------------------
// Post-screening

class PostScreen : public ::testing::Test {
 protected:
  // An engine over the store with the default configuration (threshold 0.8),
  // its messages collected.
  std::unique_ptr<zelkova> engineFor(const Utilities& util, bool forwardOnly = false) {
    RunConfig config = reportConfig(util, report);
    config.forwardOnly = forwardOnly;
    return makeEngine(util, config, {0}, progress.sink());
  }
  // What post-screening printed.
  std::string run(zelkova& engine) {
    const std::size_t before = progress.text().size();
    engine.postScreen();
    return progress.text().substr(before);
  }
  TempFile report{""};
  CollectedProgress progress;
};

TEST_F(PostScreen, WindowReachingTheThresholdInSinglePrecisionIsAdded) {
  // One-site motif AAAAAAAAAA: bounds 10 and 0, so a word with d mismatches
  // scores (d - 10) / (0 - 10). CCAAAAAAAA: 8/10, the double nearest 0.8, below
  // the threshold 0.8f widened to double, but equal to it once rounded to float.
  auto util = makeStore(">s0\nAAAAAAAAAA\n>s1\nCCAAAAAAAA\n>s2\nCCCAAAAAAA\n", 10);
  auto engine = engineFor(*util);
  auto m = engine->newMotif();
  m->addSite(util->seqs.siteAt(0, 0, true));
  engine->saveCandidateMotif(std::move(m));
  EXPECT_EQ(run(*engine), "DONE.\n");
  const node& got = *engine->candidates()[0];
  // Added: AAAAAAAAAA again (1.0) and CCAAAAAAAA; CCCAAAAAAA (0.7) and every
  // reverse word (all T/G against A) are not. Against {W, W, CCAAAAAAAA} the
  // new site scores (4/3 - 10) / (2/3 - 10) = 0.9286 and stays.
  EXPECT_EQ(keysOf(got),
            (std::vector<SiteKey>{{"CCAAAAAAAA", true, 0, 1}, {"AAAAAAAAAA", true, 0, 0}, {"AAAAAAAAAA", true, 0, 0}}));
  EXPECT_NEAR(got.get_hits().begin()->score, (4.0 / 3 - 10) / (2.0 / 3 - 10), 1e-6);
  node fresh(util->motifContext());
  for (const Site& s : got.get_hits()) fresh.addSite(s);
  fresh.computeInformation();
  fresh.computeMAP();
  EXPECT_EQ(got.getMAP(), fresh.getMAP());
}

TEST_F(PostScreen, PruningComparesTheDoubleScoreWithTheThreshold) {
  // Motif {W, W, W, X} with X four letters from W (K = 11): the four columns
  // where they differ hold W's letter at 3/4 and X's at 1/4, so the bounds are
  // 11 and 1 and X scores (3 - 11) / (1 - 11) = 0.8 exactly as a double. Phase
  // 1 adds every site again (X because 0.8 rounds to 0.8f), which leaves every
  // frequency as it was; phase 2 then finds X (both copies) below 0.8f in
  // double precision and removes it.
  const std::string w = "AAAAAAAAAAA", x = "CCCCAAAAAAA";
  auto util = makeStore(">s0\n" + w + "\n>s1\n" + w + "\n>s2\n" + w + "\n>s3\n" + x + "\n", 11);
  auto engine = engineFor(*util);
  auto m = engine->newMotif();
  for (int s = 0; s < 4; ++s) m->addSite(util->seqs.siteAt(s, 0, true));
  engine->saveCandidateMotif(std::move(m));
  run(*engine);
  const node& got = *engine->candidates()[0];
  EXPECT_EQ(got.getHitCount(), 6);
  for (const Site& s : got.get_hits()) EXPECT_EQ(std::string(s.text), w);
}

TEST_F(PostScreen, ForwardOnlyAddsForwardWindowsOnly) {
  // AAAAATTTTT is its own reverse complement: with both strands its reverse
  // window also scores 1.
  const std::string fasta = ">s0\nAAAAATTTTT\n>s1\nGGGGGGGGGG\n";
  {
    auto util = makeStore(fasta, 10);
    auto engine = engineFor(*util);
    auto m = engine->newMotif();
    m->addSite(util->seqs.siteAt(0, 0, true));
    engine->saveCandidateMotif(std::move(m));
    run(*engine);
    EXPECT_EQ(
        keysOf(*engine->candidates()[0]),
        (std::vector<SiteKey>{{"AAAAATTTTT", false, 0, 0}, {"AAAAATTTTT", true, 0, 0}, {"AAAAATTTTT", true, 0, 0}}));
  }
  {
    auto util = makeStore(fasta, 10, 3, false, /*forwardOnly=*/true);
    auto engine = engineFor(*util, /*forwardOnly=*/true);
    auto m = engine->newMotif();
    m->addSite(util->seqs.siteAt(0, 0, true));
    engine->saveCandidateMotif(std::move(m));
    run(*engine);
    EXPECT_EQ(keysOf(*engine->candidates()[0]),
              (std::vector<SiteKey>{{"AAAAATTTTT", true, 0, 0}, {"AAAAATTTTT", true, 0, 0}}));
  }
}

TEST_F(PostScreen, WindowsWithNAreNeverAdded) {
  // AAAAAAAAAN would score 0.9 (N counts like T), and so would its reverse word.
  auto util = makeStore(">s0\nAAAAAAAAAA\n>s1\nAAAAAAAAAN\n", 10);
  auto engine = engineFor(*util);
  auto m = engine->newMotif();
  m->addSite(util->seqs.siteAt(0, 0, true));
  engine->saveCandidateMotif(std::move(m));
  run(*engine);
  EXPECT_EQ(keysOf(*engine->candidates()[0]),
            (std::vector<SiteKey>{{"AAAAAAAAAA", true, 0, 0}, {"AAAAAAAAAA", true, 0, 0}}));
}

TEST_F(PostScreen, MotifThatNeverHadASiteGainsNothing) {
  auto util = makeStore(">s0\nAAAAAAAA\n>s1\nAAAAAAAC\n", 8);
  auto engine = engineFor(*util);
  auto withSite = engine->newMotif();
  withSite->addSite(util->seqs.siteAt(0, 0, true));
  withSite->mapScore = 1.0;
  engine->saveCandidateMotif(std::move(withSite));
  engine->saveCandidateMotif(engine->newMotif());
  EXPECT_EQ(run(*engine), "DONE.\n");
  ASSERT_EQ(engine->candidates().size(), 2u);
  EXPECT_EQ(engine->candidates()[0]->getHitCount(), 3);  // AAAAAAAA twice, AAAAAAAC (7/8)
  EXPECT_EQ(engine->candidates()[1]->getHitCount(), 0);
  EXPECT_EQ(engine->candidates()[1]->getMAP(), 0.0);
}

// ---------------------------------------------------------------------------
// Ranked report

namespace {

// The rank lines, consensus lines and site counts of a report, in order.
std::vector<std::string> outline(const std::string& report) {
  std::vector<std::string> out;
  std::istringstream lines(report);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("Motif rank #", 0) == 0 || line.rfind("Con : ", 0) == 0 || line.rfind("No. of sites:", 0) == 0)
      out.push_back(line);
  return out;
}

// A motif of the store of n copies of a word, each at position 0 of its own
// sequence.
NodePtr copiesOf(const Utilities& util, const std::string& word, int n, int firstSeq = 0) {
  auto m = std::make_unique<node>(util.motifContext());
  for (int s = firstSeq; s < firstSeq + n; ++s) m->addSite(makeSite(word, s, 0));
  return m;
}

}  // namespace

class RankedReport : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string fasta;
    for (int s = 0; s < 8; ++s) fasta += ">q" + std::to_string(s) + "\nACGTACGTAC\n";
    util = makeStore(fasta, 8);
  }
  double mapOf(const std::string& word, int n) {
    NodePtr m = copiesOf(word, n);
    m->computeInformation();
    m->computeMAP();
    return m->getMAP();
  }
  NodePtr copiesOf(const std::string& word, int n, int firstSeq = 0) { return ::copiesOf(*util, word, n, firstSeq); }
  // An engine writing into `into` that keeps the best numTop motifs.
  std::unique_ptr<zelkova> engineFor(const TempFile& into, int numTop, double minComplexity = 0.15) {
    RunConfig config = reportConfig(*util, into);
    config.numTopMotifs = numTop;
    config.MIN_COMPLEXITY = minComplexity;
    return makeEngine(*util, config, {0}, progress.sink());
  }
  // What saving printed.
  std::string save(zelkova& engine) {
    const std::size_t before = progress.text().size();
    engine.saveMotifs();
    return progress.text().substr(before);
  }
  std::unique_ptr<Utilities> util;
  TempFile report{""};
  CollectedProgress progress;
};

TEST_F(RankedReport, ComplexityFilterAndRankNumbering) {
  // In MAP order: even-composition words (complexity near 1) and one-letter
  // words (complexity near 0.25^8): high, low, high, high, high, low.
  const std::vector<std::pair<std::string, int>> motifs = {{"ACGTACGT", 8}, {"AAAAAAAA", 4}, {"CAGTCAGT", 6},
                                                           {"GTACGTAC", 5}, {"TGCATGCA", 4}, {"CCCCCCCC", 2}};
  for (std::size_t i = 1; i < motifs.size(); ++i)
    ASSERT_GT(mapOf(motifs[i - 1].first, motifs[i - 1].second), mapOf(motifs[i].first, motifs[i].second));
  {
    auto engine = engineFor(report, /*numTop=*/3);
    for (auto it = motifs.rbegin(); it != motifs.rend(); ++it)  // arrival order does not matter
      engine->saveCandidateMotif(copiesOf(it->first, it->second));
    EXPECT_EQ(save(*engine), "Saving motifs....DONE.\n");
  }
  const std::string text = readFile(report.path());
  EXPECT_EQ(text.substr(0, 15), "\nMotif rank #1\n");
  EXPECT_EQ(outline(text),
            (std::vector<std::string>{"Motif rank #1", "No. of sites:8", "Con : ACGTACGT  Deg. Con: ACGTACGT",
                                      "Motif rank #2", "No. of sites:6", "Con : CAGTCAGT  Deg. Con: CAGTCAGT",
                                      "Motif rank #3", "No. of sites:5", "Con : GTACGTAC  Deg. Con: GTACGTAC"}));
}

TEST_F(RankedReport, FewerQualifyingMotifsThanRequested) {
  {
    auto engine = engineFor(report, /*numTop=*/10);
    engine->saveCandidateMotif(copiesOf("AAAAAAAA", 6));
    engine->saveCandidateMotif(copiesOf("ACGTACGT", 3));
    engine->saveCandidateMotif(copiesOf("CCCCCCCC", 5));
    engine->saveCandidateMotif(copiesOf("TGCATGCA", 2));
    save(*engine);
  }
  EXPECT_EQ(outline(readFile(report.path())),
            (std::vector<std::string>{"Motif rank #1", "No. of sites:3", "Con : ACGTACGT  Deg. Con: ACGTACGT",
                                      "Motif rank #2", "No. of sites:2", "Con : TGCATGCA  Deg. Con: TGCATGCA"}));
}

TEST_F(RankedReport, EqualScoresKeepCandidateOrder) {
  // Equal words in different sequences give exactly equal MAP scores.
  {
    auto engine = engineFor(report, 10);
    for (int first : {0, 2, 4, 6}) engine->saveCandidateMotif(copiesOf("ACGTACGT", 2, first));
    save(*engine);
  }
  std::vector<std::string> firstSites;
  std::istringstream lines(readFile(report.path()));
  bool expectSite = false;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("T\t", 0) == 0)
      expectSite = true;  // last row of the count matrix
    else if (expectSite) {
      firstSites.push_back(line.substr(0, 3));
      expectSite = false;
    }
  }
  // Newest site first: the motif over q0, q1 lists q1 first.
  EXPECT_EQ(firstSites, (std::vector<std::string>{">q1", ">q3", ">q5", ">q7"}));
}

TEST_F(RankedReport, OverlapsAreRemovedBeforeRanking) {
  {
    auto engine = engineFor(report, 10);
    // Four copies of one word, two of them at overlapping places of q0.
    auto m = engine->newMotif();
    m->addSite(makeSite("ACGTACGT", 1, 0));
    m->addSite(makeSite("ACGTACGT", 0, 0));
    m->addSite(makeSite("ACGTACGT", 0, 2));
    m->addSite(makeSite("ACGTACGT", 2, 0));
    engine->saveCandidateMotif(std::move(m));
    save(*engine);
    EXPECT_EQ(engine->candidates()[0]->getHitCount(), 3);
    EXPECT_EQ(engine->candidates()[0]->getMAP(), mapOf("ACGTACGT", 3));
  }
  const std::string text = readFile(report.path());
  EXPECT_NE(text.find("No. of sites:3\n"), std::string::npos);
  EXPECT_EQ(text.find(">q0\tACGTACGT\t1\t1\t"), std::string::npos);  // position 0 (1-based 1) lost
  EXPECT_NE(text.find(">q0\tACGTACGT\t1\t3\t"), std::string::npos);
}

TEST_F(RankedReport, MotifWithoutSitesIsWrittenOnlyWithZeroThreshold) {
  {
    auto engine = engineFor(report, 10);
    engine->saveCandidateMotif(engine->newMotif());
    save(*engine);
    EXPECT_TRUE(engine->results().motifs.empty());
  }
  EXPECT_EQ(readFile(report.path()), "");
  TempFile second("");
  {
    auto engine = engineFor(second, 10, /*minComplexity=*/0.0);
    engine->saveCandidateMotif(engine->newMotif());
    save(*engine);
    ASSERT_EQ(engine->results().motifs.size(), 1u);
    EXPECT_EQ(engine->results().motifs[0].siteCount, 0);
  }
  EXPECT_EQ(outline(readFile(second.path())),
            (std::vector<std::string>{"Motif rank #1", "No. of sites:0", "Con : AAAAAAAA  Deg. Con: NNNNNNNN"}));
}

// ---------------------------------------------------------------------------
// Whole engine

TEST(WholeEngine, ReportDoesNotDependOnTheThreadCount) {
  const std::string fasta =
      ">w1\nGCTTGACAGTACCGATTGACAGGA\n>w2\nATCGTTGACAGGCTATGTCAAGCA\n>w3\nCCATGTCAAGTAGCTTGTCAAT\n"
      ">w4\nGGATCCGATTACGATTGACTGA\n>w5\nTTGTCATGCAGGATTTGACAGC\n>w6\nACGTTGACAAGTCCGATAGC\n";
  std::vector<std::string> reports, consoles, sideFiles;
  for (int threads : {1, 2, 4}) {
    auto util = makeStore(fasta, 7, 3, false, false, threads);
    TempFile report(""), cores(""), clusters("");
    RunConfig config = reportConfig(*util, report);
    config.numThreads = threads;
    config.maxMismatch = 2;
    config.numTopMotifs = 4;
    config.initCoreFile = cores.path();
    config.initClusterFile = clusters.path();
    CollectedProgress progress;
    {
      auto engine = makeEngine(*util, config, {0, 1, 2}, progress.sink());
      engine->train();
      engine->postScreen();
      engine->saveMotifs();
    }
    consoles.push_back(progress.text());
    const std::string text = readFile(report.path());
    reports.push_back(text.substr(text.find("ZELKOVA clustering parameters")));
    sideFiles.push_back(readFile(cores.path()) + readFile(clusters.path()));
  }
  EXPECT_NE(reports[0].find("Motif rank #4\n"), std::string::npos);
  EXPECT_NE(consoles[0].find("Branching cluster #1\n"), std::string::npos);
  EXPECT_NE(sideFiles[0], "");
  for (int i : {1, 2}) {
    EXPECT_EQ(reports[i], reports[0]);
    EXPECT_EQ(consoles[i], consoles[0]);
    EXPECT_EQ(sideFiles[i], sideFiles[0]);
  }
}
