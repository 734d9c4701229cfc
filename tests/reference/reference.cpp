#include "reference.h"

#include <cstring>

namespace reference {

InputCursor::InputCursor(const SequenceSet& seqs) : seqs_(seqs) {
  for (const seqRecord& rec : seqs.records()) fullDP_ += rec.numWindows(seqs.L());
}

const L_mer* InputCursor::GetInput(int n) {
  const int L = seqs_.L();
  if (n < 0 || n >= fullDP_) return nullptr;
  if (n == 0) currSeq_ = currPos_ = currDP_ = 0;
  for (;;) {
    const seqRecord& rec = seqs_[static_cast<std::size_t>(currSeq_)];
    if (rec.len - currPos_ + 1 <= L) {
      ++currSeq_;
      currPos_ = 0;
      if (currSeq_ == seqs_.numSeq()) currSeq_ = currDP_ = 0;
      continue;
    }
    const bool found = currDP_ == n;
    if (found) {
      std::memcpy(mer_.kmer, rec.seq.data() + currPos_, static_cast<std::size_t>(L));
      mer_.kmer[L] = '\0';
      std::memcpy(mer_.rcKmer, rec.revSeq.data() + (rec.len - L - currPos_), static_cast<std::size_t>(L));
      mer_.rcKmer[L] = '\0';
      mer_.pos = currPos_;
      mer_.seqIdx = currSeq_;
      mer_.score = 0.0;
      mer_.strand = true;
    }
    ++currPos_;
    ++currDP_;
    if (found) return &mer_;
  }
}

L_mer initKmer(const SequenceSet& seqs, int pos, int seqIdx, bool strand) {
  const seqRecord& rec = seqs[static_cast<std::size_t>(seqIdx)];
  const int L = seqs.L();
  L_mer mer;
  mer.strand = strand;
  mer.seqIdx = seqIdx;
  mer.pos = strand ? pos : rec.len - L - pos;
  std::memcpy(mer.kmer, rec.seq.data() + mer.pos, static_cast<std::size_t>(L));
  mer.kmer[L] = '\0';
  RevComp(mer.kmer, mer.rcKmer);
  return mer;
}

void RevComp(const char* src, char* dst) {
  const std::size_t n = std::strlen(src);
  for (std::size_t i = 0; i < n; ++i) {
    char c;
    switch (src[i]) {
      case 'A':
      case 'a': c = 'T'; break;
      case 'T':
      case 't': c = 'A'; break;
      case 'C':
      case 'c': c = 'G'; break;
      case 'G':
      case 'g': c = 'C'; break;
      default: c = 'N';
    }
    dst[n - 1 - i] = c;
  }
  dst[n] = '\0';
}

L_mer copySegment(const L_mer& site, int K) {
  L_mer copy = site;
  ZK_ASSERT(K >= 0 && K < MAX_K);
  copy.kmer[K] = '\0';
  copy.rcKmer[K] = '\0';
  return copy;
}

Site fromLmer(const L_mer& mer, int K) {
  ZK_ASSERT(K > 0 && K <= MAX_MOTIF_LEN);
  Site s;
  const char* word = mer.text();
  for (int i = 0; i < K && word[i] != '\0'; ++i) s.text[i] = word[i];
  s.strand = mer.strand;
  s.acgt = base::pack(s.text, K, s.code) && std::strlen(s.text) == static_cast<std::size_t>(K);
  s.score = mer.score;
  s.pos = mer.pos;
  s.seqIdx = mer.seqIdx;
  s.matIdx = mer.matIdx;
  return s;
}

void add_kmer(node& motif, const L_mer* site) { motif.addSite(fromLmer(*site, motif.K())); }

void removeHits(node& motif) { motif.get_hits().clear(); }

bool matchOne(const node& motif, const char* word, int d) {
  for (const Site& s : motif.get_hits())
    if (hammingDist(s.text, word, motif.K()) <= d) return true;
  return false;
}

int kMismatch(const char* text, const char* word, int L, int m, std::set<std::string>& matched) {
  const int len = static_cast<int>(std::strlen(text));
  int count = 0;
  for (int p = 0; p + L <= len; ++p) {
    if (hammingDist(text + p, word, L) <= m) {
      matched.insert(std::string(text + p, static_cast<std::size_t>(L)));
      ++count;
    }
  }
  return count;
}

void noNewLine(char* text) {
  if (char* nl = std::strchr(text, '\n')) *nl = '\0';
}

std::pair<float, float> norm_mismatch(const node& motif) {
  const int K = motif.K();
  if (motif.getHitCount() <= 1) return {static_cast<float>(K), 0.0f};
  float maxMis = 0.0f;
  float minMis = 0.0f;
  for (int i = 0; i < K; ++i) {
    double smallest = 100.0;
    double largest = -100.0;
    for (int b = 0; b < NUM_BASES; ++b) {
      if (motif.rawFMatrix[b][i] < smallest) smallest = motif.rawFMatrix[b][i];
      if (motif.rawFMatrix[b][i] > largest) largest = motif.rawFMatrix[b][i];
    }
    maxMis = static_cast<float>(maxMis + (1 - smallest));
    minMis = static_cast<float>(minMis + (1 - largest));
  }
  return {maxMis, minMis};
}

std::unique_ptr<matrix<float>> disMatrix(node& motif) {
  const unsigned N = static_cast<unsigned>(motif.getHitCount());
  auto dist = std::make_unique<matrix<float>>(N, N);
  std::vector<Site*> sites;
  for (Site& s : motif.get_hits()) {
    s.matIdx = static_cast<int>(sites.size());
    sites.push_back(&s);
  }
  for (unsigned i = 0; i < N; ++i)
    for (unsigned j = 0; j < N; ++j)
      (*dist)(i, j) = i < j ? static_cast<float>(hammingDist(sites[i]->text, sites[j]->text, motif.K())) : -1.0f;
  return dist;
}

namespace {

float lookup(matrix<float>& dist, int a, int b) {
  return a < b ? dist(static_cast<unsigned>(a), static_cast<unsigned>(b))
               : dist(static_cast<unsigned>(b), static_cast<unsigned>(a));
}

}  // namespace

std::vector<float> averageHamming(const aCluster& group, matrix<float>& dist) {
  const std::vector<int>& m = group.lstObj;
  std::vector<float> avg;
  for (std::size_t x = 0; x < m.size(); ++x) {
    float sum = 0.0f;
    for (std::size_t y = 0; y < m.size(); ++y)
      if (y != x) sum += lookup(dist, m[x], m[y]);
    avg.push_back(sum / static_cast<float>(m.size() - 1));
  }
  return avg;
}

std::vector<float> crossGroupDist(const aCluster& from, const aCluster& to, matrix<float>& dist) {
  std::vector<float> cross;
  for (int x : from.lstObj) {
    float sum = 0.0f;
    for (int y : to.lstObj) sum += lookup(dist, x, y);
    cross.push_back(sum / static_cast<float>(to.lstObj.size()));
  }
  return cross;
}

std::map<int, double> scoreDistribution(const stats::ScoringMatrix& matrix, const stats::Background& background) {
  std::map<int, double> sums{{0, 1.0}};
  for (int i = 0; i < matrix.width(); ++i) {
    std::map<int, double> next;
    for (const auto& [sum, chance] : sums)
      for (int b = 0; b < 4; ++b) next[sum + matrix.cell(i, b)] += chance * background[static_cast<std::size_t>(b)];
    sums.swap(next);
  }
  return sums;
}

}  // namespace reference
