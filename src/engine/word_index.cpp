#include "engine/word_index.h"

#include "base/errors.h"
#include "base/parallel.h"

namespace engine {

double neighbourhoodSize(int K, int m) {
  double total = 0.0;
  double choose = 1.0;  // C(K, j)
  double threes = 1.0;  // 3^j
  for (int j = 0; j <= m && j <= K; ++j) {
    total += choose * threes;
    choose = choose * (K - j) / (j + 1);
    threes *= 3.0;
  }
  return total;
}

// The dense table is filled by counting, which keeps the keys of one word in
// the order they were given: each part of the entries is counted, and filled
// in, on its own thread, the parts of one word following each other in order.
WordIndex::WordIndex(std::vector<Entry> entries, int K, int threads) {
  dense_ = denseFor(K, entries.size());
  ZK_ASSERT(entries.size() < UINT32_MAX);
  if (dense_) {
    ZK_ASSERT(
        std::is_sorted(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.key < b.key; }));
    const std::size_t words = std::size_t{1} << (2 * K);
    const std::size_t parts = std::max<std::size_t>(1, std::min<std::size_t>(threads, entries.size() / (1 << 16)));
    auto partBegin = [&](std::size_t part) { return entries.size() * part / parts; };
    std::vector<std::vector<std::uint32_t>> next(parts, std::vector<std::uint32_t>(words, 0));
    parallelFor(threads, parts, [&](std::size_t part) {
      for (std::size_t i = partBegin(part); i < partBegin(part + 1); ++i)
        ++next[part][static_cast<std::size_t>(entries[i].code)];
    });
    offsets_.assign(words + 1, 0);
    std::uint32_t total = 0;
    for (std::size_t w = 0; w < words; ++w) {
      offsets_[w] = total;
      for (std::size_t part = 0; part < parts; ++part) {
        const std::uint32_t count = next[part][w];
        next[part][w] = total;  // where this part's keys of the word start
        total += count;
      }
    }
    offsets_[words] = total;
    keys_.resize(entries.size());
    parallelFor(threads, parts, [&](std::size_t part) {
      for (std::size_t i = partBegin(part); i < partBegin(part + 1); ++i)
        keys_[next[part][static_cast<std::size_t>(entries[i].code)]++] = entries[i].key;
    });
    return;
  }
  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return a.code != b.code ? a.code < b.code : a.key < b.key; });
  keys_.reserve(entries.size());
  codes_.reserve(entries.size());
  for (const Entry& e : entries) {
    keys_.push_back(e.key);
    codes_.push_back(e.code);
  }
}

}  // namespace engine
