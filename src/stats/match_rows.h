// The best matches of a motif with a database of known motifs, as the rows of
// the match table: what zelkova-compare prints and what the discovery page
// names its motifs by.
#pragma once

#include <vector>

#include "formats/match_table.h"
#include "stats/motif_compare.h"

namespace compare {

// The row of one match of `query`.
match_table::Row matchRow(const motif::Motif& query, const Database& database, const Match& match);

// The rows of the `top` best matches of `query` whose E-value is at most
// `evalueMax`, best first.
std::vector<match_table::Row> bestMatchRows(const motif::Motif& query, const Database& database,
                                            const Settings& settings, int top, double evalueMax);

}  // namespace compare
