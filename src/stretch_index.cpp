#include "stretch_index.h"

#include <cmath>

namespace {

std::vector<word_index::WordIndex::Entry> stretchEntries(const SequenceSet& seqs, const std::vector<int>& sequences,
                                                         std::vector<StretchHit>& others) {
  std::vector<word_index::WordIndex::Entry> entries;
  for (std::size_t list = 0; list < sequences.size(); ++list) {
    const seqRecord& rec = seqs[static_cast<std::size_t>(sequences[list])];
    forEachValidStretch(rec, seqs.L(), [&](int p, int) {
      if (rec.fwdAcgt[p])
        entries.push_back({rec.fwdCode[p], (static_cast<std::uint64_t>(list) << 32) | static_cast<std::uint32_t>(p)});
      else
        others.push_back({static_cast<int>(list), p, true});
    });
  }
  return entries;
}

}  // namespace

StretchIndex::StretchIndex(const SequenceSet& seqs, const std::vector<int>& sequences)
    : K_(seqs.L()), index_(stretchEntries(seqs, sequences, others_), seqs.L()) {}

double StretchIndex::lookupCost(int K, int m, std::size_t windows) {
  // Each neighbour is generated and looked up twice (both strands); a lookup
  // in the dense table costs about as much as a few distance tests, a binary
  // search about as many as its steps cost cache misses.
  const double perLookup = word_index::WordIndex::denseFor(K, windows)
                               ? 4.0
                               : 4.0 * std::log2(static_cast<double>(windows) + 2.0);
  return 2.0 * word_index::neighbourhoodSize(K, m) * perLookup;
}
