// The naming stage: each reported motif compared with the known motifs of
// the database (the comparison of zelkova-compare), the best matches first.
#pragma once

#include <vector>

#include "discover/setup/progress.h"
#include "formats/match_table.h"
#include "formats/motif.h"

namespace discover {

// For each reported motif, the known motifs it resembles, best first.
using Names = std::vector<std::vector<formats::MatchRow>>;

// The step "Names": for each of `motifs` (as motifs.meme holds them), the
// known motifs of `database` it resembles, at most kKnownMatchesShown of
// E-value at most kKnownMatchMaxE, best first.
Names nameMotifs(const std::vector<formats::Motif>& motifs, const std::vector<formats::Motif>& database,
                 StepProgress& progress);

}  // namespace discover
