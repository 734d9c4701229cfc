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

namespace compare_command {

struct Options {
  std::string motifFile;
  std::vector<std::string> databaseFiles;  // empty: the bundled collection
  std::string outputFile;                  // empty: standard output
  int top = 5;
  double evalueMax = 10.0;
  compare::Settings settings;
};

// Nothing when --help or --version was answered. Throws UsageError.
std::optional<Options> parseArguments(int argc, const char* const* argv);

// The rows of the table: for every query in order, its `top` best matches
// in the database of `options` of E-value at most evalueMax, best first.
std::vector<match_table::Row> bestMatches(const std::vector<motif::Motif>& queries,
                                          const std::vector<motif::Motif>& database, const Options& options);

// The whole program: checks the files, reads the motifs and the database and
// writes the table whole. Returns the exit status.
int run(const Options& options);

}  // namespace compare_command
