// The best matches of a motif with a database of known motifs, as the rows of
// the match table: what zelkova-compare prints and what the discovery page
// names its motifs by.
#pragma once

#include <vector>

#include "formats/match_table.h"
#include "stats/motif_compare.h"

namespace stats {

// The row of one match of `query`.
formats::MatchRow matchRow(const formats::Motif& query, const Database& database, const MotifMatch& match);

// The rows of the `top` best matches of `query` whose E-value is at most
// `evalueMax`, best first.
std::vector<formats::MatchRow> bestMatchRows(const formats::Motif& query, const Database& database,
                                             const ComparisonSettings& settings, int top, double evalueMax);

}  // namespace stats
