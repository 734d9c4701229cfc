// The enrichment results as text: the table zelkova-enrich writes (one header
// line, one tab-separated line per motif), the site list of --sites, and the
// table read back for zelkova-export. The layout is known here only.
//
// Table columns: rank id consensus threshold primary_hits primary_total
// control_hits control_total enrichment log10_p log10_p_adj log10_E
//   threshold    four decimals, rounded down, so every counted sequence's
//                best score, printed as a site score is, reaches it
//   enrichment   (a/P)/(b/C) with three decimals; "inf" when b = 0, "NA"
//                when a = b = 0
//   log10_*      three decimals
// Site columns: motif set sequence position strand word score
//   set "primary" or "control"; sequence the FASTA header, tabs made blanks;
//   position 1-based on the forward strand; strand "+" or "-"; score four
//   decimals.
#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

#include "stats/enrichment.h"

namespace enrichment_table {

extern const char* const kTableHeader;
extern const char* const kSitesHeader;

// How the table prints a threshold: four decimals, rounded down, so that it is
// never above the printed scores of the sites it admits.
std::string thresholdText(double threshold);
// How it prints a log10 value: three decimals, never "-0.000".
std::string log10Text(double value);
// A sequence name with its tabs written as blanks, so that a line keeps its
// columns.
std::string withoutTabs(std::string text);

void writeTable(std::ostream& out, const std::vector<enrichment::MotifResult>& results);

// Every site of every result; `primary` and `control` are the sets the results
// were computed on, for the sequence names.
void writeSites(std::ostream& out, const std::vector<enrichment::MotifResult>& results,
                const std::vector<FastaRecord>& primary, const std::vector<FastaRecord>& control);

// One line of the table, its fields as written.
struct Row {
  int rank = 0;
  std::string id;
  std::string consensus;
  std::string threshold;
  long long primaryHits = 0;
  long long primaryTotal = 0;
  long long controlHits = 0;
  long long controlTotal = 0;
  std::string enrichment;
  std::string log10P;
  std::string log10PAdjusted;
  std::string log10E;
};

// The line of one result, its fields as writeTable writes them.
Row rowOf(const enrichment::MotifResult& result);

// A table that does not have the layout writeTable gives. what() reads
// "SOURCE:LINE: problem".
class ReadError : public std::runtime_error {
 public:
  ReadError(const std::string& source, int line, const std::string& problem);
};

std::vector<Row> read(std::istream& in, const std::string& source);
// A file that cannot be opened is a textio::ReadError without a line.
std::vector<Row> readFile(const std::string& path);

}  // namespace enrichment_table
