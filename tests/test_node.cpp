// The motif record: its site list, count and frequency matrices with
// pseudo-counts, information and entropy, mismatch bounds, and the scores of
// the motif and of words measured against it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/node.h"
#include "reference.h"
#include "support.h"

using namespace testing_support;
using reference::L_mer;

namespace {

// A site whose forward word is `fwd`; its text is fwd on the forward strand
// and the reverse complement of fwd on the reverse strand.
L_mer makeSite(const char* fwd, int seqIdx = 0, int pos = 0, bool strand = true) {
  L_mer m;
  std::strcpy(m.kmer, fwd);
  reference::RevComp(fwd, m.rcKmer);
  m.seqIdx = seqIdx;
  m.pos = pos;
  m.strand = strand;
  return m;
}

void addSites(node& n, const std::vector<L_mer>& sites) {
  for (const L_mer& s : sites) reference::add_kmer(n, &s);
}

std::vector<std::string> textsOf(const node& n) {
  std::vector<std::string> texts;
  for (const Site& s : n.get_hits()) texts.push_back(s.text);
  return texts;
}

// The motif used by several tests, K = 6, over the sequences
//   seqA = ACGTACGG, seqB = TTACGTTCAA (revSeq TTGAACGTAA):
//   ACGTAC  seqA forward at 0
//   ACGTTC  seqB forward at 2
//   ACGTAA  seqB reverse strand at 4 of revSeq, forward position 10 - 6 - 4 = 0
// Counts by column (A C G T rows):
//   A 3 0 0 0 2 1 | C 0 3 0 0 0 2 | G 0 0 3 0 0 0 | T 0 0 0 3 1 0
// Totals A 6, C 5, G 3, T 4 over 3 x 6 = 18 letters; pseudo_b = (total_b + 0.25) / 19.
const char* const kThreeSiteFasta = ">seqA\nACGTACGG\n>seqB\nTTACGTTCAA\n";
const int kCounts[4][6] = {{3, 0, 0, 0, 2, 1}, {0, 3, 0, 0, 0, 2}, {0, 0, 3, 0, 0, 0}, {0, 0, 0, 3, 1, 0}};
const double kPseudo[4] = {6.25 / 19, 5.25 / 19, 3.25 / 19, 4.25 / 19};
double threeSiteFreq(int b, int i) { return (kCounts[b][i] + kPseudo[b]) / 4; }  // N + 1 = 4

void addThreeSites(node& n) {
  addSites(n, {makeSite("ACGTAC", 0, 0, true), makeSite("ACGTTC", 1, 2, true), makeSite("TTACGT", 1, 0, false)});
}

double columnIndex(const double p[4]) {
  double s = 0;
  for (int b = 0; b < 4; ++b) s += p[b] * std::log(p[b]);
  return 100 / std::log(5.0) * (std::log(5.0) + s);
}

}  // namespace

// ---------------------------------------------------------------- site list

TEST(NodeSites, NewestSiteComesFirstAndEachSiteIsAPrivateCopy) {
  const MotifContext six = motifContext(6);
  node n(six);
  L_mer first = makeSite("AAAAAA", 0, 1), second = makeSite("CCCCCC", 0, 2), third = makeSite("GGGGGG", 0, 3);
  reference::add_kmer(n, &first);
  reference::add_kmer(n, &second);
  reference::add_kmer(n, &third);
  std::strcpy(first.kmer, "TTTTTT");  // the motif keeps its own copy
  EXPECT_EQ(n.getHitCount(), 3);
  EXPECT_EQ(textsOf(n), (std::vector<std::string>{"GGGGGG", "CCCCCC", "AAAAAA"}));
  std::vector<int> positions;
  for (const Site& s : n.get_hits()) positions.push_back(s.pos);
  EXPECT_EQ(positions, (std::vector<int>{3, 2, 1}));
  reference::removeHits(n);
  EXPECT_EQ(n.getHitCount(), 0);
  EXPECT_TRUE(n.get_hits().empty());
}

TEST(NodeSites, SiteTextIsTheWordOfItsStrandCutToK) {
  const MotifContext six = motifContext(6);
  node n(six);
  L_mer longWord = makeSite("ACGTACGTAC", 2, 7, true);  // 10 letters, K = 6
  L_mer reverse = makeSite("AACCGT", 1, 0, false);      // text ACGGTT
  reference::add_kmer(n, &longWord);
  reference::add_kmer(n, &reverse);
  EXPECT_EQ(textsOf(n), (std::vector<std::string>{"ACGGTT", "ACGTAC"}));
  const Site& r = *n.get_hits().begin();
  EXPECT_FALSE(r.strand);
  EXPECT_EQ(r.pos, 0);
  EXPECT_EQ(r.seqIdx, 1);
}

// ---------------------------------------------------------------- matrices

TEST(NodeMatrices, MotifWithoutSitesIsAllZero) {
  auto u = makeStore(">s\nACGTACGT\n", 6);
  node n(u->motifContext());
  n.computeInformation();
  n.computeMAP();
  EXPECT_EQ(n.getHitCount(), 0);
  EXPECT_EQ(n.getInfo(), 0.0);
  EXPECT_EQ(n.getEntropy(), 0.0);
  EXPECT_EQ(n.getMAP(), 0.0);
  EXPECT_EQ(n.getStatScore(), 0.0);
  EXPECT_EQ(n.getComplexity(), 0.0);
  EXPECT_EQ(n.maxMisScore, 0.0f);
  EXPECT_EQ(n.minMisScore, 0.0f);
  for (int b = 0; b < NUM_BASES; ++b) {
    for (int i = 0; i < MAX_K; ++i) {
      EXPECT_EQ(n.posCMatrix[b][i], 0);
      EXPECT_EQ(n.posFMatrix[b][i], 0.0);
      EXPECT_EQ(n.rawFMatrix[b][i], 0.0);
    }
  }
  // Every word scores 0 against the coinciding bounds, never NaN.
  EXPECT_EQ(n.miSscoreNorm("ACGTAC"), 0.0);
  EXPECT_EQ(n.miSscoreNorm("TTTTTT"), 0.0);
}

TEST(NodeMatrices, TenIdenticalSitesGivePseudoCountsOfOneQuarter) {
  // ACGTACGT ten times, K = 8: every base occurs 20 times, so every
  // pseudo-count is (20 + 0.25) / (10 x 8 + 1) = 20.25 / 81 = 0.25 and a column
  // holds (10 + 0.25) / 11 for the site's letter and 0.25 / 11 for the others.
  auto u = makeStore(">s\nACGTACGTAC\n", 8);
  const double q[4] = {0.1, 0.2, 0.3, 0.4};
  for (int b = 0; b < 4; ++b) u->models.bmarkov[1][b] = static_cast<float>(q[b]);
  u->computebgmap(false);  // the motifs of a store read the base background mapped last
  node n(u->motifContext());
  for (int i = 0; i < 10; ++i) {
    L_mer s = makeSite("ACGTACGT", 0, 0);
    reference::add_kmer(n, &s);
  }
  n.computeInformation();
  const double hit = 10.25 / 11, miss = 0.25 / 11;
  double info = 0, entropy = 0;
  for (int i = 0; i < 8; ++i) {
    const int letter = i % 4;  // A C G T A C G T
    double columnSum = 0;
    for (int b = 0; b < 4; ++b) {
      EXPECT_EQ(n.posCMatrix[b][i], b == letter ? 10 : 0);
      EXPECT_EQ(n.rawFMatrix[b][i], b == letter ? 1.0 : 0.0);
      const double p = b == letter ? hit : miss;
      EXPECT_NEAR(n.posFMatrix[b][i], p, 1e-15) << b << "," << i;
      columnSum += n.posFMatrix[b][i];
      info += p * std::log(p / static_cast<float>(q[b])) / std::log(2.0);
      entropy += p * std::log(p);
    }
    EXPECT_NEAR(columnSum, 1.0, 1e-15);
  }
  EXPECT_NEAR(n.getInfo(), info, 1e-12);
  EXPECT_NEAR(n.getEntropy(), entropy, 1e-12);
  EXPECT_LT(n.getEntropy(), 0.0);
  EXPECT_EQ(n.maxMisScore, 8.0f);  // 1 - 0 in each of 8 columns
  EXPECT_EQ(n.minMisScore, 0.0f);  // 1 - 1
}

TEST(NodeMatrices, OneSiteGivesItsLetterHalfAndTheBoundsKAndZero) {
  // AACGTTTT, K = 8: totals A 2, C 1, G 1, T 4; pseudo = (total + 0.25) / 9:
  // A 0.25, C 1.25/9, G 1.25/9, T 4.25/9. A column holds (1 + pseudo) / 2 for
  // the site's letter and pseudo / 2 for the others.
  auto u = makeStore(">s\nACGTACGTAC\n", 8);
  node n(u->motifContext());
  L_mer s = makeSite("AACGTTTT");
  reference::add_kmer(n, &s);
  n.computeInformation();
  EXPECT_EQ(n.rawFMatrix[0][0], 1.0);
  EXPECT_EQ(n.rawFMatrix[1][0], 0.0);
  EXPECT_NEAR(n.posFMatrix[0][0], 0.625, 1e-15);      // (1 + 0.25) / 2
  EXPECT_NEAR(n.posFMatrix[1][0], 1.25 / 18, 1e-15);  // C
  EXPECT_NEAR(n.posFMatrix[2][0], 1.25 / 18, 1e-15);  // G
  EXPECT_NEAR(n.posFMatrix[3][0], 4.25 / 18, 1e-15);  // T
  EXPECT_NEAR(n.posFMatrix[3][7], (1 + 4.25 / 9) / 2, 1e-15);
  EXPECT_NEAR(n.posFMatrix[0][7], 0.125, 1e-15);  // 0.25 / 2
  EXPECT_EQ(n.maxMisScore, 8.0f);
  EXPECT_EQ(n.minMisScore, 0.0f);
}

TEST(NodeMatrices, PseudoCountsComeFromTheCompositionOfAllSites) {
  auto u = makeStore(kThreeSiteFasta, 6);
  node n(u->motifContext());
  addThreeSites(n);
  n.computeInformation();
  double entropy = 0, info = 0;
  for (int i = 0; i < 6; ++i) {
    for (int b = 0; b < 4; ++b) {
      EXPECT_EQ(n.posCMatrix[b][i], kCounts[b][i]) << b << "," << i;
      EXPECT_NEAR(n.rawFMatrix[b][i], kCounts[b][i] / 3.0, 1e-15) << b << "," << i;
      const double p = threeSiteFreq(b, i);
      EXPECT_NEAR(n.posFMatrix[b][i], p, 1e-15) << b << "," << i;
      entropy += p * std::log(p);
      info += p * std::log(p / 0.25) / std::log(2.0);
    }
  }
  EXPECT_NEAR(n.getEntropy(), entropy, 1e-12);
  EXPECT_NEAR(n.getInfo(), info, 1e-12);
  // Bounds: columns 1-4 certain, columns 5 and 6 at most 2/3; each column has a 0.
  EXPECT_EQ(n.maxMisScore, 6.0f);
  EXPECT_NEAR(n.minMisScore, 2.0 / 3, 1e-6);
}

TEST(NodeMatrices, LowerCaseSiteLettersCountLikeUpperCase) {
  auto u = makeStore(kThreeSiteFasta, 6);
  node upper(u->motifContext()), lower(u->motifContext());
  addSites(upper, {makeSite("ACGTAC"), makeSite("TTGCAA")});
  addSites(lower, {makeSite("acgtac"), makeSite("TtgCaa")});
  upper.computeInformation();
  lower.computeInformation();
  for (int b = 0; b < 4; ++b) {
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(lower.posCMatrix[b][i], upper.posCMatrix[b][i]);
      EXPECT_EQ(lower.posFMatrix[b][i], upper.posFMatrix[b][i]);
    }
  }
  EXPECT_EQ(lower.posCMatrix[0][0], 1);
  EXPECT_EQ(lower.posCMatrix[3][0], 1);
}

TEST(NodeMatrices, InvalidSiteLetterStopsWithItsCodeAndTheMotifLength) {
  auto u = makeStore(">s\nACGTACGTAC\n", 8);
  struct Case {
    const char* word;
    const char* message;
  };
  const Case cases[] = {
      {"ACGTNCGT", "Error...invalid character 78.8\n"},
      {"ACGTnCGT", "Error...invalid character 110.8\n"},
      {"ACGTACGX", "Error...invalid character 88.8\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    node n(u->motifContext());
    L_mer good = makeSite("ACGTACGT"), bad = makeSite(c.word);
    reference::add_kmer(n, &good);
    reference::add_kmer(n, &bad);
    try {
      n.computeInformation();
      ADD_FAILURE() << "no stop";
    } catch (const FatalError& stop) {
      EXPECT_STREQ(stop.what(), c.message);
    }
  }
  // The number after the full stop is the motif length.
  auto v = makeStore(">s\nACGTACGTAC\n", 6);
  node n(v->motifContext());
  L_mer bad = makeSite("NCGTAC");
  reference::add_kmer(n, &bad);
  try {
    n.updateCount();
    ADD_FAILURE() << "no stop";
  } catch (const FatalError& stop) {
    EXPECT_STREQ(stop.what(), "Error...invalid character 78.6\n");
  }
}

TEST(NodeMatrices, EmptiedMotifKeepsItsFrequenciesThroughComputeInformation) {
  auto u = makeStore(kThreeSiteFasta, 6);
  node n(u->motifContext());
  addThreeSites(n);
  n.computeInformation();
  n.computeMAP();
  n.MatInd();
  n.motifConsensus();
  node before = n;
  const double missBefore = n.miSscore("ACGTTA"), pBefore = n.pKmer("ACGTTA");
  const double normBefore = n.miSscoreNorm("ACGTTA"), matBefore = n.MatInspector("ACGTTA");

  n.reset();
  EXPECT_EQ(n.getHitCount(), 0);
  EXPECT_TRUE(n.get_hits().empty());
  EXPECT_EQ(n.getInfo(), 0.0);
  EXPECT_EQ(n.getEntropy(), 0.0);
  for (int b = 0; b < 4; ++b)
    for (int i = 0; i < 6; ++i) EXPECT_EQ(n.posCMatrix[b][i], 0);
  // Scores and consensus words are kept.
  EXPECT_EQ(n.getMAP(), before.getMAP());
  EXPECT_STREQ(n.consensus, before.consensus);
  EXPECT_STREQ(n.degConsensus, before.degConsensus);
  EXPECT_STREQ(n.rConsensus, before.rConsensus);
  // Words are still scored against the matrices from before the reset.
  EXPECT_EQ(n.miSscore("ACGTTA"), missBefore);
  EXPECT_EQ(n.pKmer("ACGTTA"), pBefore);
  EXPECT_EQ(n.miSscoreNorm("ACGTTA"), normBefore);
  EXPECT_EQ(n.MatInspector("ACGTTA"), matBefore);

  // computeInformation on the empty motif zeroes info and entropy and changes
  // no frequency matrix and no bound.
  n.info = 1.5;
  n.entropy = -2.5;
  n.computeInformation();
  EXPECT_EQ(n.getInfo(), 0.0);
  EXPECT_EQ(n.getEntropy(), 0.0);
  for (int b = 0; b < 4; ++b) {
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(n.posCMatrix[b][i], 0);
      EXPECT_EQ(n.posFMatrix[b][i], before.posFMatrix[b][i]);
      EXPECT_EQ(n.rawFMatrix[b][i], before.rawFMatrix[b][i]);
    }
  }
  EXPECT_EQ(n.maxMisScore, before.maxMisScore);
  EXPECT_EQ(n.minMisScore, before.minMisScore);
  // An empty motif's MAP score is 0, whatever it was.
  n.computeMAP();
  EXPECT_EQ(n.getMAP(), 0.0);
}

// ---------------------------------------------------------------- motif scores

TEST(NodeScores, MapScoreUsesEachSiteBackgroundOnItsOwnStrand) {
  auto u = makeStore(kThreeSiteFasta, 6);
  // A background with a different value for every word (order 3), so that
  // every window has its own map value.
  for (int n = 1; n <= 3; ++n)
    for (std::size_t idx = 0; idx < u->models.bmarkov[n].size(); ++idx)
      u->models.bmarkov[n][idx] = static_cast<float>((idx + 1.0) / (2.0 * u->models.bmarkov[n].size()) + n / 16.0);
  u->computebgmap(false);
  node n(u->motifContext());
  addThreeSites(n);
  n.computeInformation();
  n.computeMAP();
  const std::vector<float>& a = u->maps.forward[0];
  const std::vector<float>& b = u->maps.forward[1];
  // ACGTAC forward at 0 of seqA; ACGTTC forward at 2 of seqB; ACGTAA reverse,
  // forward position 0 of seqB: the value of the forward window there.
  const double S = static_cast<double>(a[0]) + b[2] + b[0];
  ASSERT_NE(a[0], b[2]);
  double entropy = 0;
  for (int i = 0; i < 6; ++i)
    for (int k = 0; k < 4; ++k) entropy += threeSiteFreq(k, i) * std::log(threeSiteFreq(k, i));
  EXPECT_NEAR(n.getMAP(), std::log(3.0) / 6 * (entropy - S / 3), 1e-9);
}

TEST(NodeScores, OneSiteMapScoreIsASignedZero) {
  // (ln 1 / L) x (entropy - S/N) is a zero carrying the sign of the second factor.
  const auto oneSiteMotif = [](const Utilities& u) {
    node n(u.motifContext());
    L_mer s = makeSite("ACGTAC", 0, 0);
    reference::add_kmer(n, &s);
    n.computeInformation();
    return n;
  };
  char printed[32];

  // Background 0.9 for every word: S = 6 ln 0.9 = -0.63, above the entropy
  // (about -6.2), so the factor is negative and the score is minus zero.
  auto high = makeStore(">s\nACGTACGT\n", 6);
  for (int k = 1; k <= MAX_MARKOV; ++k) std::fill(high->models.bmarkov[k].begin(), high->models.bmarkov[k].end(), 0.9f);
  high->computebgmap(false);
  node n = oneSiteMotif(*high);
  ASSERT_LT(n.getEntropy() - high->maps.at(0, 0), 0.0);
  n.computeMAP();
  EXPECT_EQ(n.getMAP(), 0.0);
  EXPECT_TRUE(std::signbit(n.getMAP()));
  std::snprintf(printed, sizeof printed, "%.6lf", n.getMAP());
  EXPECT_STREQ(printed, "-0.000000");

  // Uniform background: S = 6 ln 0.25 = -8.3, below the entropy: plus zero.
  auto uniform = makeStore(">s\nACGTACGT\n", 6);
  node m = oneSiteMotif(*uniform);
  ASSERT_GT(m.getEntropy() - uniform->maps.at(0, 0), 0.0);
  m.computeMAP();
  EXPECT_EQ(m.getMAP(), 0.0);
  EXPECT_FALSE(std::signbit(m.getMAP()));
}

TEST(NodeScores, StatScoreAveragesTheSurpriseScoreOfEachSiteText) {
  // Exact surprise scores (m = 0, L = 6 <= order 6): ln(F / (bigL x B)) with
  // bigL = 8 + 10 = 18 and B = 0.25. The reverse-strand site scores its own text
  // ACGTAA, not the forward word TTACGT.
  auto u = makeStore(kThreeSiteFasta, 6, 6);
  u->models.fmarkov[6][433] = 0.5f;    // ACGTAC = 256 + 2*64 + 3*16 + 0*4 + 1
  u->models.fmarkov[6][445] = 0.25f;   // ACGTTC = 256 + 128 + 48 + 3*4 + 1
  u->models.fmarkov[6][432] = 0.125f;  // ACGTAA = 256 + 128 + 48
  node n(u->motifContext());
  addThreeSites(n);
  n.computeStatScore(u->surprise, 0);
  const double expected = (std::log(0.5 / 4.5) + std::log(0.25 / 4.5) + std::log(0.125 / 4.5)) / 3;
  EXPECT_NEAR(n.getStatScore(), expected, 1e-12);
}

// ---------------------------------------------------------------- word scores

TEST(NodeScores, MismatchScoreAndLikelihoodFoldCaseAndReadOtherLettersAsT) {
  auto u = makeStore(kThreeSiteFasta, 6);
  node n(u->motifContext());
  addThreeSites(n);
  n.computeInformation();
  // Columns 5 and 6 of rawFMatrix: A 2/3, T 1/3 and C 2/3, A 1/3.
  EXPECT_NEAR(n.miSscore("ACGTAC"), 1.0 / 3 + 1.0 / 3, 1e-12);
  EXPECT_NEAR(n.miSscore("ACGTTC"), 2.0 / 3 + 1.0 / 3, 1e-12);
  EXPECT_NEAR(n.miSscore("CAAACG"), 6.0, 1e-12);
  EXPECT_EQ(n.miSscore("acgtac"), n.miSscore("ACGTAC"));
  for (const char* asT : {"ACGTNC", "ACGTnC", "ACGTtC", "ACGTXC"})
    EXPECT_EQ(n.miSscore(asT), n.miSscore("ACGTTC")) << asT;

  const double best = threeSiteFreq(0, 0) * threeSiteFreq(1, 1) * threeSiteFreq(2, 2) * threeSiteFreq(3, 3) *
                      threeSiteFreq(0, 4) * threeSiteFreq(1, 5);
  EXPECT_NEAR(n.pKmer("ACGTAC"), best, 1e-15);
  EXPECT_EQ(n.pKmer("aCgTaC"), n.pKmer("ACGTAC"));
  const double withT = best / threeSiteFreq(0, 4) * threeSiteFreq(3, 4);
  for (const char* asT : {"ACGTNC", "ACGTnC", "ACGTtC"}) EXPECT_NEAR(n.pKmer(asT), withT, 1e-15) << asT;
}

TEST(NodeScores, NormalisedMismatchScoreRunsFromWorstWordToBestWord) {
  auto u = makeStore(kThreeSiteFasta, 6);
  node n(u->motifContext());
  addThreeSites(n);
  n.computeInformation();
  // Bounds 6 and 2/3: (miSscore - 6) / (2/3 - 6).
  EXPECT_NEAR(n.miSscoreNorm("ACGTAC"), 1.0, 1e-6);        // most frequent letters
  EXPECT_NEAR(n.miSscoreNorm("CAAACG"), 0.0, 1e-6);        // least frequent, first base on ties
  EXPECT_NEAR(n.miSscoreNorm("ACGTTC"), 15.0 / 16, 1e-6);  // (1 - 6) / (2/3 - 6)

  node one(u->motifContext());
  L_mer s = makeSite("ACGTAC");
  reference::add_kmer(one, &s);
  one.computeInformation();
  // Bounds K = 6 and 0: (miSscore - 6) / (0 - 6).
  EXPECT_EQ(one.miSscoreNorm("ACGTAC"), 1.0);
  EXPECT_EQ(one.miSscoreNorm("CATGCA"), 0.0);
  EXPECT_NEAR(one.miSscoreNorm("ACGTAA"), 5.0 / 6, 1e-12);
}

TEST(NodeScores, EvenColumnsGiveTheLnFiveIndexAndAZeroNormalisedScore) {
  // AAAAAA, CCCCCC, GGGGGG, TTTTTT: every pseudo-count (6 + 0.25) / 25 = 0.25,
  // every frequency (1 + 0.25) / 5 = 0.25, every rawFMatrix entry 0.25.
  auto u = makeStore(kThreeSiteFasta, 6);
  node n(u->motifContext());
  addSites(n, {makeSite("AAAAAA"), makeSite("CCCCCC"), makeSite("GGGGGG"), makeSite("TTTTTT")});
  n.computeInformation();
  n.MatInd();
  const double index = 100 * (std::log(5.0) - std::log(4.0)) / std::log(5.0);  // about 13.86
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(n.consIndex[i], index, 1e-12) << i;
  EXPECT_NEAR(n.maxMatScore, 6 * index * 0.25, 1e-12);
  EXPECT_NEAR(n.MatInspector("ACGTAC"), 1.0, 1e-12);
  // maxMisScore = minMisScore = 6 x 0.75: every word gets 0, not NaN.
  EXPECT_EQ(n.maxMisScore, n.minMisScore);
  EXPECT_EQ(n.miSscoreNorm("ACGTAC"), 0.0);
  EXPECT_EQ(n.miSscoreNorm("AAAAAA"), 0.0);
}

TEST(NodeScores, MatrixSimilarityCountsOnlyUpperCaseBases) {
  auto u = makeStore(kThreeSiteFasta, 6);
  node n(u->motifContext());
  addThreeSites(n);
  n.computeInformation();
  n.MatInd();
  double numerators[6], maxMat = 0;
  for (int i = 0; i < 6; ++i) {
    double p[4], largest = 0;
    for (int b = 0; b < 4; ++b) {
      p[b] = threeSiteFreq(b, i);
      largest = std::max(largest, p[b]);
    }
    EXPECT_NEAR(n.consIndex[i], columnIndex(p), 1e-9) << i;
    numerators[i] = columnIndex(p) * largest;  // the most frequent letter is that of ACGTAC
    maxMat += numerators[i];
  }
  EXPECT_NEAR(n.maxMatScore, maxMat, 1e-9);
  EXPECT_NEAR(n.MatInspector("ACGTAC"), 1.0, 1e-12);
  // Position 5 holding N, n or t adds nothing; the denominator keeps it.
  for (const char* w : {"ACGTNC", "ACGTnC", "ACGTtC"})
    EXPECT_NEAR(n.MatInspector(w), 1.0 - numerators[4] / maxMat, 1e-12) << w;
  // An upper-case T there adds its own frequency.
  EXPECT_NEAR(n.MatInspector("ACGTTC"), 1.0 - numerators[4] / maxMat + n.consIndex[4] * threeSiteFreq(3, 4) / maxMat,
              1e-12);
  EXPECT_EQ(n.MatInspector("acgtac"), 0.0);
}

// The bounds of the mismatch score are kept with the frequencies;
// norm_mismatch is their literal definition. Motifs of every length with one
// to many sites, lower-case letters among them, agree with it exactly.
TEST(NodeMatrices, MismatchBoundsAgreeWithNormMismatch) {
  std::mt19937 rng(97);
  for (int trial = 0; trial < 200; ++trial) {
    const MotifContext context = motifContext(MIN_MOTIF_LEN + trial % (MAX_MOTIF_LEN - MIN_MOTIF_LEN + 1));
    node n(context);
    const int sites = 1 + static_cast<int>(rng() % 25);
    // Few distinct letters in some motifs, so columns of one letter occur too.
    const unsigned alphabet = 1 + rng() % 8;
    for (int k = 0; k < sites; ++k) {
      std::string word;
      for (int i = 0; i < context.K; ++i) word += "ACGTacgt"[rng() % alphabet];
      const L_mer site = makeSite(word.c_str());
      reference::add_kmer(n, &site);
    }
    n.computeInformation();
    const std::pair<float, float> literal = reference::norm_mismatch(n);
    EXPECT_EQ(n.maxMisScore, literal.first) << trial;
    EXPECT_EQ(n.minMisScore, literal.second) << trial;
  }
}

TEST(NodeScores, MatchOneComparesLettersExactlyWithinTheDistance) {
  const MotifContext six = motifContext(6);
  node n(six);
  EXPECT_FALSE(reference::matchOne(n, "ACGTAC", 0));  // no sites
  EXPECT_FALSE(reference::matchOne(n, "ACGTAC", 6));
  addThreeSites(n);  // ACGTAA, ACGTTC, ACGTAC
  EXPECT_TRUE(reference::matchOne(n, "ACGTTC", 0));
  EXPECT_TRUE(reference::matchOne(n, "ACGTAC", 0));
  EXPECT_FALSE(reference::matchOne(n, "ACGTTT", 0));
  EXPECT_TRUE(reference::matchOne(n, "ACGTTT", 1));
  EXPECT_FALSE(reference::matchOne(n, "acgtac", 0));  // case counts
  EXPECT_FALSE(reference::matchOne(n, "acgtac", 5));
  EXPECT_TRUE(reference::matchOne(n, "acgtac", 6));
  EXPECT_FALSE(reference::matchOne(n, "ACGTNN", 0));
  EXPECT_TRUE(reference::matchOne(n, "ACGTNC", 1));
  EXPECT_FALSE(reference::matchOne(n, "GGGGGG", 4));  // 5 letters off every site
  EXPECT_TRUE(reference::matchOne(n, "GGGGGG", 5));

  node lower(six);
  L_mer s = makeSite("acgtac");
  reference::add_kmer(lower, &s);
  EXPECT_TRUE(reference::matchOne(lower, "acgtac", 0));
  EXPECT_FALSE(reference::matchOne(lower, "ACGTAC", 0));
  EXPECT_TRUE(reference::matchOne(lower, "acgtaC", 1));
}
