#include "engine/background.h"

#include <cmath>
#include <limits>

#include "base/parallel.h"

void BackgroundModel::setBackground(MarkovModel model, const std::string& fileName) {
  markovOrder = model.lastWordLength;
  requireAllWords(model, markovOrder, fileName);
  bmarkov = std::move(model.tables);
}

void BackgroundModel::setForeground(MarkovModel model, const std::string& fileName) {
  requireAllWords(model, markovOrder, fileName);
  fmarkov = std::move(model.tables);
}

double BackgroundModel::chainProbability(const MarkovTables& T, const seqRecord& rec, long start, bool strand,
                                         int slen) const {
  ZK_ASSERT(slen < 10000);
  ZK_ASSERT(start >= 0 && start + slen <= rec.len);
  const char* x = (strand ? rec.seq.data() : rec.revSeq.data()) + start;
  const int M = markovOrder;
  const long long mask = (1LL << (2 * M)) - 1;
  long long code = 0;  // base-4 number of the last min(p + 1, M) letters
  double P = 1.0;
  for (int p = 0; p < slen; ++p) {
    code = ((code << 2) | base::markovCode(x[p])) & mask;
    P *= p < M ? T[p + 1][static_cast<std::size_t>(code)] : T[M][static_cast<std::size_t>(code)];
  }
  return P;
}

double BackgroundModel::probKmerGivenBack(const seqRecord& rec, long start, bool strand, int slen) const {
  return chainProbability(bmarkov, rec, start, strand, slen);
}

double BackgroundModel::probKmerGivenFore(const seqRecord& rec, long start, bool strand, int slen) const {
  return chainProbability(fmarkov, rec, start, strand, slen);
}

double BackgroundModel::bgExpectedFreq(const char* word, int L) const {
  const int M = markovOrder;
  if (L <= M) return bmarkov[L][static_cast<std::size_t>(base::numberOf(word, L))];
  double value = 1.0;
  for (int s = 0; s + M <= L; ++s) {
    const double factor = bmarkov[M][static_cast<std::size_t>(base::numberOf(word + s, M))];
    value = s == 0 ? factor : value * factor;
  }
  return value;
}

// bgExpectedFreq of a packed word: the M-letter windows are read off the code.
double BackgroundModel::bgExpectedFreqCode(base::WordCode code, int L) const {
  const int M = markovOrder;
  if (L <= M) return bmarkov[L][static_cast<std::size_t>(code)];
  const base::WordCode mask = (base::WordCode{1} << (2 * M)) - 1;
  double value = 1.0;
  for (int s = 0; s + M <= L; ++s) {
    const double factor = bmarkov[M][static_cast<std::size_t>((code >> (2 * (L - M - s))) & mask)];
    value = s == 0 ? factor : value * factor;
  }
  return value;
}

// Sequences are independent of each other, so they are mapped in parallel.
BackgroundMaps BackgroundModel::computebgmap(const SequenceSet& seqs, bool withScore, int threads) const {
  const int L = seqs.L();
  BackgroundMaps maps;
  const std::size_t n = static_cast<std::size_t>(seqs.numSeq());
  maps.forward.resize(n);
  maps.logOdds.assign(n, 0.0);
  parallelFor(threads, n, [&](std::size_t i) {
    const seqRecord& rec = seqs[i];
    const int W = rec.numWindows(L);
    std::vector<float>& fwd = maps.forward[i];
    fwd.assign(static_cast<std::size_t>(W), 0.0f);
    double sum = 0.0;
    int count = 0;
    for (int j = 0; j < W; ++j) {
      if (!rec.fwdValid[j]) continue;  // maps keep 0.0
      ++count;
      const double pBack = probKmerGivenBack(rec, j, true, L);
      fwd[j] = static_cast<float>(std::log(pBack));
      if (withScore) sum += std::log(probKmerGivenFore(rec, j, true, L) / pBack);
    }
    if (withScore)  // a sequence without a valid window ranks last
      maps.logOdds[i] = count > 0 ? sum / count : -std::numeric_limits<double>::infinity();
  });
  return maps;
}
