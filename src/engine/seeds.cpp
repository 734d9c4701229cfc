// Seed motifs: the ranked seed list, complexity, and the two ways of
// enumerating seeds in the seed sequences.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/parallel.h"
#include "engine/clust.h"
#include "engine/stretch_index.h"

double candidateScore(const node& motif, int scoring_method) {
  return scoring_method == 1 ? motif.getStatScore() : motif.getMAP();
}

int compareNodeScore(const void* a, const void* b) {
  const double sa = static_cast<const _list*>(a)->score;
  const double sb = static_cast<const _list*>(b)->score;
  if (sb > sa) return 1;
  if (sb == sa) return 0;
  return -1;
}

void zelkova::insertMotif(NodePtr motif, NodeList& list, int capacity) const {
  const double s = candidateScore(*motif, cfg.scoring_method);
  std::size_t i = 0;
  while (i < list.size() && !(s > candidateScore(*list[i], cfg.scoring_method))) ++i;
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(i), std::move(motif));
  if (static_cast<int>(list.size()) > capacity) list.pop_back();  // destroys the motif pushed out
}

double zelkova::clusterComplexity(node& motif) {
  if (motif.getHitCount() < 1) return -10;
  const int K = motif.K();
  double P = 1.0;
  for (int b = 0; b < NUM_BASES; ++b) {
    double n = 0.0;
    for (int i = 0; i < K; ++i) n += motif.posFMatrix[b][i];
    if (n != 0.0) P *= std::pow(K / n, n);
  }
  motif.complexity = std::pow(0.25, K) * P;
  return motif.complexity;
}

void zelkova::admitSeed(NodePtr motif, NodeList& list, int capacity) const {
  clusterComplexity(*motif);
  if (motif->getComplexity() < cfg.MIN_COMPLEXITY) return;
  if (static_cast<int>(list.size()) < capacity ||
      candidateScore(*motif, cfg.scoring_method) > candidateScore(*list.back(), cfg.scoring_method))
    insertMotif(std::move(motif), list, capacity);
}

namespace {

// Hamming distance of two windows, through their packed codes when both are
// made of A, C, G, T (equal to hammingDist of the letters).
inline int windowDistance(bool acgtA, base::WordCode codeA, const char* textA, bool acgtB, base::WordCode codeB,
                          const char* textB, int L) {
  return (acgtA && acgtB) ? base::hamming(codeA, codeB) : hammingDist(textA, textB, L);
}

}  // namespace

// A window of a seed sequence that seeds a motif.
struct zelkova::SeedWord {
  const char* text;
  bool acgt;
  base::WordCode code;
  int pos;  // strand position

  int distanceTo(const seqRecord& rec, int j, bool strand, int L) const {
    return strand ? windowDistance(rec.fwdAcgt[j], rec.fwdCode[j], rec.seq.data() + j, acgt, code, text, L)
                  : windowDistance(rec.revAcgt[j], rec.revCode[j], rec.revSeq.data() + j, acgt, code, text, L);
  }
};

// Calls visit(seed) for every valid window of one strand of a seed sequence
// that no earlier seed has marked. The marks are read as the walk reaches
// each window, so seeds of this walk mark windows it has yet to reach.
template <class Visit>
void zelkova::forEachSeedWord(int seqIdx, bool strand, Visit visit) const {
  const seqRecord& rec = util.seqs[static_cast<std::size_t>(seqIdx)];
  const std::vector<std::uint8_t>& marks = (strand ? usedFwd : usedRev)[static_cast<std::size_t>(seqIdx)];
  const std::vector<std::uint8_t>& valid = strand ? rec.fwdValid : rec.revValid;
  const std::string& S = strand ? rec.seq : rec.revSeq;
  const int W = rec.numWindows(util.GetL());
  for (int p = 0; p < W; ++p) {
    if (marks[p] == 1 || !valid[p]) continue;
    visit(SeedWord{S.data() + p, static_cast<bool>((strand ? rec.fwdAcgt : rec.revAcgt)[p]),
                   (strand ? rec.fwdCode : rec.revCode)[p], p});
  }
}

// Seeds of one walk depend on each other only through the marks: a seed
// marks its exact copies, and a marked window seeds nothing. The walk is
// therefore done in three passes: the seeds and their marks, one by one (a
// lookup of each seed's word); the seed motifs, in parallel; their admission
// to the list, in walk order. A seed motif that stops the run (a site holding
// a letter other than A, C, G, T) stops it at the same seed as a walk one by
// one would, since the pipeline rethrows the first failure in walk order.
template <class Make, class Admit>
void zelkova::enumerateInParallel(const std::vector<SeedWord>& seeds, Make make, Admit admit) const {
  std::vector<NodePtr> motifs(seeds.size());
  const std::size_t threads = static_cast<std::size_t>(*cfg.numThreads);
  parallelPipeline(
      *cfg.numThreads, seeds.size(), [&](std::size_t i) { motifs[i] = make(seeds[i]); },
      [&](std::size_t i) { admit(std::move(motifs[i])); }, 64 * threads);
}

// Marks the windows of the seed sequences that are exactly the seed, and
// with `bothStrandsOfStretch` the other strand of each such window too.
void zelkova::markCopies(const SeedWord& seed, bool forwardOnlyMarks, bool bothStrandsOfStretch) {
  const int L = util.GetL();
  seedIndex->forEachEqual(seed.code, forwardOnlyMarks, [&](const StretchHit& h) {
    const std::size_t t = static_cast<std::size_t>(seedSeqs[static_cast<std::size_t>(h.list)]);
    const int W = util.seqs[t].numWindows(L);
    const int rev = W - 1 - h.pos;  // the reverse-strand position of the stretch
    if (bothStrandsOfStretch || h.forward) usedFwd[t][h.pos] = 1;
    if (bothStrandsOfStretch || !h.forward) usedRev[t][rev] = 1;
  });
}

// The sites of an exact seed motif: every valid window of the seed sequences
// within the allowance, sequence by sequence, position by position, the
// forward window before the reverse-strand window at the same position.
NodePtr zelkova::seedMotif(const SeedWord& seed, bool byIndex) const {
  const int L = util.GetL();
  NodePtr motif = newMotif();
  if (byIndex && seed.acgt) {
    std::vector<std::uint64_t> keys;  // (seed sequence, strand position, strand) in walk order
    auto key = [](int list, int pos, bool forward) {
      return (static_cast<std::uint64_t>(list) << 33) | (static_cast<std::uint64_t>(pos) << 1) | (forward ? 0u : 1u);
    };
    seedIndex->forEachNear(seed.code, maxMismatch, cfg.forwardOnly, [&](const StretchHit& h) {
      const int W = util.seqs[static_cast<std::size_t>(seedSeqs[static_cast<std::size_t>(h.list)])].numWindows(L);
      keys.push_back(key(h.list, h.forward ? h.pos : W - 1 - h.pos, h.forward));
    });
    // Stretches with other letters have an 'N' on the reverse strand.
    for (const StretchHit& h : seedIndex->others()) {
      const seqRecord& rec = util.seqs[static_cast<std::size_t>(seedSeqs[static_cast<std::size_t>(h.list)])];
      if (seed.distanceTo(rec, h.pos, true, L) <= maxMismatch) keys.push_back(key(h.list, h.pos, true));
    }
    std::sort(keys.begin(), keys.end());
    motif->get_hits().reserve(keys.size());
    for (std::uint64_t k : keys)
      motif->addSite(util.seqs.siteAt(seedSeqs[static_cast<std::size_t>(k >> 33)],
                                      static_cast<int>((k >> 1) & 0xffffffffu), (k & 1u) == 0));
  } else {
    for (int t : seedSeqs) {
      const seqRecord& rec = util.seqs[static_cast<std::size_t>(t)];
      for (int j = 0; j < rec.numWindows(L); ++j) {
        if (rec.fwdValid[j] && seed.distanceTo(rec, j, true, L) <= maxMismatch)
          motif->addSite(util.seqs.siteAt(t, j, true));
        if (!cfg.forwardOnly && rec.revValid[j] && seed.distanceTo(rec, j, false, L) <= maxMismatch)
          motif->addSite(util.seqs.siteAt(t, j, false));
      }
    }
  }
  motif->computeInformation();
  motif->computeMAP();
  if (cfg.scoring_method == 1) motif->computeStatScore(util.surprise, maxMismatch);
  return motif;
}

// Looking up the neighbours of a seed costs about their number; testing every
// window of the seed sequences costs the number of windows.
bool zelkova::seedsByIndex() const {
  double windows = 0.0;
  for (int t : seedSeqs) windows += util.seqs[static_cast<std::size_t>(t)].numWindows(util.GetL());
  const double strands = cfg.forwardOnly ? 1.0 : 2.0;
  return StretchIndex::lookupCost(util.GetL(), maxMismatch, static_cast<std::size_t>(windows)) < windows * strands;
}

void zelkova::enumerateSeed(int seqIdx, NodeList& list, int capacity, bool strand) {
  if (!seedIndex) seedIndex = std::make_unique<StretchIndex>(util.seqs, seedSeqs);
  std::vector<SeedWord> seeds;
  bool stopping = false;  // the motif of a seed with other letters stops the run
  forEachSeedWord(seqIdx, strand, [&](const SeedWord& seed) {
    if (stopping) return;
    seeds.push_back(seed);
    if (seed.acgt)
      markCopies(seed, cfg.forwardOnly, true);
    else
      stopping = true;
  });
  const bool byIndex = seedsByIndex();
  enumerateInParallel(
      seeds, [&](const SeedWord& seed) { return seedMotif(seed, byIndex); },
      [&](NodePtr motif) { admitSeed(std::move(motif), list, capacity); });
}

// Marks of a minimal-mismatch seed: its exact copies in its own sequence on
// both strands, and in the other seed sequences those the search for the
// closest window passes.
void zelkova::markMismatchCopies(int seqIdx, const SeedWord& seed) {
  const int L = util.GetL();
  if (!seed.acgt) {  // copies hold the same other letters: compared as text
    for (int t : seedSeqs) {
      const seqRecord& rec = util.seqs[static_cast<std::size_t>(t)];
      for (int j = 0; j < rec.numWindows(L); ++j) {
        const bool own = t == seqIdx;
        if ((own || rec.fwdValid[j]) && std::memcmp(rec.seq.data() + j, seed.text, static_cast<std::size_t>(L)) == 0)
          usedFwd[static_cast<std::size_t>(t)][j] = 1;
        if ((own || (!cfg.forwardOnly && rec.revValid[j])) &&
            std::memcmp(rec.revSeq.data() + j, seed.text, static_cast<std::size_t>(L)) == 0)
          usedRev[static_cast<std::size_t>(t)][j] = 1;
      }
    }
    return;
  }
  seedIndex->forEachEqual(seed.code, false, [&](const StretchHit& h) {
    const int t = seedSeqs[static_cast<std::size_t>(h.list)];
    if (!h.forward && cfg.forwardOnly && t != seqIdx) return;
    const int W = util.seqs[static_cast<std::size_t>(t)].numWindows(L);
    if (h.forward)
      usedFwd[static_cast<std::size_t>(t)][h.pos] = 1;
    else
      usedRev[static_cast<std::size_t>(t)][W - 1 - h.pos] = 1;
  });
}

// A minimal-mismatch seed motif: the seed and the closest window of every
// other seed sequence, counted and scored unless it holds the seed alone.
NodePtr zelkova::mismatchSeedMotif(int seqIdx, const SeedWord& seed, bool strand) const {
  NodePtr motif = newMotif();
  motif->addSite(util.seqs.siteAt(seqIdx, seed.pos, strand));
  for (int t : seedSeqs) {
    Site closest;
    if (t != seqIdx && closestWindow(t, seed, closest)) motif->addSite(closest);
  }
  if (motif->getHitCount() <= 1) return motif;
  motif->computeInformation();
  if (cfg.scoring_method == 1) motif->computeStatScore(util.surprise, maxMismatch);
  motif->computeMAP();
  return motif;
}

// The window of sequence t closest to the seed, fewer than (L + 1) / 2
// mismatches away; ties go to the lower background value, then to the
// earlier window.
bool zelkova::closestWindow(int t, const SeedWord& seed, Site& best) const {
  const int L = util.GetL();
  const seqRecord& rec = util.seqs[static_cast<std::size_t>(t)];
  const std::vector<float>& fwdMap = util.maps.forward[static_cast<std::size_t>(t)];
  int bestDist = (L + 1) / 2;
  float bestBackground = 1.0f;
  int bestPos = -1;
  bool bestStrand = true;
  auto consider = [&](int j, bool strand, int d, float v) {
    if (d < bestDist || (d == bestDist && bestBackground > v)) {
      bestDist = d, bestBackground = v, bestPos = j, bestStrand = strand;
    }
  };
  for (int j = 0; j < rec.numWindows(L); ++j) {
    if (rec.fwdValid[j]) consider(j, true, seed.distanceTo(rec, j, true, L), fwdMap[j]);
    // A reverse-strand window has the background value of the stretch it covers.
    if (!cfg.forwardOnly && rec.revValid[j])
      consider(j, false, seed.distanceTo(rec, j, false, L),
               fwdMap[static_cast<std::size_t>(rec.numWindows(L) - 1 - j)]);
  }
  if (bestPos == -1) return false;
  best = util.seqs.siteAt(t, bestPos, bestStrand);
  return true;
}

void zelkova::enumerateSeedMismatch(int seqIdx, NodeList& list, int capacity, bool strand) {
  if (!seedIndex) seedIndex = std::make_unique<StretchIndex>(util.seqs, seedSeqs);
  std::vector<SeedWord> seeds;
  forEachSeedWord(seqIdx, strand, [&](const SeedWord& seed) {
    seeds.push_back(seed);
    markMismatchCopies(seqIdx, seed);
  });
  enumerateInParallel(
      seeds, [&](const SeedWord& seed) { return mismatchSeedMotif(seqIdx, seed, strand); },
      [&](NodePtr motif) {
        if (motif->getHitCount() <= 1) return;
        for (const NodePtr& held : list)
          if (comparePFM_(*motif, *held) <= 0.001) return;  // a duplicate of a held seed
        admitSeed(std::move(motif), list, capacity);
      });
}

double zelkova::comparePFM_(const node& a, const node& b) {
  const int K = a.K();
  double S1 = 0.0;
  double S2 = 0.0;
  for (int i = 0; i < K; ++i) {
    for (int x = 0; x < NUM_BASES; ++x) {
      const double pa = a.posFMatrix[x][i];
      const double pb = b.posFMatrix[x][i];
      S1 += pa * engine::log2(pa / pb);
      S2 += pb * engine::log2(pb / pa);
    }
  }
  return static_cast<float>(((S1 + S2) * 0.5) / K);
}
