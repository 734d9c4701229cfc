#include "engine/surprise.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/parallel.h"

double SurpriseScorer::globalScore(const char* word, int m) const {
  std::pair<int, std::string> key(m, std::string(word, static_cast<std::size_t>(seqs_.L())));
  {
    std::lock_guard<std::mutex> guard(cacheLock_);
    const auto cached = cache_.find(key);
    if (cached != cache_.end()) return cached->second;
  }
  const double score = surpriseScore(key.second.c_str(), m);
  std::lock_guard<std::mutex> guard(cacheLock_);
  cache_.emplace(std::move(key), score);
  return score;
}

void SurpriseScorer::prepareGlobalScores(const std::vector<std::string>& wordList, int m) const {
  std::vector<std::string> missing;
  {
    std::lock_guard<std::mutex> guard(cacheLock_);
    for (const std::string& w : wordList) {
      std::string key = w.substr(0, static_cast<std::size_t>(seqs_.L()));
      if (!cache_.count({m, key})) missing.push_back(std::move(key));
    }
  }
  std::sort(missing.begin(), missing.end());
  missing.erase(std::unique(missing.begin(), missing.end()), missing.end());
  std::vector<double> scores(missing.size());
  parallelFor(threads_, missing.size(), [&](std::size_t i) { scores[i] = surpriseScore(missing[i].c_str(), m); });
  std::lock_guard<std::mutex> guard(cacheLock_);
  for (std::size_t i = 0; i < missing.size(); ++i) cache_.emplace(std::make_pair(m, missing[i]), scores[i]);
}

double SurpriseScorer::surpriseScore(const char* word, int m) const {
  const int L = seqs_.L();
  if (m == 0 && L <= models_.markovOrder) {
    const std::size_t c = static_cast<std::size_t>(base::numberOf(word, L));
    return std::log(static_cast<double>(models_.fmarkov[L][c]) /
                    (static_cast<double>(seqs_.totalLength()) * static_cast<double>(models_.bmarkov[L][c])));
  }
  return scanSurpriseScore(word, m);
}

const SurpriseScorer::WindowWords& SurpriseScorer::windowWords() const {
  std::call_once(indexed_, [this] { windowWords_ = indexWindowWords(); });
  return windowWords_;
}

SurpriseScorer::WindowWords SurpriseScorer::indexWindowWords() const {
  const int L = seqs_.L();
  WindowWords index;
  std::vector<base::WordCode> codes;
  std::map<std::string, int> others;
  for (const seqRecord& rec : seqs_.records()) {
    const int W = rec.numWindows(L);
    index.positions += static_cast<float>(W);
    for (int j = 0; j < W; ++j) {
      if (rec.fwdAcgt[j])
        codes.push_back(rec.fwdCode[j]);
      else
        ++others[rec.seq.substr(static_cast<std::size_t>(j), static_cast<std::size_t>(L))];
      if (forwardOnly_) continue;
      if (rec.revAcgt[j])
        codes.push_back(rec.revCode[j]);
      else
        ++others[rec.revSeq.substr(static_cast<std::size_t>(j), static_cast<std::size_t>(L))];
    }
  }
  if (!forwardOnly_) index.positions = 2 * index.positions;
  // Ascending codes are ascending texts: A < C < G < T both as codes and as letters.
  std::sort(codes.begin(), codes.end());
  for (std::size_t i = 0; i < codes.size();) {
    std::size_t j = i;
    while (j < codes.size() && codes[j] == codes[i]) ++j;
    index.codes.push_back(codes[i]);
    index.codeCounts.push_back(static_cast<int>(j - i));
    i = j;
  }
  for (const auto& entry : others) {
    index.others.push_back(entry.first);
    index.otherCounts.push_back(entry.second);
  }
  return index;
}

// Observed matches (starting from 1) over window positions, against the
// background expectation of the distinct matched words, summed in text order.
// The windows are visited as distinct words with their counts: the number of
// matching windows and the set of matched words are the same as window by
// window.
double SurpriseScorer::scanSurpriseScore(const char* word, int m) const {
  const int L = seqs_.L();
  const WindowWords& index = windowWords();
  long long observed = 1;
  base::WordCode wordCode = 0;
  const bool wordAcgt = base::pack(word, L, wordCode);
  std::vector<base::WordCode> matchedCodes;
  char text[MAX_MOTIF_LEN + 1];
  for (std::size_t i = 0; i < index.codes.size(); ++i) {
    int d;
    if (wordAcgt) {
      d = base::hamming(index.codes[i], wordCode);
    } else {
      base::unpack(index.codes[i], L, text);
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
  for (base::WordCode code : matchedCodes) {
    if (o < matchedOthers.size()) {
      base::unpack(code, L, text);
      for (; o < matchedOthers.size() && *matchedOthers[o] < text; ++o)
        expected += models_.bgExpectedFreq(matchedOthers[o]->c_str(), L);
    }
    expected += models_.bgExpectedFreqCode(code, L);
  }
  for (; o < matchedOthers.size(); ++o) expected += models_.bgExpectedFreq(matchedOthers[o]->c_str(), L);

  const double denominator = static_cast<double>(seqs_.totalLength()) * expected;
  if (index.positions == 0.0f || !(denominator > 0.0)) return std::numeric_limits<double>::infinity();
  return std::log((static_cast<double>(observed) / static_cast<double>(index.positions)) / denominator);
}
