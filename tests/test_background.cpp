// Window counts, the background maps of both strands, the log-odds score of
// -j, window matching and the surprise score with its background expectation.
#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <string>

#include "reference.h"
#include "support.h"

using namespace testing_support;

namespace {

// A store of motif length k loaded from FASTA text, with the console output of
// loading and counting returned; no model yet.
std::unique_ptr<Utilities> loadStore(const std::string& fasta, int k, std::string* console = nullptr,
                                     bool forwardOnly = false) {
  CollectedProgress progress;
  auto util = std::make_unique<Utilities>(k, forwardOnly, 1, progress.sink());
  util->LoadSeqs(fastaRecords(fasta));
  const std::size_t loading = progress.text().size();
  util->CountDP();
  if (console) *console = progress.text().substr(loading);
  return util;
}

// A background of order 3 with a different value for every word: word of n
// letters with index idx gets (idx + 1) / 4^n / 2 + n / 16.
float tableValue(int n, long idx) {
  return static_cast<float>(static_cast<double>(idx + 1) / static_cast<double>(1L << (2 * n)) / 2 + n / 16.0);
}

void setDistinctBackground(BackgroundModel& models, int order) {
  for (int n = 1; n <= MAX_MARKOV; ++n) {
    models.bmarkov[n].assign(std::size_t{1} << (2 * n), 0.0f);
    if (n > order) continue;
    for (long idx = 0; idx < (1L << (2 * n)); ++idx)
      models.bmarkov[n][static_cast<std::size_t>(idx)] = tableValue(n, idx);
  }
  models.fmarkov = models.bmarkov;
  models.markovOrder = order;
}

}  // namespace

// ---------------------------------------------------------------- counts and maps

TEST(BackgroundMap, WindowWithNIsCountedButNotValidAndMapsHoldZeroThere) {
  std::string console;
  auto u = loadStore(">s\nACGTACGTAN\n", 6, &console);
  EXPECT_EQ(u->GetFullDP(), 5);   // windows at 0..4
  EXPECT_EQ(u->GetValidDP(), 4);  // the window at 4 ends in N
  EXPECT_EQ(console, "   (4 6-mers in the input file)\n");

  setDistinctBackground(u->models, 3);
  u->computebgmap(false);
  const std::vector<float>& forward = u->maps.forward[0];
  ASSERT_EQ(forward.size(), 5u);
  EXPECT_EQ(forward[4], 0.0f);

  // Window ACGTAC at 0 under order 3: T1[A] T2[AC] T3[ACG] T3[CGT] T3[GTA] T3[TAC]
  // with A = 0, AC = 1, ACG = 6, CGT = 16 + 8 + 3 = 27, GTA = 32 + 12 = 44, TAC = 48 + 1 = 49.
  const double p0 = static_cast<double>(tableValue(1, 0)) * tableValue(2, 1) * tableValue(3, 6) * tableValue(3, 27) *
                    tableValue(3, 44) * tableValue(3, 49);
  EXPECT_FLOAT_EQ(forward[0], static_cast<float>(std::log(p0)));
  EXPECT_EQ(u->maps.at(0, 0), forward[0]);
}

// One map serves both strands: a reverse-strand window reads the value of the
// forward window of its stretch, which is the forward text's probability.
TEST(BackgroundMap, TheMapHoldsTheForwardTextsProbabilityOfEveryStretch) {
  auto u = loadStore(">a\nACGTTGCAGGTCAN\n>b\nTTGACCA\n>c\nACG\n", 6);
  setDistinctBackground(u->models, 3);
  u->computebgmap(false);
  bool strandsDiffer = false;
  for (std::size_t i = 0; i < u->seqs.records().size(); ++i) {
    const seqRecord& r = u->seqs[i];
    const std::vector<float>& forward = u->maps.forward[i];
    const int n = r.len >= 6 ? r.len - 5 : 0;
    ASSERT_EQ(forward.size(), static_cast<std::size_t>(n)) << r.name;
    for (int j = 0; j < n; ++j) {
      const bool masked = r.seq.substr(static_cast<std::size_t>(j), 6).find('N') != std::string::npos;
      const int rj = r.len - 6 - j;
      if (masked) {
        EXPECT_EQ(forward[j], 0.0f) << r.name << " " << j;
        continue;
      }
      const double p = u->models.probKmerGivenBack(r, j, true, 6);
      EXPECT_FLOAT_EQ(forward[j], static_cast<float>(std::log(p))) << r.name << " " << j;
      // The reverse-strand text itself would score differently under this model.
      strandsDiffer = strandsDiffer || u->models.probKmerGivenBack(r, rj, false, 6) != p;
    }
  }
  EXPECT_TRUE(strandsDiffer);               // otherwise the check above could not tell the strands apart
  EXPECT_TRUE(u->maps.forward[2].empty());  // 3 letters: no window
}

TEST(BackgroundMap, ForwardOnlyMapsTheSameWindows) {
  auto u = loadStore(">s\nACGTACGTAN\n", 6, nullptr, /*forwardOnly=*/true);
  setDistinctBackground(u->models, 3);
  u->computebgmap(false);
  const std::vector<float>& forward = u->maps.forward[0];
  ASSERT_EQ(forward.size(), 5u);
  EXPECT_FLOAT_EQ(forward[1], static_cast<float>(std::log(u->models.probKmerGivenBack(u->seqs[0], 1, true, 6))));
  EXPECT_EQ(forward[4], 0.0f);
}

TEST(BackgroundMap, LogOddsAveragesValidWindowsAndRanksSequencesWithoutOneLast) {
  // Foreground = background except that A alone is twice as likely, so under
  // order 3 a window's ratio Pfore / Pback is 2 when it starts with A, else 1.
  const std::string fasta =
      ">a\nACGTACGTAN\n"  // valid windows start with A, C, G, T: (ln 2 + 0 + 0 + 0) / 4
      ">b\nACG\n"         // no window
      ">c\nNNNNNNN\n"     // two windows, both masked
      ">d\nAAAAAA\n";     // one window, starting with A: ln 2
  {
    auto u = loadStore(fasta, 6);
    setDistinctBackground(u->models, 3);
    u->computebgmap(false);
    EXPECT_EQ(u->maps.logOdds, std::vector<double>(4, 0.0)) << "without -j";
  }
  auto u = loadStore(fasta, 6);
  setDistinctBackground(u->models, 3);
  u->models.fmarkov[1][0] = 2 * u->models.bmarkov[1][0];
  u->computebgmap(true);
  const std::vector<double>& logOdds = u->maps.logOdds;
  EXPECT_NEAR(logOdds[0], std::log(2.0) / 4, 1e-12);
  EXPECT_NEAR(logOdds[3], std::log(2.0), 1e-12);
  for (int i : {1, 2}) {
    EXPECT_TRUE(std::isinf(logOdds[i]) && logOdds[i] < 0) << logOdds[i];
  }
  // d, a, then b before c (equal scores keep index order); returned in index order.
  EXPECT_EQ(u->selSeqs(2), (std::vector<int>{0, 3}));
  EXPECT_EQ(u->selSeqs(3), (std::vector<int>{0, 1, 3}));
}

// ---------------------------------------------------------------- matching windows

TEST(SurpriseScore, KMismatchCountsWindowsWithinDistanceAndCollectsTheirWords) {
  // Windows of ACGTACGTNCGT: ACGT at 0 and 4 (distance 0), NCGT at 8 (distance 1);
  // the other six windows differ in all four letters.
  const char* text = "ACGTACGTNCGT";
  std::set<std::string> words;
  EXPECT_EQ(reference::kMismatch(text, "ACGT", 4, 0, words), 2);
  EXPECT_EQ(words, (std::set<std::string>{"ACGT"}));
  words.clear();
  EXPECT_EQ(reference::kMismatch(text, "ACGT", 4, 1, words), 3);
  EXPECT_EQ(words, (std::set<std::string>{"ACGT", "NCGT"}));
  words.clear();
  EXPECT_EQ(reference::kMismatch(text, "ACGT", 4, 4, words), 9);
  EXPECT_EQ(reference::kMismatch("ACG", "ACGT", 4, 4, words), 0);  // shorter than a window
}

// ---------------------------------------------------------------- surprise score

// The score counts matching windows through its index of distinct words;
// kMismatch is the window-by-window definition. Under a background that gives
// every word its own value, the score pins down both the number of matching
// windows and the set of distinct matched words, so both must agree with
// kMismatch over every sequence and strand (words and windows with N and R
// included).
TEST(SurpriseScore, CountingAgreesWithKMismatchWindowByWindow) {
  std::mt19937 rng(4711);
  const char letters[] = "ACGTACGTACGTACGTACNR";
  const auto letter = [&] { return letters[rng() % (sizeof letters - 1)]; };
  for (int trial = 0; trial < 24; ++trial) {
    const int L = 6 + trial % 3;
    const bool forwardOnly = trial % 4 == 3;
    std::string fasta;
    for (int r = 0; r < 4; ++r) {
      fasta += ">r\n";
      for (int i = 0, len = 3 + static_cast<int>(rng() % 40); i < len; ++i) fasta += letter();
      fasta += "\n";
    }
    auto u = loadStore(fasta, L, nullptr, forwardOnly);
    setDistinctBackground(u->models, 3);
    u->computebgmap(false);
    for (int w = 0; w < 6; ++w) {
      std::string word;
      const seqRecord& from = u->seqs[rng() % 4];
      if (w % 2 == 0 && from.len >= L)  // a window of the input with one letter changed
        word = from.seq.substr(rng() % static_cast<unsigned>(from.numWindows(L)), static_cast<std::size_t>(L));
      else
        word = std::string(static_cast<std::size_t>(L), 'A');
      for (char& c : word)
        if (w % 2 == 1 || rng() % static_cast<unsigned>(L) == 0) c = letter();
      for (int m = 0; m <= 3; ++m) {
        SCOPED_TRACE(fasta + word + " m=" + std::to_string(m) + (forwardOnly ? " -r" : ""));
        std::set<std::string> matched;
        int count = 0;
        float positions = 0.0f;
        for (const seqRecord& rec : u->seqs.records()) {
          count += reference::kMismatch(rec.seq.c_str(), word.c_str(), L, m, matched);
          if (!forwardOnly) count += reference::kMismatch(rec.revSeq.c_str(), word.c_str(), L, m, matched);
          positions += static_cast<float>(rec.numWindows(L));
        }
        if (!forwardOnly) positions *= 2;
        double expected = 0.0;
        for (const std::string& x : matched) expected += u->models.bgExpectedFreq(x.c_str(), L);
        const double score = u->surprise.globalScore(word.c_str(), m);
        if (matched.empty()) {
          EXPECT_TRUE(std::isinf(score) && score > 0) << score;
          continue;
        }
        const double literal = std::log(((1.0 + count) / positions) / (static_cast<double>(u->GetBigL()) * expected));
        EXPECT_NEAR(score, literal, 1e-9 * std::max(1.0, std::fabs(literal)));
      }
    }
  }
}

TEST(SurpriseScore, ExactCaseReadsTheTwoTablesOfTheWordLength) {
  // m = 0 and L = 8 <= markovOrder 8: ln(F / (bigL x B)) with nothing scanned.
  auto u = makeStore(">s\nACGTTGCAACGTTGCA\n", 8, 8);  // bigL = 16; the word occurs twice
  // ACGTTGCA = 4096 + 2*1024 + 3*256 + 3*64 + 2*16 + 1*4 + 0 = 7140
  u->models.fmarkov[8][7140] = 0.5f;
  u->models.bmarkov[8][7140] = 0.125f;
  EXPECT_NEAR(u->surprise.globalScore("ACGTTGCA", 0), std::log(0.5 / (16 * 0.125)), 1e-12);
}

TEST(SurpriseScore, WordLongerThanTheOrderIsScannedEvenWithoutMismatches) {
  // L = 9 > markovOrder 8. s = ACGTTGCAACGTTGCA, revSeq = TGCAACGTTGCAACGT.
  // ACGTTGCAA occurs at forward 0 and reverse 4: observed = 1 + 1 + 1 = 3;
  // positions = 2 x 8 = 16; expected = T8[ACGTTGCA] x T8[CGTTGCAA] = 0.25 x 0.25.
  auto u = makeStore(">s\nACGTTGCAACGTTGCA\n", 9, 8);
  EXPECT_NEAR(u->surprise.globalScore("ACGTTGCAA", 0), std::log((3.0 / 16) / (16 * 0.0625)), 1e-12);
}

TEST(SurpriseScore, DuplicatesCountTwiceInObservedAndOnceInExpected) {
  // Order 3, L = 6. s = AACCGGTTAACCGG (14 letters, 9 windows a strand);
  // revSeq = CCGGTTAACCGGTT. AACCGG: forward at 0 and 8, reverse at 6.
  // observed = 1 + 2 + 1 = 4; positions = 18; expected = 0.25^4 (L - M + 1 = 4
  // factors of the uniform table 3), counted once for the one distinct word.
  auto u = makeStore(">s\nAACCGGTTAACCGG\n", 6, 3);
  EXPECT_NEAR(u->surprise.globalScore("AACCGG", 0), std::log((4.0 / 18) / (14.0 / 256)), 1e-12);
}

TEST(SurpriseScore, ForwardOnlyCountsOneStrandAndDoesNotDoublePositions) {
  // As above on the forward strand only: observed = 1 + 2 = 3, positions = 9.
  auto u = makeStore(">s\nAACCGGTTAACCGG\n", 6, 3, /*withScore=*/false, /*forwardOnly=*/true);
  EXPECT_NEAR(u->surprise.globalScore("AACCGG", 0), std::log((3.0 / 9) / (14.0 / 256)), 1e-12);
}

TEST(SurpriseScore, MismatchesAddEveryDistinctMatchedWordToTheExpectation) {
  // s = AACCGGTTAACCGA, revSeq = TCGGTTAACCGGTT; AACCGG with m = 1 matches
  // AACCGG (forward 0), AACCGA (forward 8) and AACCGG (reverse 6):
  // observed = 4, positions = 18, expected = 2 distinct words x 0.25^4.
  auto u = makeStore(">s\nAACCGGTTAACCGA\n", 6, 3);
  EXPECT_NEAR(u->surprise.globalScore("AACCGG", 1), std::log((4.0 / 18) / (14.0 * 2 / 256)), 1e-12);
}

TEST(SurpriseScore, NoMatchOrNoWindowGivesPlusInfinity) {
  {
    auto u = makeStore(">s\nAACCGGTTAACCGG\n", 6, 3);
    const double score = u->surprise.globalScore("TTTTTT", 0);  // observed 1, nothing matched: expected 0
    EXPECT_TRUE(std::isinf(score) && score > 0) << score;
  }
  {
    auto u = makeStore(">s\nACG\n>t\nGGTA\n", 6, 3);  // no sequence reaches 6 letters: positions 0
    const double score = u->surprise.globalScore("ACGTAC", 2);
    EXPECT_TRUE(std::isinf(score) && score > 0) << score;
  }
}

TEST(SurpriseScore, BackgroundExpectationOfAWord) {
  BackgroundModel u;
  u.markovOrder = 8;
  for (int n = 1; n <= MAX_MARKOV; ++n) u.bmarkov[n].assign(std::size_t{1} << (2 * n), 0.9f);
  // L = 10 > 8: three values of table 8, for letters 0-7, 1-8 and 2-9 of ACGTTGCAAC:
  // ACGTTGCA = 7140, CGTTGCAA = 7140 * 4 + 0 = 28560, GTTGCAAC = (28560 * 4 + 1) mod 65536 = 48705.
  u.bmarkov[8][7140] = 0.5f;
  u.bmarkov[8][28560] = 0.25f;
  u.bmarkov[8][48705] = 0.125f;
  EXPECT_DOUBLE_EQ(u.bgExpectedFreq("ACGTTGCAAC", 10), 0.5 * 0.25 * 0.125);

  // L = 6 <= 8: the word's own value in table 6. TTGCAA = 3*1024 + 3*256 + 2*64 + 1*16 = 3984.
  BackgroundModel v;
  v.markovOrder = 8;
  for (int n = 1; n <= MAX_MARKOV; ++n) v.bmarkov[n].assign(std::size_t{1} << (2 * n), 0.9f);
  v.bmarkov[6][3984] = 0.0625f;
  EXPECT_DOUBLE_EQ(v.bgExpectedFreq("TTGCAA", 6), 0.0625);
}
