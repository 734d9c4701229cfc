// The sequence sets as the searches and the tests read them: the primary set
// and its control, and the decoy sets of shuffled DNA with theirs, each split
// into the part searched and the part held out for testing, and each set's
// searched part with its Markov models.
#pragma once

#include <cstddef>
#include <vector>

#include "discover/inputs/sequences.h"
#include "discover/search/search.h"
#include "discover/setup/options.h"
#include "discover/setup/progress.h"
#include "formats/fasta.h"

namespace discover {

// A primary set with its control, each split into the part searched and the
// part tested.
struct SetPair {
  Split primary;
  Split control;
};

// The sizes of one sequence set and its control, as searched and as tested.
struct SetSizes {
  std::size_t primarySearched = 0, primaryTested = 0;
  std::size_t controlSearched = 0, controlTested = 0;
};
SetSizes sizesOf(const SetPair& pair);

struct PreparedSets {
  SetPair primary;
  bool decoyRun = false;
  std::vector<SetPair> decoys;        // when decoyRun
  std::vector<SearchSet> searched;    // each set as its searches read it, the primary set first
  std::vector<int> backgroundOrders;  // of the searched sets, in their order: kept once they are let go
};

// The step "Models": the holdouts of `primary` (masked and trimmed as read)
// and its `control`, the decoy sets drawn from the control as --decoy asks,
// and every set's models.
PreparedSets prepareSets(const Options& options, const std::vector<FastaRecord>& primary,
                         const std::vector<FastaRecord>& control, StepProgress& progress);

}  // namespace discover
