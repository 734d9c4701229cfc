// Scores of a motif and of words measured against it.
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "engine/node.h"
#include "engine/surprise.h"

void node::computeMAP() {
  // A reverse-strand site has the background value of the forward window at
  // the same place (the maps of both strands hold the same values).
  const std::vector<std::vector<float>>& background = *context_->siteBackground;
  double S = 0.0;
  for (const Site& s : hits) S += background[static_cast<std::size_t>(s.seqIdx)][static_cast<std::size_t>(s.pos)];
  mapScore = mapOf(getHitCount(), K(), entropy, S);
}

void node::computeStatScore(const SurpriseScorer& surprise, int m) {
  std::vector<std::string> texts;
  texts.reserve(hits.size());
  for (const Site& s : hits) texts.emplace_back(s.text);
  surprise.prepareGlobalScores(texts, m);
  double sum = 0.0;
  for (const Site& s : hits) sum += surprise.globalScore(s.text, m);
  statScore = sum / getHitCount();
}

double node::miSscore(const char* word) const {
  double score = 0.0;
  for (int i = 0; i < K(); ++i) score += misTable[i][base::foldedRow(word[i])];
  return score;
}

namespace {

// The mismatch score of a packed word, with the motif length fixed at compile
// time so the loop unrolls; the terms are added in position order as always.
template <int L>
double tableSum(const double (*table)[NUM_BASES], base::WordCode code) {
  double score = 0.0;
  for (int i = 0; i < L; ++i) score += table[i][(code >> (2 * (L - 1 - i))) & 3];
  return score;
}

using TableSum = double (*)(const double (*)[NUM_BASES], base::WordCode);

template <int... Ls>
TableSum tableSumFor(int L, std::integer_sequence<int, Ls...>) {
  static constexpr TableSum sums[] = {&tableSum<Ls>...};
  return sums[L];
}

}  // namespace

double node::miSscoreCode(base::WordCode code) const {
  ZK_ASSERT(K() >= 0 && K() <= MAX_MOTIF_LEN);
  const TableSum sum = tableSumFor(K(), std::make_integer_sequence<int, MAX_MOTIF_LEN + 1>{});
  return sum(misTable, code);
}

double node::miSscoreNorm(const char* word) const { return normalise(miSscore(word)); }

double node::miSscoreNormCode(base::WordCode code) const { return normalise(miSscoreCode(code)); }

double node::pKmer(const char* word) const {
  double p = 1.0;
  for (int i = 0; i < K(); ++i) p *= posFMatrix[base::foldedRow(word[i])][i];
  return p;
}

void node::MatInd() {
  maxMatScore = 0;
  const double ln5 = std::log(5.0);
  for (int i = 0; i < K(); ++i) {
    double s = 0.0;
    double largest = -1.0;
    for (int b = 0; b < NUM_BASES; ++b) {
      const double p = posFMatrix[b][i];
      s += p * std::log(p);
      if (p > largest) largest = p;
    }
    consIndex[i] = (100 / ln5) * (ln5 + s);
    maxMatScore += consIndex[i] * largest;
  }
}

double node::MatInspector(const char* word) const {
  double sum = 0.0;
  for (int i = 0; i < K(); ++i) {
    const int b = base::baseIndex(word[i]);
    if (b >= 0) sum += consIndex[i] * posFMatrix[b][i];
  }
  return sum / maxMatScore;
}

void node::scoreSites() {
  for (Site& s : hits) s.score = siteScore(s);
}
