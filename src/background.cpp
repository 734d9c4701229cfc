// Markov models, background maps, window counts and the surprise score.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <mutex>

#include "markov_model.h"
#include "parallel.h"
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
      if (!maskingLow || rec.fwdValid[j]) ++validDP;  // fwdValid[j] is validateKmer of window j
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

// Sequences are independent of each other, so they are mapped in parallel.
void Utilities::computebgmap(bool withScore) {
  parallelFor(numThreads, seqs.size(), [this, withScore](std::size_t i) {
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
  });
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

// bgExpectedFreq of a packed word: the M-letter windows are read off the code.
double Utilities::bgExpectedFreqCode(words::Code code) const {
  const int M = markovOrder;
  if (L <= M) return bmarkov[L][static_cast<std::size_t>(code)];
  const words::Code mask = (words::Code{1} << (2 * M)) - 1;
  double value = 1.0;
  for (int s = 0; s + M <= L; ++s) {
    const double factor = bmarkov[M][static_cast<std::size_t>((code >> (2 * (L - M - s))) & mask)];
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
  const double score = surpriseScore(key.c_str(), m);
  surpriseCache.emplace(key, score);
  return score;
}

void Utilities::prepareGlobalScores(const std::vector<std::string>& wordList, int m) {
  if (surpriseCacheM != m) {
    surpriseCache.clear();
    surpriseCacheM = m;
  }
  std::vector<std::string> missing;
  for (const std::string& w : wordList) {
    const std::string key = w.substr(0, static_cast<std::size_t>(L));
    if (!surpriseCache.count(key)) missing.push_back(key);
  }
  std::sort(missing.begin(), missing.end());
  missing.erase(std::unique(missing.begin(), missing.end()), missing.end());
  std::vector<double> scores(missing.size());
  parallelFor(numThreads, missing.size(), [&](std::size_t i) { scores[i] = surpriseScore(missing[i].c_str(), m); });
  for (std::size_t i = 0; i < missing.size(); ++i) surpriseCache.emplace(missing[i], scores[i]);
}

double Utilities::surpriseScore(const char* word, int m) const {
  if (m == 0 && L <= markovOrder) {
    const std::size_t c = static_cast<std::size_t>(string2num(word));
    return std::log(static_cast<double>(fmarkov[L][c]) /
                    (static_cast<double>(bigL) * static_cast<double>(bmarkov[L][c])));
  }
  return scanSurpriseScore(word, m);
}

void Utilities::indexWindowWords() const {
  auto index = std::make_unique<WindowWords>();
  std::vector<words::Code> codes;
  std::map<std::string, int> others;
  for (const seqRecord& rec : seqs) {
    const int W = rec.numWindows(L);
    index->positions += static_cast<float>(W);
    for (int j = 0; j < W; ++j) {
      if (rec.fwdAcgt[j])
        codes.push_back(rec.fwdCode[j]);
      else
        ++others[rec.seq.substr(static_cast<std::size_t>(j), static_cast<std::size_t>(L))];
      if (forwardOnly) continue;
      if (rec.revAcgt[j])
        codes.push_back(rec.revCode[j]);
      else
        ++others[rec.revSeq.substr(static_cast<std::size_t>(j), static_cast<std::size_t>(L))];
    }
  }
  if (!forwardOnly) index->positions = 2 * index->positions;
  // Ascending codes are ascending texts: A < C < G < T both as codes and as letters.
  std::sort(codes.begin(), codes.end());
  for (std::size_t i = 0; i < codes.size();) {
    std::size_t j = i;
    while (j < codes.size() && codes[j] == codes[i]) ++j;
    index->codes.push_back(codes[i]);
    index->codeCounts.push_back(static_cast<int>(j - i));
    i = j;
  }
  for (const auto& entry : others) {
    index->others.push_back(entry.first);
    index->otherCounts.push_back(entry.second);
  }
  windowWords = std::move(index);
}

// Observed matches (starting from 1) over window positions, against the
// background expectation of the distinct matched words, summed in text order.
// The windows are visited as distinct words with their counts: the number of
// matching windows and the set of matched words are the same as window by
// window.
double Utilities::scanSurpriseScore(const char* word, int m) const {
  static std::mutex indexLock;
  {
    std::lock_guard<std::mutex> guard(indexLock);
    if (!windowWords) indexWindowWords();
  }
  const WindowWords& index = *windowWords;
  long long observed = 1;
  words::Code wordCode = 0;
  const bool wordAcgt = words::pack(word, L, wordCode);
  std::vector<words::Code> matchedCodes;
  char text[MAX_MOTIF_LEN + 1];
  for (std::size_t i = 0; i < index.codes.size(); ++i) {
    int d;
    if (wordAcgt) {
      d = words::hamming(index.codes[i], wordCode);
    } else {
      words::unpack(index.codes[i], L, text);
      d = hammingDist(text, word, L);
    }
    if (d <= m) {
      observed += index.codeCounts[i];
      matchedCodes.push_back(index.codes[i]);
    }
  }
  std::vector<const std::string*> matchedOthers;
  for (std::size_t i = 0; i < index.others.size(); ++i) {
    if (hammingDist(index.others[i].c_str(), word, L) <= m) {
      observed += index.otherCounts[i];
      matchedOthers.push_back(&index.others[i]);
    }
  }
  double expected = 0.0;
  std::size_t o = 0;
  for (words::Code code : matchedCodes) {
    if (o < matchedOthers.size()) {
      words::unpack(code, L, text);
      for (; o < matchedOthers.size() && *matchedOthers[o] < text; ++o)
        expected += bgExpectedFreq(matchedOthers[o]->c_str());
    }
    expected += bgExpectedFreqCode(code);
  }
  for (; o < matchedOthers.size(); ++o) expected += bgExpectedFreq(matchedOthers[o]->c_str());

  const double denominator = static_cast<double>(bigL) * expected;
  if (index.positions == 0.0f || !(denominator > 0.0)) return std::numeric_limits<double>::infinity();
  return std::log((static_cast<double>(observed) / static_cast<double>(index.positions)) / denominator);
}
