// The two Markov models of a run and what is computed from them: the
// probability of a window under either model, the background expectation of
// a word, and the per-window background maps and per-sequence log-odds scores.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "engine/markov_model.h"
#include "engine/sequences.h"

using MarkovTables = std::array<std::vector<float>, MAX_MARKOV + 1>;

// ln background probability of every window, by forward position; a window
// holding 'N' keeps 0. Both strands of a stretch have the same value, so a
// reverse-strand window has the value of the forward window it covers.
struct BackgroundMaps {
  std::vector<std::vector<float>> forward;  // [sequence][forward position]
  std::vector<double> logOdds;              // mean log-odds of each sequence's windows (with -j)

  float at(int seqIdx, int pos) const {
    return forward[static_cast<std::size_t>(seqIdx)][static_cast<std::size_t>(pos)];
  }
};

class BackgroundModel {
 public:
  // Takes the models; the background's last word length is the order used for
  // both, so the foreground must give every word up to that length. Throws
  // FatalError naming the file otherwise.
  void setBackground(MarkovModel model, const std::string& fileName);
  void setForeground(MarkovModel model, const std::string& fileName);

  // Words of 1..markovOrder letters are read from the tables.
  int markovOrder = 0;
  MarkovTables bmarkov;
  MarkovTables fmarkov;

  double probKmerGivenBack(const seqRecord& rec, long start, bool strand, int slen) const;
  double probKmerGivenFore(const seqRecord& rec, long start, bool strand, int slen) const;

  // Background expectation of a word of L letters: the product of the
  // probabilities of its markovOrder-letter windows.
  double bgExpectedFreq(const char* word, int L) const;
  double bgExpectedFreqCode(base::WordCode code, int L) const;

  // The maps of every sequence, in parallel; with `withScore` the log-odds
  // scores too.
  BackgroundMaps computebgmap(const SequenceSet& seqs, bool withScore, int threads) const;

 private:
  double chainProbability(const MarkovTables& tables, const seqRecord& rec, long start, bool strand, int slen) const;
};
