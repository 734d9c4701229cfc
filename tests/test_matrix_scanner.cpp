// The look-ahead scanner finds exactly the windows that scoring every window
// whole finds, with the same scores, at every width from 1 to 24, at loose
// and strict thresholds, with other letters in the sequences and a limit on
// where windows may start; and counts the windows of bases.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "formats/fasta.h"
#include "stats/matrix_scanner.h"
#include "stats/shuffle.h"
#include "stats/window_scorer.h"

namespace {

using Hits = std::vector<std::pair<std::size_t, int>>;

std::vector<formats::Column> randomColumns(int width, stats::Random& random) {
  std::vector<formats::Column> columns;
  for (int i = 0; i < width; ++i) {
    formats::Column c{};
    double sum = 0;
    for (double& v : c) sum += v = std::pow((static_cast<double>(random.below(1000)) + 1) / 1000, 3) + 0.01;
    for (double& v : c) v /= sum;
    columns.push_back(c);
  }
  return columns;
}

std::string randomSequence(std::size_t length, stats::Random& random) {
  static const char kLetters[] = "ACGTACGTACGTACGTN";
  std::string s(length, 'A');
  for (char& c : s) c = kLetters[random.below(17)];
  return s;
}

}  // namespace

TEST(MatrixScanner, FindsWhatScoringEveryWindowFinds) {
  stats::Random random(17);
  std::vector<FastaRecord> records;
  for (int r = 0; r < 6; ++r) records.push_back({"s", randomSequence(400 + 97 * r, random)});
  records.push_back({"short", "ACG"});
  const stats::CodedSequences coded(records);
  const stats::Background bg{0.3, 0.2, 0.2, 0.3};
  for (int w = 1; w <= 24; ++w) {
    const stats::ScoringMatrix m(randomColumns(w, random), bg);
    for (const stats::ScoringMatrix& strand : {m, m.reverseComplement()}) {
      const stats::MatrixScanner scanner(strand, bg);
      const stats::ScoreTail tail = stats::ScoreTail::reaching(strand, bg, 0.05);
      for (double p : {0.05, 1e-3, 1e-5}) {
        const int threshold = tail.thresholdFor(p);
        for (std::size_t s = 0; s < records.size(); ++s) {
          const std::size_t limit = s == 2 ? 150 : records[s].letters.size();
          Hits fast, plain;
          scanner.scan(coded, s, limit, threshold, [&](std::size_t start, int score) {
            fast.push_back({start, score});
          });
          scanner.scoreEveryWindow(coded, s, limit, threshold, [&](std::size_t start, int score) {
            plain.push_back({start, score});
          });
          ASSERT_EQ(fast, plain) << "w=" << w << " p=" << p << " sequence " << s;
        }
      }
    }
  }
}

TEST(MatrixScanner, CountsTheWindowsOfBasesBeforeTheLimit) {
  const std::vector<FastaRecord> records{{"a", "ACGTNACGTACNA"}, {"b", "NNNN"}, {"c", ""}};
  const stats::CodedSequences coded(records);
  const stats::Background bg = stats::uniformBackground();
  const stats::MatrixScanner scanner(stats::ScoringMatrix(std::vector<formats::Column>(3, {0.4, 0.2, 0.2, 0.2}), bg),
                                     bg);
  // Windows of 3 bases: ACG, CGT (from 0), ACG, CGT, GTA, TAC (from 5).
  EXPECT_EQ(scanner.windowCount(coded, 0, 100), 6u);
  EXPECT_EQ(scanner.windowCount(coded, 0, 6), 3u);
  EXPECT_EQ(scanner.windowCount(coded, 1, 100), 0u);
  EXPECT_EQ(scanner.windowCount(coded, 2, 100), 0u);
  std::vector<std::size_t> starts;
  scanner.scan(coded, 0, 100, -100000, [&](std::size_t start, int) { starts.push_back(start); });
  EXPECT_EQ(starts, (std::vector<std::size_t>{0, 1, 5, 6, 7, 8}));
}

TEST(MatrixScanner, BestWindowIsTheFirstOfTheHighestScore) {
  stats::Random random(23);
  std::vector<FastaRecord> records;
  for (int r = 0; r < 20; ++r) records.push_back({"s", randomSequence(50 + 20 * r, random)});
  records.push_back({"none", "NNNNACGNN"});
  const stats::CodedSequences coded(records);
  const stats::Background bg = stats::uniformBackground();
  for (int w : {2, 6, 11}) {
    const stats::MatrixScanner scanner(stats::ScoringMatrix(randomColumns(w, random), bg), bg);
    for (std::size_t s = 0; s < records.size(); ++s) {
      std::optional<stats::MatrixScanner::Window> expected;
      scanner.scoreEveryWindow(coded, s, records[s].letters.size(), -1000000, [&](std::size_t start, int score) {
        if (!expected || score > expected->score) expected = stats::MatrixScanner::Window{start, score};
      });
      const std::optional<stats::MatrixScanner::Window> found = scanner.best(coded, s, -1000000);
      ASSERT_EQ(found.has_value(), expected.has_value()) << "w=" << w << " sequence " << s;
      if (!found) continue;
      EXPECT_EQ(found->start, expected->start);
      EXPECT_EQ(found->score, expected->score);
      // A threshold above the best finds nothing.
      EXPECT_FALSE(scanner.best(coded, s, expected->score + 1).has_value());
    }
  }
}
