// The run summary: the key facts of a discovery (its inputs, how they were
// treated, what ran, the database, the program and the time), computed once
// from the discovery; log.txt opens with them and the page's "Run summary"
// shows them, each in its own words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "discover/report/result.h"

namespace discover {

struct RunSummary {
  std::string version;
  std::string started;  // local date and time
  std::string commandLine;

  std::string primaryName;  // the file as the user named it, "-" for standard input
  std::size_t primarySequences = 0;
  long long primaryLetters = 0;
  int trim = 0;  // 0: whole records
  bool lowerCaseMasked = false;
  std::string control;  // controlDescription
  std::size_t controlSequences = 0;
  long long controlLetters = 0;
  std::string lowComplexity;  // lowComplexityDescription

  double holdout = 0;
  std::uint64_t seed = 0;
  SetSizes sizes;  // of the primary set
  int backgroundOrder = 0;
  std::vector<int> lengths;
  std::size_t searches = 0, searchesSkipped = 0;

  std::string decoyMode;  // --decoy as given
  bool decoyRun = false;
  std::string decoySets;  // decoyDescription, when decoyRun
  std::string decoyBest;  // decoyBestText, when decoyRun

  std::vector<std::string> databaseGiven;  // --database as given; empty: the bundled collection
  std::vector<std::string> databaseFiles;  // the files read
  std::size_t knownMotifs = 0;
  std::string sitesBed;  // siteBedDescription
  std::vector<std::string> warnings;

  std::vector<StepTime> steps;
  double totalSeconds = 0;
};

RunSummary runSummary(const Discovery& discovery);

// The control as a phrase: "FILE" or "2 dinucleotide-shuffled copies of each
// primary sequence (seed S)".
std::string controlDescription(const Discovery& discovery);

// What the decoy was made of, as a phrase: "2 sets of 18 sequences drawn from
// the shuffled copies of the primary sequences" or "... from the control
// FILE".
std::string decoyDescription(const Discovery& discovery);

// How low-complexity DNA was treated: "masked as N by DUST (window 64, level
// 20): 2.7 % of the primary letters, 1.0 % of the control letters" or "not
// masked (--no-dust)".
std::string lowComplexityDescription(const Discovery& discovery);

// Whether sites.bed was written, and why not: "written, in the genome
// coordinates of the headers" or "not written: record 3 (peak17) names no
// genome region chrom:start-end".
std::string siteBedDescription(const Discovery& discovery);

}  // namespace discover
