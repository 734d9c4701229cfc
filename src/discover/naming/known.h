// Known-motif enrichment within a discovery: every motif of the database is
// tested on all primary sequences against the control with the statistic of
// the discovered motifs (known motifs were not fitted to these sequences, so
// none need be held out), and each enriched one whose sites lie mostly inside
// the sites of a reported motif is marked as re-finding it. Its outputs:
// known.tsv, the page's section and the lines of the log.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "discover/setup/progress.h"
#include "discover/report/result.h"
#include "formats/fasta.h"

namespace discover {

// A known motif re-finds a reported motif when more than this share of its
// sites in the primary sequences overlap sites of that motif.
constexpr double kSharedSitesShare = 0.5;

// The step "Known motifs": tests d.knownMotifs on d.primary against `control`
// (d.known), then marks the enriched ones that re-find a reported motif.
void testKnownMotifs(Discovery& d, const std::vector<FastaRecord>& control, StepProgress& progress);

// The reported motif whose sites hold more than kSharedSitesShare of
// `sites` (of a motif `width` letters wide), the one holding most; empty when
// none does. Sites overlap when they share a letter of a sequence.
std::string motifSharingSites(const Discovery& d, const std::vector<enrichment::Site>& sites, int width);

// known.tsv.
std::string knownTable(const Discovery& d);

// The known motifs in log.txt: how many were tested and are enriched, and the
// best of them, one line each.
void writeKnownLog(std::ostream& out, const Discovery& d);

// The page's section of known motifs, and its style rules.
void writeKnownSection(std::ostream& out, const Discovery& d);
const char* knownSectionStyle();

}  // namespace discover
