// Seed motifs: site records, the ranked seed list, complexity, and the two
// ways of enumerating seeds in the seed sequences.
#include <cmath>
#include <cstring>

#include "clust.h"

double candidateScore(const node& motif) {
  return scoring_method == 1 ? motif.getStatScore() : motif.getMAP();
}

int compareNodeScore(const void* a, const void* b) {
  const double sa = static_cast<const _list*>(a)->score;
  const double sb = static_cast<const _list*>(b)->score;
  if (sb > sa) return 1;
  if (sb == sa) return 0;
  return -1;
}

L_mer zelkova::initKmer(int pos, int seqIdx, bool strand) const {
  const seqRecord& rec = util->seqs[static_cast<std::size_t>(seqIdx)];
  const int L = util->GetL();
  L_mer mer;
  mer.strand = strand;
  mer.seqIdx = seqIdx;
  mer.score = 0.0;
  mer.matIdx = -1;
  mer.pos = strand ? pos : rec.len - L - pos;
  std::memcpy(mer.kmer, rec.seq.data() + mer.pos, static_cast<std::size_t>(L));
  mer.kmer[L] = '\0';
  Utilities::RevComp(mer.kmer, mer.rcKmer);
  return mer;
}

void zelkova::insertMotif(NodePtr motif, NodeList& list, int capacity) {
  const double s = candidateScore(*motif);
  std::size_t i = 0;
  while (i < list.size() && !(s > candidateScore(*list[i]))) ++i;
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(i), std::move(motif));
  if (static_cast<int>(list.size()) > capacity) list.pop_back();  // destroys the motif pushed out
}

double zelkova::clusterComplexity(node& motif) {
  if (motif.getHitCount() < 1) return -10;
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
  if (motif->getComplexity() < MIN_COMPLEXITY) return;
  if (static_cast<int>(list.size()) < capacity || candidateScore(*motif) > candidateScore(*list.back()))
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

void zelkova::enumerateSeed(int seqIdx, NodeList& list, int capacity, bool strand) {
  const int L = util->GetL();
  seqRecord& seedRec = util->seqs[static_cast<std::size_t>(seqIdx)];
  const std::string& S = strand ? seedRec.seq : seedRec.revSeq;
  std::vector<std::uint8_t>& marks = strand ? seedRec.usedFwd : seedRec.usedRev;
  const int W = seedRec.numWindows(L);
  for (int p = 0; p < W; ++p) {
    if (marks[p] == 1) continue;
    if (util->maskingLow && !(strand ? seedRec.fwdValid : seedRec.revValid)[p]) continue;
    const char* seed = S.data() + p;
    const bool seedAcgt = (strand ? seedRec.fwdAcgt : seedRec.revAcgt)[p];
    const words::Code seedCode = (strand ? seedRec.fwdCode : seedRec.revCode)[p];
    auto motif = std::make_unique<node>();
    for (int t : seedSeqs) {
      seqRecord& rec = util->seqs[static_cast<std::size_t>(t)];
      const int Wt = rec.numWindows(L);
      for (int j = 0; j < Wt; ++j) {
        if (rec.fwdValid[j]) {
          const int d = windowDistance(rec.fwdAcgt[j], rec.fwdCode[j], rec.seq.data() + j, seedAcgt, seedCode,
                                       seed, L);
          if (d <= maxMismatch) motif->addSite(util->siteAt(t, j, true));
          if (d == 0) rec.usedFwd[j] = rec.usedRev[Wt - 1 - j] = 1;
        }
        if (!forwardOnly && rec.revValid[j]) {
          const int d = windowDistance(rec.revAcgt[j], rec.revCode[j], rec.revSeq.data() + j, seedAcgt,
                                       seedCode, seed, L);
          if (d <= maxMismatch) motif->addSite(util->siteAt(t, j, false));
          if (d == 0) rec.usedRev[j] = rec.usedFwd[Wt - 1 - j] = 1;
        }
      }
    }
    if (motif->getHitCount() < 1) continue;
    motif->computeInformation(util);
    motif->computeMAP(util);
    if (scoring_method == 1) motif->computeStatScore(util, maxMismatch);
    admitSeed(std::move(motif), list, capacity);
  }
}

void zelkova::enumerateSeedMismatch(int seqIdx, NodeList& list, int capacity, bool strand) {
  const int L = util->GetL();
  seqRecord& seedRec = util->seqs[static_cast<std::size_t>(seqIdx)];
  const std::string& S = strand ? seedRec.seq : seedRec.revSeq;
  std::vector<std::uint8_t>& marks = strand ? seedRec.usedFwd : seedRec.usedRev;
  const int W = seedRec.numWindows(L);
  const int acceptBound = (L + 1) / 2;
  for (int p = 0; p < W; ++p) {
    if (marks[p] == 1) continue;
    if (util->maskingLow && !(strand ? seedRec.fwdValid : seedRec.revValid)[p]) continue;
    const char* seed = S.data() + p;
    const bool seedAcgt = (strand ? seedRec.fwdAcgt : seedRec.revAcgt)[p];
    const words::Code seedCode = (strand ? seedRec.fwdCode : seedRec.revCode)[p];
    auto motif = std::make_unique<node>();
    motif->addSite(util->siteAt(seqIdx, p, strand));
    for (int t : seedSeqs) {
      seqRecord& rec = util->seqs[static_cast<std::size_t>(t)];
      const int Wt = rec.numWindows(L);
      if (t == seqIdx) {  // the seed's own sequence only marks exact copies
        for (int j = 0; j < Wt; ++j) {
          if (std::memcmp(rec.seq.data() + j, seed, static_cast<std::size_t>(L)) == 0) rec.usedFwd[j] = 1;
          if (std::memcmp(rec.revSeq.data() + j, seed, static_cast<std::size_t>(L)) == 0) rec.usedRev[j] = 1;
        }
        continue;
      }
      int bestDist = acceptBound;
      float bestBackground = 1.0f;
      int bestPos = -1;
      bool bestStrand = true;
      for (int j = 0; j < Wt; ++j) {
        if (rec.fwdValid[j]) {
          const int d = windowDistance(rec.fwdAcgt[j], rec.fwdCode[j], rec.seq.data() + j, seedAcgt, seedCode,
                                       seed, L);
          if (d == 0) rec.usedFwd[j] = 1;
          const float v = rec.bgMap[j];
          if (d < bestDist || (d == bestDist && bestBackground > v)) {
            bestDist = d, bestBackground = v, bestPos = j, bestStrand = true;
          }
        }
        if (!forwardOnly && (!util->maskingLow || rec.revValid[j])) {
          const int d = windowDistance(rec.revAcgt[j], rec.revCode[j], rec.revSeq.data() + j, seedAcgt,
                                       seedCode, seed, L);
          if (d == 0) rec.usedRev[j] = 1;
          const float v = rec.bgMapRev[j];
          if (d < bestDist || (d == bestDist && bestBackground > v)) {
            bestDist = d, bestBackground = v, bestPos = j, bestStrand = false;
          }
        }
      }
      if (bestPos != -1) motif->addSite(util->siteAt(t, bestPos, bestStrand));
    }
    if (motif->getHitCount() <= 1) continue;
    motif->computeInformation(util);
    bool duplicate = false;
    for (const NodePtr& held : list) {
      if (comparePFM_(*motif, *held) <= 0.001) {
        duplicate = true;
        break;
      }
    }
    if (duplicate) continue;
    if (scoring_method == 1) motif->computeStatScore(util, maxMismatch);
    motif->computeMAP(util);
    admitSeed(std::move(motif), list, capacity);
  }
}

double zelkova::comparePFM_(const node& a, const node& b) {
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
