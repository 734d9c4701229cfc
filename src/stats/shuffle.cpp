#include "stats/shuffle.h"

#include <utility>

#include "base/errors.h"
#include "base/parallel.h"
#include "base/words.h"

namespace shuffle {

std::uint64_t Random::next() {
  std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

std::uint64_t Random::below(std::uint64_t n) {
  ZK_ASSERT(n > 0);
  // Rejecting the values of the last, incomplete block of n keeps every
  // result equally likely.
  const std::uint64_t limit = -n % n;  // 2^64 mod n
  for (;;) {
    const std::uint64_t value = next();
    if (value >= limit) return value % n;
  }
}

namespace {

template <class T>
void shuffleRange(T* first, std::size_t size, Random& random) {
  for (std::size_t i = size; i > 1; --i) std::swap(first[i - 1], first[random.below(i)]);
}

// A random Euler path through the (k - 1)-letter words of one run of A, C, G,
// T: every window of k letters is an edge from its first k - 1 letters to its
// last k - 1. Choosing, for every word but the last of the run, a random edge
// to leave it by last, such that these last exits form a tree leading to the
// last word, and taking the other exits in random order, walks every edge
// once (the BEST theorem); a uniformly random tree (Wilson's algorithm) makes
// every path equally likely.
class EulerShuffler {
 public:
  explicit EulerShuffler(int k) : k_(k), words_(std::size_t{1} << (2 * (k - 1))) {}

  void shuffle(char* run, std::size_t length, Random& random) {
    if (length <= static_cast<std::size_t>(k_)) return;  // at most one word: nothing can move
    buildGraph(run, length);
    chooseLastExits(random);
    orderExits(random);
    walk(run, length);
  }

 private:
  using Vertex = std::uint32_t;

  Vertex prefixCode(const char* at) const {
    Vertex code = 0;
    for (int i = 0; i < k_ - 1; ++i) code = (code << 2) | static_cast<Vertex>(words::baseIndex(at[i]));
    return code;
  }
  Vertex successor(Vertex from, char letter) const {
    const Vertex mask = static_cast<Vertex>(words_ - 1);
    return ((from << 2) | static_cast<Vertex>(words::baseIndex(letter))) & mask;
  }

  // Edges grouped by the word they leave, as the letter each appends.
  void buildGraph(const char* run, std::size_t length) {
    const std::size_t edges = length - static_cast<std::size_t>(k_ - 1);
    first_.assign(words_ + 1, 0);
    std::vector<Vertex> from(edges);
    Vertex v = prefixCode(run);
    start_ = v;
    for (std::size_t e = 0; e < edges; ++e) {
      from[e] = v;
      ++first_[v + 1];
      v = successor(v, run[e + static_cast<std::size_t>(k_ - 1)]);
    }
    end_ = v;
    for (std::size_t w = 0; w < words_; ++w) first_[w + 1] += first_[w];
    exits_.resize(edges);
    std::vector<std::size_t> fill(first_.begin(), first_.end() - 1);
    for (std::size_t e = 0; e < edges; ++e) exits_[fill[from[e]]++] = run[e + static_cast<std::size_t>(k_ - 1)];
  }

  std::size_t outDegree(Vertex v) const { return first_[v + 1] - first_[v]; }

  // Wilson's algorithm on the tree of last exits, rooted at the last word: a
  // random walk from each word not yet in the tree, whose loops are erased by
  // overwriting the exit taken, joins the tree where it first meets it.
  void chooseLastExits(Random& random) {
    inTree_.assign(words_, 0);
    lastExit_.assign(words_, 0);
    inTree_[end_] = 1;
    for (Vertex u = 0; u < words_; ++u) {
      if (inTree_[u] || outDegree(u) == 0) continue;
      for (Vertex v = u; !inTree_[v];) {
        lastExit_[v] = first_[v] + random.below(outDegree(v));
        v = successor(v, exits_[lastExit_[v]]);
      }
      for (Vertex v = u; !inTree_[v]; v = successor(v, exits_[lastExit_[v]])) inTree_[v] = 1;
    }
  }

  void orderExits(Random& random) {
    for (Vertex v = 0; v < words_; ++v) {
      const std::size_t degree = outDegree(v);
      if (degree == 0) continue;
      char* exits = &exits_[first_[v]];
      if (v == end_) {
        shuffleRange(exits, degree, random);
        continue;
      }
      std::swap(exits[lastExit_[v] - first_[v]], exits[degree - 1]);
      shuffleRange(exits, degree - 1, random);
    }
  }

  void walk(char* run, std::size_t length) {
    std::vector<std::size_t> taken(first_.begin(), first_.end() - 1);
    Vertex v = start_;
    for (std::size_t i = static_cast<std::size_t>(k_ - 1); i < length; ++i) {
      ZK_ASSERT(taken[v] < first_[v + 1]);
      const char letter = exits_[taken[v]++];
      run[i] = letter;
      v = successor(v, letter);
    }
    ZK_ASSERT(v == end_);
  }

  int k_;
  std::size_t words_;
  Vertex start_ = 0;
  Vertex end_ = 0;
  std::vector<std::size_t> first_;  // exits of word w: exits_[first_[w] .. first_[w + 1])
  std::vector<char> exits_;
  std::vector<char> inTree_;
  std::vector<std::size_t> lastExit_;
};

bool isBase(char c) { return words::baseIndex(c) >= 0; }

// Mixes the seed with a record's place, so each shuffle has its own stream.
std::uint64_t streamSeed(std::uint64_t seed, std::uint64_t stream) {
  Random mixer(seed ^ (stream * 0xd1b54a32d192ed03ULL));
  return mixer.next();
}

}  // namespace

std::string shuffleLetters(const std::string& letters, int k, Random& random) {
  ZK_ASSERT(k >= kMinWordLength && k <= kMaxWordLength);
  std::string shuffled = letters;
  EulerShuffler euler(k >= 2 ? k : 2);
  for (std::size_t begin = 0; begin < shuffled.size();) {
    if (!isBase(shuffled[begin])) {
      ++begin;
      continue;
    }
    std::size_t end = begin;
    while (end < shuffled.size() && isBase(shuffled[end])) ++end;
    if (k == 1)
      shuffleRange(&shuffled[begin], end - begin, random);
    else
      euler.shuffle(&shuffled[begin], end - begin, random);
    begin = end;
  }
  return shuffled;
}

std::vector<FastaRecord> shuffledCopies(const std::vector<FastaRecord>& records, int k, int copies,
                                        std::uint64_t seed, int threads) {
  ZK_ASSERT(copies >= 1);
  const std::size_t perRecord = static_cast<std::size_t>(copies);
  std::vector<FastaRecord> shuffled(records.size() * perRecord);
  parallelFor(threads, records.size(), [&](std::size_t r) {
    for (std::size_t c = 0; c < perRecord; ++c) {
      const std::size_t slot = r * perRecord + c;
      Random random(streamSeed(seed, slot));
      shuffled[slot].name = records[r].name + " [shuffled " + std::to_string(c + 1) + "]";
      shuffled[slot].letters = shuffleLetters(records[r].letters, k, random);
    }
  });
  return shuffled;
}

}  // namespace shuffle
