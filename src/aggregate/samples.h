// The results of many zelkova-discover runs side by side: each output
// directory read back (its log.txt, summary.tsv and motifs.jaspar) and the
// best motifs of every sample as one table.
#pragma once

#include <string>
#include <vector>

#include "formats/report_data.h"
#include "formats/summary_table.h"

namespace aggregate {

// One zelkova-discover output directory.
struct Sample {
  std::string name;
  std::string directory;                         // as given
  std::string discoverVersion;                   // of the zelkova-discover that wrote it
  std::vector<formats::SummaryRow> motifs;       // every line of its summary.tsv, best first
  std::vector<formats::CountColumn> bestCounts;  // count matrix of motifs.front(); empty without motifs
};

// The name of a sample given by its directory alone: the directory's base
// name ("results/samples/ctcf/" gives "ctcf"; "." the current directory's;
// "/" an empty name).
std::string nameOfDirectory(const std::string& directory);

// Throws FatalError naming both directories when two samples share a name:
// the tables tell samples apart by name alone.
void requireDistinctNames(const std::vector<std::string>& names, const std::vector<std::string>& directories);

// Reads DIR/log.txt, DIR/summary.tsv and, when the summary lists motifs,
// DIR/motifs.jaspar. Throws FatalError for a DIR that is not a directory and
// ReadError naming the file and line of anything else: a missing or
// malformed file, a motif of the summary that motifs.jaspar lacks or holds
// with another consensus or width, a matrix that is not whole counts.
Sample readSample(const std::string& directory, const std::string& name);

// The header line: "sample", the columns of zelkova-discover's summary.tsv,
// "discover_version".
std::string summaryHeader();

// The header, then the `top` best motifs of every sample in the order
// given (fewer when a sample reported fewer; none for a sample without).
std::string summaryTable(const std::vector<Sample>& samples, int top);

}  // namespace aggregate
