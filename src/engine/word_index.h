// Finding the windows near a word without testing every window: the words
// within m mismatches of a word of K letters are its C(K,j) 3^j neighbours
// for j = 0..m, so when there are far fewer of them than windows, looking
// each up in an index of the windows' words finds the same windows.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/words.h"

namespace engine {

// Number of words of K letters within m mismatches of one word.
double neighbourhoodSize(int K, int m);

// Calls visit(code) once for every word of K letters within m mismatches of
// `code` (the word itself included).
template <class Visit>
void forEachNeighbour(base::WordCode code, int K, int m, Visit visit);

// The reverse complement of a packed word of K letters.
inline base::WordCode reverseComplement(base::WordCode code, int K) {
  base::WordCode rc = 0;
  for (int i = 0; i < K; ++i, code >>= 2) rc = (rc << 2) | (3u - (code & 3u));
  return rc;
}

// Where each packed word occurs among a set of windows, each window named by
// a key of the caller's. The keys of one word come in ascending order.
class WordIndex {
 public:
  struct Entry {
    base::WordCode code;
    std::uint64_t key;
  };
  // Takes the windows, given in ascending key order; K is the word length.
  WordIndex(std::vector<Entry> entries, int K, int threads = 1);

  // Calls visit(key) for every window whose word is `code`, keys ascending.
  template <class Visit>
  void forEachKey(base::WordCode code, Visit visit) const;

  std::size_t size() const { return keys_.size(); }
  bool dense() const { return dense_; }
  // Whether an index of `windows` words of K letters uses the dense table.
  static bool denseFor(int K, std::size_t windows) {
    const std::size_t words = std::size_t{1} << (2 * std::min(K, kDenseLetters));
    return K <= kDenseLetters && (words <= kSmallTable || words <= 2 * windows);
  }

 private:
  // Words of up to kDenseLetters letters with as many windows as words are
  // looked up in a table of 4^K offsets; others by binary search.
  static constexpr int kDenseLetters = 12;
  static constexpr std::size_t kSmallTable = std::size_t{1} << 20;  // 4 MB of offsets
  bool dense_ = false;
  std::vector<std::uint32_t> offsets_;  // dense: first key of each word
  std::vector<base::WordCode> codes_;   // sparse: the word of each key, ascending
  std::vector<std::uint64_t> keys_;
};

// ---- implementation of the templates ----------------------------------------

namespace detail {
template <class Visit>
void substitute(base::WordCode code, int K, int from, int left, Visit& visit) {
  for (int i = from; i < K; ++i) {
    const int shift = 2 * (K - 1 - i);
    const base::WordCode base = (code >> shift) & 3u;
    for (base::WordCode b = 0; b < 4; ++b) {
      if (b == base) continue;
      const base::WordCode changed = (code & ~(base::WordCode{3} << shift)) | (b << shift);
      visit(changed);
      if (left > 1) substitute(changed, K, i + 1, left - 1, visit);
    }
  }
}
}  // namespace detail

template <class Visit>
void forEachNeighbour(base::WordCode code, int K, int m, Visit visit) {
  visit(code);
  if (m > 0) detail::substitute(code, K, 0, m, visit);
}

template <class Visit>
void WordIndex::forEachKey(base::WordCode code, Visit visit) const {
  std::size_t first, last;
  if (dense_) {
    first = offsets_[static_cast<std::size_t>(code)];
    last = offsets_[static_cast<std::size_t>(code) + 1];
  } else {
    const auto range = std::equal_range(codes_.begin(), codes_.end(), code);
    first = static_cast<std::size_t>(range.first - codes_.begin());
    last = static_cast<std::size_t>(range.second - codes_.begin());
  }
  for (std::size_t i = first; i < last; ++i) visit(keys_[i]);
}

}  // namespace engine
