// The site record every stage shares and the constants of the design.
#pragma once

#include "base/errors.h"
#include "base/words.h"

constexpr int NUM_BASES = 4;   // matrix rows A, C, G, T
constexpr int MAX_K = 40;      // size of every per-position array
constexpr int MAX_SEQ = 5000;  // by default a record holds at most MAX_SEQ - 1 letters
constexpr int LEN_STR = 300;   // a header keeps at most LEN_STR - 1 characters
constexpr int MAX_MARKOV = 8;  // longest Markov word
constexpr int MIN_MOTIF_LEN = 6;
constexpr int MAX_MOTIF_LEN = 20;

// One occurrence of a K-letter word in the input: the window at forward
// position `pos` of sequence `seqIdx`, with its word as read on the site's own
// strand.
struct Site {
  char text[MAX_MOTIF_LEN + 1] = {};
  bool strand = true;  // true: the forward strand; false: the reverse complement
  bool acgt = false;   // text is made of A, C, G, T only, so `code` is exact
  base::WordCode code = 0;
  double score = 0.0;
  int pos = 0;  // forward-strand start, 0-based, whatever the strand
  int seqIdx = 0;
  int matIdx = -1;  // index of the site during divisive splitting
};

// Number of positions 0..len-1 at which a and b differ (exact characters).
int hammingDist(const char* a, const char* b, int len);

namespace engine {
// Base-2 logarithm as ln(x) / ln(2); kept apart from the C library's log2,
// whose last bit can differ.
double log2(double x);
}  // namespace engine
