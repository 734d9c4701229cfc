// The consensus words of a motif, its site lines and its block in the report.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/node.h"
#include "formats/report_writer.h"
#include "reference.h"
#include "support.h"

using namespace testing_support;
using reference::L_mer;

namespace {

L_mer makeSite(const char* fwd, int seqIdx, int pos, bool strand) {
  L_mer m;
  std::strcpy(m.kmer, fwd);
  reference::RevComp(fwd, m.rcKmer);
  m.seqIdx = seqIdx;
  m.pos = pos;
  m.strand = strand;
  return m;
}

// Sets column i of the frequency matrix to the given A, C, G, T values.
void setColumn(node& n, int i, double a, double c, double g, double t) {
  n.posFMatrix[0][i] = a;
  n.posFMatrix[1][i] = c;
  n.posFMatrix[2][i] = g;
  n.posFMatrix[3][i] = t;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
    lines.push_back(text.substr(start, nl - start));
  if (start < text.size()) lines.push_back(text.substr(start) + "<no line end>");
  return lines;
}

void expectSameLines(const std::string& actual, const std::vector<std::string>& expected) {
  const std::vector<std::string> got = linesOf(actual);
  for (std::size_t i = 0; i < std::max(got.size(), expected.size()); ++i) {
    EXPECT_EQ(i < got.size() ? got[i] : "<missing>", i < expected.size() ? expected[i] : "<extra>") << "line " << i + 1;
  }
  EXPECT_FALSE(actual.empty() || actual.back() != '\n') << "the block ends with a line end";
}

}  // namespace

// ---------------------------------------------------------------- consensus words

TEST(NodeConsensus, DegenerateLetterOfEveryBaseSet) {
  // Column c has frequency 0.3 (above 0.25) for the bases of code c and 0.1 for
  // the others: code = A 1 + C 2 + G 4 + T 8.
  const MotifContext sixteen = motifContext(16);
  node n(sixteen);
  for (int c = 0; c < 16; ++c)
    setColumn(n, c, c & 1 ? 0.3 : 0.1, c & 2 ? 0.3 : 0.1, c & 4 ? 0.3 : 0.1, c & 8 ? 0.3 : 0.1);
  n.motifConsensus();
  //                     0123456789012345
  EXPECT_STREQ(n.degConsensus, "NACMGRSVTWYHKDBN");
  // The most frequent base, the first of A, C, G, T on ties.
  EXPECT_STREQ(n.consensus, "AACAGACATACAGACA");
  EXPECT_STREQ(n.rConsensus, "TGTCTGTATGTCTGTT");
}

TEST(NodeConsensus, TiesThresholdAndReverseComplement) {
  const MotifContext six = motifContext(6);
  node n(six);
  setColumn(n, 0, 0.25, 0.25, 0.25, 0.25);            // nothing above 0.25: N; tie: A
  setColumn(n, 1, 0.4, 0.125, 0.35, 0.125);           // A and G: R; A
  setColumn(n, 2, 0.2, 0.3, 0.3, 0.2);                // C and G: S; tie: C
  setColumn(n, 3, 0.1, 0.1, 0.1, 0.7);                // T
  setColumn(n, 4, 0.25, 0.25, 0.2500001, 0.2499999);  // only G is above 0.25
  setColumn(n, 5, 0, 0, 0, 0);                        // empty column: N; A
  n.motifConsensus();
  EXPECT_STREQ(n.degConsensus, "NRSTGN");
  EXPECT_STREQ(n.consensus, "AACTGA");
  EXPECT_STREQ(n.rConsensus, "TCAGTT");  // the A of column 2 is the T at place 6 - 1 - 1 = 4
  EXPECT_EQ(n.rConsensus[4], 'T');
}

TEST(NodeConsensus, ReverseConsensusOfACGGTA) {
  const MotifContext six = motifContext(6);
  node n(six);
  const char* word = "ACGGTA";
  for (int i = 0; i < 6; ++i) {
    const int b = static_cast<int>(std::strchr("ACGT", word[i]) - "ACGT");
    setColumn(n, i, 0.1, 0.1, 0.1, 0.1);
    n.posFMatrix[b][i] = 0.7;
  }
  n.motifConsensus();
  EXPECT_STREQ(n.consensus, "ACGGTA");
  EXPECT_STREQ(n.rConsensus, "TACCGT");
  EXPECT_STREQ(n.degConsensus, "ACGGTA");
}

// ---------------------------------------------------------------- the block

namespace {

// The final motifs of an engine over the store whose only candidate is
// `motif`, with complexity threshold `minComplexity`.
std::vector<formats::ReportMotif> rankedAlone(const Utilities& util, NodePtr motif, double minComplexity = 0.15) {
  RunConfig config = testConfig(util.GetL());
  config.MIN_COMPLEXITY = minComplexity;
  auto engine = makeEngine(util, config, {0});
  engine->saveCandidateMotif(std::move(motif));
  return engine->rankedMotifs();
}

}  // namespace

TEST(NodeOutput, BlockOfASmallMotifLineByLine) {
  // seqA = ACGTACGG, seqB = TTACGTTCAA (revSeq TTGAACGTAA); sites added in the
  // order ACGTAC (seqA, forward, 0), ACGTTC (seqB, forward, 2), ACGTAA (seqB,
  // reverse strand, forward position 0), listed newest first.
  auto u = makeStore(">seqA\nACGTACGG\n>seqB\nTTACGTTCAA\n", 6);  // uniform background
  auto n = std::make_unique<node>(u->motifContext());
  for (const L_mer& s :
       {makeSite("ACGTAC", 0, 0, true), makeSite("ACGTTC", 1, 2, true), makeSite("TTACGT", 1, 0, false)})
    reference::add_kmer(*n, &s);
  n->computeInformation();
  n->computeMAP();

  // Counts: A 3 0 0 0 2 1 | C 0 3 0 0 0 2 | G 0 0 3 0 0 0 | T 0 0 0 3 1 0;
  // pseudo-counts (6.25, 5.25, 3.25, 4.25) / 19; frequencies (count + pseudo) / 4.
  // Relative entropy against 0.25 each: sum of p log2(4p) = 5.201640 bits.
  // Entropy: sum of p ln p = -4.712264; every window has ln 0.25^6 = -8.317766,
  // so the MAP score is (ln 3 / 6) x (-4.712264 + 8.317766) = 0.660175.
  // Complexity: the frequencies of A, C, G, T sum over the columns to
  // n = 1.993421, 1.664474, 1.006579, 1.335526, so 0.25^6 x prod (6 / n)^n = 0.832400.
  // Column 5: A 0.582, T 0.306 -> W; column 6: C 0.569, A 0.332 -> M.
  // Mismatch bounds 6 and 2/3; site scores (miSscore - 6) / (2/3 - 6):
  // ACGTAA and ACGTTC have miSscore 1 -> 15/16, ACGTAC has 2/3 -> 1.
  const std::vector<formats::ReportMotif> motifs = rankedAlone(*u, std::move(n));
  ASSERT_EQ(motifs.size(), 1u);
  const std::string block = writtenText([&](std::FILE* out) { formats::writeReportMotif(out, motifs[0]); });
  expectSameLines(block, {
                             "",
                             "Motif rank #1",
                             "Motif Score: 0.660175\tComplexity: 0.832400\t",
                             "Relative Entropy: 5.201640 bits",
                             "No. of sites:3",
                             "Con : ACGTAC  Deg. Con: ACGTWM",
                             "rCon: GTACGT",
                             "",
                             "Position Count Matrix",
                             "\t   1   2   3   4   5   6",
                             "A\t   3   0   0   0   2   1",
                             "C\t   0   3   0   0   0   2",
                             "G\t   0   0   3   0   0   0",
                             "T\t   0   0   0   3   1   0",
                             ">seqB\tACGTAA\t0\t1\t0.9375",
                             ">seqB\tACGTTC\t1\t3\t0.9375",
                             ">seqA\tACGTAC\t1\t1\t1.0000",
                             "################################",
                         });
  // The data holds the unrounded scores and where every site lies.
  const std::vector<formats::ReportSite>& sites = motifs[0].sites;
  ASSERT_EQ(sites.size(), 3u);
  EXPECT_NEAR(sites[0].score, 15.0 / 16, 1e-6);
  EXPECT_NEAR(sites[1].score, 15.0 / 16, 1e-6);
  EXPECT_NEAR(sites[2].score, 1.0, 1e-6);
  EXPECT_EQ(sites[0].sequenceIndex, 1);
  EXPECT_FALSE(sites[0].forward);
  EXPECT_EQ(sites[2].sequenceIndex, 0);
  EXPECT_EQ(sites[2].sequence, "seqA");
}

TEST(NodeOutput, BlockOfAMotifWithoutSites) {
  auto u = makeStore(">s\nACGTACGG\n", 6);
  auto n = std::make_unique<node>(u->motifContext());
  n->computeInformation();
  n->computeMAP();
  const std::vector<formats::ReportMotif> motifs = rankedAlone(*u, std::move(n), 0.0);
  ASSERT_EQ(motifs.size(), 1u);
  const std::string block = writtenText([&](std::FILE* out) { formats::writeReportMotif(out, motifs[0]); });
  // All-zero frequencies: no base above 0.25 (N), A first of the tied bases.
  expectSameLines(block, {
                             "",
                             "Motif rank #1",
                             "Motif Score: 0.000000\tComplexity: 0.000000\t",
                             "Relative Entropy: 0.000000 bits",
                             "No. of sites:0",
                             "Con : AAAAAA  Deg. Con: NNNNNN",
                             "rCon: TTTTTT",
                             "",
                             "Position Count Matrix",
                             "\t   1   2   3   4   5   6",
                             "A\t   0   0   0   0   0   0",
                             "C\t   0   0   0   0   0   0",
                             "G\t   0   0   0   0   0   0",
                             "T\t   0   0   0   0   0   0",
                             "################################",
                         });
}

TEST(NodeOutput, CountMatrixKeepsColumnsFourWide) {
  formats::ReportMotif motif;
  for (int i = 0; i < 8; ++i) {
    formats::CountColumn column{};
    column[static_cast<std::size_t>(i % 4)] = 10;
    motif.counts.push_back(column);
  }
  const std::string block = writtenText([&](std::FILE* out) { formats::writeReportMotif(out, motif); });
  EXPECT_NE(block.find("\nPosition Count Matrix\n"
                       "\t   1   2   3   4   5   6   7   8\n"
                       "A\t  10   0   0   0  10   0   0   0\n"
                       "C\t   0  10   0   0   0  10   0   0\n"
                       "G\t   0   0  10   0   0   0  10   0\n"
                       "T\t   0   0   0  10   0   0   0  10\n"
                       "################################\n"),
            std::string::npos)
      << block;
}

TEST(NodeOutput, SiteLinesOfAOneSiteMotif) {
  // One reverse-strand site at forward position 3 of a 12-letter sequence:
  // the printed word is its own text, the strand digit 0 and the position 4.
  auto u = makeStore(">chr1 region\nGGGACGTTTGGG\n", 6);
  node n(u->motifContext());
  L_mer s = makeSite("ACGTTT", 0, 3, false);  // text AAACGT
  reference::add_kmer(n, &s);
  n.computeInformation();
  // The lines print each site's score against the motif, whatever score the
  // site holds.
  EXPECT_EQ(writtenText([&](std::FILE* out) { n.showHits(out, u->seqs); }), ">chr1 region\tAAACGT\t0\t4\t1.0000\n");
  for (Site& site : n.get_hits()) site.score = -3.0;
  EXPECT_EQ(writtenText([&](std::FILE* out) { n.showHits(out, u->seqs); }), ">chr1 region\tAAACGT\t0\t4\t1.0000\n");
}
