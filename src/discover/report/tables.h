// The tables of zelkova-discover: summary.tsv (one line per reported motif),
// sites.tsv (every site of every reported motif in the primary sequences) and
// sites.bed (the same sites in genome coordinates). Tab-separated, with a
// header line (none in BED). summary.tsv is also read back, by
// zelkova-aggregate.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "discover/report/result.h"

namespace discover {

extern const char* const kSummaryHeader;
extern const char* const kSummaryHeaderWithoutCentral;  // summary.tsv before central_log10_p and central_width
extern const char* const kSitesHeader;

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
  std::string bestMatchId, bestMatchName, bestMatchE;  // all three "NA" unless the best match is convincing
  std::string weakMatchId, weakMatchE;                 // the best match when it is not convincing, else "NA"
  std::string conditionalLog10E;                       // three decimals
  std::string lowComplexity;                           // "yes" or "no"
  std::string centralLog10P = "NA", centralWidth = "NA";  // central enrichment (central.h), NA where not tested
  int line = 0;  // where the reader found it; not written
};

SummaryRow summaryRow(const Discovery& discovery, const ReportedMotif& motif);

// The fields of `row` in the order of kSummaryHeader, separated by tabs,
// without a line end.
std::string summaryLine(const SummaryRow& row);

// kSummaryHeader and the line of every reported motif.
std::string summaryTable(const Discovery& discovery);

// A whole summary.tsv, or one of the earlier layout without the two central
// columns (kSummaryHeaderWithoutCentral; they read NA). Throws
// textio::ReadError naming the source and line of the first thing that does
// not fit: another header, a line without the fields of its header, a field
// that is not what the writer gives, ranks that do not run 1, 2, 3, ...
std::vector<SummaryRow> readSummary(std::istream& in, const std::string& source);
// A file that cannot be opened is a ReadError of line 0.
std::vector<SummaryRow> readSummaryFile(const std::string& path);

// Columns of kSitesHeader: start and end 1-based and inclusive on the
// sequence as given (forward strand), strand "+" or "-", the score with four
// decimals, the word on its own strand; then where the site lies in the
// genome when every sequence names its region (chrom, genome_start and
// genome_end 1-based and inclusive, genome_strand), NA in these four
// otherwise; then log10_p, the site's p-value (site_pvalues.h) as log10 with
// three decimals. Motif by motif in rank order, then by sequence, position,
// "+" first; of overlapping sites of a motif only the best
// (site_overlaps.h).
std::string siteTable(const Discovery& discovery);

// BED6 lines chrom, start (0-based), end, motif id, score (1000 x the site's
// score, rounded), strand on the genome; in the order of sites.tsv. Requires
// the regions.
std::string siteBed(const Discovery& discovery);

}  // namespace discover
