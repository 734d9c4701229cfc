// Seed motifs: site records, the ranked seed list, complexity, exact and
// minimal-mismatch seed enumeration with their used marks.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "engine/clust.h"
#include "reference.h"
#include "support.h"

using namespace testing_support;

namespace {

// The configuration of the engines here: the store's motif length, mismatch
// allowance m, and every other value at its default.
RunConfig seedConfig(const Utilities& util, int m) {
  RunConfig config = testConfig(util.GetL());
  config.maxMismatch = m;
  return config;
}

// A site with the given text, not tied to any sequence window.
Site fabricatedSite(const std::string& text, int seqIdx = 0, int pos = 0, bool strand = true) {
  reference::L_mer mer;
  std::strcpy(strand ? mer.kmer : mer.rcKmer, text.c_str());
  mer.seqIdx = seqIdx;
  mer.pos = pos;
  mer.strand = strand;
  return reference::fromLmer(mer, static_cast<int>(text.size()));
}

// A motif with one site, a uniform frequency matrix (complexity 1) and the
// given MAP and statistic scores.
NodePtr scoredMotif(const zelkova& engine, double map, double stat = 0.0) {
  NodePtr m = engine.newMotif();
  const int K = m->K();
  m->addSite(fabricatedSite(std::string(static_cast<std::size_t>(K), 'A')));
  for (auto& row : m->posFMatrix)
    for (int i = 0; i < K; ++i) row[i] = 0.25;
  m->mapScore = map;
  m->statScore = stat;
  return m;
}

// Sets every column of a frequency matrix to the given four values.
void setColumns(node& m, double a, double c, double g, double t) {
  for (int i = 0; i < m.K(); ++i) {
    m.posFMatrix[0][i] = a;
    m.posFMatrix[1][i] = c;
    m.posFMatrix[2][i] = g;
    m.posFMatrix[3][i] = t;
  }
}

using SiteKey = std::tuple<std::string, bool, int, int>;  // text, strand, forward pos, sequence

std::vector<SiteKey> sitesOf(const node& m) {
  std::vector<SiteKey> out;
  for (const Site& s : m.get_hits()) out.emplace_back(s.text, s.strand, s.pos, s.seqIdx);
  return out;
}

// The motif of the list whose oldest site (the first one added) has this text.
const node* motifSeededBy(const NodeList& list, const std::string& text) {
  for (const NodePtr& m : list) {
    std::string oldest;
    for (const Site& s : m->get_hits()) oldest = s.text;
    if (oldest == text) return m.get();
  }
  return nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// Ranking comparator and site records

TEST(SeedRanking, CompareNodeScoreSortsDescending) {
  _list a{nullptr, 1.0}, b{nullptr, 2.0}, c{nullptr, 1.0};
  EXPECT_EQ(compareNodeScore(&a, &b), 1);
  EXPECT_EQ(compareNodeScore(&b, &a), -1);
  EXPECT_EQ(compareNodeScore(&a, &c), 0);

  _list table[] = {{nullptr, 1.5}, {nullptr, -2.0}, {nullptr, 3.0}, {nullptr, 0.0}};
  std::qsort(table, 4, sizeof(_list), compareNodeScore);
  EXPECT_EQ(table[0].score, 3.0);
  EXPECT_EQ(table[1].score, 1.5);
  EXPECT_EQ(table[2].score, 0.0);
  EXPECT_EQ(table[3].score, -2.0);
}

TEST(SeedRanking, InitKmerOnBothStrands) {
  auto util = makeStore(">s\nAACCGGTTAC\n", 6);  // revSeq GTAACCGGTT

  const reference::L_mer fwd = reference::initKmer(util->seqs, 2, 0, true);
  EXPECT_EQ(fwd.pos, 2);
  EXPECT_TRUE(fwd.strand);
  EXPECT_STREQ(fwd.kmer, "CCGGTT");
  EXPECT_STREQ(fwd.rcKmer, "AACCGG");
  EXPECT_EQ(fwd.matIdx, -1);
  EXPECT_EQ(fwd.score, 0.0);
  EXPECT_EQ(fwd.seqIdx, 0);

  // Position 0 of the reverse strand is the last window of the forward text.
  const reference::L_mer rev0 = reference::initKmer(util->seqs, 0, 0, false);
  EXPECT_EQ(rev0.pos, 4);
  EXPECT_FALSE(rev0.strand);
  EXPECT_STREQ(rev0.kmer, "GGTTAC");
  EXPECT_STREQ(rev0.rcKmer, "GTAACC");
  EXPECT_STREQ(rev0.text(), "GTAACC");

  const reference::L_mer rev4 = reference::initKmer(util->seqs, 4, 0, false);
  EXPECT_EQ(rev4.pos, 0);
  EXPECT_STREQ(rev4.kmer, "AACCGG");
  EXPECT_STREQ(rev4.rcKmer, "CCGGTT");
}

// ---------------------------------------------------------------------------
// Seed list: insertion, admission, complexity

class SeedList : public ::testing::Test {
 protected:
  // An engine of motif length 6 with the complexity threshold and scoring.
  std::unique_ptr<zelkova> engineWith(double minComplexity = 0.15, int scoring = 2) {
    RunConfig config = seedConfig(*util, 3);
    config.MIN_COMPLEXITY = minComplexity;
    config.scoring_method = scoring;
    return makeEngine(*util, config, {0});
  }
  std::unique_ptr<Utilities> util = makeStore(">s\nAACCGGTTAC\n", 6);
};

TEST_F(SeedList, EqualScoresKeepArrivalOrder) {
  auto engine = engineWith();
  NodeList list;
  std::vector<node*> made;
  for (double s : {2.0, 3.0, 2.0, 3.0, 1.0}) {
    NodePtr m = scoredMotif(*engine, s);
    made.push_back(m.get());
    engine->insertMotif(std::move(m), list, 5);
  }
  ASSERT_EQ(list.size(), 5u);
  const std::vector<node*> expected = {made[1], made[3], made[0], made[2], made[4]};
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(list[i].get(), expected[i]) << "slot " << i;
}

TEST_F(SeedList, BetterMotifOnFullListPushesTheLastOut) {
  auto engine = engineWith();
  NodeList list;
  for (double s : {5.0, 4.0, 3.0}) engine->insertMotif(scoredMotif(*engine, s), list, 3);
  engine->insertMotif(scoredMotif(*engine, 6.0), list, 3);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0]->getMAP(), 6.0);
  EXPECT_EQ(list[1]->getMAP(), 5.0);
  EXPECT_EQ(list[2]->getMAP(), 4.0);
  engine->insertMotif(scoredMotif(*engine, 4.5), list, 3);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[2]->getMAP(), 4.5);
}

TEST_F(SeedList, AdmissionRefusesScoreEqualToLastOnFullList) {
  auto engine = engineWith(0.15);
  NodeList list;
  engine->admitSeed(scoredMotif(*engine, 5.0), list, 2);
  engine->admitSeed(scoredMotif(*engine, 3.0), list, 2);
  ASSERT_EQ(list.size(), 2u);
  node* first = list[0].get();
  node* last = list[1].get();

  engine->admitSeed(scoredMotif(*engine, 3.0), list, 2);  // equal to the last: refused
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].get(), first);
  EXPECT_EQ(list[1].get(), last);

  engine->admitSeed(scoredMotif(*engine, 2.0), list, 2);  // below the last: refused
  EXPECT_EQ(list[1].get(), last);

  engine->admitSeed(scoredMotif(*engine, std::nextafter(3.0, 4.0)), list, 2);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].get(), first);
  EXPECT_EQ(list[1]->getMAP(), std::nextafter(3.0, 4.0));

  engine->admitSeed(scoredMotif(*engine, 9.0), list, 2);
  EXPECT_EQ(list[0]->getMAP(), 9.0);
  EXPECT_EQ(list[1].get(), first);
}

TEST_F(SeedList, SurpriseScoringRanksByStatisticScore) {
  auto engine = engineWith(0.15, /*scoring=*/1);
  NodeList list;
  engine->admitSeed(scoredMotif(*engine, /*map*/ 9.0, /*stat*/ 1.0), list, 2);
  engine->admitSeed(scoredMotif(*engine, 1.0, 3.0), list, 2);
  engine->admitSeed(scoredMotif(*engine, 5.0, 2.0), list, 2);   // pushes out the stat-1 motif
  engine->admitSeed(scoredMotif(*engine, 99.0, 2.0), list, 2);  // equal statistic score to the last: refused
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0]->getStatScore(), 3.0);
  EXPECT_EQ(list[1]->getStatScore(), 2.0);
  EXPECT_EQ(list[1]->getMAP(), 5.0);
  EXPECT_EQ(candidateScore(*list[1], 1), 2.0);
  EXPECT_EQ(candidateScore(*list[1], 2), 5.0);
}

TEST_F(SeedList, ComplexityThresholdIsInclusive) {
  NodeList list;
  // A uniform frequency matrix has complexity exactly 1.
  auto inclusive = engineWith(1.0);
  inclusive->admitSeed(scoredMotif(*inclusive, 1.0), list, 10);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0]->getComplexity(), 1.0);

  auto above = engineWith(std::nextafter(1.0, 2.0));
  above->admitSeed(scoredMotif(*above, 2.0), list, 10);  // would rank first, but is too simple
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0]->getMAP(), 1.0);
}

TEST(SeedComplexity, ValuesOfTypicalFrequencyTotals) {
  const MotifContext eight = motifContext(8);
  node m(eight);
  m.addSite(fabricatedSite("ACGTACGT"));

  setColumns(m, 0.25, 0.25, 0.25, 0.25);  // totals (2, 2, 2, 2) = K/4 each
  EXPECT_DOUBLE_EQ(zelkova::clusterComplexity(m), 1.0);
  EXPECT_DOUBLE_EQ(m.getComplexity(), 1.0);

  setColumns(m, 1.0, 0.0, 0.0, 0.0);  // totals (K, 0, 0, 0)
  EXPECT_DOUBLE_EQ(zelkova::clusterComplexity(m), std::pow(0.25, 8));
  EXPECT_DOUBLE_EQ(m.getComplexity(), 1.0 / 65536.0);

  setColumns(m, 0.5, 0.5, 0.0, 0.0);  // totals (4, 4, 0, 0): 0.25^8 * 2^4 * 2^4
  EXPECT_DOUBLE_EQ(zelkova::clusterComplexity(m), 1.0 / 256.0);

  setColumns(m, 0.0, 0.0, 0.0, 1.0);  // the base that carries the weight does not matter
  EXPECT_DOUBLE_EQ(zelkova::clusterComplexity(m), 1.0 / 65536.0);
}

TEST(SeedComplexity, MotifWithoutSitesGivesMinusTenAndKeepsItsValue) {
  const MotifContext eight = motifContext(8);
  node m(eight);
  m.complexity = 0.42;
  setColumns(m, 0.25, 0.25, 0.25, 0.25);
  EXPECT_EQ(zelkova::clusterComplexity(m), -10.0);
  EXPECT_EQ(m.getComplexity(), 0.42);
}

TEST(SeedComplexity, OneLetterMotifStaysJustAboveTheBound) {
  auto util = makeStore(">s\nAAAAAAAA\n", 8);
  node m(util->motifContext());
  m.addSite(util->seqs.siteAt(0, 0, true));
  m.computeInformation();
  // One site of eight A: pseudo-counts 8.25/9 for A and 0.25/9 for the others, so
  // each column is (1 + 8.25/9)/2 for A and 0.25/18 for C, G, T.
  const double nA = 8 * (1 + 8.25 / 9) / 2;
  const double nO = 8 * (0.25 / 18);
  const double expected = std::pow(0.25, 8) * std::pow(8 / nA, nA) * std::pow(std::pow(8 / nO, nO), 3);
  EXPECT_NEAR(zelkova::clusterComplexity(m), expected, 1e-15);
  EXPECT_GT(m.getComplexity(), std::pow(0.25, 8));
  EXPECT_LT(m.getComplexity(), 0.15);
}

// ---------------------------------------------------------------------------
// Exact enumeration
//
// The engine keeps the marks of the windows that seeds have used to itself;
// a marked window seeds nothing, so the marks are read here as what a second
// walk of the same strand adds to the list.

class ExactEnumeration : public ::testing::Test {
 protected:
  // An engine with allowance m over the seed sequences, keeping every seed
  // motif whatever its letters.
  std::unique_ptr<zelkova> engineFor(const Utilities& util, int m, const std::vector<int>& seeds) {
    RunConfig config = seedConfig(util, m);
    config.MIN_COMPLEXITY = 0.0;
    config.forwardOnly = forwardOnly;
    return makeEngine(util, config, seeds);
  }
  std::unique_ptr<Utilities> store(const std::string& fasta) { return makeStore(fasta, 6, 3, false, forwardOnly); }
  // How many motifs a walk of the strand of sequence seqIdx adds to an empty list.
  static std::size_t seededBy(zelkova& engine, int seqIdx, bool strand) {
    NodeList list;
    engine.enumerateSeed(seqIdx, list, 40, strand);
    return list.size();
  }
  bool forwardOnly = false;
};

TEST_F(ExactEnumeration, PalindromicSeedsTwoSitesPerLocationAndReverseComplementsSeedOnce) {
  // The sequence is its own reverse complement: each forward word's reverse
  // complement is another forward word, and CCCGGG is a palindrome.
  auto util = store(">s0\nAAACCCGGGTTT\n");
  auto engine = engineFor(*util, 0, {0});
  NodeList list;
  engine->enumerateSeed(0, list, 40, true);
  ASSERT_EQ(list.size(), 4u);

  const node* a = motifSeededBy(list, "AAACCC");
  ASSERT_NE(a, nullptr);
  // Newest first: the reverse-strand copy (revSeq position 0, forward position 6)
  // was found after the forward one at position 0.
  EXPECT_EQ(sitesOf(*a), (std::vector<SiteKey>{{"AAACCC", false, 6, 0}, {"AAACCC", true, 0, 0}}));
  const node* pal = motifSeededBy(list, "CCCGGG");
  ASSERT_NE(pal, nullptr);
  EXPECT_EQ(sitesOf(*pal), (std::vector<SiteKey>{{"CCCGGG", false, 3, 0}, {"CCCGGG", true, 3, 0}}));
  ASSERT_NE(motifSeededBy(list, "AACCCG"), nullptr);
  ASSERT_NE(motifSeededBy(list, "ACCCGG"), nullptr);
  EXPECT_EQ(motifSeededBy(list, "GGGTTT"), nullptr);
  EXPECT_EQ(motifSeededBy(list, "CGGGTT"), nullptr);

  // Every window of both strands is marked.
  EXPECT_EQ(seededBy(*engine, 0, true), 0u);
  engine->enumerateSeed(0, list, 40, false);
  EXPECT_EQ(list.size(), 4u);
}

TEST_F(ExactEnumeration, ReverseComplementLaterInTheSequenceIsNotSeededAgain) {
  // AACGTG at 0 and its reverse complement CACGTT at 8.
  auto util = store(">s0\nAACGTGTTCACGTT\n");
  auto engine = engineFor(*util, 0, {0});
  NodeList list;
  engine->enumerateSeed(0, list, 40, true);
  engine->enumerateSeed(0, list, 40, false);
  // Nine forward words, the last being the reverse complement of the first.
  ASSERT_EQ(list.size(), 8u);
  const node* m = motifSeededBy(list, "AACGTG");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(sitesOf(*m), (std::vector<SiteKey>{{"AACGTG", false, 8, 0}, {"AACGTG", true, 0, 0}}));
  EXPECT_EQ(motifSeededBy(list, "CACGTT"), nullptr);
  for (const NodePtr& held : list)
    for (const Site& s : held->get_hits()) EXPECT_FALSE(s.strand && s.pos == 8) << "CACGTT seeded a motif";
}

TEST_F(ExactEnumeration, ForwardOnlyTakesForwardWordsOnly) {
  forwardOnly = true;
  auto util = store(">s0\nAAACCCGGGTTT\n");
  auto engine = engineFor(*util, 0, {0});
  NodeList list;
  engine->enumerateSeed(0, list, 40, true);
  // Without the reverse strand a word and its reverse complement are different seeds.
  ASSERT_EQ(list.size(), 7u);
  for (const NodePtr& m : list) {
    ASSERT_EQ(m->getHitCount(), 1);
    EXPECT_TRUE(m->get_hits().begin()->strand);
  }
  EXPECT_NE(motifSeededBy(list, "GGGTTT"), nullptr);
  const node* pal = motifSeededBy(list, "CCCGGG");
  ASSERT_NE(pal, nullptr);
  EXPECT_EQ(sitesOf(*pal), (std::vector<SiteKey>{{"CCCGGG", true, 3, 0}}));
}

TEST_F(ExactEnumeration, MismatchAllowanceAndSeedSequencesOnly) {
  // s1 is one mismatch away from s0's only word, s2 two; s3 is not a seed sequence.
  auto util = store(">s0\nAACCGG\n>s1\nAACCGT\n>s2\nTTCCGG\n>s3\nAACCGG\n");
  // An engine that has walked the forward strand of s0.
  const auto afterWalk = [&](NodeList& list) {
    auto engine = engineFor(*util, 1, {0, 1, 2});
    engine->enumerateSeed(0, list, 40, true);
    return engine;
  };
  NodeList list;
  auto engine = afterWalk(list);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(sitesOf(*list[0]), (std::vector<SiteKey>{{"AACCGT", true, 0, 1}, {"AACCGG", true, 0, 0}}));
  // Only the exact copy is marked, with the mirror position of the other
  // strand. (A walk of s1 marks both strands of its own seed, so each strand
  // of s1 is tried after a walk of its own.)
  EXPECT_EQ(seededBy(*engine, 0, true), 0u);
  EXPECT_EQ(seededBy(*engine, 0, false), 0u);
  NodeList unused;
  EXPECT_EQ(seededBy(*afterWalk(unused), 1, true), 1u);
  EXPECT_EQ(seededBy(*afterWalk(unused), 1, false), 1u);
}

TEST_F(ExactEnumeration, WordsWithNAreNeitherSeedsNorSites) {
  auto util = store(">s0\nAACCGG\n>s1\nAACCGN\n");
  auto engine = engineFor(*util, 1, {0, 1});
  NodeList list;
  engine->enumerateSeed(0, list, 40, true);
  ASSERT_EQ(list.size(), 1u);
  // AACCGN is one letter away from AACCGG but holds N.
  EXPECT_EQ(sitesOf(*list[0]), (std::vector<SiteKey>{{"AACCGG", true, 0, 0}}));

  engine->enumerateSeed(1, list, 40, true);
  engine->enumerateSeed(1, list, 40, false);
  EXPECT_EQ(list.size(), 1u);
}

TEST_F(ExactEnumeration, SequenceShorterThanTheMotifGivesNothing) {
  auto util = store(">s0\nACGTA\n>s1\nACGTAC\n");
  auto engine = engineFor(*util, 1, {0, 1});
  NodeList list;
  engine->enumerateSeed(0, list, 40, true);
  engine->enumerateSeed(0, list, 40, false);
  EXPECT_TRUE(list.empty());
  // The short sequence is scanned as a seed sequence without harm, and marks
  // nothing of the other.
  engine->enumerateSeed(1, list, 40, true);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(sitesOf(*list[0]), (std::vector<SiteKey>{{"ACGTAC", true, 0, 1}}));
}

TEST_F(ExactEnumeration, SeedListKeepsTheBestByMapScore) {
  // Three copies of ACGTAC give the best motif; the capacity of 2 keeps two.
  auto util = store(">s0\nACGTACGGACGTACTTACGTAC\n");
  NodeList all;
  engineFor(*util, 0, {0})->enumerateSeed(0, all, 40, true);
  NodeList two;
  engineFor(*util, 0, {0})->enumerateSeed(0, two, 2, true);  // a new engine: no window used yet
  ASSERT_GE(all.size(), 3u);
  ASSERT_EQ(two.size(), 2u);
  for (std::size_t i = 1; i < all.size(); ++i) EXPECT_GE(all[i - 1]->getMAP(), all[i]->getMAP());
  EXPECT_EQ(sitesOf(*two[0]), sitesOf(*all[0]));
  EXPECT_EQ(sitesOf(*two[1]), sitesOf(*all[1]));
  EXPECT_EQ(two[0]->getHitCount(), 3);
}

// ---------------------------------------------------------------------------
// Minimal-mismatch enumeration

class MismatchEnumeration : public ::testing::Test {
 protected:
  std::unique_ptr<Utilities> store(const std::string& fasta, int k = 8) {
    return makeStore(fasta, k, 3, false, forwardOnly);
  }
  // An engine of the minimal-mismatch method over the seed sequences, keeping
  // every seed motif whatever its letters.
  std::unique_ptr<zelkova> engineFor(const Utilities& util, const std::vector<int>& seeds) {
    RunConfig config = seedConfig(util, util.GetL() / 2);
    config.initMethod = 2;
    config.MIN_COMPLEXITY = 0.0;
    config.forwardOnly = forwardOnly;
    return makeEngine(util, config, seeds);
  }
  // Enumerates the forward strand of sequence 0 with every sequence a seed.
  NodeList run(const Utilities& util) {
    std::vector<int> seeds(static_cast<std::size_t>(util.GetNumSeq()));
    for (std::size_t i = 0; i < seeds.size(); ++i) seeds[i] = static_cast<int>(i);
    auto engine = engineFor(util, seeds);
    NodeList list;
    engine->enumerateSeedMismatch(0, list, 40, true);
    return list;
  }
  // The motifs a walk of the strand of sequence seqIdx adds to an empty list.
  static NodeList seededBy(zelkova& engine, int seqIdx, bool strand) {
    NodeList list;
    engine.enumerateSeedMismatch(seqIdx, list, 40, strand);
    return list;
  }
  bool forwardOnly = false;
};

TEST_F(MismatchEnumeration, FiveMismatchesGiveNoSiteFourDo) {
  {
    auto util = store(">s0\nAAAAAAAA\n>s1\nCCCCCAAA\n");  // reverse TTTGGGGG is 8 away
    EXPECT_TRUE(run(*util).empty());                      // the seed alone is not a motif
  }
  {
    auto util = store(">s0\nAAAAAAAA\n>s1\nCCCCAAAA\n");
    NodeList list = run(*util);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(sitesOf(*list[0]), (std::vector<SiteKey>{{"CCCCAAAA", true, 0, 1}, {"AAAAAAAA", true, 0, 0}}));
  }
}

TEST_F(MismatchEnumeration, OddLengthBoundRoundsUp) {
  auto util = store(">s0\nAAAAAAAAA\n>s1\nCCCCCAAAA\n", 9);  // 5 mismatches of 9
  NodeList list = run(*util);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0]->getHitCount(), 2);
}

TEST_F(MismatchEnumeration, SmallerDistanceWinsOverSmallerBackground) {
  auto util = store(">s0\nAAAAAAAA\n>s1\nAAAAAAACC\n");  // j0 one mismatch, j1 two
  util->maps.forward[1] = {-1.0f, -100.0f};
  NodeList list = run(*util);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(sitesOf(*list[0]).front(), SiteKey("AAAAAAAC", true, 0, 1));
}

TEST_F(MismatchEnumeration, EqualDistanceTieBrokenByBackgroundThenPosition) {
  // Both forward words of s1 are two letters from the seed; the reverse words are 8.
  const std::string fasta = ">s0\nAAAAAAAA\n>s1\nCCAAAAAAC\n";
  {
    auto util = store(fasta);
    util->maps.forward[1] = {-5.0f, -6.0f};
    NodeList list = run(*util);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(sitesOf(*list[0]).front(), SiteKey("CAAAAAAC", true, 1, 1));
  }
  {
    auto util = store(fasta);
    util->maps.forward[1] = {-6.0f, -5.0f};
    NodeList list = run(*util);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(sitesOf(*list[0]).front(), SiteKey("CCAAAAAA", true, 0, 1));
  }
  {
    auto util = store(fasta);
    util->maps.forward[1] = {-5.0f, -5.0f};
    NodeList list = run(*util);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(sitesOf(*list[0]).front(), SiteKey("CCAAAAAA", true, 0, 1));
  }
}

TEST_F(MismatchEnumeration, EqualDistanceAtOnePositionPrefersForwardUnlessReverseIsLower) {
  // AAAATTTT is its own reverse complement: both strands are 4 letters away.
  const std::string fasta = ">s0\nAAAAAAAA\n>s1\nAAAATTTT\n";
  {
    auto util = store(fasta);
    NodeList list = run(*util);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(sitesOf(*list[0]).front(), SiteKey("AAAATTTT", true, 0, 1));
  }
  // CAAAATTT, the reverse-strand window at 0 of AAAATTTTG, is as far as the
  // forward AAAATTTT before it, but covers the stretch at forward position 1;
  // with a lower background value there it is taken.
  {
    auto util = store(">s0\nAAAAAAAA\n>s1\nAAAATTTTG\n");
    util->maps.forward[1][1] = util->maps.forward[1][0] - 1.0f;
    NodeList list = run(*util);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(sitesOf(*list[0]).front(), SiteKey("CAAAATTT", false, 1, 1));
  }
}

TEST_F(MismatchEnumeration, WordAtTheBoundNeedsBackgroundBelowOne) {
  const std::string fasta = ">s0\nAAAAAAAA\n>s1\nCCCCAAAA\n";  // 4 = K/2 mismatches
  {
    auto util = store(fasta);
    util->maps.forward[1] = {1.0f};
    EXPECT_TRUE(run(*util).empty());
  }
  {
    auto util = store(fasta);
    util->maps.forward[1] = {0.5f};
    EXPECT_EQ(run(*util).size(), 1u);
  }
}

TEST_F(MismatchEnumeration, OneSeedSequenceGivesNoMotif) {
  auto util = store(">s0\nACGTTGCAAC\n>s1\nACGTTGCAAC\n");
  auto engine = engineFor(*util, {0});
  NodeList list;
  engine->enumerateSeedMismatch(0, list, 40, true);
  engine->enumerateSeedMismatch(0, list, 40, false);
  EXPECT_TRUE(list.empty());
}

TEST_F(MismatchEnumeration, OwnSequenceMarksExactCopiesOnlySoReverseComplementStillSeeds) {
  // s0 holds AACGTG at 0 and its reverse complement CACGTT at 8.
  auto util = store(">s0\nAACGTGTTCACGTT\n>s1\nAACGTG\n", 6);
  auto engine = engineFor(*util, {0, 1});
  NodeList list;
  engine->enumerateSeedMismatch(0, list, 40, true);
  const node* first = motifSeededBy(list, "AACGTG");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(sitesOf(*first), (std::vector<SiteKey>{{"AACGTG", true, 0, 1}, {"AACGTG", true, 0, 0}}));
  const node* rc = motifSeededBy(list, "CACGTT");
  ASSERT_NE(rc, nullptr);
  EXPECT_EQ(sitesOf(*rc), (std::vector<SiteKey>{{"CACGTT", false, 0, 1}, {"CACGTT", true, 8, 0}}));

  // Forward: every position marked itself. Reverse: only where revSeq
  // (AACGTGAACACGTT) holds one of the forward words, i.e. AACGTG at 0 and
  // CACGTT at 8, which are forward positions 8 and 0 (unmarked they would
  // seed, with an exact copy in s1); the reverse word AACACG at 6 (forward
  // position 2), two letters from AACGTG, still seeds.
  EXPECT_TRUE(seededBy(*engine, 0, true).empty());
  const NodeList reverse = seededBy(*engine, 0, false);
  bool seededAtTwo = false;
  for (const NodePtr& m : reverse) {
    const Site* seed = nullptr;
    for (const Site& s : m->get_hits()) seed = &s;  // the oldest site is the seed
    ASSERT_NE(seed, nullptr);
    EXPECT_FALSE(seed->strand);
    EXPECT_NE(seed->pos, 8);
    EXPECT_NE(seed->pos, 0);
    seededAtTwo = seededAtTwo || seed->pos == 2;
  }
  EXPECT_TRUE(seededAtTwo);
  // s1: its forward word equals the seed AACGTG, its reverse word equals CACGTT.
  EXPECT_TRUE(seededBy(*engine, 1, true).empty());
  EXPECT_TRUE(seededBy(*engine, 1, false).empty());
}

TEST_F(MismatchEnumeration, ForwardOnlyScansNoReverseWord) {
  forwardOnly = true;
  // The reverse word of s1 (AAAAAAAA) would be an exact copy of the seed.
  auto util = store(">s0\nAAAAAAAA\n>s1\nTTTTTTTT\n");
  auto engine = engineFor(*util, {0, 1});
  EXPECT_TRUE(seededBy(*engine, 0, true).empty());
  // Nor does it mark that word: a walk of it still seeds (with s0's copy).
  EXPECT_EQ(seededBy(*engine, 1, false).size(), 1u);
}

TEST_F(MismatchEnumeration, NearDuplicateIsDroppedEvenWithAHigherScore) {
  const std::string fasta = ">s0\nACGTTGCA\n>s1\nACGTTGCA\n";
  {
    auto util = store(fasta);
    auto engine = engineFor(*util, {0, 1});
    NodeList list;
    // A listed motif with the same two words, hence the same frequency matrix.
    NodePtr twin = engine->newMotif();
    twin->addSite(util->seqs.siteAt(1, 0, true));
    twin->addSite(util->seqs.siteAt(0, 0, true));
    twin->computeInformation();
    twin->mapScore = -1000.0;
    node* twinPtr = twin.get();
    list.push_back(std::move(twin));
    engine->enumerateSeedMismatch(0, list, 40, true);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].get(), twinPtr);
  }
  {
    auto util = store(fasta);
    auto engine = engineFor(*util, {0, 1});
    NodeList list;
    NodePtr other = engine->newMotif();
    other->addSite(fabricatedSite("CCCCCCCC"));
    other->addSite(fabricatedSite("CCCCCCCC"));
    other->computeInformation();
    other->mapScore = -1000.0;
    list.push_back(std::move(other));
    engine->enumerateSeedMismatch(0, list, 40, true);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(sitesOf(*list[0]), (std::vector<SiteKey>{{"ACGTTGCA", true, 0, 1}, {"ACGTTGCA", true, 0, 0}}));
  }
}

TEST(ComparePFM, ZeroForItselfSymmetricAndRoundedToSinglePrecision) {
  const MotifContext eight = motifContext(8);
  node a(eight), b(eight);
  setColumns(a, 0.5, 0.25, 0.125, 0.125);
  setColumns(b, 0.25, 0.5, 0.125, 0.125);
  // Per column: 0.5*log2(2) + 0.25*log2(0.5) = 0.25 each way; mean over both and K.
  EXPECT_EQ(zelkova::comparePFM_(a, b), 0.25);
  EXPECT_EQ(zelkova::comparePFM_(b, a), 0.25);
  EXPECT_EQ(zelkova::comparePFM_(a, a), 0.0);

  setColumns(a, 0.4, 0.3, 0.2, 0.1);
  setColumns(b, 0.1, 0.2, 0.3, 0.4);
  // Per column 0.4*log2(4) + 0.3*log2(1.5) + 0.2*log2(2/3) + 0.1*log2(1/4)
  //   = 0.6 + 0.1*log2(1.5) in both directions, so the mean per position is that.
  const double d = 0.6 + 0.1 * std::log(1.5) / std::log(2.0);
  const double got = zelkova::comparePFM_(a, b);
  EXPECT_EQ(got, static_cast<double>(static_cast<float>(got)));
  EXPECT_NEAR(got, d, 1e-6);
  EXPECT_EQ(zelkova::comparePFM_(b, a), got);
}

TEST(ComparePFM, SymmetricOnComputedMotifs) {
  auto util = makeStore(">s0\nACGTTGCAAC\n>s1\nTTGACCATGG\n", 8);
  node a(util->motifContext()), b(util->motifContext());
  a.addSite(util->seqs.siteAt(0, 0, true));
  a.addSite(util->seqs.siteAt(0, 2, true));
  a.addSite(util->seqs.siteAt(1, 1, false));
  b.addSite(util->seqs.siteAt(1, 0, true));
  b.addSite(util->seqs.siteAt(1, 2, true));
  a.computeInformation();
  b.computeInformation();
  const double ab = zelkova::comparePFM_(a, b);
  EXPECT_GT(ab, 0.001);
  EXPECT_EQ(ab, zelkova::comparePFM_(b, a));
}
