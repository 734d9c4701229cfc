// One line per place in the site tables: of the sites of one motif whose
// windows overlap (share a letter of a sequence, whichever their strands),
// only the best is listed, so that a palindrome is not listed on both
// strands nor a motif at every shift by one.
//
// The rule: the sites of a sequence are taken best first, by the lowest
// p-value, and of equal p-values in table order (by position, the forward
// strand first); each is kept unless it overlaps a site kept already. No two
// sites kept overlap, and every site left out overlaps a better one that is
// kept.
#pragma once

#include <vector>

#include "stats/enrichment.h"

namespace discover {

// The sites of one motif `width` letters wide and the log10 p-value of each,
// in table order (by sequence, position, forward strand first), cut to the
// best of every overlapping group by the rule above; what is kept stays in
// table order.
void keepBestOfOverlapping(std::vector<stats::EnrichmentSite>& sites, std::vector<double>& log10P, int width);

}  // namespace discover
