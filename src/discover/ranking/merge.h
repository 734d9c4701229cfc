// Redundancy: the searches of different lengths and allowances find the same
// motif several times, and one search may report a motif again on the other
// strand or shifted by a few letters. Motifs that match each other (the
// comparison of zelkova-compare, with the motifs themselves as the database)
// are merged into the one ranked first (discover/ranking/core_ranking.h).
#pragma once

#include <cstddef>
#include <vector>

#include "discover/testing/significance.h"
#include "formats/motif.h"

namespace discover {

struct MergedMotif {
  std::size_t representative = 0;   // the candidate that stands for the group
  std::vector<std::size_t> merged;  // the others, in ranking order
  std::vector<double> mergedE;      // the comparison E-value of each with the representative
};

// A candidate as a motif to compare, named after its search and rank.
formats::Motif comparable(const Candidate& candidate, const Plan& plan);

// Groups in ranking order (`order`, every candidate once): each candidate not
// yet taken becomes a representative and takes every later candidate not yet
// taken whose comparison E-value with it (the smaller of both directions) is
// below `maxE`.
std::vector<MergedMotif> mergeRedundant(const std::vector<Candidate>& candidates, const std::vector<std::size_t>& order,
                                        const Plan& plan, double maxE);

}  // namespace discover
