// Loading of the background and foreground Markov models: where each entry
// lands, which length becomes the chain order, the window probabilities under
// both chains, and every kind of model file the reader refuses.
#include <cstdio>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "cli/zelkova_command.h"
#include "engine/markov_model.h"
#include "support.h"

using namespace testing_support;

namespace {

// The word of n letters whose base-4 number is idx (A=0, C=1, G=2, T=3).
std::string wordOf(int n, long idx) {
  std::string w(static_cast<std::size_t>(n), 'A');
  for (int i = n - 1; i >= 0; --i, idx /= 4) w[static_cast<std::size_t>(i)] = "ACGT"[idx % 4];
  return w;
}

// Base-4 number of a word, written out here so the tests do not lean on the
// program's own encoder.
long indexOf(const std::string& w) {
  long v = 0;
  for (char c : w) v = v * 4 + static_cast<long>(std::strchr("ACGT", c) - "ACGT");
  return v;
}

// Distinct values for every word, all exact in single precision:
// (idx + 1) / 2^(2n+1) lies in (0, 0.5] with a granularity of 2^-17, and n/64 keeps
// the tables of different lengths apart.
double bgValue(int n, long idx) { return static_cast<double>(idx + 1) / static_cast<double>(2L << (2 * n)) + n / 64.0; }
double fgValue(int n, long idx) { return static_cast<double>(idx + 1) / static_cast<double>(4L << (2 * n)) + n / 32.0; }

std::string entry(long idx, const std::string& word, double value) {
  char line[96];
  std::snprintf(line, sizeof line, "%ld %s %.17g 1 0.25\n", idx, word.c_str(), value);
  return line;
}

// Every word of n letters, in ascending index order.
std::string allWords(int n, double (*value)(int, long)) {
  std::string text;
  for (long idx = 0; idx < (1L << (2 * n)); ++idx) text += entry(idx, wordOf(n, idx), value(n, idx));
  return text;
}

std::string modelUpTo(int maxLength, double (*value)(int, long)) {
  std::string text;
  for (int n = 1; n <= maxLength; ++n) text += allWords(n, value);
  return text;
}

const std::string& fullBackground() {
  static const std::string text = modelUpTo(8, bgValue);
  return text;
}

const std::string& fullForeground() {
  static const std::string text = modelUpTo(8, fgValue);
  return text;
}

float asFloat(double v) { return static_cast<float>(v); }

// A store of motif length k loaded the way a run loads it: sequences, window
// count, background model, then foreground model, all from files.
struct LoadedStore {
  std::unique_ptr<Utilities> util;
  std::string console;
};

LoadedStore loadFromFiles(const std::string& fasta, const std::string& bgText, const std::string& fgText, int k) {
  TempFile fa(fasta, ".fa"), bg(bgText), fg(fgText);
  LoadedStore loaded;
  CollectedProgress progress;
  loaded.util = std::make_unique<Utilities>(k, false, 1, progress.sink());
  loaded.util->OpenFiles(fa.path(), bg.path(), fg.path());
  loaded.util->LoadSeqs();
  loaded.util->CountDP();
  loaded.util->GetBackground();
  loaded.util->GetForeground();
  loaded.console = progress.text();
  return loaded;
}

// The message of the stop caused by loading the two models, with the paths
// the files had; empty when both load.
struct Refusal {
  std::string message;
  std::string bgPath;
  std::string fgPath;
};

Refusal refusalOfModels(const std::string& bgText, const std::string& fgText) {
  TempFile fa(">s\nACGTACGTAC\n", ".fa"), bg(bgText), fg(fgText);
  Refusal r{"", bg.path(), fg.path()};
  Utilities util(6, false, 1);
  util.OpenFiles(fa.path(), bg.path(), fg.path());
  try {
    util.LoadSeqs();
    util.CountDP();
    util.GetBackground();
    util.GetForeground();
  } catch (const FatalError& stop) {
    r.message = stop.what();
  }
  return r;
}

// The message with which readMarkovModel refuses the text, or "" when it loads.
std::string readerRefusal(const std::string& text, const std::string& fileName) {
  TempFile file(text);
  std::FILE* f = std::fopen(file.path().c_str(), "r");
  EXPECT_NE(f, nullptr);
  std::string message;
  try {
    readMarkovModel(f, fileName);
  } catch (const FatalError& stop) {
    message = stop.what();
  }
  std::fclose(f);
  return message;
}

// Whether the message names the word as a word of its own; the file path is
// taken out first, as a temporary name may hold capital letters.
bool namesWord(std::string message, const std::string& word, const std::string& path) {
  for (std::size_t at; (at = message.find(path)) != std::string::npos;) message.erase(at, path.size());
  return std::regex_search(message, std::regex("(^|[^ACGT])" + word + "([^ACGT]|$)"));
}

}  // namespace

// ---------------------------------------------------------------- loading

TEST(MarkovLoading, FullModelOfLengthsOneToEightGivesOrderEightAndEveryEntryAtItsIndex) {
  LoadedStore s = loadFromFiles(">s\nACGTACGTAC\n", fullBackground(), fullForeground(), 6);
  const BackgroundModel& u = s.util->models;
  EXPECT_EQ(u.markovOrder, 8);
  for (int n = 1; n <= MAX_MARKOV; ++n) {
    ASSERT_EQ(u.bmarkov[n].size(), std::size_t{1} << (2 * n)) << "table " << n;
    ASSERT_EQ(u.fmarkov[n].size(), std::size_t{1} << (2 * n)) << "table " << n;
  }
  // All 87380 entries stand where their word looks them up.
  long checked = 0;
  for (int n = 1; n <= MAX_MARKOV; ++n) {
    for (long idx = 0; idx < (1L << (2 * n)); ++idx, ++checked) {
      ASSERT_EQ(u.bmarkov[n][static_cast<std::size_t>(idx)], asFloat(bgValue(n, idx))) << wordOf(n, idx);
      ASSERT_EQ(u.fmarkov[n][static_cast<std::size_t>(idx)], asFloat(fgValue(n, idx))) << wordOf(n, idx);
    }
  }
  EXPECT_EQ(checked, 4 + 16 + 64 + 256 + 1024 + 4096 + 16384 + 65536);
  EXPECT_NE(s.console.find("Loading background nucleotides distributions....DONE\n"
                           "Loading foreground nucleotides distributions....DONE\n"),
            std::string::npos)
      << s.console;
}

TEST(MarkovLoading, EntriesInAnyOrderLandAtTheirIndex) {
  // Order-2 model with the 1-letter words last-to-first and the 2-letter words
  // shuffled; the last line still has a 2-letter word. AC (index 1) gets 0.75.
  std::string text;
  for (long idx = 3; idx >= 0; --idx) text += entry(idx, wordOf(1, idx), bgValue(1, idx));
  const long order2[] = {7, 1, 15, 0, 9, 4, 12, 2, 14, 3, 8, 5, 11, 6, 13, 10};
  for (long idx : order2) text += entry(idx, wordOf(2, idx), idx == 1 ? 0.75 : bgValue(2, idx));
  LoadedStore s = loadFromFiles(">s\nACGTACGTAC\n", text, text, 6);
  const BackgroundModel& u = s.util->models;
  EXPECT_EQ(u.markovOrder, 2);
  EXPECT_EQ(u.bmarkov[2][1], 0.75f);                   // AC = 0*4 + 1
  EXPECT_EQ(u.bmarkov[2][4], asFloat(bgValue(2, 4)));  // CA = 1*4 + 0, not AC
  for (long idx = 0; idx < 4; ++idx) EXPECT_EQ(u.bmarkov[1][idx], asFloat(bgValue(1, idx)));
  for (long idx = 0; idx < 16; ++idx) {
    if (idx == 1) continue;
    EXPECT_EQ(u.bmarkov[2][idx], asFloat(bgValue(2, idx))) << wordOf(2, idx);
  }
}

TEST(MarkovLoading, OrderComesFromTheLastLineEvenAfterLongerWords) {
  // Lengths 1..5, then some 7- and 8-letter words, then every 6-letter word:
  // markovOrder is 6, the 7- and 8-letter words are never consulted.
  std::string text = modelUpTo(5, bgValue);
  text += entry(indexOf("ACGTTGC"), "ACGTTGC", 0.9);
  text += entry(indexOf("ACGTTGCA"), "ACGTTGCA", 0.9);
  text += entry(indexOf("TTTTTTTT"), "TTTTTTTT", 0.9);
  text += allWords(6, bgValue);
  LoadedStore s = loadFromFiles(">s\nACGTTGCA\n", text, modelUpTo(6, fgValue), 7);
  const BackgroundModel& u = s.util->models;
  const SequenceSet& seqs = s.util->seqs;
  EXPECT_EQ(u.markovOrder, 6);
  // Window ACGTTGC (7 letters): tables 1 to 6, then the 6-letter context CGTTGC.
  auto T = [](const std::string& w) {
    return static_cast<double>(asFloat(bgValue(static_cast<int>(w.size()), indexOf(w))));
  };
  const double expected = T("A") * T("AC") * T("ACG") * T("ACGT") * T("ACGTT") * T("ACGTTG") * T("CGTTGC");
  EXPECT_DOUBLE_EQ(u.probKmerGivenBack(seqs[0], 0, true, 7), expected);
}

TEST(MarkovLoading, ShortWindowUsesOnlyTheTablesUpToItsLength) {
  // Sequence CAGTTACGTTGCAA; the window CAG at 0 is shorter than markovOrder 8.
  LoadedStore s = loadFromFiles(">s\nCAGTTACGTTGCAA\n", fullBackground(), fullForeground(), 6);
  const BackgroundModel& u = s.util->models;
  const SequenceSet& seqs = s.util->seqs;
  // T1[C] x T2[CA] x T3[CAG]: C = 1, CA = 1*4 + 0 = 4, CAG = 1*16 + 0*4 + 2 = 18.
  const double back = static_cast<double>(asFloat(bgValue(1, 1))) * asFloat(bgValue(2, 4)) * asFloat(bgValue(3, 18));
  const double fore = static_cast<double>(asFloat(fgValue(1, 1))) * asFloat(fgValue(2, 4)) * asFloat(fgValue(3, 18));
  EXPECT_DOUBLE_EQ(u.probKmerGivenBack(seqs[0], 0, true, 3), back);
  EXPECT_DOUBLE_EQ(u.probKmerGivenFore(seqs[0], 0, true, 3), fore);
}

TEST(MarkovLoading, TenLetterWindowUnderOrderEightHasTenFactors) {
  // The forward window at 4 of CAGTTACGTTGCAA is TACGTTGCAA; revSeq is
  // TTGCAACGTAACTG, whose window at 0 is TTGCAACGTA.
  LoadedStore s = loadFromFiles(">s\nCAGTTACGTTGCAA\n", fullBackground(), fullForeground(), 10);
  const BackgroundModel& u = s.util->models;
  const SequenceSet& seqs = s.util->seqs;
  ASSERT_EQ(seqs[0].revSeq, "TTGCAACGTAACTG");
  auto chain = [](const std::string& x, double (*value)(int, long)) {
    auto T = [value](const std::string& w) {
      return static_cast<double>(asFloat(value(static_cast<int>(w.size()), indexOf(w))));
    };
    // T1[x0] T2[x0x1] ... T8[x0..x7] T8[x1..x8] T8[x2..x9]
    return T(x.substr(0, 1)) * T(x.substr(0, 2)) * T(x.substr(0, 3)) * T(x.substr(0, 4)) * T(x.substr(0, 5)) *
           T(x.substr(0, 6)) * T(x.substr(0, 7)) * T(x.substr(0, 8)) * T(x.substr(1, 8)) * T(x.substr(2, 8));
  };
  EXPECT_DOUBLE_EQ(u.probKmerGivenBack(seqs[0], 4, true, 10), chain("TACGTTGCAA", bgValue));
  EXPECT_DOUBLE_EQ(u.probKmerGivenFore(seqs[0], 4, true, 10), chain("TACGTTGCAA", fgValue));
  EXPECT_DOUBLE_EQ(u.probKmerGivenBack(seqs[0], 0, false, 10), chain("TTGCAACGTA", bgValue));
}

TEST(MarkovLoading, ForegroundKeepsTheBackgroundOrder) {
  // Background of order 6, foreground of order 8: the order stays 6 and the
  // foreground chain also uses 6-letter contexts.
  LoadedStore s = loadFromFiles(">s\nACGTTGCA\n", modelUpTo(6, bgValue), fullForeground(), 7);
  const BackgroundModel& u = s.util->models;
  const SequenceSet& seqs = s.util->seqs;
  EXPECT_EQ(u.markovOrder, 6);
  auto T = [](const std::string& w) {
    return static_cast<double>(asFloat(fgValue(static_cast<int>(w.size()), indexOf(w))));
  };
  const double expected = T("A") * T("AC") * T("ACG") * T("ACGT") * T("ACGTT") * T("ACGTTG") * T("CGTTGC");
  EXPECT_DOUBLE_EQ(u.probKmerGivenFore(seqs[0], 0, true, 7), expected);
}

// ---------------------------------------------------------------- refusals

TEST(MarkovModelReader, RefusesEachMalformedEntryNamingFileAndLine) {
  const std::string good = "0 A 0.25 1 0.25\n1 C 0.25 1 0.25\n";
  struct Case {
    const char* what;
    const char* line;
  };
  const Case cases[] = {
      {"four fields", "2 G 0.25 1\n"},
      {"six fields", "2 G 0.25 1 0.25 7\n"},
      {"index not a number", "x G 0.25 1 0.25\n"},
      {"count not an integer", "2 G 0.25 many 0.25\n"},
      {"last field not a number", "2 G 0.25 1 abc\n"},
      {"nine-letter word", "0 AAAAAAAAA 0.25 1 0.25\n"},
      {"letter N", "0 N 0.25 1 0.25\n"},
      {"N inside a word", "4 CAN 0.25 1 0.25\n"},
      {"lower-case letter", "2 g 0.25 1 0.25\n"},
      {"index of another word", "2 AC 0.25 1 0.25\n"},  // AC is 1
      {"index past the table", "16 AC 0.25 1 0.25\n"},
      {"negative index", "-1 T 0.25 1 0.25\n"},
      {"index 2^32 + 1", "4294967297 AC 0.25 1 0.25\n"},                     // wraps to 1 in 32 bits
      {"20-digit index 2^64 + 1", "18446744073709551617 AC 0.25 1 0.25\n"},  // wraps to 1 in 64 bits
      {"probability 0", "2 G 0 1 0.25\n"},
      {"probability 0.0", "2 G 0.0 1 0.25\n"},
      {"negative probability", "2 G -0.25 1 0.25\n"},
      {"probability NaN", "2 G nan 1 0.25\n"},
      {"probability infinite", "2 G inf 1 0.25\n"},
      {"probability above 1", "2 G 1.5 1 0.25\n"},
      {"probability not a number", "2 G abc 1 0.25\n"},
      {"probability with trailing text", "2 G 0.25x 1 0.25\n"},
      {"probability missing", "2 G  1 0.25\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string message = readerRefusal(good + c.line + "3 T 0.25 1 0.25\n", "bg-model.txt");
    ASSERT_FALSE(message.empty()) << "accepted";
    EXPECT_NE(message.find("bg-model.txt"), std::string::npos) << message;
    EXPECT_NE(message.find("line 3"), std::string::npos) << message;
  }
}

TEST(MarkovModelReader, LineNumbersCountEveryLineOfTheFile) {
  // Line 1 good, line 2 empty, line 3 good, line 4 bad.
  const std::string message = readerRefusal("0 A 0.25 1 0.25\n\n1 C 0.25 1 0.25\n2 G 2 1 0.25\n", "m.txt");
  EXPECT_NE(message.find("line 4"), std::string::npos) << message;
  // A bad first line is line 1, not 0.
  const std::string first = readerRefusal("0 Q 0.25 1 0.25\n", "m.txt");
  EXPECT_NE(first.find("line 1"), std::string::npos) << first;
}

TEST(MarkovModelReader, BoundaryProbabilitiesLoad) {
  // 1 is inside (0, 1]; so is a small positive value.
  EXPECT_EQ(readerRefusal("0 A 1 1 0.25\n1 C 1.0 1 0.25\n2 G 0.000001 1 0.25\n3 T 1e-3 1 0.25\n", "m.txt"), "");
}

TEST(MarkovModelReader, FieldsAreSeparatedByAnyWhiteSpace) {
  // Tabs, an entry spread over two lines and two entries sharing a line all
  // read like the customary one-entry-a-line layout.
  const std::string text = "0\tA\t0.125\t1\t0.25\n1 C 0.25\n 1 0.25\n2 G 0.375 1 0.25 3 T 0.25 1 0.25\n";
  TempFile file(text);
  std::FILE* f = std::fopen(file.path().c_str(), "r");
  ASSERT_NE(f, nullptr);
  try {
    const MarkovModel model = readMarkovModel(f, "spread.txt");
    EXPECT_EQ(model.lastWordLength, 1);
    EXPECT_EQ(model.tables[1], (std::vector<float>{0.125f, 0.25f, 0.375f, 0.25f}));
  } catch (const FatalError& stop) {
    ADD_FAILURE() << "refused: " << stop.what();
  }
  std::fclose(f);
}

TEST(MarkovModelReader, RefusesAFileWithoutEntries) {
  for (const char* text : {"", "\n", "  \n\t\n\n"}) {
    SCOPED_TRACE(testing::PrintToString(std::string(text)));
    const std::string message = readerRefusal(text, "empty-model.txt");
    ASSERT_FALSE(message.empty()) << "accepted";
    EXPECT_NE(message.find("empty-model.txt"), std::string::npos) << message;
  }
}

TEST(MarkovLoading, RefusalsThroughTheStoreNameTheFilePath) {
  // A background whose line 5 has an index that is not its word's.
  std::string bad = modelUpTo(1, bgValue) + "3 AA 0.5 1 0.25\n" + allWords(2, bgValue);
  Refusal r = refusalOfModels(bad, modelUpTo(2, fgValue));
  ASSERT_FALSE(r.message.empty());
  EXPECT_NE(r.message.find(r.bgPath), std::string::npos) << r.message;
  EXPECT_NE(r.message.find("line 5"), std::string::npos) << r.message;

  // The same fault in the foreground names the foreground file.
  r = refusalOfModels(modelUpTo(2, bgValue), modelUpTo(1, fgValue) + "3 AA 0.5 1 0.25\n" + allWords(2, fgValue));
  ASSERT_FALSE(r.message.empty());
  EXPECT_NE(r.message.find(r.fgPath), std::string::npos) << r.message;
  EXPECT_NE(r.message.find("line 5"), std::string::npos) << r.message;

  // An empty background file.
  r = refusalOfModels("", modelUpTo(2, fgValue));
  ASSERT_FALSE(r.message.empty());
  EXPECT_NE(r.message.find(r.bgPath), std::string::npos) << r.message;
}

namespace {

// Every word of 1 to maxLength letters except the given ones.
std::string modelWithout(int maxLength, const std::vector<std::string>& missing) {
  std::string text;
  for (int n = 1; n <= maxLength; ++n)
    for (long idx = 0; idx < (1L << (2 * n)); ++idx) {
      const std::string w = wordOf(n, idx);
      bool skip = false;
      for (const std::string& m : missing) skip = skip || m == w;
      if (!skip) text += entry(idx, w, bgValue(n, idx));
    }
  return text;
}

}  // namespace

TEST(MarkovLoading, BackgroundMissingAWordIsRefusedNamingTheFirstMissingWord) {
  struct Case {
    std::vector<std::string> missing;
    std::string named;
  };
  const Case cases[] = {
      {{"G"}, "G"},          {{"AC"}, "AC"}, {{"GT", "AC"}, "AC"},  // lower index first
      {{"AAA", "TT"}, "TT"},                                        // shorter word first
      {{"TTG"}, "TTG"},                                             // a word of the last length
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.named);
    const Refusal r = refusalOfModels(modelWithout(3, c.missing), modelUpTo(3, fgValue));
    ASSERT_FALSE(r.message.empty()) << "accepted";
    EXPECT_NE(r.message.find(r.bgPath), std::string::npos) << r.message;
    EXPECT_TRUE(namesWord(r.message, c.named, r.bgPath)) << r.message;
  }
}

TEST(MarkovLoading, ForegroundMustGiveEveryWordUpToTheBackgroundOrder) {
  // Background of order 3; a foreground of order 2 lacks AAA, the first
  // 3-letter word.
  Refusal r = refusalOfModels(modelUpTo(3, bgValue), modelUpTo(2, fgValue));
  ASSERT_FALSE(r.message.empty()) << "accepted";
  EXPECT_NE(r.message.find(r.fgPath), std::string::npos) << r.message;
  EXPECT_TRUE(namesWord(r.message, "AAA", r.fgPath)) << r.message;

  // A foreground lacking one word within the order.
  r = refusalOfModels(modelUpTo(3, bgValue), modelUpTo(1, fgValue) + allWords(3, fgValue));
  ASSERT_FALSE(r.message.empty()) << "accepted";
  EXPECT_TRUE(namesWord(r.message, "AA", r.fgPath)) << r.message;

  // Words above the background order are not needed: a foreground of order 2
  // with a single 5-letter word on its last line loads under a background of order 2.
  r = refusalOfModels(modelUpTo(2, bgValue), modelUpTo(2, fgValue) + entry(0, "AAAAA", 0.5));
  EXPECT_EQ(r.message, "");
  // A background of order 2 does not need 3-letter words either.
  r = refusalOfModels(modelUpTo(2, bgValue), modelUpTo(3, fgValue));
  EXPECT_EQ(r.message, "");
}

TEST(MarkovLoading, RunStopsWithStatusOneOnABrokenModel) {
  TempFile fa(">s\nACGTACGTACGTACGT\n", ".fa");
  TempFile bg(modelUpTo(1, bgValue) + "0 AA 0.25 1\n");  // line 5: four fields
  TempFile fg(modelUpTo(2, fgValue));
  const char* argv[] = {"zelkova", "-f", fa.path().c_str(), "-b", bg.path().c_str(), "-z", fg.path().c_str(),
                        "-l",      "6"};
  int status = 0;
  std::string console;
  {
    CapturedStdout out;
    status = runZelkova(9, argv);
    console = out.text();
  }
  EXPECT_EQ(status, 1);
  EXPECT_NE(console.find(bg.path()), std::string::npos) << console;
  EXPECT_NE(console.find("line 5"), std::string::npos) << console;
}
