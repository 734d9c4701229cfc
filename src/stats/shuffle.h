// Shuffled copies of sequences that keep the count of every word of k letters:
// the control set of an enrichment test when there is no real one, DNA with
// the composition of the input (to k letters) but none of its motifs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/fasta.h"

namespace stats {

constexpr int kMinShuffleWordLength = 1;
constexpr int kMaxShuffleWordLength = 6;

// A small, fully specified random number generator (splitmix64), so that a
// seed gives the same shuffles with every compiler and standard library.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next();
  // Uniform in [0, n); requires n > 0.
  std::uint64_t below(std::uint64_t n);

 private:
  std::uint64_t state_;
};

// `letters` with every maximal run of A, C, G and T rearranged at random so
// that the run keeps the count of each of its words of `k` letters (and so its
// first and last k - 1 letters); every other letter (N, say) stays where it
// is. For k = 1 a run is a random permutation of its letters; for k >= 2 it is
// a uniformly random Euler path through the graph of its (k - 1)-letter words.
// Requires kMinWordLength <= k <= kMaxWordLength.
std::string shuffleLetters(const std::string& letters, int k, Random& random);

// `copies` shuffled copies of every record, record by record: copy c (from 1)
// of a record named NAME is named "NAME [shuffled c]". The shuffles depend on
// `seed` and on each record's place only, never on the number of threads.
std::vector<FastaRecord> shuffledCopies(const std::vector<FastaRecord>& records, int k, int copies, std::uint64_t seed,
                                        int threads);

}  // namespace stats
