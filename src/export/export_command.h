// zelkova-export without its main: the options and their command line, and
// the run that writes the motifs of any motif file (a zelkova report, MEME,
// JASPAR, TRANSFAC or HOMER) as MEME, JASPAR, TRANSFAC or HOMER matrices or as
// an HTML page with sequence logos.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace exporter {

struct Options {
  std::string format;
  std::string outputFile;  // empty: standard output
  std::vector<std::string> motifFiles;
  std::string enrichmentFile;              // empty: none
  std::string matchesFile;                 // html only; empty: no matches section
  std::vector<std::string> databaseFiles;  // where the matched motifs are; empty: the bundled one
};

// Nothing when --help or --version was answered. Throws cli::UsageError.
std::optional<Options> parseArguments(int argc, const char* const* argv);

// The whole program: checks the files, reads the motifs and writes them in
// the format of `options`, whole or not at all. Returns the exit status.
int run(const Options& options);

}  // namespace exporter
