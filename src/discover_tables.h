// The tables of zelkova-discover: summary.tsv (one line per reported motif),
// sites.tsv (every site of every reported motif in the primary sequences) and
// sites.bed (the same sites in genome coordinates). Tab-separated, with a
// header line (none in BED).
#pragma once

#include <string>

#include "discover_result.h"

namespace discover {

extern const char* const kSummaryHeader;
extern const char* const kSitesHeader;

// Columns of kSummaryHeader; beats_decoy is "yes", "no" or "NA" (no decoy),
// the best match's columns "NA" when no known motif matched.
std::string summaryTable(const Discovery& discovery);

// Columns of kSitesHeader: start and end 1-based and inclusive on the
// sequence as given (forward strand), strand "+" or "-", the score with four
// decimals, the word on its own strand. Motif by motif in rank order, then by
// sequence, position, "+" first.
std::string siteTable(const Discovery& discovery);

// BED6 lines chrom, start (0-based), end, motif id, score (1000 x the site's
// score, rounded), strand; in the order of sites.tsv. Requires the regions.
std::string siteBed(const Discovery& discovery);

}  // namespace discover
