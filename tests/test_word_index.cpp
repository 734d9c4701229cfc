// The neighbourhood index and the other speed devices of the engine, each
// against the plain definition it replaces.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "base/parallel.h"
#include "engine/node.h"
#include "engine/window_threshold.h"
#include "engine/word_index.h"
#include "support.h"

using namespace testing_support;

TEST(Neighbours, EveryWordWithinTheAllowanceOnceAndNoOther) {
  for (int K : {1, 3, 6}) {
    for (int m = 0; m <= K; ++m) {
      const base::WordCode centre = (0x2d5 * 7) & ((base::WordCode{1} << (2 * K)) - 1);
      std::multiset<base::WordCode> found;
      engine::forEachNeighbour(centre, K, m, [&](base::WordCode w) { found.insert(w); });
      std::set<base::WordCode> expected;
      for (base::WordCode w = 0; w < (base::WordCode{1} << (2 * K)); ++w)
        if (base::hamming(w, centre) <= m) expected.insert(w);
      EXPECT_EQ(std::set<base::WordCode>(found.begin(), found.end()), expected) << "K " << K << " m " << m;
      EXPECT_EQ(found.size(), expected.size()) << "a word came twice, K " << K << " m " << m;
      EXPECT_DOUBLE_EQ(engine::neighbourhoodSize(K, m), static_cast<double>(expected.size()));
    }
  }
  EXPECT_DOUBLE_EQ(engine::neighbourhoodSize(8, 2), 277.0);  // 1 + 24 + 252
}

TEST(Neighbours, ReverseComplementOfPackedWords) {
  base::WordCode code = 0;
  ASSERT_TRUE(base::pack("AACGTTG", 7, code));
  base::WordCode rc = 0;
  ASSERT_TRUE(base::pack(base::reverseComplement("AACGTTG").c_str(), 7, rc));
  EXPECT_EQ(engine::reverseComplement(code, 7), rc);
}

// Both layouts give every key of a word, ascending, and nothing else.
TEST(WordIndex, DenseAndSparseLayoutsAgreeWithAPlainMap) {
  std::mt19937 rng(5);
  for (int K : {4, 9, 13}) {
    for (std::size_t count : {std::size_t{10}, std::size_t{5000}, std::size_t{300000}}) {
      std::vector<engine::WordIndex::Entry> entries;
      std::map<base::WordCode, std::vector<std::uint64_t>> plain;
      const base::WordCode span = std::min<base::WordCode>(base::WordCode{1} << (2 * K), 300);
      for (std::uint64_t key = 0; key < count; ++key) {
        const base::WordCode code = rng() % span;
        entries.push_back({code, key * 3});
        plain[code].push_back(key * 3);
      }
      for (int threads : {1, 3}) {
        const engine::WordIndex index(entries, K, threads);
        EXPECT_EQ(index.dense(), engine::WordIndex::denseFor(K, count));
        const base::WordCode words = base::WordCode{1} << (2 * K);
        for (base::WordCode code = 0; code < std::min<base::WordCode>(span + 5, words); ++code) {
          std::vector<std::uint64_t> keys;
          index.forEachKey(code, [&](std::uint64_t k) { keys.push_back(k); });
          ASSERT_EQ(keys, plain[code]) << "K " << K << " code " << code << " threads " << threads;
        }
      }
    }
  }
}

// The threshold test decides exactly as the normalised score compared in
// single precision does, for every word, at thresholds near the scores.
TEST(WindowThreshold, AgreesWithTheNormalisedScoreOnEveryWord) {
  const int K = 6;
  const MotifContext context = motifContext(K);
  std::mt19937 rng(11);
  for (int trial = 0; trial < 40; ++trial) {
    node motif(context);
    const int sites = 1 + static_cast<int>(rng() % 9);
    for (int i = 0; i < K; ++i)
      for (int s = 0; s < sites; ++s) ++motif.posCMatrix[rng() % (trial % 3 == 0 ? 1 : 4)][i];
    motif.computeMatrices(sites);
    for (double threshold : {0.7, 0.75, 0.8, 0.8333333, 0.9, 1.0}) {
      const double t = static_cast<float>(threshold);
      const WindowThreshold test(motif, t);
      for (base::WordCode code = 0; code < (base::WordCode{1} << (2 * K)); ++code)
        ASSERT_EQ(test.passes(code), static_cast<float>(motif.miSscoreNormCode(code)) >= t)
            << "trial " << trial << " threshold " << t << " word " << base::wordOf(code, K);
    }
  }
}

// No item is produced more than `ahead` items before it is consumed, and the
// items are consumed in order.
TEST(Pipeline, ProducersStayWithinTheBound) {
  for (std::size_t ahead : {std::size_t{1}, std::size_t{2}, std::size_t{5}}) {
    std::atomic<std::size_t> consumed{0};
    std::atomic<bool> overrun{false};
    std::vector<std::size_t> order;
    parallelPipeline(
        3, 60,
        [&](std::size_t i) {
          if (i >= consumed + ahead) overrun = true;
          std::this_thread::yield();
        },
        [&](std::size_t i) {
          order.push_back(i);
          consumed = i + 1;
        },
        ahead);
    EXPECT_FALSE(overrun) << "ahead " << ahead;
    ASSERT_EQ(order.size(), 60u);
    for (std::size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i], i);
  }
}
