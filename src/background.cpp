// Markov models, background maps, window counts and the surprise score.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "markov_model.h"
#include "utilities.h"

void Utilities::loadModel(std::FILE*& stream, const std::string& fileName, bool background) {
  std::printf(background ? "Loading background nucleotides distributions...."
                         : "Loading foreground nucleotides distributions....");
  ZK_ASSERT(stream != nullptr);
  MarkovModel model = readMarkovModel(stream, fileName);
  if (background) markovOrder = model.lastWordLength;
  requireAllWords(model, markovOrder, fileName);
  (background ? bmarkov : fmarkov) = std::move(model.tables);
  std::fclose(stream);
  stream = nullptr;
  std::printf("DONE\n");
}

void Utilities::GetBackground() { loadModel(bgStream, bgName, true); }

void Utilities::GetForeground() { loadModel(fgStream, fgName, false); }

void Utilities::CountDP() {
  fullDP = validDP = 0;
  for (const seqRecord& rec : seqs) {
    for (int j = 0; j + L <= rec.len; ++j) {
      ++fullDP;
      if (!maskingLow || validateKmer(rec.seq.data() + j, L)) ++validDP;
    }
  }
  std::printf("   (%d %d-mers in the input file)\n", validDP, L);
}

double Utilities::chainProbability(const std::array<std::vector<float>, MAX_MARKOV + 1>& T, long start,
                                   long seqIdx, bool strand, int slen) const {
  ZK_ASSERT(slen < 10000);
  const seqRecord& rec = seqs[static_cast<std::size_t>(seqIdx)];
  ZK_ASSERT(start >= 0 && start + slen <= rec.len);
  const char* x = (strand ? rec.seq.data() : rec.revSeq.data()) + start;
  const int M = markovOrder;
  const long long mask = (1LL << (2 * M)) - 1;
  long long code = 0;  // base-4 number of the last min(p + 1, M) letters
  double P = 1.0;
  for (int p = 0; p < slen; ++p) {
    code = ((code << 2) | char2num(x[p])) & mask;
    P *= p < M ? T[p + 1][static_cast<std::size_t>(code)] : T[M][static_cast<std::size_t>(code)];
  }
  return P;
}

double Utilities::probKmerGivenBack(long start, long seqIdx, bool strand, int slen) const {
  return chainProbability(bmarkov, start, seqIdx, strand, slen);
}

double Utilities::probKmerGivenFore(long start, long seqIdx, bool strand, int slen) const {
  return chainProbability(fmarkov, start, seqIdx, strand, slen);
}

void Utilities::computebgmap(bool withScore) {
  for (std::size_t i = 0; i < seqs.size(); ++i) {
    seqRecord& rec = seqs[i];
    const int n = rec.numWindows(L);
    rec.bgMap.assign(static_cast<std::size_t>(n), 0.0f);
    if (forwardOnly)
      rec.bgMapRev.clear();
    else
      rec.bgMapRev.assign(static_cast<std::size_t>(n), 0.0f);
    double sum = 0.0;
    int count = 0;
    for (int j = 0; j < n; ++j) {
      if (maskingLow && !validateKmer(rec.seq.data() + j, L)) continue;  // maps keep 0.0
      ++count;
      const double pBack = probKmerGivenBack(j, static_cast<long>(i), true, L);
      rec.bgMap[j] = static_cast<float>(std::log(pBack));
      if (!forwardOnly) rec.bgMapRev[rec.len - L - j] = rec.bgMap[j];
      if (withScore) {
        const double pFore = probKmerGivenFore(j, static_cast<long>(i), true, L);
        sum += std::log(pFore / pBack);
      }
    }
    if (!withScore)
      rec.logOdds = 0.0;
    else  // a sequence without a valid window ranks last
      rec.logOdds = count > 0 ? sum / count : -std::numeric_limits<double>::infinity();
  }
}

int Utilities::kMismatch(const char* text, const char* word, int m, std::set<std::string>& matched) const {
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

double Utilities::bgExpectedFreq(const char* word) const {
  const int M = markovOrder;
  if (L <= M) return bmarkov[L][static_cast<std::size_t>(string2num(std::string(word, L).c_str()))];
  double value = 1.0;
  for (int s = 0; s + M <= L; ++s) {
    const long long idx = string2num(std::string(word + s, static_cast<std::size_t>(M)).c_str());
    const double factor = bmarkov[M][static_cast<std::size_t>(idx)];
    value = s == 0 ? factor : value * factor;
  }
  return value;
}

double Utilities::globalScore(const char* word, int m) {
  if (surpriseCacheM != m) {
    surpriseCache.clear();
    surpriseCacheM = m;
  }
  const std::string key(word, static_cast<std::size_t>(L));
  const auto cached = surpriseCache.find(key);
  if (cached != surpriseCache.end()) return cached->second;
  double score;
  if (m == 0 && L <= markovOrder) {
    const std::size_t c = static_cast<std::size_t>(string2num(key.c_str()));
    score = std::log(static_cast<double>(fmarkov[L][c]) /
                     (static_cast<double>(bigL) * static_cast<double>(bmarkov[L][c])));
  } else {
    score = scanSurpriseScore(key.c_str(), m);
  }
  surpriseCache.emplace(key, score);
  return score;
}

// Observed matches (starting from 1) over window positions, against the
// background expectation of the distinct matched words.
double Utilities::scanSurpriseScore(const char* word, int m) const {
  int observed = 1;
  float positions = 0.0f;
  std::set<std::string> matched;
  for (const seqRecord& rec : seqs) {
    observed += kMismatch(rec.seq.c_str(), word, m, matched);
    positions += static_cast<float>(rec.numWindows(L));
    if (!forwardOnly) observed += kMismatch(rec.revSeq.c_str(), word, m, matched);
  }
  if (!forwardOnly) positions = 2 * positions;
  double expected = 0.0;
  for (const std::string& w : matched) expected += bgExpectedFreq(w.c_str());
  const double denominator = static_cast<double>(bigL) * expected;
  if (positions == 0.0f || !(denominator > 0.0)) return std::numeric_limits<double>::infinity();
  return std::log((static_cast<double>(observed) / static_cast<double>(positions)) / denominator);
}
