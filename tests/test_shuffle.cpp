// Shuffles that keep every word count of k letters: the counts, the places of
// N, uniformity over all possible rearrangements, and determinism.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "stats/shuffle.h"

namespace {

std::string randomSequence(std::size_t length, unsigned seed, bool withN) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> letter(0, 99);
  std::string s;
  while (s.size() < length) {
    const int r = letter(rng);
    if (withN && r < 2) {
      s.append(static_cast<std::size_t>(1 + r * 7), 'N');  // single Ns and stretches of 8
      continue;
    }
    // Skewed composition, so the counts are not all alike.
    s += r < 40 ? 'A' : r < 55 ? 'C' : r < 75 ? 'G' : 'T';
  }
  s.resize(length);
  return s;
}

// Occurrences of every word of k letters of A, C, G, T.
std::map<std::string, int> wordCounts(const std::string& s, int k) {
  std::map<std::string, int> counts;
  for (std::size_t i = 0; i + static_cast<std::size_t>(k) <= s.size(); ++i) {
    const std::string word = s.substr(i, static_cast<std::size_t>(k));
    if (word.find_first_not_of("ACGT") == std::string::npos) ++counts[word];
  }
  return counts;
}

std::string nonBasePlaces(const std::string& s) {
  std::string places = s;
  for (char& c : places)
    if (c == 'A' || c == 'C' || c == 'G' || c == 'T') c = '.';
  return places;
}

}  // namespace

TEST(Shuffle, KeepsEveryWordCountAndEveryNForEachWordLength) {
  for (int k = stats::kMinShuffleWordLength; k <= stats::kMaxShuffleWordLength; ++k) {
    for (unsigned seed = 0; seed < 12; ++seed) {
      const std::string original = randomSequence(40 + seed * 90, seed + 100 * static_cast<unsigned>(k), seed % 3 != 0);
      stats::Random random(seed);
      const std::string shuffled = stats::shuffleLetters(original, k, random);
      ASSERT_EQ(shuffled.size(), original.size());
      EXPECT_EQ(nonBasePlaces(shuffled), nonBasePlaces(original)) << "k " << k << " seed " << seed;
      for (int j = 1; j <= k; ++j)  // keeping k-letter counts keeps the shorter ones within each run
        EXPECT_EQ(wordCounts(shuffled, j), wordCounts(original, j)) << "k " << k << " words of " << j;
      if (original.size() > 500) {
        EXPECT_NE(shuffled, original) << "k " << k << " seed " << seed;
      }
    }
  }
}

TEST(Shuffle, RunsShorterThanAWordStayAsTheyAre) {
  stats::Random random(3);
  EXPECT_EQ(stats::shuffleLetters("ACGNTTANGGCNA", 4, random), "ACGNTTANGGCNA");
  EXPECT_EQ(stats::shuffleLetters("", 2, random), "");
  EXPECT_EQ(stats::shuffleLetters("NNNN", 1, random), "NNNN");
  // Letters other than A, C, G, T, like N, split runs and stay in place.
  const std::string iupac = stats::shuffleLetters("AAAACCCCRGGGGTTTT", 1, random);
  EXPECT_EQ(iupac[8], 'R');
  EXPECT_EQ(wordCounts(iupac.substr(0, 8), 1), wordCounts("AAAACCCC", 1));
}

TEST(Shuffle, EveryRearrangementWithTheSameCountsIsEquallyLikely) {
  // All sequences with the dinucleotide counts of the original, by brute force.
  const std::string original = "AACAGTACGA";
  std::string letters = original;
  std::sort(letters.begin(), letters.end());
  std::map<std::string, int> seen;
  do {
    if (wordCounts(letters, 2) == wordCounts(original, 2)) seen[letters] = 0;
  } while (std::next_permutation(letters.begin(), letters.end()));
  ASSERT_GT(seen.size(), 10u);

  stats::Random random(2024);
  const int draws = 30000;
  for (int i = 0; i < draws; ++i) {
    const std::string s = stats::shuffleLetters(original, 2, random);
    ASSERT_TRUE(seen.count(s)) << s << " does not keep the counts";
    ++seen[s];
  }
  const double expected = static_cast<double>(draws) / static_cast<double>(seen.size());
  double chiSquare = 0;
  for (const auto& entry : seen) chiSquare += (entry.second - expected) * (entry.second - expected) / expected;
  // Far above the 99.9th percentile of chi-square at these degrees of freedom
  // only when some paths are favoured.
  const double df = static_cast<double>(seen.size() - 1);
  EXPECT_LT(chiSquare, df + 5 * std::sqrt(2 * df) + 10) << seen.size() << " sequences";
}

TEST(Shuffle, CopiesAreDeterministicPerSeedAndIndependentOfThreads) {
  std::vector<FastaRecord> records;
  for (unsigned i = 0; i < 30; ++i) records.push_back({"seq " + std::to_string(i), randomSequence(150, i, true)});
  const std::vector<FastaRecord> one = stats::shuffledCopies(records, 3, 2, 5, 1);
  const std::vector<FastaRecord> four = stats::shuffledCopies(records, 3, 2, 5, 4);
  const std::vector<FastaRecord> again = stats::shuffledCopies(records, 3, 2, 5, 2);
  const std::vector<FastaRecord> otherSeed = stats::shuffledCopies(records, 3, 2, 6, 1);
  ASSERT_EQ(one.size(), 60u);
  EXPECT_EQ(one[0].name, "seq 0 [shuffled 1]");
  EXPECT_EQ(one[59].name, "seq 29 [shuffled 2]");
  int differentSeed = 0;
  for (std::size_t i = 0; i < one.size(); ++i) {
    EXPECT_EQ(four[i].letters, one[i].letters) << i;
    EXPECT_EQ(again[i].letters, one[i].letters) << i;
    EXPECT_EQ(wordCounts(one[i].letters, 3), wordCounts(records[i / 2].letters, 3)) << i;
    differentSeed += otherSeed[i].letters != one[i].letters;
  }
  EXPECT_NE(one[0].letters, one[1].letters);  // the two copies of a record differ
  EXPECT_GT(differentSeed, 55);
}

TEST(ShuffleRandom, BelowStaysInRangeAndCoversIt) {
  stats::Random random(1);
  std::vector<int> hits(7, 0);
  for (int i = 0; i < 7000; ++i) {
    const std::uint64_t value = random.below(7);
    ASSERT_LT(value, 7u);
    ++hits[value];
  }
  for (int h : hits) EXPECT_NEAR(h, 1000, 150);
  EXPECT_EQ(random.below(1), 0u);
}
