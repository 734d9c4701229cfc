// The known-motif enrichment as a table: known.tsv of zelkova-discover and
// the table of zelkova-enrich --db, one header line and one tab-separated line
// per database motif, best first; read back for the pages. The layout is
// known here only; the rows are made from the results in stats/known_rows.h.
//
// Columns: rank id name consensus threshold primary_hits primary_total
// control_hits control_total log10_p log10_E q same_sites_as
//   name           the database's name; empty when it gives none
//   threshold      four decimals, rounded down (as zelkova-enrich writes it)
//   log10_p        log10 of the p-value corrected for the threshold choice,
//                  three decimals; log10_E the same times the number of motifs
//   q              Benjamini-Hochberg q-value, "3.2e-05" (never 0)
//   same_sites_as  the discovered motif whose sites this one mostly shares,
//                  or NA
// known.tsv of zelkova-discover adds two columns at the end, central_log10_p
// (three decimals) and central_width (a count): the central enrichment of the
// motif's best sites, NA in both where it was not tested.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace formats {

extern const char* const kKnownHeader;
extern const char* const kCentralHeader;  // kHeader and the two central columns

// The central columns of one line, as written.
struct CentralColumns {
  std::string log10P = "NA", width = "NA";
};

// One line, its fields as written.
struct KnownRow {
  int rank = 0;
  std::string id, name, consensus, threshold;
  long long primaryHits = 0, primaryTotal = 0, controlHits = 0, controlTotal = 0;
  std::string log10P, log10E, q, sameSitesAs;
  std::optional<CentralColumns> central;  // in a table of kCentralHeader
  int line = 0;                           // where the reader found it; not written
};

// The line of `row` without its line end: kHeader's columns, and the
// central ones when the row has them.
std::string knownLine(const KnownRow& row);

// Whether `firstLine` is a header of this table, with or without the central
// columns (rather than another table's).
bool isKnownHeader(const std::string& firstLine);

// A whole table, its columns found by name (tsv_table.h); the central
// columns may be missing. Throws ReadError naming the source and line
// of the first thing that does not fit: a missing column, a line without the
// fields of its header, a count or number that is not one, ranks that do not
// run 1, 2, ...
std::vector<KnownRow> readKnownTable(std::istream& in, const std::string& source);
// A file that cannot be opened is a ReadError of line 0.
std::vector<KnownRow> readKnownTableFile(const std::string& path);

}  // namespace formats
