// The symmetric DUST mask against its definition, evaluated literally: every
// interval of triplets scored from scratch, and called perfect only after
// every interval inside it has been compared with it.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "stats/dust.h"

namespace {

// S = sum c (c - 1) / 2 over the triplets of letters[from, from + triplets + 2),
// as pairs and denominator.
std::pair<long long, long long> literalScore(const std::string& letters, std::size_t from, std::size_t triplets) {
  std::map<std::string, long long> counts;
  for (std::size_t k = 0; k < triplets; ++k) ++counts[letters.substr(from + k, 3)];
  long long pairs = 0;
  for (const auto& [triplet, c] : counts) pairs += c * (c - 1) / 2;
  return {pairs, triplets > 1 ? static_cast<long long>(triplets) - 1 : 1};
}

bool scoresMore(std::pair<long long, long long> a, std::pair<long long, long long> b) {
  return a.first * b.second > b.first * a.second;
}

// The mask by the definition: the letters of every perfect interval of at
// most window - 2 triplets within a stretch of A, C, G, T.
std::vector<bool> literalMask(const std::string& letters, const stats::DustSettings& s) {
  std::vector<bool> mask(letters.size(), false);
  const std::size_t reach = static_cast<std::size_t>(s.window - 2);
  auto plain = [&](std::size_t from, std::size_t count) {
    return letters.substr(from, count).find_first_not_of("ACGT") == std::string::npos;
  };
  for (std::size_t from = 0; from + 3 <= letters.size(); ++from) {
    for (std::size_t triplets = 1; triplets <= reach && from + triplets + 2 <= letters.size(); ++triplets) {
      if (!plain(from, triplets + 2)) break;
      const auto score = literalScore(letters, from, triplets);
      if (!(10 * score.first > s.level * score.second)) continue;
      bool perfect = true;
      for (std::size_t a = from; a < from + triplets && perfect; ++a)
        for (std::size_t n = 1; a + n <= from + triplets && perfect; ++n)
          if (scoresMore(literalScore(letters, a, n), score)) perfect = false;
      if (!perfect) continue;
      for (std::size_t k = from; k < from + triplets + 2; ++k) mask[k] = true;
    }
  }
  return mask;
}

// Letters from a small alphabet with repeats of a short word dropped in, and
// now and then an N: low complexity of every degree.
std::string repeatRichSequence(std::size_t length, unsigned seed) {
  std::mt19937 rng(seed);
  const std::string alphabets[] = {"ACGT", "AC", "AAT", "ACGT"};
  const std::string& alphabet = alphabets[seed % 4];
  std::uniform_int_distribution<int> pick(0, 99);
  std::string s;
  while (s.size() < length) {
    const int r = pick(rng);
    if (r < 3) {
      s += 'N';
    } else if (r < 13) {
      std::string word;
      for (int k = 0; k < 1 + r % 3; ++k) word += "ACGT"[pick(rng) % 4];
      for (int copies = 2 + pick(rng) % 6; copies > 0; --copies) s += word;
    } else {
      s += alphabet[static_cast<std::size_t>(pick(rng)) % alphabet.size()];
    }
  }
  s.resize(length);
  return s;
}

std::string maskText(const std::vector<bool>& mask) {
  std::string text;
  for (bool m : mask) text += m ? 'x' : '.';
  return text;
}

}  // namespace

TEST(Dust, AgreesWithTheLiteralDefinitionOnRepeatRichSequences) {
  for (const stats::DustSettings settings :
       {stats::DustSettings{8, 20}, stats::DustSettings{12, 10}, stats::DustSettings{20, 20},
        stats::DustSettings{20, 35}, stats::DustSettings{64, 20}}) {
    for (unsigned seed = 0; seed < 24; ++seed) {
      const std::string letters = repeatRichSequence(settings.window < 64 ? 90 : 130, seed);
      ASSERT_EQ(maskText(stats::lowComplexityMask(letters, settings)), maskText(literalMask(letters, settings)))
          << letters << " window " << settings.window << " level " << settings.level;
    }
  }
}

TEST(Dust, MasksSimpleRepeatsAndLeavesRandomDnaAlone) {
  const stats::DustSettings defaults;
  // Seven As hold five AAA triplets: 10 pairs over 4 scores 2.5, above 2;
  // six hold four: 6 over 3 is exactly 2, not above.
  EXPECT_EQ(maskText(stats::lowComplexityMask("CGTAAAAAAACGT", defaults)), "...xxxxxxx...");
  EXPECT_EQ(maskText(stats::lowComplexityMask("CGTAAAAAACGT", defaults)), "............");
  std::string cag;
  for (int k = 0; k < 20; ++k) cag += "CAG";
  EXPECT_EQ(maskText(stats::lowComplexityMask(cag, defaults)), std::string(60, 'x'));
  // An N cuts the repeat: each half is scored on its own.
  EXPECT_EQ(maskText(stats::lowComplexityMask("AAAANAAAA", defaults)), ".........");

  std::mt19937 rng(7);
  std::string random;
  for (int k = 0; k < 20000; ++k) random += "ACGT"[rng() % 4];
  const std::vector<bool> mask = stats::lowComplexityMask(random, defaults);
  const long long masked = std::count(mask.begin(), mask.end(), true);
  EXPECT_LT(masked, 20000 / 50) << "more than 2 % of even random DNA masked";
}

TEST(Dust, MaskingTurnsLettersIntoNAndCountsOnlyNewOnes) {
  std::string letters = "ACGTTTTTTTTTTTGCANNN";
  EXPECT_EQ(stats::maskLowComplexity(letters, stats::DustSettings{}), 11);
  EXPECT_EQ(letters, "ACGNNNNNNNNNNNGCANNN");
  std::vector<FastaRecord> records{{"a", "CACACACACACACACACAGT"}, {"b", "ACGT"}, {"c", ""}};
  EXPECT_EQ(stats::maskLowComplexity(records, stats::DustSettings{}, 2), 18);
  EXPECT_EQ(records[0].letters, "NNNNNNNNNNNNNNNNNNGT");
  EXPECT_EQ(records[1].letters, "ACGT");
}

TEST(Dust, ShortStretchesCanBeLeftAlone) {
  // Seven As and, after an N, a CA repeat of 14 letters.
  const std::string letters = "CGTAAAAAAACGTNCACACACACACACAGT";
  for (const auto& [shortest, expected] :
       {std::pair{1, "CGTNNNNNNNCGTNNNNNNNNNNNNNNNGT"}, std::pair{8, "CGTAAAAAAACGTNNNNNNNNNNNNNNNGT"},
        std::pair{15, "CGTAAAAAAACGTNCACACACACACACAGT"}}) {
    std::string masked = letters;
    stats::DustSettings settings;
    settings.shortestStretch = shortest;
    stats::maskLowComplexity(masked, settings);
    EXPECT_EQ(masked, expected) << "shortest stretch " << shortest;
  }
}

TEST(Dust, HigherLevelsMaskLess) {
  const std::string letters = repeatRichSequence(3000, 11);
  long long previous = static_cast<long long>(letters.size()) + 1;
  for (int level : {5, 10, 20, 40, 80}) {
    const std::vector<bool> mask = stats::lowComplexityMask(letters, stats::DustSettings{64, level});
    const long long masked = std::count(mask.begin(), mask.end(), true);
    EXPECT_LE(masked, previous) << "level " << level;
    previous = masked;
  }
}

TEST(Dust, RefusesWindowsAndLevelsItCannotUse) {
  EXPECT_DEATH(stats::lowComplexityMask("ACGT", stats::DustSettings{3, 20}), "DUST window");
  EXPECT_DEATH(stats::lowComplexityMask("ACGT", stats::DustSettings{64, 0}), "DUST level");
}
