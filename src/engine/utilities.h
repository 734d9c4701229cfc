// The data store of one run: the input sequences, both Markov models with the
// background maps computed from them, and the surprise scores. Loading goes in
// the order the run prints its messages: open the three files, read the
// sequences, count the windows, read the background, then the foreground model,
// then map every window.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/background.h"
#include "engine/node.h"
#include "engine/progress.h"
#include "engine/sequences.h"
#include "engine/surprise.h"

class Utilities {
 public:
  Utilities(int L, bool forwardOnly, int threads, ProgressSink progress = ProgressSink::silent());
  ~Utilities();
  Utilities(const Utilities&) = delete;
  Utilities& operator=(const Utilities&) = delete;

  // Opens the three input files in this order; throws FatalError naming the
  // first that cannot be opened.
  void OpenFiles(const std::string& inFile, const std::string& bgFile, const std::string& fgFile);
  // Reads the sequences of the opened FASTA file, refusing records of more
  // than maxLetters letters.
  void LoadSeqs(std::size_t maxLetters = MAX_SEQ - 1);
  // Takes sequences already read (each checked as LoadSeqs checks them).
  void LoadSeqs(std::vector<FastaRecord> records, std::size_t maxLetters = MAX_SEQ - 1);
  void CountDP();
  // Read the models of the opened files, or take models built in memory.
  void GetBackground();
  void GetForeground();
  void GetBackground(MarkovModel model);
  void GetForeground(MarkovModel model);
  void computebgmap(bool withScore);

  int GetL() const { return seqs.L(); }
  long long GetBigL() const { return seqs.totalLength(); }
  long long GetFullDP() const { return fullDP; }
  long long GetValidDP() const { return validDP; }
  int GetNumSeq() const { return seqs.numSeq(); }

  // The `count` sequences of highest log-odds score, in ascending index order.
  std::vector<int> selSeqs(int count) const;

  // What a motif of this run reads: K, the base background, the window maps.
  const MotifContext& motifContext() const { return context; }

  SequenceSet seqs;
  BackgroundModel models;
  BackgroundMaps maps;
  SurpriseScorer surprise;

 private:
  void loadModel(std::FILE*& stream, const std::string& fileName, bool background);

  ProgressSink progress;
  int threads;
  std::FILE* inStream = nullptr;
  std::FILE* bgStream = nullptr;
  std::FILE* fgStream = nullptr;
  std::string inName;
  std::string bgName = "background model", fgName = "foreground model";
  long long fullDP = 0;
  long long validDP = 0;
  MotifContext context;
};
