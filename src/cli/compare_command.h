// zelkova-compare without its main: the options and their command line, and
// the run from the options to the table, in parts so that a program driving
// the library (the Python module) runs the same steps with motifs it holds.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "formats/match_table.h"
#include "formats/motif.h"
#include "stats/motif_compare.h"

namespace cli {

struct CompareOptions {
  std::string motifFile;
  std::vector<std::string> databaseFiles;  // empty: the bundled collection
  std::string outputFile;                  // empty: standard output
  int top = 5;
  double evalueMax = 10.0;
  stats::ComparisonSettings settings;
};

// Nothing when --help or --version was answered. Throws UsageError.
std::optional<CompareOptions> parseCompareArguments(int argc, const char* const* argv);

// The rows of the table: for every query in order, its `top` best matches
// in the database of `options` of E-value at most evalueMax, best first.
std::vector<formats::MatchRow> bestMatches(const std::vector<formats::Motif>& queries,
                                           const std::vector<formats::Motif>& database, const CompareOptions& options);

// The whole program: checks the files, reads the motifs and the database and
// writes the table whole. Returns the exit status.
int runCompare(const CompareOptions& options);

}  // namespace cli
