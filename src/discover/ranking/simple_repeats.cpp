#include "discover/ranking/simple_repeats.h"

#include "discover/testing/set_apart.h"

namespace discover {

RankableGroups partSimpleRepeats(const Options& o, const std::vector<Candidate>& candidates,
                                 const std::vector<MergedMotif>& groups) {
  RankableGroups parts;
  for (const MergedMotif& group : groups) {
    if (!setApart(o, candidates[group.representative]))
      parts.rankable.push_back(group);
    else if (static_cast<int>(parts.simpleRepeats.size()) < o.top)
      parts.simpleRepeats.push_back(group);
  }
  return parts;
}

}  // namespace discover
