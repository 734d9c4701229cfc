// The stretches of some sequences indexed by their forward word, for finding
// every window within m mismatches of a word by looking up its neighbours
// instead of testing every window (see word_index.h).
#pragma once

#include <cstdint>
#include <vector>

#include "engine/sequences.h"
#include "engine/word_index.h"

// A window found: the stretch at forward position `pos` of the `list`-th
// indexed sequence, on the forward strand or as the reverse complement.
struct StretchHit {
  int list;
  int pos;
  bool forward;
};

class StretchIndex {
 public:
  // Indexes every stretch free of 'N' of the listed sequences.
  StretchIndex(const SequenceSet& seqs, const std::vector<int>& sequences, int threads = 1);

  // Calls visit(hit) for every window made of A, C, G, T within m mismatches of
  // `code`, reverse complements too unless forwardOnly. No order is promised.
  template <class Visit>
  void forEachNear(base::WordCode code, int m, bool forwardOnly, Visit visit) const;
  // The same for the windows that are exactly `code`.
  template <class Visit>
  void forEachEqual(base::WordCode code, bool forwardOnly, Visit visit) const;

  // Stretches free of 'N' that hold letters other than A, C, G, T: the index
  // cannot hold them, so callers test them letter by letter. In list order.
  const std::vector<StretchHit>& others() const { return others_; }

  // Estimated cost of finding the windows near one word in an index of
  // `windows` stretches, in units of one packed-word distance test.
  static double lookupCost(int K, int m, std::size_t windows);

 private:
  int K_;
  std::vector<StretchHit> others_;  // filled while the index is built, so declared first
  engine::WordIndex index_;
};

// ---- implementation of the templates ----------------------------------------

template <class Visit>
void StretchIndex::forEachEqual(base::WordCode code, bool forwardOnly, Visit visit) const {
  auto hit = [&visit](std::uint64_t key, bool forward) {
    visit(StretchHit{static_cast<int>(key >> 32), static_cast<int>(key & 0xffffffffu), forward});
  };
  index_.forEachKey(code, [&](std::uint64_t key) { hit(key, true); });
  if (!forwardOnly) index_.forEachKey(engine::reverseComplement(code, K_), [&](std::uint64_t key) { hit(key, false); });
}

template <class Visit>
void StretchIndex::forEachNear(base::WordCode code, int m, bool forwardOnly, Visit visit) const {
  engine::forEachNeighbour(code, K_, m, [&](base::WordCode near) { forEachEqual(near, forwardOnly, visit); });
}
