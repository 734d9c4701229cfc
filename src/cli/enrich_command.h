// zelkova-enrich without its main: the options and their command line, and
// the run from the options to the tables, in parts so that a program driving
// the library (the Python module) runs the same steps with motifs it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/parallel.h"
#include "formats/fasta.h"
#include "formats/motif_files.h"
#include "stats/enrichment.h"

namespace cli {

struct EnrichOptions {
  std::string motifFile;                   // empty with --db
  std::vector<std::string> databaseFiles;  // --db
  std::string primaryFile;
  std::string controlFile;  // empty: shuffled copies of the primary set
  std::string outputFile;   // empty: standard output
  std::string sitesFile;    // empty: no site list
  std::optional<double> threshold;
  int shuffleWordLength = 2;
  int copies = 2;
  std::uint64_t seed = 0;
  int threads = availableProcessors();
  bool shuffleOptionGiven = false;
  std::uint64_t maxLetters = 0;
};

// Nothing when --help or --version was answered. Throws UsageError.
std::optional<EnrichOptions> parseEnrichArguments(int argc, const char* const* argv);

// The motifs a run tests: the database of --db, or the motif file.
struct EnrichMotifs {
  std::vector<formats::Motif> database;  // with --db
  formats::MotifFile file;               // without
};

// Reads the database files or the motif file of `options`.
EnrichMotifs readMotifs(const EnrichOptions& options);

// The table, and the site list when asked for (Options::sitesFile).
struct EnrichTables {
  std::string table;
  std::string sites;
};

// Reads the primary sequences and the control (or shuffles the primary
// ones), the count of IUPAC letters of each going to `note` (standard error
// for the program), and tests `motifs`; `progress` as in
// stats::EnrichmentOptions. Throws FatalError and the readers' errors.
EnrichTables tables(const EnrichOptions& options, const EnrichMotifs& motifs,
                    const std::function<void(const std::string&)>& note,
                    const std::function<void(std::size_t tested, std::size_t total)>& progress = {});

// The whole program: checks the files, reads, tests and writes both outputs
// whole. Returns the exit status.
int runEnrich(const EnrichOptions& options);

}  // namespace cli
