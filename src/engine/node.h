// One motif: a list of aligned K-letter sites with the count and frequency
// matrices computed from them, its scores and its consensus words.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "base/words.h"
#include "engine/site.h"

class SequenceSet;
class SurpriseScorer;

// What a motif reads of its run: the motif length, the background frequency
// of each single base (for the relative entropy) and the background value of
// every window (for the MAP score). Shared by every motif of a run, which must
// not outlive it.
struct MotifContext {
  int K = 0;
  std::array<double, NUM_BASES> baseBackground{{0.25, 0.25, 0.25, 0.25}};
  // ln background probability of the forward window at [sequence][position].
  const std::vector<std::vector<float>>* siteBackground = nullptr;
};

// The site list of a motif, newest site first. Adding costs O(1); removal of
// many sites while walking is done in one pass by remove_if.
class SiteList {
 public:
  using Store = std::vector<Site>;  // oldest first
  Store::reverse_iterator begin() { return store_.rbegin(); }
  Store::reverse_iterator end() { return store_.rend(); }
  Store::const_reverse_iterator begin() const { return store_.rbegin(); }
  Store::const_reverse_iterator end() const { return store_.rend(); }
  std::size_t size() const { return store_.size(); }
  bool empty() const { return store_.empty(); }
  void push_front(const Site& s) { store_.push_back(s); }
  void clear() { store_.clear(); }
  void reserve(std::size_t n) { store_.reserve(n); }
  template <class Pred>
  void remove_if(Pred pred) {
    store_.erase(std::remove_if(store_.begin(), store_.end(), pred), store_.end());
  }

 private:
  Store store_;
};

class node {
 public:
  explicit node(const MotifContext& context);

  int K() const { return context_->K; }
  const MotifContext& context() const { return *context_; }

  // Site list.
  void addSite(const Site& site) { hits.push_front(site); }
  void reset();
  SiteList& get_hits() { return hits; }
  const SiteList& get_hits() const { return hits; }
  int getHitCount() const { return static_cast<int>(hits.size()); }

  // Matrices.
  void updateCount();
  // Counts the site list, then recomputes every matrix and value from it.
  void computeInformation();
  // Recomputes every matrix and value from posCMatrix as it stands, for N sites.
  void computeMatrices(int N);

  // Scores of the motif.
  void computeMAP();
  // The MAP score of N sites of a motif of length K with the given entropy,
  // whose sites' background values add up to backgroundSum.
  static double mapOf(int N, int K, double entropy, double backgroundSum) {
    return N <= 0 ? 0.0 : (std::log(static_cast<double>(N)) / K) * (entropy - backgroundSum / N);
  }
  void computeStatScore(const SurpriseScorer& surprise, int m);
  void MatInd();

  // Scores of a word against the motif.
  double miSscore(const char* word) const;
  double miSscoreNorm(const char* word) const;
  double pKmer(const char* word) const;
  double MatInspector(const char* word) const;

  // Fast forms for words of A, C, G, T only, equal to the character forms.
  double miSscoreCode(base::WordCode code) const;
  double miSscoreNormCode(base::WordCode code) const;
  // A motif whose bounds coincide (every column perfectly even) ranks every word 0.
  double normalise(double misScore) const {
    if (maxMisScore == minMisScore) return 0.0;
    return (misScore - static_cast<double>(maxMisScore)) /
           (static_cast<double>(minMisScore) - static_cast<double>(maxMisScore));
  }
  // The mismatch score of base b at position i, the term miSscore adds there.
  double mismatchTerm(int i, int b) const { return misTable[i][b]; }
  // The normalised score of a site's word, by the fast form when it applies.
  double siteScore(const Site& s) const { return s.acgt ? miSscoreNormCode(s.code) : miSscoreNorm(s.text); }

  // Gives every site its normalised score against the motif as it stands.
  void scoreSites();

  // Consensus words from the frequency matrix.
  void motifConsensus();
  // Every site line (">name\tword\tstrand\tposition\tscore"), newest site
  // first, each with its normalised score against the motif as it stands.
  void showHits(std::FILE* out, const SequenceSet& seqs) const;
  void appendHits(std::string& text, const SequenceSet& seqs) const;

  double getInfo() const { return info; }
  double getEntropy() const { return entropy; }
  double getMAP() const { return mapScore; }
  double getStatScore() const { return statScore; }
  double getComplexity() const { return complexity; }

  // Public data, read and written directly by the engine.
  double complexity = 0.0;
  char consensus[MAX_K] = {};
  double consIndex[MAX_K] = {};
  char degConsensus[MAX_K] = {};
  SiteList hits;
  double info = 0.0;
  double entropy = 0.0;
  double maxMatScore = 0.0;
  double mapScore = 0.0;
  int posCMatrix[NUM_BASES][MAX_K] = {};
  double posFMatrix[NUM_BASES][MAX_K] = {};
  double rawFMatrix[NUM_BASES][MAX_K] = {};
  char rConsensus[MAX_K] = {};
  float maxMisScore = 0.0f;
  float minMisScore = 0.0f;
  double statScore = 0.0;

 private:
  void normMismatch(int N);

  const MotifContext* context_;
  // misTable[i][b] = 1 - rawFMatrix[b][i]: the mismatch of base b at position i,
  // kept with the frequencies so a word's mismatch score is a sum of lookups.
  double misTable[MAX_K][NUM_BASES];
};
