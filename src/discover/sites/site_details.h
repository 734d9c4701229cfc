// What a discovery adds to the sites of its motifs: the p-value of every site
// (site_pvalues.h), one site per group of overlapping ones in the tables
// (site_overlaps.h), and where the best sites lie in the sequences
// (central.h); for the reported motifs once they are ranked, and for each
// enriched known motif as the step of known motifs finds its sites.
#pragma once

#include <cstddef>
#include <vector>

#include "discover/report/result.h"

namespace discover {

// Sets d.central.setting, and for every reported motif the p-values of its
// sites, the best of overlapping ones and its central result (in
// d.central.reported). Requires the ranked motifs with their sites.
void describeReportedSites(Discovery& d);

// The central result of the known motif d.known[k] from its `sites` in the
// primary sequences (in table order), into d.central.known[k]; that holds one
// entry per known motif tested.
void describeKnownSites(Discovery& d, std::size_t k, const std::vector<enrichment::Site>& sites);

}  // namespace discover
