// The settings of zelkova-scan, as the command line gives them, and their
// defaults.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/site_table.h"
#include "stats/scoring_matrix.h"

namespace scan {

enum class Strands { Forward, Reverse, Both };
enum class BackgroundSource { Sequences, Uniform, File };

constexpr double kDefaultPValue = 1e-4;
// Sites kept per motif at most; FIMO-style scanners keep 100,000 scores.
constexpr long long kDefaultMaxSites = 100000;

struct Options {
  std::vector<std::string> motifFiles;
  std::string sequenceFile;  // FASTA; empty when a genome is scanned
  std::string genomeFile;
  std::string regionsFile;  // empty: every chromosome whole
  std::string outputFile;   // empty: standard output
  formats::Layout layout = formats::Layout::Tsv;
  BackgroundSource background = BackgroundSource::Sequences;
  std::string backgroundFile;
  double pseudocount = stats::kDefaultMatrixPseudocount;
  Strands strands = Strands::Both;
  double pValue = kDefaultPValue;
  std::optional<double> qValue;  // given: sites are chosen by q instead of p
  long long maxSites = kDefaultMaxSites;
  std::uint64_t maxLetters = 0;  // per FASTA record (one is held at a time)
  int threads = 1;

  // The p-value every site reported has at most: the --pvalue threshold, or
  // with --qvalue Q, Q itself (q >= p).
  double pBound() const { return qValue ? *qValue : pValue; }
  // Every input file, for the checks that standard input is read once and
  // that the output is none of them.
  std::vector<std::string> inputFiles() const;
};

// Nothing when --help or --version was answered. Throws UsageError.
std::optional<Options> parseArguments(int argc, const char* const* argv);

}  // namespace scan
