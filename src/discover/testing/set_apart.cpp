#include "discover/testing/set_apart.h"

#include <algorithm>

#include "stats/simple_repeat.h"

namespace discover {

bool setApart(const Options& o, const Candidate& c) { return o.dust && stats::isSimpleRepeat(c.motif.consensus); }

double bestRankableLog10E(const Options& o, const std::vector<Candidate>& candidates) {
  double best = bestLog10E({});
  for (const Candidate& c : candidates)
    if (!setApart(o, c)) best = std::min(best, c.test.log10E);
  return best;
}

}  // namespace discover
