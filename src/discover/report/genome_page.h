// The parts of index.html that a discovery on peaks and a genome adds: rows
// of the run summary (the genome and its index, the peak windows), the
// section on the control cut from the genome (the GC histograms of the peak
// windows and of the background side by side, the windows drawn per GC bin,
// the bins it could not fill), and genome positions as UCSC-style
// "chrom:start-end" links in the site tables. Nothing is fetched: a link is
// followed only when the reader clicks it.
#pragma once

#include <iosfwd>
#include <string>

#include "discover/report/result.h"

namespace discover {

extern const char* const kGenomePageStyle;

// Rows of the run summary table; none without --peaks.
void writeGenomeRows(std::ostream& out, const Discovery& discovery);

// The section "Control from the genome" (id "background"); nothing unless
// the control was cut from the genome.
void writeGenomeControlSection(std::ostream& out, const Discovery& discovery);

// `at` (BED coordinates) as the text a genome browser takes,
// "chr1:1001-1014" (1-based, inclusive), linked to that position in the UCSC
// Genome Browser.
std::string genomePositionLink(const stats::Interval& at);

}  // namespace discover
