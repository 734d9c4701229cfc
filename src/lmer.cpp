#include "lmer.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int K = 0;
double MIN_COMPLEXITY = 0.15;
bool forwardOnly = false;
int scoring_method = 2;
int numThreads = 1;

L_mer copySegment(const L_mer& site) {
  L_mer copy = site;
  ZK_ASSERT(K >= 0 && K < MAX_K);
  copy.kmer[K] = '\0';
  copy.rcKmer[K] = '\0';
  return copy;
}

Site Site::fromLmer(const L_mer& mer) {
  ZK_ASSERT(K > 0 && K <= MAX_MOTIF_LEN);
  Site s;
  const char* word = mer.text();
  for (int i = 0; i < K && word[i] != '\0'; ++i) s.text[i] = word[i];  // the word, cut to K letters
  s.strand = mer.strand;
  s.acgt = words::pack(s.text, K, s.code) && std::strlen(s.text) == static_cast<std::size_t>(K);
  s.score = mer.score;
  s.pos = mer.pos;
  s.seqIdx = mer.seqIdx;
  s.matIdx = mer.matIdx;
  return s;
}

int hammingDist(const char* a, const char* b, int len) {
  int d = 0;
  for (int i = 0; i < len; ++i) d += a[i] != b[i];
  return d;
}

int char2num(char c) {
  switch (c) {
    case 'A': case 'a': return 0;
    case 'C': case 'c': return 1;
    case 'G': case 'g': return 2;
    case 'T': case 't': return 3;
    default: return 0;
  }
}

long long string2num(const char* word) {
  unsigned long long n = 0;  // words are at most 20 letters: no wrap in use
  for (const char* c = word; *c; ++c) n = n * 4 + static_cast<unsigned>(char2num(*c));
  return static_cast<long long>(n);
}

double zk::log2(double x) { return std::log(x) / std::log(2.0); }

void assertionFailed(const char* expr, const char* file, int line) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s:%d: Assertion `%s' failed.\n", file, line, expr);
  std::abort();
}
