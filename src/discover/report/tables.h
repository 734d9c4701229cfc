// The tables of zelkova-discover: summary.tsv (one line per reported motif),
// sites.tsv (every site of every reported motif in the primary sequences) and
// sites.bed (the same sites in genome coordinates). Tab-separated, with a
// header line (none in BED). The layout of summary.tsv, and its reader, are
// formats/summary_table.h's.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "discover/report/result.h"
#include "formats/summary_table.h"

namespace discover {

extern const char* const kSitesHeader;

formats::SummaryRow summaryRow(const Discovery& discovery, const ReportedMotif& motif);

// formats::kSummaryHeader and the line of every reported motif.
std::string summaryTable(const Discovery& discovery);

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
