// The groups of redundant motifs parted, before the ranking, into those that
// may take a rank and the simple repeats set apart (discover/testing/set_apart.h).
#pragma once

#include <vector>

#include "discover/ranking/merge.h"
#include "discover/setup/options.h"
#include "discover/testing/significance.h"

namespace discover {

// The groups in their order, parted into those that may take a rank and the
// simple repeats set apart (at most `--top` of these).
struct RankableGroups {
  std::vector<MergedMotif> rankable;
  std::vector<MergedMotif> simpleRepeats;
};
RankableGroups partSimpleRepeats(const Options& options, const std::vector<Candidate>& candidates,
                                 const std::vector<MergedMotif>& groups);

}  // namespace discover
