// The enrichment results as text: the table zelkova-enrich writes (one header
// line, one tab-separated line per motif), the site list of --sites, and the
// table read back for zelkova-export. The layout is known here only; the rows
// are made from the results, and both written, in stats/enrichment_rows.h.
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
#include <string>
#include <vector>

namespace formats {

extern const char* const kEnrichmentHeader;
extern const char* const kEnrichmentSitesHeader;

// How the table prints a threshold: four decimals, rounded down, so that it is
// never above the printed scores of the sites it admits.
std::string thresholdText(double threshold);
// How it prints a log10 value: three decimals, never "-0.000".
std::string log10Text(double value);
// A sequence name with its tabs written as blanks, so that a line keeps its
// columns.
std::string withoutTabs(std::string text);

// One line of the table, its fields as written.
struct EnrichmentRow {
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

// The fields of `row` in the order of kTableHeader, separated by tabs,
// without a line end.
std::string enrichmentLine(const EnrichmentRow& row);

// A whole table, its columns found by name (tsv_table.h). Throws
// ReadError naming the source and line of the first thing that does
// not fit: a missing column, a line without the fields of its header, a count
// or number that is not one, an empty motif id.
std::vector<EnrichmentRow> readEnrichmentTable(std::istream& in, const std::string& source);
// A file that cannot be opened is a ReadError of line 0.
std::vector<EnrichmentRow> readEnrichmentTableFile(const std::string& path);

}  // namespace formats
