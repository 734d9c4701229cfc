// The site record shared by every stage, the design constants and the run-wide
// parameters read by every subsystem.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "words.h"

// Design constants.
constexpr int NUM_BASES = 4;    // matrix rows A, C, G, T
constexpr int MAX_K = 40;       // size of every per-position array
constexpr int MAX_SEQ = 5000;   // a record holds at most MAX_SEQ - 1 letters
constexpr int LEN_STR = 300;    // a header keeps at most LEN_STR - 1 characters
constexpr int MAX_MARKOV = 8;   // longest Markov word
constexpr int MIN_MOTIF_LEN = 6;
constexpr int MAX_MOTIF_LEN = 20;

// Run-wide parameters, set only while the command line is read.
extern int K;                  // motif length (-l)
extern double MIN_COMPLEXITY;  // lowest complexity of a kept motif (-c)
extern bool forwardOnly;       // -r: search the given strand only
extern int scoring_method;     // 1: surprise score (-s); anything else: MAP score
extern int numThreads;         // -p: threads the engine may use

// One occurrence of a K-letter word: the window at forward position `pos` of
// sequence `seqIdx`. `strand` says which of the two words is the site's text.
struct L_mer {
  char kmer[MAX_K] = {};    // forward-strand letters, NUL-terminated
  char rcKmer[MAX_K] = {};  // reverse complement of kmer, NUL-terminated
  int pos = 0;              // forward-strand start, 0-based
  int seqIdx = 0;
  double score = 0.0;
  bool strand = true;       // true: the text is kmer; false: rcKmer
  int matIdx = -1;          // index in the splitting distance table

  const char* text() const { return strand ? kmer : rcKmer; }
};

// A site as a motif keeps it: the word on the site's own strand and the fields
// of its L_mer that the engine reads.
struct Site {
  char text[MAX_MOTIF_LEN + 1] = {};
  bool strand = true;
  bool acgt = false;  // text is made of A, C, G, T only, so `code` is exact
  words::Code code = 0;
  double score = 0.0;
  int pos = 0;
  int seqIdx = 0;
  int matIdx = -1;

  static Site fromLmer(const L_mer& mer);
};

// A copy of `site` whose two words are cut to exactly K letters.
L_mer copySegment(const L_mer& site);

// Number of positions 0..len-1 at which a and b differ (exact characters).
int hammingDist(const char* a, const char* b, int len);

// Nucleotide codes: 'A'/'a' 0, 'C'/'c' 1, 'G'/'g' 2, 'T'/'t' 3, anything else 0.
int char2num(char c);
// Base-4 number of a NUL-terminated word, first letter most significant.
long long string2num(const char* word);

namespace zk {
// Base-2 logarithm as ln(x) / ln(2); kept apart from the C library's log2,
// whose last bit can differ.
double log2(double x);
}  // namespace zk

// A stop of the run caused by its input: the message goes to standard output
// and the process ends with status 1.
class FatalError : public std::runtime_error {
 public:
  explicit FatalError(const std::string& message) : std::runtime_error(message) {}
};

// Aborts on an internal impossibility, naming the failed expression.
[[noreturn]] void assertionFailed(const char* expr, const char* file, int line);
#define ZK_ASSERT(expr) ((expr) ? (void)0 : assertionFailed(#expr, __FILE__, __LINE__))
