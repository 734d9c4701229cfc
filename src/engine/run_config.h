// Everything that decides a motif search, in one plain struct, and the one
// function that gives its fields their defaults, holds them to their ranges
// and refuses what cannot be run.
#pragma once

#include <optional>
#include <string>

class ProgressSink;

struct RunConfig {
  // Input files and output files; an output left unset is not written.
  std::string inFile;                  // -f: sequences, FASTA
  std::string bgModelFile;             // -b: Markov model of background DNA
  std::string fgModelFile;             // -z: Markov model of the input sequences
  std::optional<std::string> outFile;  // -o: the report (the command line always names one)
  std::optional<std::string> initCoreFile = std::string("initcore.txt");        // seed motifs' sites
  std::optional<std::string> initClusterFile = std::string("initcluster.txt");  // initial clusters

  int K = 0;                       // -l: motif length, 6 to 20 (0: not given)
  int maxMismatch = -1;            // -m: -1 chooses K/2
  std::optional<int> numSeedSeqs;  // -i: unset chooses ceil(log2 N)
  bool selectByScore = false;      // -j: seed sequences by log-odds score
  int initMethod = 1;              // -k: 1 enumeration, 2 minimal mismatch
  int scoring_method = 2;          // -s sets 1: surprise score; else MAP score
  bool forwardOnly = false;        // -r: the given strand only
  int numClusters = 40;            // -v: held to 10..100
  int numTopMotifs = 10;           // -n: at least 1
  double scanThreshold = 0.8;      // -thr: single precision, 0.7..1.0 or 0.75
  double MIN_COMPLEXITY = 0.15;    // -c: held to 0..10
  std::optional<int> numThreads;   // -p: unset uses every processor
  int maxRecordLength = 4999;      // -maxlen: the longest record accepted, in letters
  std::string cmdLine;             // echoed in the report header
};

// Which required inputs a command line named; a configuration built in code
// names an input by giving it a value.
struct RequiredInputs {
  bool inFile = false, K = false, bgModelFile = false, fgModelFile = false;
  static RequiredInputs of(const RunConfig& config);
};

// The configuration as the search runs it: defaults chosen, values held to
// their ranges (-v, -c, -thr, -k silently; an invalid -m with a warning to
// `progress`). Throws FatalError with the command line's message for a motif
// length outside 6 to 20, -n or -i below 1, -p below 1 and missing required
// inputs (all of them together, in the order -f, -l, -b, -z).
RunConfig resolveRunConfig(RunConfig config, const RequiredInputs& given, const ProgressSink& progress);
RunConfig resolveRunConfig(const RunConfig& config, const ProgressSink& progress);

// The number of seed sequences for an input of numSeq sequences: ceil(log2 N)
// by default, never below 1; a request above numSeq is held to it with a
// warning.
int resolveSeedCount(const std::optional<int>& requested, int numSeq, const ProgressSink& progress);
