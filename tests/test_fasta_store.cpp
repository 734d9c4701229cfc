// Sequence store: FASTA loading, reverse complements, window enumeration,
// seed-sequence choice, the encoding helpers and the site record.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "base/words.h"
#include "engine/utilities.h"
#include "reference.h"
#include "support.h"

namespace {

using testing_support::CollectedProgress;

struct Loaded {
  std::unique_ptr<Utilities> store;
  std::string console;  // what loading and counting printed
};

// Opens FASTA text as the store's input file (the model files are opened too,
// as the run opens them, but never read here) and reads its sequences.
// fmemopen on an empty buffer is not portable: the text goes to a real file.
void loadFile(Utilities& store, const std::string& fasta) {
  testing_support::TempFile file(fasta, ".fa");
  store.OpenFiles(file.path(), file.path(), file.path());
  store.LoadSeqs();
}

// Loads FASTA text into a store of window length L and counts the windows.
Loaded load(const std::string& fasta, int L = 6) {
  Loaded r;
  CollectedProgress progress;
  r.store = std::make_unique<Utilities>(L, false, 1, progress.sink());
  loadFile(*r.store, fasta);
  r.store->CountDP();
  r.console = progress.text();
  return r;
}

// The message of the stop that loading the text causes, or "" when it loads.
std::string loadError(const std::string& fasta, std::string* console = nullptr) {
  CollectedProgress progress;
  Utilities store(6, false, 1, progress.sink());
  std::string message;
  try {
    loadFile(store, fasta);
  } catch (const FatalError& e) {
    message = e.what();
  }
  if (console) *console = progress.text();
  return message;
}

// Base-4 number of a whole NUL-terminated word.
long long string2num(const char* word) {
  return static_cast<long long>(base::numberOf(word, static_cast<int>(std::strlen(word))));
}

std::string loadedLine(int n) {
  return "Loading input sequences....DONE. " + std::to_string(n) + " sequences loaded.\n";
}

std::string repeat(const std::string& unit, std::size_t letters) {
  std::string s;
  while (s.size() < letters) s += unit;
  s.resize(letters);
  return s;
}

// Letters broken into lines of 60, as FASTA files usually hold them.
std::string wrapped(const std::string& letters) {
  std::string s;
  for (std::size_t i = 0; i < letters.size(); i += 60) s += letters.substr(i, 60) + "\n";
  return s;
}

}  // namespace

// ---------------------------------------------------------------- loading

TEST(FastaLoading, MultiLineRecordsWithBlanksTabsAndLowerCase) {
  const Loaded r = load(
      "; a comment before the first record\nTTTT gggg\n"
      ">first record\nac gt\tNN\n\n  acg\n"
      ">second\n\n\tT T\n\n");
  const Utilities& u = *r.store;
  ASSERT_EQ(u.GetNumSeq(), 2);
  EXPECT_EQ(u.seqs[0].name, "first record");
  EXPECT_EQ(u.seqs[0].seq, "ACGTNNACG");
  EXPECT_EQ(u.seqs[0].revSeq, "CGTNNACGT");
  EXPECT_EQ(u.seqs[0].len, 9);
  EXPECT_EQ(u.seqs[1].name, "second");
  EXPECT_EQ(u.seqs[1].seq, "TT");
  EXPECT_EQ(u.seqs[1].revSeq, "AA");
  EXPECT_EQ(u.seqs[1].len, 2);
  EXPECT_EQ(u.GetBigL(), 11);
  // Loading maps nothing: the maps and scores come with computebgmap.
  EXPECT_TRUE(u.maps.forward.empty());
  EXPECT_TRUE(u.maps.logOdds.empty());
  // Windows of 6: 4 in the first record, all holding N; none in the second.
  EXPECT_EQ(u.GetFullDP(), 4);
  EXPECT_EQ(u.GetValidDP(), 0);
  EXPECT_EQ(r.console, loadedLine(2) + "   (0 6-mers in the input file)\n");
}

TEST(FastaLoading, LowerCaseLettersAndTheirComplement) {
  const Loaded r = load(">s\nacgtn\n");
  EXPECT_EQ(r.store->seqs[0].seq, "ACGTN");
  EXPECT_EQ(r.store->seqs[0].revSeq, "NACGT");
}

TEST(FastaLoading, AnyNonBlankCharacterIsALetter) {
  const Loaded r = load(">s\nAC-GT*12\nxyz\n");
  EXPECT_EQ(r.store->seqs[0].seq, "AC-GT*12XYZ");
  EXPECT_EQ(r.store->seqs[0].revSeq, "NNNNNNACNGT");
}

TEST(FastaLoading, HeaderIsTheRestOfTheLineVerbatim) {
  const Loaded r = load(">  chr1:100-200 \tstrand=+  \nACGT\n>\nGG\n");
  ASSERT_EQ(r.store->GetNumSeq(), 2);
  EXPECT_EQ(r.store->seqs[0].name, "  chr1:100-200 \tstrand=+  ");
  EXPECT_EQ(r.store->seqs[1].name, "");  // an empty header still opens a record
  EXPECT_EQ(r.store->seqs[1].seq, "GG");
}

TEST(FastaLoading, CarriageReturnLineEnds) {
  const Loaded r = load(">a\r\nACGT\r\nAC\r\n\r\n>b c\r\nGG\r\n");
  const Utilities& u = *r.store;
  ASSERT_EQ(u.GetNumSeq(), 2);
  EXPECT_EQ(u.seqs[0].name, "a");
  EXPECT_EQ(u.seqs[0].seq, "ACGTAC");
  EXPECT_EQ(u.seqs[1].name, "b c");
  EXPECT_EQ(u.seqs[1].seq, "GG");
  EXPECT_EQ(u.GetBigL(), 8);
}

TEST(FastaLoading, EmptyRecords) {
  // A header directly followed by another header is a record without letters.
  const Loaded r = load(">a\n>b\nACGTACGT\n>c\n\n>d\nAC\n");
  const Utilities& u = *r.store;
  ASSERT_EQ(u.GetNumSeq(), 4);
  EXPECT_EQ(u.seqs[0].name, "a");
  EXPECT_EQ(u.seqs[0].len, 0);
  EXPECT_EQ(u.seqs[0].seq, "");
  EXPECT_EQ(u.seqs[0].revSeq, "");
  EXPECT_EQ(u.seqs[1].seq, "ACGTACGT");
  EXPECT_EQ(u.seqs[2].name, "c");
  EXPECT_EQ(u.seqs[2].len, 0);
  EXPECT_EQ(u.seqs[3].seq, "AC");
  EXPECT_EQ(u.GetFullDP(), 3);
  EXPECT_EQ(u.GetBigL(), 10);
  EXPECT_EQ(r.console, loadedLine(4) + "   (3 6-mers in the input file)\n");
}

TEST(FastaLoading, InputWithoutRecords) {
  for (const char* text : {"", "\n\n", "ACGTACGTACGT\nACGT\n", "  ; nothing here\n"}) {
    const Loaded r = load(text);
    EXPECT_EQ(r.store->GetNumSeq(), 0) << text;
    EXPECT_EQ(r.store->GetBigL(), 0);
    EXPECT_EQ(r.store->GetFullDP(), 0);
    EXPECT_EQ(r.console, loadedLine(0) + "   (0 6-mers in the input file)\n");
  }
}

TEST(FastaLoading, GreaterThanInsideAHeader) {
  // Only the '>' that starts a line after the letters opens a record.
  const Loaded r = load(">x>y >z\nACGTAC\n>w\nGG\n");
  const Utilities& u = *r.store;
  ASSERT_EQ(u.GetNumSeq(), 2);
  EXPECT_EQ(u.seqs[0].name, "x>y >z");
  EXPECT_EQ(u.seqs[0].seq, "ACGTAC");
  EXPECT_EQ(u.seqs[1].name, "w");
  EXPECT_EQ(r.console.substr(0, loadedLine(2).size()), loadedLine(2));
}

TEST(FastaLoading, GreaterThanAsLastByte) {
  const Loaded r = load(">s1\nACGTACGTAC\n>");
  ASSERT_EQ(r.store->GetNumSeq(), 1);
  EXPECT_EQ(r.store->seqs[0].seq, "ACGTACGTAC");
  EXPECT_EQ(r.store->GetBigL(), 10);
}

TEST(FastaLoading, GreaterThanAsLastNonBlankCharacter) {
  // The file's last non-blank character is a '>': it opens no record.
  for (const char* text : {">s1\nACGTACGTAC\n>\n", ">s1\nACGTACGTAC\n>\n\n  \n", ">s1\nACGTACGTAC>\r\n"}) {
    const Loaded r = load(text);
    EXPECT_EQ(r.store->GetNumSeq(), 1) << text;
    EXPECT_EQ(r.console.substr(0, loadedLine(1).size()), loadedLine(1)) << text;
  }
}

TEST(FastaLoading, LongestRecordAndOneLetterMore) {
  const std::string longest = repeat("ACGTTGCA", 4999);
  Loaded r = load(">first\nACGTAC\n>big\n" + wrapped(longest) + ">last\nGG\n");
  const Utilities& u = *r.store;
  ASSERT_EQ(u.GetNumSeq(), 3);
  EXPECT_EQ(u.seqs[1].len, 4999);
  EXPECT_EQ(u.seqs[1].seq, longest);
  EXPECT_EQ(u.seqs[1].revSeq, base::reverseComplement(longest));
  EXPECT_EQ(u.seqs[2].seq, "GG");
  EXPECT_EQ(u.GetBigL(), 6 + 4999 + 2);
  EXPECT_EQ(u.GetFullDP(), 1 + 4994);

  const std::string tooLong = longest + "A";
  std::string console;
  EXPECT_EQ(loadError(">first\nACGTAC\n>big one\n" + wrapped(tooLong) + ">last\nGG\n", &console),
            "Error: sequence 2 (big one) is longer than 4999 letters.\n");
  EXPECT_EQ(console, "Loading input sequences....");
  EXPECT_EQ(loadError(">only\n" + wrapped(repeat("AC", 12000))),
            "Error: sequence 1 (only) is longer than 4999 letters.\n");
  // Blanks do not count as letters.
  EXPECT_EQ(loadError(">spaced\n" + std::string(3000, ' ') + longest + "\t\n"), "");
}

TEST(FastaLoading, HeaderLengths) {
  const std::string h298 = repeat("chrX_", 298);
  const std::string h299 = repeat("chrY_", 299);
  Loaded r = load(">" + h298 + "\nACGT\n>" + h299 + "\r\nGGCC\n");
  ASSERT_EQ(r.store->GetNumSeq(), 2);
  EXPECT_EQ(r.store->seqs[0].name, h298);
  EXPECT_EQ(r.store->seqs[0].seq, "ACGT");
  EXPECT_EQ(r.store->seqs[1].name, h299);
  EXPECT_EQ(r.store->seqs[1].seq, "GGCC");

  // A header of 400 letters: its first 299 are the name, the rest of the line
  // is dropped and never becomes sequence letters.
  const std::string h400 = repeat("ACGT", 400);
  r = load(">" + h400 + "\nGGGGGG\n>next\nTTTTTT\n");
  ASSERT_EQ(r.store->GetNumSeq(), 2);
  EXPECT_EQ(r.store->seqs[0].name, h400.substr(0, 299));
  EXPECT_EQ(r.store->seqs[0].seq, "GGGGGG");
  EXPECT_EQ(r.store->seqs[1].name, "next");
  EXPECT_EQ(r.store->GetBigL(), 12);
}

TEST(FastaLoading, ReloadingReplacesEarlierRecords) {
  Utilities store(6, false, 1);
  store.LoadSeqs(testing_support::fastaRecords(">a\nACGTACGT\n>b\nAC\n"));
  store.LoadSeqs(testing_support::fastaRecords(">c\nGGGG\n"));
  ASSERT_EQ(store.GetNumSeq(), 1);
  EXPECT_EQ(store.seqs[0].name, "c");
  EXPECT_EQ(store.seqs[0].seq, "GGGG");
}

TEST(FastaLoading, WindowCodesAgreeWithTheLetters) {
  const Loaded r = load(">a\nACGTTGCANNACGTACCA\n>b\nacgtagxtcc\n", 6);
  for (const seqRecord& rec : r.store->seqs.records()) {
    const int n = rec.numWindows(6);
    ASSERT_EQ(static_cast<int>(rec.fwdCode.size()), n);
    for (int j = 0; j < n; ++j) {
      const std::string fwd = rec.seq.substr(j, 6), rev = rec.revSeq.substr(j, 6);
      const bool fwdAcgt = fwd.find_first_not_of("ACGT") == std::string::npos;
      const bool revAcgt = rev.find_first_not_of("ACGT") == std::string::npos;
      EXPECT_EQ(static_cast<bool>(rec.fwdAcgt[j]), fwdAcgt) << fwd;
      EXPECT_EQ(static_cast<bool>(rec.revAcgt[j]), revAcgt) << rev;
      if (fwdAcgt) {
        EXPECT_EQ(static_cast<long long>(rec.fwdCode[j]), string2num(fwd.c_str())) << fwd;
      }
      if (revAcgt) {
        EXPECT_EQ(static_cast<long long>(rec.revCode[j]), string2num(rev.c_str())) << rev;
      }
      EXPECT_EQ(static_cast<bool>(rec.fwdValid[j]), fwd.find('N') == std::string::npos) << fwd;
      EXPECT_EQ(static_cast<bool>(rec.revValid[j]), rev.find('N') == std::string::npos) << rev;
    }
  }
}

// --------------------------------------------------------- window cursor

TEST(WindowEnumeration, NumbersRunOverAllSequencesInFileOrder) {
  // Lengths 10, 7 and 8 with windows of 8: three windows in the first
  // sequence, none in the second, one in the third. Windows with N count.
  Loaded r = load(">s0\nACGTNACGTT\n>s1\nGGGGGGG\n>s2\nTTGCAACG\n", 8);
  const Utilities& store = *r.store;
  reference::InputCursor u(store.seqs);
  EXPECT_EQ(store.GetFullDP(), 4);
  EXPECT_EQ(store.GetValidDP(), 1);
  EXPECT_NE(r.console.find("   (1 8-mers in the input file)\n"), std::string::npos);

  struct Window {
    const char* kmer;
    const char* rcKmer;
    int seqIdx;
    int pos;
  };
  const Window expected[] = {
      {"ACGTNACG", "CGTNACGT", 0, 0},
      {"CGTNACGT", "ACGTNACG", 0, 1},
      {"GTNACGTT", "AACGTNAC", 0, 2},
      {"TTGCAACG", "CGTTGCAA", 2, 0},
  };
  for (int pass = 0; pass < 2; ++pass) {  // a second walk starts again at 0
    for (int n = 0; n < 4; ++n) {
      const reference::L_mer* w = u.GetInput(n);
      ASSERT_NE(w, nullptr) << n;
      EXPECT_STREQ(w->kmer, expected[n].kmer) << n;
      EXPECT_STREQ(w->rcKmer, expected[n].rcKmer) << n;
      EXPECT_EQ(w->seqIdx, expected[n].seqIdx) << n;
      EXPECT_EQ(w->pos, expected[n].pos) << n;
      EXPECT_EQ(w->score, 0.0);
      EXPECT_TRUE(w->strand);
    }
  }
  EXPECT_EQ(u.GetInput(4), nullptr);
  EXPECT_EQ(u.GetInput(-1), nullptr);
  EXPECT_EQ(u.GetInput(1000), nullptr);
}

TEST(WindowEnumeration, CursorRestartsAndWraps) {
  Loaded r = load(">s0\nACGTNACGTT\n>s1\nGGGGGGG\n>s2\nTTGCAACG\n", 8);
  const Utilities& store = *r.store;
  reference::InputCursor u(store.seqs);
  // 0 always restarts at the first window.
  ASSERT_NE(u.GetInput(2), nullptr);
  const reference::L_mer* w = u.GetInput(0);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->seqIdx, 0);
  EXPECT_EQ(w->pos, 0);
  EXPECT_STREQ(w->kmer, "ACGTNACG");
  // A request below the cursor is still answered, by wrapping around.
  ASSERT_NE(u.GetInput(3), nullptr);
  w = u.GetInput(1);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->seqIdx, 0);
  EXPECT_EQ(w->pos, 1);
  EXPECT_STREQ(w->kmer, "CGTNACGT");
  // Skipping ahead from the cursor.
  w = u.GetInput(3);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->seqIdx, 2);
  EXPECT_STREQ(w->kmer, "TTGCAACG");
  // The same window twice in a row.
  w = u.GetInput(2);
  w = u.GetInput(2);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->seqIdx, 0);
  EXPECT_EQ(w->pos, 2);
  // A failed request leaves the next ones correct.
  EXPECT_EQ(u.GetInput(9), nullptr);
  w = u.GetInput(3);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->seqIdx, 2);
  EXPECT_EQ(w->pos, 0);
}

TEST(WindowEnumeration, RecordIsRefilledOnEveryCall) {
  Loaded r = load(">s0\nACGTACGTAC\n", 8);
  const Utilities& store = *r.store;
  reference::InputCursor u(store.seqs);
  reference::L_mer* w = const_cast<reference::L_mer*>(u.GetInput(1));
  ASSERT_NE(w, nullptr);
  w->score = 7.5;
  w->strand = false;
  const reference::L_mer* again = u.GetInput(2);
  EXPECT_EQ(again, w);  // the cursor's one scratch record
  EXPECT_EQ(again->score, 0.0);
  EXPECT_TRUE(again->strand);
  EXPECT_STREQ(again->kmer, "GTACGTAC");
  EXPECT_STREQ(again->rcKmer, "GTACGTAC");
}

TEST(WindowEnumeration, LeadingEmptyAndShortRecords) {
  Loaded r = load(">e\n>short\nACG\n>s\nACGTAC\n", 6);
  const Utilities& store = *r.store;
  reference::InputCursor u(store.seqs);
  ASSERT_EQ(store.GetFullDP(), 1);
  const reference::L_mer* w = u.GetInput(0);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->seqIdx, 2);
  EXPECT_EQ(w->pos, 0);
  EXPECT_STREQ(w->kmer, "ACGTAC");
  EXPECT_STREQ(w->rcKmer, "GTACGT");
  EXPECT_EQ(u.GetInput(1), nullptr);
}

TEST(WindowEnumeration, NoWindowsAtAll) {
  Loaded r = load(">a\nACG\n>b\nAC\n", 6);
  EXPECT_EQ(r.store->GetFullDP(), 0);
  EXPECT_EQ(reference::InputCursor(r.store->seqs).GetInput(0), nullptr);
}

// The engine reads windows through siteAt; the cursor, initKmer and fromLmer
// are their literal definitions. On random records holding N and other
// letters, of lengths around the window length, the n-th window of the cursor
// is the n-th forward site, and both strands of every window agree.
TEST(WindowEnumeration, CursorAndInitKmerAgreeWithSiteAt) {
  std::mt19937 rng(20250);
  const char letters[] = "ACGTACGTACGTNnRy";
  for (int trial = 0; trial < 20; ++trial) {
    const int L = 6 + trial % 9;
    std::string fasta;
    for (int r = 0; r < 5; ++r) {
      fasta += ">r" + std::to_string(r) + "\n";
      const int len = static_cast<int>(rng() % static_cast<unsigned>(3 * L));
      for (int i = 0; i < len; ++i) fasta += letters[rng() % 16];
      fasta += "\n";
    }
    const Loaded loaded = load(fasta, L);
    const SequenceSet& seqs = loaded.store->seqs;
    reference::InputCursor cursor(seqs);
    int n = 0;
    for (int seq = 0; seq < seqs.numSeq(); ++seq) {
      for (int pos = 0; pos < seqs[seq].numWindows(L); ++pos, ++n) {
        SCOPED_TRACE(fasta + " window " + std::to_string(n));
        const reference::L_mer* mer = cursor.GetInput(n);
        ASSERT_NE(mer, nullptr);
        EXPECT_EQ(mer->seqIdx, seq);
        EXPECT_EQ(mer->pos, pos);
        for (bool strand : {true, false}) {
          const Site site = seqs.siteAt(seq, pos, strand);
          const Site literal = reference::fromLmer(reference::initKmer(seqs, pos, seq, strand), L);
          EXPECT_STREQ(site.text, literal.text);
          EXPECT_EQ(site.strand, literal.strand);
          EXPECT_EQ(site.pos, literal.pos);
          EXPECT_EQ(site.seqIdx, literal.seqIdx);
          EXPECT_EQ(site.acgt, literal.acgt);
          if (site.acgt) {
            EXPECT_EQ(site.code, literal.code);
          }
        }
        reference::L_mer forward = *mer;
        const Site fromCursor = reference::fromLmer(forward, L);
        EXPECT_STREQ(fromCursor.text, seqs.siteAt(seq, pos, true).text);
        forward.strand = false;
        // The cursor's reverse word is the reverse-strand site of the same window.
        const int revPos = seqs[seq].numWindows(L) - 1 - pos;
        EXPECT_STREQ(reference::fromLmer(forward, L).text, seqs.siteAt(seq, revPos, false).text);
        EXPECT_EQ(seqs.siteAt(seq, revPos, false).pos, pos);
      }
    }
    EXPECT_EQ(n, loaded.store->GetFullDP());
    EXPECT_EQ(cursor.GetInput(n), nullptr);
  }
}

// ------------------------------------------------------ seed-sequence choice

TEST(SeedSequenceChoice, HighestScoresInIndexOrder) {
  Loaded r = load(">a\nACGTAC\n>b\nACGTAC\n>c\nACGTAC\n>d\nACGTAC\n");
  Utilities& u = *r.store;
  const double scores[] = {0.5, 2.0, -1.0, 1.5};
  u.maps.logOdds.assign(std::begin(scores), std::end(scores));
  EXPECT_EQ(u.selSeqs(1), (std::vector<int>{1}));
  EXPECT_EQ(u.selSeqs(2), (std::vector<int>{1, 3}));
  EXPECT_EQ(u.selSeqs(3), (std::vector<int>{0, 1, 3}));
  EXPECT_EQ(u.selSeqs(4), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_TRUE(u.selSeqs(0).empty());
  // The scores are left as they were.
  EXPECT_EQ(u.maps.logOdds, std::vector<double>(std::begin(scores), std::end(scores)));
}

TEST(SeedSequenceChoice, TiesAndMinusInfinity) {
  Loaded r = load(">a\nA\n>b\nA\n>c\nA\n>d\nA\n>e\nA\n>f\nA\n");
  Utilities& u = *r.store;
  const double minusInf = -std::numeric_limits<double>::infinity();
  const double scores[] = {minusInf, 1.0, 3.0, 1.0, minusInf, -50.0};
  u.maps.logOdds.assign(std::begin(scores), std::end(scores));
  EXPECT_EQ(u.selSeqs(1), (std::vector<int>{2}));
  EXPECT_EQ(u.selSeqs(3), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(u.selSeqs(4), (std::vector<int>{1, 2, 3, 5}));
  // Which of the two equal scores 1.0 comes with 3.0 is not fixed, only that
  // exactly one does.
  const std::vector<int> two = u.selSeqs(2);
  ASSERT_EQ(two.size(), 2u);
  EXPECT_TRUE(two == (std::vector<int>{1, 2}) || two == (std::vector<int>{2, 3}));
  // Minus infinity comes last: one of the two such sequences fills place 5.
  const std::vector<int> five = u.selSeqs(5);
  ASSERT_EQ(five.size(), 5u);
  EXPECT_TRUE(five == (std::vector<int>{0, 1, 2, 3, 5}) || five == (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST(SeedSequenceChoice, SequenceWithoutValidWindowsRanksLast) {
  // Uniform models give every valid window a log-odds of 0; an all-N sequence
  // has no valid window at all and must not be chosen before the others.
  auto store = testing_support::makeStore(">n1\nNNNNNNNN\n>ok\nACGTACGT\n>n2\nNNNNNNNNNN\n>ok2\nTTGACA\n", 6, 3,
                                          /*withScore=*/true);
  EXPECT_EQ(store->maps.logOdds[1], 0.0);
  EXPECT_EQ(store->selSeqs(2), (std::vector<int>{1, 3}));
}

// ------------------------------------------------------- encoding helpers

TEST(WordHelpers, ReverseComplement) {
  struct Case {
    const char* src;
    const char* rc;
  };
  const Case cases[] = {{"ACGTN", "NACGT"}, {"acgtn", "NACGT"}, {"ACGX", "NCGT"}, {"AAAC", "GTTT"},
                        {"A", "T"},         {"", ""},           {"ACGT", "ACGT"}, {"a-c*", "NGNT"}};
  for (const Case& c : cases) {
    char dst[16];
    std::memset(dst, 'Z', sizeof dst);
    reference::RevComp(c.src, dst);
    EXPECT_STREQ(dst, c.rc) << c.src;
    EXPECT_EQ(dst[std::strlen(c.src) + 1], 'Z') << "wrote past the terminating NUL";
    EXPECT_EQ(base::reverseComplement(std::string(c.src)), c.rc) << c.src;
  }
}

TEST(WordHelpers, ValidityLooksOnlyForUpperCaseN) {
  EXPECT_TRUE(SequenceSet::validateKmer("ACGTAC", 6));
  EXPECT_FALSE(SequenceSet::validateKmer("ACGNAC", 6));
  EXPECT_TRUE(SequenceSet::validateKmer("ACGNAC", 3));  // only the first n letters
  EXPECT_FALSE(SequenceSet::validateKmer("NCGTAC", 1));
  EXPECT_TRUE(SequenceSet::validateKmer("acgnac", 6));
  EXPECT_TRUE(SequenceSet::validateKmer("XYZ-*R", 6));
  EXPECT_TRUE(SequenceSet::validateKmer("N", 0));
}

TEST(WordHelpers, NoNewLineCutsAtTheFirstLineFeed) {
  char a[] = "abc\ndef\n";
  reference::noNewLine(a);
  EXPECT_STREQ(a, "abc");
  char b[] = "abc";
  reference::noNewLine(b);
  EXPECT_STREQ(b, "abc");
  char c[] = "\n";
  reference::noNewLine(c);
  EXPECT_STREQ(c, "");
  char d[] = "x\r\n";
  reference::noNewLine(d);
  EXPECT_STREQ(d, "x\r");
}

TEST(WordHelpers, NucleotideCodes) {
  EXPECT_EQ(base::markovCode('A'), 0);
  EXPECT_EQ(base::markovCode('a'), 0);
  EXPECT_EQ(base::markovCode('C'), 1);
  EXPECT_EQ(base::markovCode('c'), 1);
  EXPECT_EQ(base::markovCode('G'), 2);
  EXPECT_EQ(base::markovCode('g'), 2);
  EXPECT_EQ(base::markovCode('T'), 3);
  EXPECT_EQ(base::markovCode('t'), 3);
  for (char other : {'N', 'n', 'U', 'X', '-', '0', ' ', '\0'}) EXPECT_EQ(base::markovCode(other), 0) << other;

  EXPECT_EQ(string2num("ACGT"), 27);
  EXPECT_EQ(string2num("acgt"), 27);
  EXPECT_EQ(string2num("TTTT"), 255);
  EXPECT_EQ(string2num("N"), 0);
  EXPECT_EQ(string2num(""), 0);
  EXPECT_EQ(string2num("G"), 2);
  EXPECT_EQ(string2num("TA"), 12);
  EXPECT_EQ(string2num("CAAAA"), 256);
  EXPECT_EQ(string2num("ANGT"), string2num("AAGT"));
  EXPECT_EQ(string2num("ANGT"), 11);
  EXPECT_EQ(string2num(std::string(20, 'T').c_str()), 1099511627775LL);  // 4^20 - 1
}

// ------------------------------------------------------------ site record

TEST(SiteRecord, CopySegmentCutsWordsToK) {
  reference::L_mer site;
  std::strcpy(site.kmer, "ACGTACGTAAAA");
  std::strcpy(site.rcKmer, "TTTTACGTACGT");
  site.pos = 17;
  site.seqIdx = 4;
  site.score = -2.25;
  site.strand = false;
  site.matIdx = 9;
  const reference::L_mer copy = reference::copySegment(site, 8);
  EXPECT_STREQ(copy.kmer, "ACGTACGT");
  EXPECT_STREQ(copy.rcKmer, "TTTTACGT");
  EXPECT_EQ(copy.pos, 17);
  EXPECT_EQ(copy.seqIdx, 4);
  EXPECT_EQ(copy.score, -2.25);
  EXPECT_FALSE(copy.strand);
  EXPECT_EQ(copy.matIdx, 9);
  EXPECT_STREQ(copy.text(), "TTTTACGT");
  // The source is not changed.
  EXPECT_STREQ(site.kmer, "ACGTACGTAAAA");
  EXPECT_STREQ(site.rcKmer, "TTTTACGTACGT");

  // Words of exactly K letters are kept; shorter ones stay as they are.
  std::strcpy(site.kmer, "GGGGCCCC");
  std::strcpy(site.rcKmer, "GGG");
  const reference::L_mer exact = reference::copySegment(site, 8);
  EXPECT_STREQ(exact.kmer, "GGGGCCCC");
  EXPECT_STREQ(exact.rcKmer, "GGG");
}

TEST(SiteRecord, HammingDistance) {
  EXPECT_EQ(hammingDist("ACGT", "ACGA", 4), 1);
  EXPECT_EQ(hammingDist("ACGT", "ACGA", 3), 0);
  EXPECT_EQ(hammingDist("acgt", "ACGT", 4), 4);  // case-sensitive
  EXPECT_EQ(hammingDist("ACGT", "TGCA", 4), 4);
  EXPECT_EQ(hammingDist("ACGT", "ACGT", 4), 0);
  EXPECT_EQ(hammingDist("ACGT", "TCGT", 0), 0);
  EXPECT_EQ(hammingDist("ACGT", "TCGT", -5), 0);
  EXPECT_EQ(hammingDist("ANGT", "AAGT", 4), 1);  // N is a letter of its own here
  // No stop at a NUL: the letters after it are compared too.
  const char a[] = {'A', 'C', '\0', 'T', 'G'};
  const char b[] = {'A', 'C', '\0', 'G', 'G'};
  EXPECT_EQ(hammingDist(a, b, 5), 1);
}

TEST(SiteRecord, LogTwo) {
  EXPECT_EQ(engine::log2(8.0), 3.0);
  EXPECT_EQ(engine::log2(1.0), 0.0);
  EXPECT_EQ(engine::log2(0.5), -1.0);
  EXPECT_EQ(engine::log2(0.0), -std::numeric_limits<double>::infinity());
  EXPECT_NEAR(engine::log2(10.0), 3.321928094887362, 1e-14);
  // The default seed counts: ceil(log2 N).
  const int n[] = {2, 3, 4, 5, 8, 16, 17, 100, 1000};
  const int seeds[] = {1, 2, 2, 3, 3, 4, 5, 7, 10};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(static_cast<int>(std::ceil(engine::log2(n[i]))), seeds[i]) << n[i];
}

TEST(SiteRecord, ReverseStrandSiteUsesForwardPosition) {
  // Length 20, K = 8: the window at position 0 of the reverse complement covers
  // forward positions 12 to 19.
  const std::string seq = "AAAACCCCGGGGTTTTACGA";
  Loaded r = load(">s\n" + seq + "\n", 8);
  const seqRecord& rec = r.store->seqs[0];
  ASSERT_EQ(rec.len, 20);
  const Site rev = r.store->seqs.siteAt(0, 0, false);
  EXPECT_EQ(rev.pos, 12);
  EXPECT_FALSE(rev.strand);
  EXPECT_STREQ(rev.text, "TCGTAAAA");  // reverse complement of TTTTACGA
  EXPECT_EQ(rec.revSeq.substr(0, 8), "TCGTAAAA");
  const Site fwd = r.store->seqs.siteAt(0, 12, true);
  EXPECT_EQ(fwd.pos, 12);
  EXPECT_STREQ(fwd.text, "TTTTACGA");

  // The window record at forward position 12 carries both words.
  reference::InputCursor cursor(r.store->seqs);
  const reference::L_mer* w = cursor.GetInput(12);
  ASSERT_NE(w, nullptr);
  EXPECT_STREQ(w->kmer, "TTTTACGA");
  EXPECT_STREQ(w->rcKmer, "TCGTAAAA");
  reference::L_mer site = *w;
  site.strand = false;
  EXPECT_STREQ(site.text(), "TCGTAAAA");
}
