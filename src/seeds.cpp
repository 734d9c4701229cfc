// Seed motifs: the ranked seed list, complexity, and the two ways of
// enumerating seeds in the seed sequences.
#include <cmath>
#include <cstring>

#include "clust.h"

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
inline int windowDistance(bool acgtA, words::Code codeA, const char* textA, bool acgtB, words::Code codeB,
                          const char* textB, int L) {
  return (acgtA && acgtB) ? words::hamming(codeA, codeB) : hammingDist(textA, textB, L);
}

}  // namespace

// A window of a seed sequence that seeds a motif.
struct zelkova::SeedWord {
  const char* text;
  bool acgt;
  words::Code code;
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

void zelkova::enumerateSeed(int seqIdx, NodeList& list, int capacity, bool strand) {
  const int L = util.GetL();
  forEachSeedWord(seqIdx, strand, [&](const SeedWord& seed) {
    NodePtr motif = newMotif();
    for (int t : seedSeqs) {
      const seqRecord& rec = util.seqs[static_cast<std::size_t>(t)];
      std::vector<std::uint8_t>& fwdMarks = usedFwd[static_cast<std::size_t>(t)];
      std::vector<std::uint8_t>& revMarks = usedRev[static_cast<std::size_t>(t)];
      const int Wt = rec.numWindows(L);
      for (int j = 0; j < Wt; ++j) {
        if (rec.fwdValid[j]) {
          const int d = seed.distanceTo(rec, j, true, L);
          if (d <= maxMismatch) motif->addSite(util.seqs.siteAt(t, j, true));
          if (d == 0) fwdMarks[j] = revMarks[Wt - 1 - j] = 1;
        }
        if (!cfg.forwardOnly && rec.revValid[j]) {
          const int d = seed.distanceTo(rec, j, false, L);
          if (d <= maxMismatch) motif->addSite(util.seqs.siteAt(t, j, false));
          if (d == 0) revMarks[j] = fwdMarks[Wt - 1 - j] = 1;
        }
      }
    }
    if (motif->getHitCount() < 1) return;
    motif->computeInformation();
    motif->computeMAP();
    if (cfg.scoring_method == 1) motif->computeStatScore(util.surprise, maxMismatch);
    admitSeed(std::move(motif), list, capacity);
  });
}

// The seed's own sequence contributes no site; it only marks exact copies.
void zelkova::markExactCopies(int t, const SeedWord& seed) {
  const seqRecord& rec = util.seqs[static_cast<std::size_t>(t)];
  const std::size_t L = static_cast<std::size_t>(util.GetL());
  for (int j = 0; j < rec.numWindows(util.GetL()); ++j) {
    if (std::memcmp(rec.seq.data() + j, seed.text, L) == 0) usedFwd[static_cast<std::size_t>(t)][j] = 1;
    if (std::memcmp(rec.revSeq.data() + j, seed.text, L) == 0) usedRev[static_cast<std::size_t>(t)][j] = 1;
  }
}

// The window of sequence t closest to the seed, fewer than (L + 1) / 2
// mismatches away; ties go to the lower background value, then to the
// earlier window. Exact copies are marked on the way.
bool zelkova::closestWindow(int t, const SeedWord& seed, Site& best) {
  const int L = util.GetL();
  const seqRecord& rec = util.seqs[static_cast<std::size_t>(t)];
  const std::vector<float>& fwdMap = util.maps.forward[static_cast<std::size_t>(t)];
  const std::vector<float>& revMap = util.maps.reverse[static_cast<std::size_t>(t)];
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
    if (rec.fwdValid[j]) {
      const int d = seed.distanceTo(rec, j, true, L);
      if (d == 0) usedFwd[static_cast<std::size_t>(t)][j] = 1;
      consider(j, true, d, fwdMap[j]);
    }
    if (!cfg.forwardOnly && rec.revValid[j]) {
      const int d = seed.distanceTo(rec, j, false, L);
      if (d == 0) usedRev[static_cast<std::size_t>(t)][j] = 1;
      consider(j, false, d, revMap[j]);
    }
  }
  if (bestPos == -1) return false;
  best = util.seqs.siteAt(t, bestPos, bestStrand);
  return true;
}

void zelkova::enumerateSeedMismatch(int seqIdx, NodeList& list, int capacity, bool strand) {
  forEachSeedWord(seqIdx, strand, [&](const SeedWord& seed) {
    NodePtr motif = newMotif();
    motif->addSite(util.seqs.siteAt(seqIdx, seed.pos, strand));
    for (int t : seedSeqs) {
      Site closest;
      if (t == seqIdx)
        markExactCopies(t, seed);
      else if (closestWindow(t, seed, closest))
        motif->addSite(closest);
    }
    if (motif->getHitCount() <= 1) return;
    motif->computeInformation();
    for (const NodePtr& held : list)
      if (comparePFM_(*motif, *held) <= 0.001) return;  // a duplicate of a held seed
    if (cfg.scoring_method == 1) motif->computeStatScore(util.surprise, maxMismatch);
    motif->computeMAP();
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
      S1 += pa * zk::log2(pa / pb);
      S2 += pb * zk::log2(pb / pa);
    }
  }
  return static_cast<float>(((S1 + S2) * 0.5) / K);
}
