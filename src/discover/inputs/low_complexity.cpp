#include "discover/inputs/low_complexity.h"

#include <algorithm>

#include "formats/motif_export.h"
#include "stats/simple_repeat.h"

namespace discover {

dust::Settings dustSettings(const Options& o) {
  return {kDustWindow, o.dustLevel, *std::min_element(o.lengths.begin(), o.lengths.end())};
}

long long maskLowComplexity(const Options& o, std::vector<FastaRecord>& records) {
  return o.dust ? dust::maskLowComplexity(records, dustSettings(o), o.threads) : 0;
}

std::string maskedShareText(const Options& o, long long masked, long long letters) {
  if (!o.dust) return "";
  const double share = letters > 0 ? 100.0 * static_cast<double>(masked) / static_cast<double>(letters) : 0.0;
  return ", " + export_formats::fixedPoint(share, 1) + " % masked as low-complexity";
}

bool setApart(const Options& o, const Candidate& c) { return o.dust && simple_repeat::isSimpleRepeat(c.motif.consensus); }

double bestRankableLog10E(const Options& o, const std::vector<Candidate>& candidates) {
  double best = bestLog10E({});
  for (const Candidate& c : candidates)
    if (!setApart(o, c)) best = std::min(best, c.test.log10E);
  return best;
}

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
