// index.html of zelkova-discover: one self-contained page (no network) with
// the run summary, the verdict against the decoy, a table of the reported
// motifs (logo, E-value, sites in primary and control sequences, consensus,
// best known match with its logo aligned), a section per motif (both strands'
// logos, enrichment, the motifs merged into it, known matches, count matrix,
// sortable site table) and the list of searches with links to their reports
// and pages under runs/.
#pragma once

#include <string>

#include "discover/report/result.h"

namespace discover {

std::string indexPage(const Discovery& discovery);

// The sentence the page opens with: what the E-values are worth (held-out or
// in-sample) and, with a decoy, whether the best motif beats the decoy sets
// (shuffled DNA, or DNA drawn from the control).
std::string verdict(const Discovery& discovery);

}  // namespace discover
