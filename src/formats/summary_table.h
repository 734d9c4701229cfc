// summary.tsv of zelkova-discover, one line per reported motif: its row, how
// a row is written and the reader zelkova-aggregate reads the table back
// with. The rows are made from a discovery in discover/tables.h.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace formats {

extern const char* const kSummaryHeader;
extern const char* const kSummaryHeaderWithoutCentral;  // summary.tsv before central_log10_p and central_width

// The longest motif zelkova-discover reports (its --lengths reach no
// further); the reader takes no more mismatches than a motif has letters.
constexpr int kLongestSummaryMotif = 20;

// One line of summary.tsv, its fields as written.
struct SummaryRow {
  int rank = 0;
  std::string id;
  int length = 0;
  int mismatches = 0;
  std::string consensus;
  std::string threshold;   // four decimals, rounded down
  std::string log10E;      // three decimals
  std::string beatsDecoy;  // "yes", "no" or "NA" (no decoy)
  long long primaryHits = 0, primaryTotal = 0, controlHits = 0, controlTotal = 0;
  std::string bestMatchId, bestMatchName, bestMatchE;     // all three "NA" unless the best match is convincing
  std::string weakMatchId, weakMatchE;                    // the best match when it is not convincing, else "NA"
  std::string conditionalLog10E;                          // three decimals
  std::string lowComplexity;                              // "yes" or "no"
  std::string centralLog10P = "NA", centralWidth = "NA";  // central enrichment, NA where not tested
  int line = 0;                                           // where the reader found it; not written
};

// The fields of `row` in the order of kHeader, separated by tabs, without a
// line end.
std::string summaryLine(const SummaryRow& row);

// A whole summary.tsv, its columns found by name (tsv_table.h); the two
// central columns may be missing, as in tables of the earlier layout
// (kHeaderWithoutCentral), and then read NA. Throws ReadError naming
// the source and line of the first thing that does not fit: a missing
// column, a line without the fields of its header, a field that is not what
// the writer gives, ranks that do not run 1, 2, 3, ...
std::vector<SummaryRow> readSummaryTable(std::istream& in, const std::string& source);
// A file that cannot be opened is a ReadError of line 0.
std::vector<SummaryRow> readSummaryTableFile(const std::string& path);

}  // namespace formats
