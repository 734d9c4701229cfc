// The window scorer of the enrichment test: every window scored exactly as
// the engine scores a site (bit for bit, both strands, every width the engine
// has), and the fast search for the best window and for the windows at a
// threshold equal to trying every window, at any width and with other letters
// in the sequences.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/words.h"
#include "engine/motif_scorer.h"
#include "stats/enrichment.h"
#include "stats/enrichment_stats.h"
#include "stats/shuffle.h"
#include "stats/window_scorer.h"

namespace {

using stats::CodedSequences;
using stats::WindowScorer;

std::vector<std::array<long long, 4>> randomCounts(int width, int sites, stats::Random& random) {
  std::vector<std::array<long long, 4>> counts(static_cast<std::size_t>(width), {0, 0, 0, 0});
  for (auto& column : counts)
    for (int s = 0; s < sites; ++s) ++column[random.below(random.below(2) ? 4 : 2)];  // some letters favoured
  return counts;
}

std::string randomDna(std::size_t length, stats::Random& random, const char* letters = "ACGT", int kinds = 4) {
  std::string s(length, 'A');
  for (char& c : s) c = letters[random.below(static_cast<std::uint64_t>(kinds))];
  return s;
}

std::vector<std::uint8_t> codes(const std::string& word) {
  std::vector<std::uint8_t> c;
  for (char letter : word) c.push_back(static_cast<std::uint8_t>(base::baseIndex(letter)));
  return c;
}

// Every window of A, C, G, T only, scored on its own: the definition.
double bestByEveryWindow(const WindowScorer& scorer, const std::string& letters, bool bothStrands) {
  const std::size_t w = static_cast<std::size_t>(scorer.width());
  double best = stats::kNoWindow;
  for (std::size_t i = 0; i + w <= letters.size(); ++i) {
    const std::string word = letters.substr(i, w);
    if (word.find_first_not_of("ACGT") != std::string::npos) continue;
    const std::vector<std::uint8_t> c = codes(word);
    best = std::max(best, scorer.score(c.data(), true));
    if (bothStrands) best = std::max(best, scorer.score(c.data(), false));
  }
  return best;
}

}  // namespace

TEST(WindowScorer, ScoresEveryWordAsTheEngineDoes) {
  stats::Random random(41);
  for (int width = 1; width <= 20; ++width) {
    for (int sites : {0, 1, 2, 7, 40}) {
      const auto counts = randomCounts(width, sites, random);
      const MotifScorer engine(counts);
      const WindowScorer scorer(stats::frequenciesOf(counts));
      for (int k = 0; k < 30; ++k) {
        const std::string word = randomDna(static_cast<std::size_t>(width), random);
        const std::vector<std::uint8_t> c = codes(word);
        ASSERT_EQ(scorer.score(c.data(), true), engine.score(word.c_str())) << width << ' ' << sites << ' ' << word;
        const std::string other = base::reverseComplement(word);
        ASSERT_EQ(scorer.score(c.data(), false), engine.score(other.c_str())) << width << ' ' << sites << ' ' << word;
      }
    }
  }
}

TEST(WindowScorer, TheBestWindowIsTheBestOfEveryWindowAtAnyWidth) {
  stats::Random random(43);
  std::vector<FastaRecord> records;
  for (int r = 0; r < 40; ++r) records.push_back({"r", randomDna(60 + random.below(140), random)});
  records.push_back({"n", randomDna(80, random, "ACGTN", 5)});         // N splits the windows
  records.push_back({"lower", randomDna(80, random, "ACGTacgt", 8)});  // lower case splits them too
  records.push_back({"short", "ACG"});
  records.push_back({"empty", ""});
  const CodedSequences coded(records);
  for (int width : {1, 3, 4, 5, 8, 12, 17, 21, 30, 33, 45}) {
    const WindowScorer scorer(stats::frequenciesOf(randomCounts(width, 25, random)));
    for (bool both : {true, false})
      for (std::size_t s = 0; s < records.size(); ++s) {
        const double expected = bestByEveryWindow(scorer, records[s].letters, both);
        ASSERT_EQ(scorer.best(coded, s, both), expected) << width << ' ' << s;
        // With a floor, the best score when it reaches the floor, else none.
        const double floor = 0.7;
        ASSERT_EQ(scorer.best(coded, s, both, floor), expected >= floor ? expected : stats::kNoWindow);
      }
  }
}

TEST(WindowScorer, WindowsAtAThresholdAreEveryOneThatReachesIt) {
  stats::Random random(47);
  const std::vector<FastaRecord> records{{"a", randomDna(300, random)}, {"b", randomDna(120, random, "ACGTN", 5)}};
  const CodedSequences coded(records);
  const WindowScorer scorer(stats::frequenciesOf(randomCounts(9, 30, random)));
  for (std::size_t s = 0; s < records.size(); ++s) {
    std::vector<std::string> found, expected;
    scorer.forEachAtLeast(coded, s, true, 0.6, [&](std::size_t start, bool forward, double score) {
      found.push_back(std::to_string(start) + (forward ? "+" : "-") + std::to_string(score));
    });
    const std::string& letters = records[s].letters;
    for (std::size_t i = 0; i + 9 <= letters.size(); ++i) {
      const std::string word = letters.substr(i, 9);
      if (word.find('N') != std::string::npos) continue;
      const std::vector<std::uint8_t> c = codes(word);
      for (bool forward : {true, false})
        if (scorer.score(c.data(), forward) >= 0.6)
          expected.push_back(std::to_string(i) + (forward ? "+" : "-") +
                             std::to_string(scorer.score(c.data(), forward)));
    }
    EXPECT_EQ(found, expected);
    EXPECT_FALSE(expected.empty());
  }
}

TEST(WindowScorer, AMotifWithoutSitesScoresEveryWindowZero) {
  const WindowScorer scorer(
      stats::frequenciesOf({{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}));
  const std::vector<FastaRecord> records{{"a", "ACGTACGTAC"}, {"b", "ACGT"}};
  const CodedSequences coded(records);
  EXPECT_EQ(scorer.best(coded, 0, true), 0.0);
  EXPECT_EQ(scorer.best(coded, 1, true), stats::kNoWindow);
  EXPECT_DEATH(WindowScorer({}), "at least one position");
}
