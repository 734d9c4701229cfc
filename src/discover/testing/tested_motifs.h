// The testing stage: every motif of the primary set's searches tested on the
// held-out sets (discover/testing/significance.h), the best of them refined
// and tested again (discover/testing/refinement.h); and, when a decoy runs,
// the best E-value its motifs reach, tested the same way.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "discover/search/plan.h"
#include "discover/search/prepared_sets.h"
#include "discover/search/search.h"
#include "discover/setup/options.h"
#include "discover/setup/progress.h"
#include "discover/testing/significance.h"

namespace discover {

struct TestedMotifs {
  std::vector<Candidate> candidates;  // every motif of the primary searches, tested
  std::size_t motifsTested = 0;       // matrices tested for the primary set: the E-values' multiplier
  double decoyBestLog10E = 0;         // the best E any decoy motif reached, when the decoy runs
};

// How the options test motifs.
TestSettings testSettings(const Options& options);

// The steps "Significance", "Refinement" and, when sets.decoyRun,
// "Decoy": the outcomes of the plan's searches tested on the held-out part of
// their set. `searched` (each set as searched, sets.searched) is let go once
// the refinement has read it.
TestedMotifs testMotifs(const Options& options, const Plan& plan, const std::vector<SearchOutcome>& outcomes,
                        const PreparedSets& sets, std::vector<SearchSet> searched, StepProgress& progress);

// The decoy's best E-value as the page and the log give it, "3.0e-03", or
// "none" when the searches of shuffled DNA found no motif.
std::string decoyBestText(double decoyBestLog10E);

// Whether a motif of E-value 10^log10E beats the decoy: its E-value below
// the decoy's best divided by kDecoyMargin.
bool beatsDecoyBest(double decoyBestLog10E, double log10E);

}  // namespace discover
