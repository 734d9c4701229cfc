// Scoring matrices and their p-values: the tail of the score distribution
// equals enumerating every word for matrices of up to 8 columns, equals the
// plain convolution of every column for long ones at any floor, and is the
// real chance of a window of background letters (calibration over seeds);
// the cells, the other strand's matrix and the pseudo-count's spread.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

#include "formats/motif.h"
#include "reference.h"
#include "stats/scoring_matrix.h"
#include "stats/shuffle.h"

namespace {

using stats::Background;
using stats::ScoreTail;
using stats::ScoringMatrix;

double unit(stats::Random& random) { return (static_cast<double>(random.below(1000000)) + 0.5) / 1e6; }

// Columns of probabilities, some sharp and some flat, as motifs have.
std::vector<formats::Column> randomColumns(int width, stats::Random& random) {
  std::vector<formats::Column> columns;
  for (int i = 0; i < width; ++i) {
    formats::Column c{};
    double sum = 0;
    const double sharpness = random.below(2) ? 4.0 : 1.0;
    for (double& v : c) sum += v = std::pow(unit(random), sharpness) + 0.001;
    for (double& v : c) v /= sum;
    columns.push_back(c);
  }
  return columns;
}

Background randomBackground(stats::Random& random) {
  Background b{};
  double sum = 0;
  for (double& v : b) sum += v = 0.1 + unit(random);
  for (double& v : b) v /= sum;
  return b;
}

// P(S >= s) for every score s of some word, by enumerating all 4^w words.
std::map<int, double> tailByEveryWord(const ScoringMatrix& m, const Background& bg) {
  std::map<int, double> exactly;
  const int w = m.width();
  std::vector<std::uint8_t> word(static_cast<std::size_t>(w), 0);
  for (long long code = 0; code < (1LL << (2 * w)); ++code) {
    double chance = 1;
    for (int i = 0; i < w; ++i) {
      word[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((code >> (2 * i)) & 3);
      chance *= bg[word[static_cast<std::size_t>(i)]];
    }
    exactly[m.score(word.data())] += chance;
  }
  std::map<int, double> tail;
  double sum = 0;
  for (auto it = exactly.rbegin(); it != exactly.rend(); ++it) tail[it->first] = sum += it->second;
  return tail;
}

void expectClose(double actual, double expected, const std::string& where) {
  EXPECT_NEAR(actual, expected, 1e-12 + 1e-9 * expected) << where;
}

}  // namespace

TEST(ScoreTail, EqualsEveryWordForMatricesOfUpToEightColumns) {
  stats::Random random(5);
  for (int w = 1; w <= 8; ++w)
    for (int trial = 0; trial < 3; ++trial) {
      const Background bg = trial == 0 ? stats::uniformBackground() : randomBackground(random);
      const ScoringMatrix m(randomColumns(w, random), bg);
      const std::map<int, double> tail = tailByEveryWord(m, bg);
      const ScoreTail whole(m, bg, m.worst());
      ASSERT_TRUE(whole.complete());
      EXPECT_EQ(whole.best(), m.best());
      EXPECT_EQ(tail.rbegin()->first, m.best());
      EXPECT_EQ(tail.begin()->first, m.worst());
      // A floor in the middle keeps the tail above it unchanged.
      const int middle = (m.best() + m.worst()) / 2;
      const ScoreTail upper(m, bg, middle);
      EXPECT_FALSE(upper.complete() && middle != m.worst());
      for (int s = m.worst(); s <= m.best() + 1; ++s) {
        const auto at = tail.lower_bound(s);
        const double expected = at == tail.end() ? 0.0 : at->second;
        const std::string where =
            "w=" + std::to_string(w) + " trial " + std::to_string(trial) + " score " + std::to_string(s);
        expectClose(whole.atLeast(s), expected, where);
        if (s >= upper.floor()) expectClose(upper.atLeast(s), expected, where + " (floor)");
      }
      // The threshold of a p-value keeps the words of the lowest score whose
      // tail is within it, and no word of lower score.
      for (double p : {1e-1, 1e-2, 1e-3, 1e-4}) {
        const ScoreTail tailAtP = ScoreTail::reaching(m, bg, p);
        const int t = tailAtP.thresholdFor(p);
        int expected = m.best() + 1;
        for (const auto& [score, chance] : tail)
          if (chance <= p) {
            expected = score;
            break;
          }
        const auto kept = tail.lower_bound(t);
        EXPECT_EQ(kept == tail.end() ? m.best() + 1 : kept->first, expected) << "w=" << w << " p=" << p;
        EXPECT_GT(tailAtP.atLeast(t - 1), p) << "w=" << w << " p=" << p;
      }
    }
}

TEST(ScoreTail, EqualsThePlainConvolutionForLongMatrices) {
  stats::Random random(6);
  for (int w : {12, 20, 30}) {
    const Background bg = randomBackground(random);
    const ScoringMatrix m(randomColumns(w, random), bg);
    const std::map<int, double> distribution = reference::scoreDistribution(m, bg);
    std::map<int, double> tail;
    double sum = 0;
    for (auto it = distribution.rbegin(); it != distribution.rend(); ++it) tail[it->first] = sum += it->second;
    for (double p : {1e-3, 1e-6, 1e-9}) {
      const ScoreTail t = ScoreTail::reaching(m, bg, p);
      EXPECT_GT(t.atLeast(t.floor()), p) << "the floor of p=" << p << " lies below its threshold";
      for (int s = t.floor(); s <= m.best(); s += 7) {
        const auto at = tail.lower_bound(s);
        expectClose(t.atLeast(s), at == tail.end() ? 0.0 : at->second, "w=" + std::to_string(w));
      }
    }
  }
}

TEST(ScoreTail, IsTheChanceOfAWindowOfBackgroundLetters) {
  // Over seeds: the windows of random DNA drawn from the background with
  // p <= 1e-3 are about 1e-3 of all, within four standard deviations.
  for (std::uint64_t seed = 1; seed <= 5; ++seed) {
    stats::Random random(seed);
    const Background bg = randomBackground(random);
    const ScoringMatrix m(randomColumns(10, random), bg);
    const ScoreTail tail = ScoreTail::reaching(m, bg, 1e-3);
    const int threshold = tail.thresholdFor(1e-3);
    const double expected = tail.atLeast(threshold);
    const long long windows = 400000;
    long long hits = 0;
    std::vector<std::uint8_t> word(10);
    for (long long n = 0; n < windows; ++n) {
      for (auto& letter : word) {
        const double u = unit(random);
        letter = u < bg[0] ? 0 : u < bg[0] + bg[1] ? 1 : u < bg[0] + bg[1] + bg[2] ? 2 : 3;
      }
      hits += m.score(word.data()) >= threshold;
    }
    const double mean = expected * windows;
    EXPECT_NEAR(static_cast<double>(hits), mean, 4 * std::sqrt(mean)) << "seed " << seed;
  }
}

TEST(ScoringMatrix, CellsAreLog2OddsOnTheGridAndTheOtherStrandMirrorsThem) {
  const Background bg{0.3, 0.2, 0.2, 0.3};
  const ScoringMatrix m({{0.7, 0.1, 0.1, 0.1}, {0.25, 0.25, 0.4, 0.1}}, bg);
  EXPECT_EQ(m.cell(0, 0), std::lround(std::log2(0.7 / 0.3) * 100));
  EXPECT_EQ(m.cell(1, 2), std::lround(std::log2(0.4 / 0.2) * 100));
  EXPECT_DOUBLE_EQ(ScoringMatrix::bits(m.cell(0, 0)), m.cell(0, 0) * 0.01);
  const ScoringMatrix other = m.reverseComplement();
  stats::Random random(3);
  for (int n = 0; n < 50; ++n) {
    const std::uint8_t word[2] = {static_cast<std::uint8_t>(random.below(4)),
                                  static_cast<std::uint8_t>(random.below(4))};
    const std::uint8_t complement[2] = {static_cast<std::uint8_t>(3 - word[1]), static_cast<std::uint8_t>(3 - word[0])};
    EXPECT_EQ(other.score(word), m.score(complement));
  }
  EXPECT_EQ(other.best(), m.best());
  EXPECT_EQ(other.worst(), m.worst());
  EXPECT_DEATH(ScoringMatrix({{1.0, 0.0, 0.0, 0.0}}, bg), "probabilities above 0");
}

TEST(ScoringMatrix, PseudocountIsSpreadByTheBackground) {
  const Background bg{0.3, 0.2, 0.2, 0.3};
  formats::Motif counts{"M1", "", {{8, 2, 0, 0}}, true, std::nullopt, "m.jaspar", 1};
  const std::vector<formats::Column> p = stats::siteProbabilities(counts, bg, 0.1);
  EXPECT_DOUBLE_EQ(p[0][0], (8 + 0.1 * 0.3) / 10.1);
  EXPECT_DOUBLE_EQ(p[0][2], (0 + 0.1 * 0.2) / 10.1);
  // Probabilities without a number of sites stand for 20 sites.
  formats::Motif probabilities{"M2", "", {{0.5, 0.5, 0, 0}}, false, std::nullopt, "m.meme", 1};
  const std::vector<formats::Column> q = stats::siteProbabilities(probabilities, bg, 0.1);
  EXPECT_DOUBLE_EQ(q[0][3], (0.1 * 0.3) / 20.1);
  EXPECT_DOUBLE_EQ(q[0][0], (20 * 0.5 + 0.1 * 0.3) / 20.1);
  // Without a pseudo-count a zero stays zero, and no matrix can be made of it.
  EXPECT_EQ(stats::siteProbabilities(probabilities, bg, 0)[0][3], 0.0);
}

TEST(ScoringMatrix, BackgroundOfCountedLettersIsTheSameOnBothStrands) {
  const Background b = stats::strandSymmetricBackground({99, 0, 49, 1});
  EXPECT_DOUBLE_EQ(b[0], b[3]);
  EXPECT_DOUBLE_EQ(b[1], b[2]);
  EXPECT_DOUBLE_EQ(b[0], 51.0 / 153);  // (99 + 1) / 2 + 1 of 2 * (51 + 25.5)
  EXPECT_TRUE(stats::isStrandSymmetric(b));
  EXPECT_FALSE(stats::isStrandSymmetric({0.3, 0.2, 0.2, 0.3 - 1e-9}));
}
