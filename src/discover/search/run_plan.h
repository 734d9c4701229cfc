// The search stage: the searches planned for the prepared sets
// (discover/search/plan.h) and run (discover/search/search.h), the progress
// told the share of the plan's expected work done.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "discover/search/plan.h"
#include "discover/search/prepared_sets.h"
#include "discover/search/search.h"
#include "discover/setup/options.h"
#include "discover/setup/progress.h"

namespace discover {

// The searches of every set of `sets` as the options ask.
Plan planFor(const Options& options, const PreparedSets& sets);

// Called once a search has ended, with its outcome; never two calls at once.
using SearchEnded = std::function<void(const Search& search, const SearchOutcome& outcome)>;

// The step "Discovery": runs the searches of `plan` on `sets.searched`, with
// the engine's side files in `sideFiles`; returns one outcome per search.
std::vector<SearchOutcome> runPlan(const Options& options, const Plan& plan, const PreparedSets& sets,
                                   const SideFileFolder& sideFiles, const SearchEnded& ended, StepProgress& progress);

}  // namespace discover
