// The simple-repeat motifs set apart from the ranking: with masking on,
// low-complexity DNA never takes a rank by being low-complexity
// (docs/zelkova-discover.md, "Low-complexity DNA").
#pragma once

#include <vector>

#include "discover/setup/options.h"
#include "discover/testing/significance.h"

namespace discover {

// Whether a candidate is set apart as a simple repeat. DUST leaves short
// tandem repeats and the three-letter rhythm of coding DNA, which shuffled
// controls lack, so against them such motifs look significant.
bool setApart(const Options& options, const Candidate& candidate);

// The best E-value of the candidates that are not set apart; +infinity when
// there are none.
double bestRankableLog10E(const Options& options, const std::vector<Candidate>& candidates);

}  // namespace discover
