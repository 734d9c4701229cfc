// The ranking stage: the tested motifs of the primary set merged where they
// are one motif found twice (discover/ranking/merge.h), in the ranking order
// that prefers the informative core (discover/ranking/core_ranking.h), the
// simple repeats set apart (discover/ranking/simple_repeats.h), and one rank
// for each motif the better ones do not explain (discover/ranking/conditional.h).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "discover/ranking/conditional.h"
#include "discover/ranking/merge.h"
#include "discover/search/plan.h"
#include "discover/search/prepared_sets.h"
#include "discover/setup/options.h"
#include "discover/setup/progress.h"
#include "discover/testing/tested_motifs.h"
#include "formats/report_data.h"

namespace discover {

struct RankedMotif {
  int rank = 0;
  std::string id;                          // PREFIX-<rank> (--prefix, by default ZELKOVA)
  MergedMotif group;                       // its candidate and the ones merged into it
  std::optional<bool> beatsDecoy;          // unset without a decoy
  ConditionalTest conditional;             // with the sites of the better motifs masked
  std::vector<DependentMotif> dependents;  // motifs it explains, listed under it without a rank
  bool lowComplexity = false;              // its consensus is a simple repeat
};

struct Ranking {
  std::vector<RankedMotif> motifs;         // best first, at most options.top
  std::vector<MergedMotif> simpleRepeats;  // set apart without a rank (masking on), best first
};

// The steps "Redundancy" and "Ranking": the candidates of `tested` merged and
// ranked, each tested again on the held-out sets of `primary` with the sites
// of the better ones masked.
Ranking rankMotifs(const Options& options, const Plan& plan, const TestedMotifs& tested, const SetPair& primary,
                   bool decoyRun, StepProgress& progress);

// The ranked motifs as a report of `sequences` sequences of `letters`
// letters, each with its rank and id, so that the exports name them as the
// page does.
formats::Report rankedReport(const std::vector<RankedMotif>& motifs, const std::vector<Candidate>& candidates,
                             std::size_t sequences, long long letters);

}  // namespace discover
