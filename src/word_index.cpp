#include "word_index.h"

#include "errors.h"

namespace word_index {

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

WordIndex::WordIndex(std::vector<Entry> entries, int K) {
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return a.code != b.code ? a.code < b.code : a.key < b.key;
  });
  const std::size_t words = K <= kDenseLetters ? std::size_t{1} << (2 * K) : 0;
  dense_ = K <= kDenseLetters && words <= 2 * entries.size() + 1024;
  dense_ = denseFor(K, entries.size());
  ZK_ASSERT(entries.size() < UINT32_MAX);
  keys_.reserve(entries.size());
  for (const Entry& e : entries) keys_.push_back(e.key);
  if (dense_) {
    const std::size_t words = std::size_t{1} << (2 * K);
    offsets_.assign(words + 1, 0);
    for (const Entry& e : entries) ++offsets_[static_cast<std::size_t>(e.code) + 1];
    for (std::size_t w = 0; w < words; ++w) offsets_[w + 1] += offsets_[w];
  } else {
    codes_.reserve(entries.size());
    for (const Entry& e : entries) codes_.push_back(e.code);
  }
}

}  // namespace word_index
