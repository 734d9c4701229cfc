#include "engine/stretch_index.h"

#include <cmath>

#include "base/parallel.h"

namespace {

// The stretches of A, C, G, T of the listed sequences in list and position
// order, gathered sequence by sequence in parallel into their final places.
std::vector<engine::WordIndex::Entry> stretchEntries(const SequenceSet& seqs, const std::vector<int>& sequences,
                                                     std::vector<StretchHit>& others, int threads) {
  const int L = seqs.L();
  std::vector<std::size_t> first(sequences.size() + 1, 0);
  for (std::size_t list = 0; list < sequences.size(); ++list) {
    const seqRecord& rec = seqs[static_cast<std::size_t>(sequences[list])];
    std::size_t clean = 0;
    forEachValidStretch(rec, L, [&](int p, int) {
      if (rec.fwdAcgt[p])
        ++clean;
      else
        others.push_back({static_cast<int>(list), p, true});
    });
    first[list + 1] = first[list] + clean;
  }
  std::vector<engine::WordIndex::Entry> entries(first.back());
  parallelFor(threads, sequences.size(), [&](std::size_t list) {
    const seqRecord& rec = seqs[static_cast<std::size_t>(sequences[list])];
    std::size_t at = first[list];
    forEachValidStretch(rec, L, [&](int p, int) {
      if (rec.fwdAcgt[p])
        entries[at++] = {rec.fwdCode[p], (static_cast<std::uint64_t>(list) << 32) | static_cast<std::uint32_t>(p)};
    });
  });
  return entries;
}

}  // namespace

StretchIndex::StretchIndex(const SequenceSet& seqs, const std::vector<int>& sequences, int threads)
    : K_(seqs.L()), index_(stretchEntries(seqs, sequences, others_, threads), seqs.L(), threads) {}

double StretchIndex::lookupCost(int K, int m, std::size_t windows) {
  // Each neighbour is generated and looked up twice (both strands); a lookup
  // in the dense table costs about as much as a few distance tests, a binary
  // search about as many as its steps cost cache misses.
  const double perLookup =
      engine::WordIndex::denseFor(K, windows) ? 4.0 : 4.0 * std::log2(static_cast<double>(windows) + 2.0);
  return 2.0 * engine::neighbourhoodSize(K, m) * perLookup;
}
