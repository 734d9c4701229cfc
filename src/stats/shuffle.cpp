#include "stats/shuffle.h"

#include <algorithm>
#include <utility>

#include "base/errors.h"
#include "base/parallel.h"
#include "base/words.h"

namespace stats {

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
//
// A record broken by many N holds many short runs, so the work of a run is
// kept to its own words: tables indexed by word live as long as the shuffler
// and only the words of the run are visited (in increasing order, as a visit
// of every word would meet them) and reset.
class EulerShuffler {
 public:
  explicit EulerShuffler(int k)
      : k_(k),
        degree_(std::size_t{1} << (2 * (k - 1)), 0),
        first_(degree_.size(), 0),
        taken_(degree_.size(), 0),
        lastExit_(degree_.size(), 0),
        inTree_(degree_.size(), 0) {}

  void shuffle(char* run, std::size_t length, Random& random) {
    if (length <= static_cast<std::size_t>(k_)) return;  // at most one word: nothing can move
    buildGraph(run, length);
    chooseLastExits(random);
    orderExits(random);
    walk(run, length);
    for (const Vertex v : vertices_) degree_[v] = 0;
    for (const Vertex v : vertices_) inTree_[v] = 0;
    inTree_[end_] = 0;
  }

 private:
  using Vertex = std::uint32_t;

  Vertex prefixCode(const char* at) const {
    Vertex code = 0;
    for (int i = 0; i < k_ - 1; ++i) code = (code << 2) | static_cast<Vertex>(base::baseIndex(at[i]));
    return code;
  }
  Vertex successor(Vertex from, char letter) const {
    const Vertex mask = static_cast<Vertex>(degree_.size() - 1);
    return ((from << 2) | static_cast<Vertex>(base::baseIndex(letter))) & mask;
  }

  // Edges grouped by the word they leave, as the letter each appends; the
  // groups in increasing order of word. The run is walked twice, counting
  // and then placing, rather than keeping each edge's word.
  void buildGraph(const char* run, std::size_t length) {
    const std::size_t edges = length - static_cast<std::size_t>(k_ - 1);
    const char* appended = run + (k_ - 1);
    vertices_.clear();
    start_ = prefixCode(run);
    Vertex v = start_;
    for (std::size_t e = 0; e < edges; ++e) {
      if (degree_[v]++ == 0) vertices_.push_back(v);
      v = successor(v, appended[e]);
    }
    end_ = v;
    std::sort(vertices_.begin(), vertices_.end());
    std::size_t offset = 0;
    for (const Vertex w : vertices_) {
      first_[w] = taken_[w] = offset;
      offset += degree_[w];
    }
    exits_.resize(edges);
    v = start_;
    for (std::size_t e = 0; e < edges; ++e) {
      exits_[taken_[v]++] = appended[e];
      v = successor(v, appended[e]);
    }
  }

  // Wilson's algorithm on the tree of last exits, rooted at the last word: a
  // random walk from each word not yet in the tree, whose loops are erased by
  // overwriting the exit taken, joins the tree where it first meets it.
  void chooseLastExits(Random& random) {
    inTree_[end_] = 1;
    for (const Vertex u : vertices_) {
      if (inTree_[u]) continue;
      for (Vertex v = u; !inTree_[v];) {
        lastExit_[v] = first_[v] + random.below(degree_[v]);
        v = successor(v, exits_[lastExit_[v]]);
      }
      for (Vertex v = u; !inTree_[v]; v = successor(v, exits_[lastExit_[v]])) inTree_[v] = 1;
    }
  }

  void orderExits(Random& random) {
    for (const Vertex v : vertices_) {
      const std::size_t degree = degree_[v];
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
    for (const Vertex w : vertices_) taken_[w] = first_[w];
    Vertex v = start_;
    for (std::size_t i = static_cast<std::size_t>(k_ - 1); i < length; ++i) {
      ZK_ASSERT(degree_[v] > 0 && taken_[v] < first_[v] + degree_[v]);
      const char letter = exits_[taken_[v]++];
      run[i] = letter;
      v = successor(v, letter);
    }
    ZK_ASSERT(v == end_);
  }

  int k_;
  Vertex start_ = 0;
  Vertex end_ = 0;
  // Indexed by word; zero outside a run's words between runs.
  std::vector<std::size_t> degree_;  // exits of each word in this run
  std::vector<std::size_t> first_;   // exits of word w: exits_[first_[w] .. first_[w] + degree_[w])
  std::vector<std::size_t> taken_;   // the next exit of each word to fill or walk
  std::vector<std::size_t> lastExit_;
  std::vector<char> inTree_;
  // The run's own.
  std::vector<Vertex> vertices_;  // the words it leaves, in increasing order
  std::vector<char> exits_;
};

bool isBase(char c) { return base::baseIndex(c) >= 0; }

// Mixes the seed with a record's place, so each shuffle has its own stream.
std::uint64_t streamSeed(std::uint64_t seed, std::uint64_t stream) {
  Random mixer(seed ^ (stream * 0xd1b54a32d192ed03ULL));
  return mixer.next();
}

}  // namespace

std::string shuffleLetters(const std::string& letters, int k, Random& random) {
  ZK_ASSERT(k >= kMinShuffleWordLength && k <= kMaxShuffleWordLength);
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

std::vector<FastaRecord> shuffledCopies(const std::vector<FastaRecord>& records, int k, int copies, std::uint64_t seed,
                                        int threads) {
  ZK_ASSERT(copies >= 1);
  const std::size_t perRecord = static_cast<std::size_t>(copies);
  std::vector<FastaRecord> shuffled(records.size() * perRecord);
  // One item per copy, so that the copies of a single long record are made
  // on several threads too.
  parallelFor(threads, shuffled.size(), [&](std::size_t slot) {
    const FastaRecord& record = records[slot / perRecord];
    Random random(streamSeed(seed, slot));
    shuffled[slot].name = record.name + " [shuffled " + std::to_string(slot % perRecord + 1) + "]";
    shuffled[slot].letters = shuffleLetters(record.letters, k, random);
  });
  return shuffled;
}

}  // namespace stats
