// The results of a motif search as plain values: the run parameters of the
// report header and every reported motif with its scores, consensus words,
// count matrix and sites. A search returns them, the report writer prints
// them, the report reader reads them back, and every exporter works from them.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace formats {

constexpr int kReportBases = 4;  // A, C, G, T, in this order everywhere
constexpr char kBaseLetters[] = "ACGT";

// The run parameters that zelkova writes above the motifs.
struct ReportParameters {
  std::string date;                  // as written, e.g. "Tue Dec  8 06:44:21 2026"
  double matchingThreshold = 0.0;    // -thr
  int initMethod = 0;                // -k
  bool forwardOnly = false;          // -r
  int mismatches = 0;                // -m, or the default the run chose
  double complexityThreshold = 0.0;  // -c
  int seedSequences = 0;             // -i, or the number the run chose
  int sequences = 0;
  long long totalLength = 0;
  long long averageLength = 0;
  std::string commandLine;  // without the leading blank of the report
};

struct ReportSite {
  std::string sequence;  // the FASTA header, which may hold blanks and tabs
  std::string word;      // the site's letters on its own strand
  bool forward = true;
  long long position = 0;  // 1-based, on the forward strand
  double score = 0.0;      // 1 for the best word the motif allows
  int sequenceIndex = -1;  // 0-based record number; -1 when read from a report
};

// Counts of A, C, G and T at one position of a motif.
using CountColumn = std::array<long long, kReportBases>;

struct ReportMotif {
  int rank = 0;
  std::string id;  // its identifier when not ZELKOVA-<rank> (named by a pipeline); empty otherwise
  int line = 0;    // of its "Motif rank #" line when read from a report, for messages
  double mapScore = 0.0;
  double complexity = 0.0;
  double relativeEntropy = 0.0;  // bits
  long long siteCount = 0;
  std::string consensus;
  std::string degenerateConsensus;
  std::string reverseConsensus;
  std::vector<CountColumn> counts;  // one per position, so its size is the width
  std::vector<ReportSite> sites;

  int width() const { return static_cast<int>(counts.size()); }
};

struct Report {
  ReportParameters parameters;
  std::vector<ReportMotif> motifs;  // best first
};

}  // namespace formats
