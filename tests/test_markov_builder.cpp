#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "base/words.h"
#include "engine/markov_model.h"
#include "fatal_message.h"
#include "stats/markov_builder.h"
#include "support.h"

using stats::modelText;
using stats::WordCounts;
using testing_support::fatalMessage;
using testing_support::TempFile;

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Two records: an N and lower-case letters in the first; no word may run from
// the end of one record into the next (the G ending s1 and the T starting s2).
const char* const kTinyFasta = ">s1 first\nACGTNacg\n>s2\nTTA\n";

WordCounts countsOfFasta(const std::string& fasta, int maxLength, bool bothStrands) {
  TempFile file(fasta, ".fa");
  WordCounts counts(maxLength);
  stats::countFastaFile(file.path(), bothStrands, counts);
  return counts;
}

std::size_t indexOf(const std::string& word) {
  return static_cast<std::size_t>(base::numberOf(word.c_str(), static_cast<int>(word.size())));
}

// Every word of `length` letters has the count `expected` gives it, 0 if absent.
void expectCounts(const WordCounts& counts, int length, const std::map<std::string, std::uint64_t>& expected) {
  std::uint64_t sum = 0;
  for (std::size_t index = 0; index < (std::size_t{1} << (2 * length)); ++index) {
    const std::string word = base::wordOf(index, length);
    const auto it = expected.find(word);
    const std::uint64_t want = it == expected.end() ? 0 : it->second;
    EXPECT_EQ(counts.count(length, index), want) << word;
    sum += want;
  }
  EXPECT_EQ(counts.total(length), sum) << "length " << length;
}

MarkovModel reloaded(const WordCounts& counts, double pseudoCount) {
  const std::string text = modelText(counts, pseudoCount);
  FilePtr file(std::tmpfile());
  std::fputs(text.c_str(), file.get());
  std::rewind(file.get());
  return readMarkovModel(file.get(), "test model");
}

char complementOf(char base) {
  switch (base) {
    case 'A': return 'T';
    case 'C': return 'G';
    case 'G': return 'C';
    default: return 'A';
  }
}

std::string reverseComplement(const std::string& word) {
  std::string rc(word.rbegin(), word.rend());
  for (char& c : rc) c = complementOf(c);
  return rc;
}

// Letter-by-letter counting, the plain way the rolling codes must agree with.
std::map<std::string, std::uint64_t> naiveCounts(const std::string& letters, int length, bool bothStrands) {
  std::map<std::string, std::uint64_t> counts;
  for (std::size_t start = 0; start + static_cast<std::size_t>(length) <= letters.size(); ++start) {
    const std::string word = letters.substr(start, static_cast<std::size_t>(length));
    if (word.find_first_not_of("ACGT") != std::string::npos) continue;
    ++counts[word];
    if (bothStrands) ++counts[reverseComplement(word)];
  }
  return counts;
}

std::string randomLetters(std::size_t length, unsigned seed) {
  std::mt19937 generator(seed);
  // Mostly bases, with N and another ambiguity code often enough to break runs.
  const std::string alphabet = "ACGTACGTACGTACGTACGTNR";
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::string letters(length, 'A');
  for (char& c : letters) c = alphabet[pick(generator)];
  return letters;
}

}  // namespace

// --- Counting ---------------------------------------------------------------

TEST(MarkovBuilderCounts, BothStrandsOfTinyFastaByHand) {
  // Forward valid runs: ACGT, ACG, TTA. Reverse complements: ACGT, CGT, TAA.
  const WordCounts counts = countsOfFasta(kTinyFasta, 3, true);
  expectCounts(counts, 1, {{"A", 6}, {"C", 4}, {"G", 4}, {"T", 6}});
  expectCounts(counts, 2, {{"AA", 1}, {"AC", 3}, {"CG", 4}, {"GT", 3}, {"TA", 2}, {"TT", 1}});
  expectCounts(counts, 3, {{"ACG", 3}, {"CGT", 3}, {"TTA", 1}, {"TAA", 1}});
}

TEST(MarkovBuilderCounts, ForwardStrandOfTinyFastaByHand) {
  const WordCounts counts = countsOfFasta(kTinyFasta, 4, false);
  expectCounts(counts, 1, {{"A", 3}, {"C", 2}, {"G", 2}, {"T", 3}});
  expectCounts(counts, 2, {{"AC", 2}, {"CG", 2}, {"GT", 1}, {"TT", 1}, {"TA", 1}});
  expectCounts(counts, 3, {{"ACG", 2}, {"CGT", 1}, {"TTA", 1}});
  expectCounts(counts, 4, {{"ACGT", 1}});
}

TEST(MarkovBuilderCounts, FilesAccumulate) {
  TempFile first(">a\nAAC\n", ".fa");
  TempFile second(">b\nGN\n", ".fa");
  WordCounts counts(1);
  stats::countFastaFile(first.path(), true, counts);
  stats::countFastaFile(second.path(), true, counts);
  // AAC and its complement GTT, G and its complement C.
  expectCounts(counts, 1, {{"A", 2}, {"C", 2}, {"G", 2}, {"T", 2}});
}

TEST(MarkovBuilderCounts, RollingCodesAgreeWithLetterByLetterCounting) {
  const std::string letters = randomLetters(6000, 17);
  for (bool bothStrands : {false, true}) {
    WordCounts counts(MAX_MARKOV);
    counts.addSequence(letters.substr(0, 2500), bothStrands);
    counts.addSequence(letters.substr(2500), bothStrands);
    for (int length = 1; length <= MAX_MARKOV; ++length) {
      std::map<std::string, std::uint64_t> expected = naiveCounts(letters.substr(0, 2500), length, bothStrands);
      for (const auto& [word, n] : naiveCounts(letters.substr(2500), length, bothStrands)) expected[word] += n;
      SCOPED_TRACE(std::string(bothStrands ? "both strands" : "forward") + ", length " + std::to_string(length));
      expectCounts(counts, length, expected);
    }
  }
}

TEST(MarkovBuilderCounts, PalindromeCountsTwiceOnBothStrands) {
  WordCounts counts(2);
  counts.addSequence("AT", true);
  EXPECT_EQ(counts.count(2, indexOf("AT")), 2u);
  EXPECT_EQ(counts.total(2), 2u);
}

// --- Probabilities ----------------------------------------------------------

TEST(MarkovBuilderProbabilities, TinyFastaByHand) {
  const WordCounts counts = countsOfFasta(kTinyFasta, 2, true);
  // Single letters: (count + 1) / (20 + 4).
  EXPECT_DOUBLE_EQ(stats::wordProbability(counts, 1, indexOf("A"), 1.0), 7.0 / 24);
  EXPECT_DOUBLE_EQ(stats::wordProbability(counts, 1, indexOf("C"), 1.0), 5.0 / 24);
  // After A: AA 1, AC 3 of 4.
  EXPECT_DOUBLE_EQ(stats::wordProbability(counts, 2, indexOf("AA"), 1.0), 2.0 / 8);
  EXPECT_DOUBLE_EQ(stats::wordProbability(counts, 2, indexOf("AC"), 1.0), 4.0 / 8);
  EXPECT_DOUBLE_EQ(stats::wordProbability(counts, 2, indexOf("AT"), 1.0), 1.0 / 8);
  // G occurs 4 times but is followed by a letter only 3 times (GT): the
  // context total is the sum over its four words, not the count of G.
  EXPECT_DOUBLE_EQ(stats::wordProbability(counts, 2, indexOf("GT"), 1.0), 4.0 / 7);
  EXPECT_DOUBLE_EQ(stats::wordProbability(counts, 2, indexOf("GA"), 1.0), 1.0 / 7);
  EXPECT_DOUBLE_EQ(stats::wordProbability(counts, 2, indexOf("TA"), 1.0), 3.0 / 7);
}

TEST(MarkovBuilderProbabilities, PseudoCountChangesEveryValue) {
  const WordCounts counts = countsOfFasta(kTinyFasta, 3, false);
  // Forward counts: A 3 of 10; AC 2 of 2; GT 1 of 1; GA 0 of 1.
  EXPECT_DOUBLE_EQ(stats::wordProbability(counts, 1, indexOf("A"), 0.5), 3.5 / 12);
  EXPECT_DOUBLE_EQ(stats::wordProbability(counts, 2, indexOf("AC"), 0.5), 2.5 / 4);
  EXPECT_DOUBLE_EQ(stats::wordProbability(counts, 2, indexOf("GT"), 0.5), 1.5 / 3);
  EXPECT_DOUBLE_EQ(stats::wordProbability(counts, 2, indexOf("GA"), 0.5), 0.5 / 3);
  EXPECT_DOUBLE_EQ(stats::wordProbability(counts, 2, indexOf("AC"), 3.0), 5.0 / 14);
  // A context never seen is uniform.
  EXPECT_DOUBLE_EQ(stats::wordProbability(counts, 3, indexOf("GAC"), 3.0), 0.25);
}

TEST(MarkovBuilderProbabilities, EveryContextSumsToOne) {
  WordCounts counts(MAX_MARKOV);
  counts.addSequence(randomLetters(20000, 5), true);
  for (double pseudoCount : {1.0, 0.01}) {
    for (int length = 1; length <= MAX_MARKOV; ++length) {
      const std::size_t words = std::size_t{1} << (2 * length);
      for (std::size_t first = 0; first < words; first += 4) {
        double sum = 0.0;
        for (std::size_t b = 0; b < 4; ++b) sum += stats::wordProbability(counts, length, first + b, pseudoCount);
        ASSERT_NEAR(sum, 1.0, 1e-12) << base::wordOf(first, length) << " pc " << pseudoCount;
      }
    }
  }
}

// --- Model text -------------------------------------------------------------

TEST(MarkovBuilderText, OrderOneModelOfTinyFasta) {
  const WordCounts counts = countsOfFasta(kTinyFasta, 2, false);
  // Forward counts with pseudo-count 0.5. Each probability is printed as the
  // float nearest to it: 3.5/12, 2.5/12 and 0.5/3 are not binary fractions.
  const std::string expected =
      "0 A 0.291666657 3 0.3\n"
      "1 C 0.208333328 2 0.2\n"
      "2 G 0.208333328 2 0.2\n"
      "3 T 0.291666657 3 0.3\n"
      "0 AA 0.125 0 0\n"
      "1 AC 0.625 2 0.285714286\n"
      "2 AG 0.125 0 0\n"
      "3 AT 0.125 0 0\n"
      "4 CA 0.125 0 0\n"
      "5 CC 0.125 0 0\n"
      "6 CG 0.625 2 0.285714286\n"
      "7 CT 0.125 0 0\n"
      "8 GA 0.166666672 0 0\n"
      "9 GC 0.166666672 0 0\n"
      "10 GG 0.166666672 0 0\n"
      "11 GT 0.5 1 0.142857143\n"
      "12 TA 0.375 1 0.142857143\n"
      "13 TC 0.125 0 0\n"
      "14 TG 0.125 0 0\n"
      "15 TT 0.375 1 0.142857143\n";
  EXPECT_EQ(modelText(counts, 0.5), expected);
}

TEST(MarkovBuilderText, LengthWithoutAnyWordHasFrequencyZeroAndUniformProbabilities) {
  WordCounts counts(3);
  counts.addSequence("AC", false);
  const std::string text = modelText(counts, 1.0);
  EXPECT_NE(text.find("\n6 ACG 0.25 0 0\n"), std::string::npos);
  EXPECT_NE(text.find("\n1 AC 0.400000006 1 1\n"), std::string::npos);
}

TEST(MarkovBuilderText, PseudoCountTooSmallForSingleFloatsIsRefused) {
  WordCounts counts(2);
  counts.addSequence("AC", false);
  // G, never seen: 1e-300 / (2 + 4e-300) is 0 in single precision.
  EXPECT_EQ(fatalMessage([&] { modelText(counts, 1e-300); }),
            "Error: the probability of G is too small for a model file; use a larger pseudo-count.\n");
}

// --- Round trip through the model reader ------------------------------------

TEST(MarkovBuilderRoundTrip, EveryOrderLoadsCompleteWithTheValuesMeant) {
  const std::string letters = randomLetters(30000, 11);
  for (int order = 0; order <= stats::kMaxMarkovOrder; ++order) {
    SCOPED_TRACE("order " + std::to_string(order));
    WordCounts counts(order + 1);
    counts.addSequence(letters, true);
    const MarkovModel model = reloaded(counts, 1.0);
    EXPECT_EQ(model.lastWordLength, order + 1);
    EXPECT_NO_THROW(requireAllWords(model, order + 1, "test model"));
    for (int length = 1; length <= order + 1; ++length) {
      for (std::size_t index = 0; index < model.tables[length].size(); ++index) {
        const float meant = static_cast<float>(stats::wordProbability(counts, length, index, 1.0));
        ASSERT_EQ(model.tables[length][index], meant) << base::wordOf(index, length);
      }
    }
  }
}

TEST(MarkovBuilderRoundTrip, ReadBackContextsSumToOneWithinFloatRounding) {
  WordCounts counts(MAX_MARKOV);
  counts.addSequence(randomLetters(50000, 3), true);
  const MarkovModel model = reloaded(counts, 1.0);
  for (int length = 1; length <= MAX_MARKOV; ++length) {
    const std::vector<float>& table = model.tables[length];
    for (std::size_t first = 0; first < table.size(); first += 4) {
      const double sum = double{table[first]} + table[first + 1] + table[first + 2] + table[first + 3];
      ASSERT_NEAR(sum, 1.0, 4 * FLT_EPSILON) << base::wordOf(first, length);
    }
  }
}

// --- Input errors -----------------------------------------------------------

TEST(MarkovBuilderInput, UnusableFilesAreRefusedByName) {
  WordCounts counts(2);
  EXPECT_EQ(fatalMessage([&] { stats::countFastaFile("/nonexistent/in.fa", true, counts); }),
            "Error: cannot read /nonexistent/in.fa: No such file or directory.\n");
  EXPECT_EQ(fatalMessage([&] { stats::countFastaFile("/tmp", true, counts); }),
            "Error: cannot read /tmp: it is a directory.\n");

  TempFile noRecord("ACGTACGT\n", ".fa");
  EXPECT_EQ(fatalMessage([&] { stats::countFastaFile(noRecord.path(), true, counts); }),
            "Error: " + noRecord.path() + " holds no FASTA record (a line starting with '>').\n");

  TempFile empty("", ".fa");
  EXPECT_EQ(fatalMessage([&] { stats::countFastaFile(empty.path(), true, counts); }),
            "Error: " + empty.path() + " holds no FASTA record (a line starting with '>').\n");

  TempFile nulByte(std::string(">x\nAC\0GT\n", 9), ".fa");
  EXPECT_EQ(fatalMessage([&] { stats::countFastaFile(nulByte.path(), true, counts); }),
            "Error: " + nulByte.path() + ":2: record x: '\\x00' is not a DNA letter; is this a binary file?\n");

  TempFile protein(">p1 kinase\nMKTAYIAKQR\n", ".fa");
  EXPECT_EQ(fatalMessage([&] { stats::countFastaFile(protein.path(), true, counts); }),
            "Error: " + protein.path() + ":2: record p1 kinase: 'I' is not a DNA letter; is this a protein file?\n");
}

TEST(MarkovBuilderInput, FileWithoutBasesIsRefusedEvenAfterAGoodOne) {
  TempFile good(">g\nACGT\n", ".fa");
  TempFile onlyN(">n\nNNNN\n>m\n\n", ".fa");
  WordCounts counts(2);
  stats::countFastaFile(good.path(), true, counts);
  EXPECT_EQ(fatalMessage([&] { stats::countFastaFile(onlyN.path(), true, counts); }),
            "Error: " + onlyN.path() + " holds no A, C, G or T to count.\n");
}
