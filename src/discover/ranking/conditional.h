// One motif, one rank. A motif found again shifted by a few letters, or as a
// degenerate version of another, shares that motif's sites and passes every
// test on its own. So, going down the ranking, each motif is tested again
// with the sites of every better motif already reported masked (in the
// primary and the control sequences): a motif whose E-value was below
// kSignificantE and no longer is, or that keeps fewer than half of its primary
// sequences with a site, is explained by the better ones. It is listed under
// the reported motif whose sites cover most of its own, and takes no rank.
#pragma once

#include <cstddef>
#include <vector>

#include "discover/ranking/merge.h"
#include "discover/testing/significance.h"
#include "formats/fasta.h"

namespace discover {

constexpr double kSignificantE = 0.05;

// A motif's test at its own threshold once the better motifs' sites are
// masked. With nothing masked it is its first test: the same E-value.
struct ConditionalTest {
  double log10E = 0.0;            // corrected for its choice of threshold, times the motifs tested
  long long primaryHits = 0;      // primary sequences reaching its threshold before masking
  long long primaryHitsLeft = 0;  // ... and after
};

struct DependentMotif {
  MergedMotif group;
  ConditionalTest test;
};

struct IndependentMotif {
  MergedMotif group;
  ConditionalTest test;
  std::vector<DependentMotif> dependents;  // the motifs it explains, in ranking order
};

// Whether a motif whose first test is `first` is explained by the motifs
// masked for `conditional`.
bool explainedByBetterMotifs(const stats::MotifResult& first, const ConditionalTest& conditional);

// Goes down `groups` (in ranking order) until `top` motifs are independent;
// each group's representative is tested on `primary` against `control` (the
// sets the motifs were tested on) with the sites of the independent motifs
// before it masked. `motifsTested` is the E-value's multiplier, as in the
// first tests; sites on both strands or the given one, as they were tested.
std::vector<IndependentMotif> rankConditionally(const std::vector<Candidate>& candidates,
                                                const std::vector<MergedMotif>& groups,
                                                const std::vector<FastaRecord>& primary,
                                                const std::vector<FastaRecord>& control, int top,
                                                std::size_t motifsTested, const TestSettings& settings);

}  // namespace discover
