// The surprise score of a word: how much more often the input's windows lie
// within m mismatches of it than the background expects. Scores are computed
// once per word and allowance and kept; the distinct-word index of the input
// they scan is built on first use. Safe to call from several threads.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/background.h"
#include "engine/sequences.h"

class SurpriseScorer {
 public:
  // Reads the sequences and the models, which must outlive the scorer.
  SurpriseScorer(const SequenceSet& seqs, const BackgroundModel& models, bool forwardOnly, int threads)
      : seqs_(seqs), models_(models), forwardOnly_(forwardOnly), threads_(threads) {}
  SurpriseScorer(const SurpriseScorer&) = delete;
  SurpriseScorer& operator=(const SurpriseScorer&) = delete;

  // The score of the first L letters of word for allowance m.
  double globalScore(const char* word, int m) const;
  // Computes the scores of all the words not yet known, in parallel.
  void prepareGlobalScores(const std::vector<std::string>& words, int m) const;

 private:
  // Every window the score scans (both strands unless -r), as distinct words
  // with their number of occurrences, each list in ascending text order.
  struct WindowWords {
    std::vector<base::WordCode> codes;  // words of A, C, G, T
    std::vector<int> codeCounts;
    std::vector<std::string> others;  // words holding other letters
    std::vector<int> otherCounts;
    float positions = 0.0f;  // window positions, summed per sequence in single precision
  };

  double surpriseScore(const char* word, int m) const;
  double scanSurpriseScore(const char* word, int m) const;
  const WindowWords& windowWords() const;
  WindowWords indexWindowWords() const;

  const SequenceSet& seqs_;
  const BackgroundModel& models_;
  bool forwardOnly_;
  int threads_;

  mutable std::once_flag indexed_;
  mutable WindowWords windowWords_;
  mutable std::mutex cacheLock_;
  mutable std::map<std::pair<int, std::string>, double> cache_;  // (m, word) -> score
};
