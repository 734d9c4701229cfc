#include "discover/ranking/core_ranking.h"

#include <algorithm>
#include <numeric>

#include "base/parallel.h"
#include "discover/inputs/sequences.h"
#include "stats/window_scorer.h"

namespace discover {

double significancePerSite(const stats::MotifResult& test) {
  const long long hits = test.choice.table.primaryHits;
  return hits > 0 ? -test.log10PAdjusted / static_cast<double>(hits) : 0.0;
}

namespace {

BestSites bestSitesOn(const Candidate& c, const stats::CodedSequences& coded, bool bothStrands) {
  const stats::WindowScorer scorer(c.test.motif.frequencies);
  BestSites sites;
  sites.width = scorer.width();
  sites.start.assign(coded.size(), -1);
  for (std::size_t s = 0; s < coded.size(); ++s) {
    double best = -1;
    scorer.forEachAtLeast(coded, s, bothStrands, c.test.choice.threshold, [&](std::size_t start, bool, double score) {
      if (score > best) best = score, sites.start[s] = static_cast<long long>(start);
    });
    if (sites.start[s] >= 0) ++sites.count;
  }
  return sites;
}

}  // namespace

BestSites bestSites(const Candidate& candidate, const std::vector<FastaRecord>& sequences, bool bothStrands) {
  return bestSitesOn(candidate, stats::CodedSequences(sequences), bothStrands);
}

bool shareSites(const BestSites& a, const BestSites& b) {
  constexpr std::size_t kLeastShared = 2;
  const long long needed = (std::min(a.width, b.width) + 1) / 2;
  std::size_t shared = 0;
  for (std::size_t s = 0; s < a.start.size() && s < b.start.size(); ++s) {
    if (a.start[s] < 0 || b.start[s] < 0) continue;
    const long long overlap = std::min(a.start[s] + a.width, b.start[s] + b.width) - std::max(a.start[s], b.start[s]);
    if (overlap >= needed) ++shared;
  }
  return shared >= kLeastShared && 2 * shared >= a.count && 2 * shared >= b.count;
}

bool takesPlaceOf(const Candidate& later, const BestSites& laterSites, const Candidate& earlier,
                  const BestSites& earlierSites) {
  const double margin = later.motif.width() > earlier.motif.width() ? kLongerMargin : 1.0;
  return significancePerSite(later.test) > margin * significancePerSite(earlier.test) &&
         shareSites(laterSites, earlierSites);
}

std::vector<std::size_t> rankingOrder(const std::vector<Candidate>& candidates, const std::vector<FastaRecord>& primary,
                                      bool bothStrands, int threads) {
  std::vector<std::size_t> order(candidates.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return ranksBefore(candidates[a], candidates[b]); });
  const stats::CodedSequences coded(thinnedToLetters(primary, kSharingLetters));
  std::vector<BestSites> sites(candidates.size());
  parallelFor(threads, candidates.size(),
              [&](std::size_t i) { sites[i] = bestSitesOn(candidates[i], coded, bothStrands); });
  for (std::size_t k = 0; k < order.size(); ++k) {
    const std::size_t here = order[k];
    std::size_t taker = k;
    for (std::size_t l = k + 1; l < order.size(); ++l) {
      const std::size_t other = order[l];
      if (!takesPlaceOf(candidates[other], sites[other], candidates[here], sites[here])) continue;
      if (taker == k ||
          significancePerSite(candidates[other].test) > significancePerSite(candidates[order[taker]].test))
        taker = l;
    }
    std::rotate(order.begin() + static_cast<std::ptrdiff_t>(k), order.begin() + static_cast<std::ptrdiff_t>(taker),
                order.begin() + static_cast<std::ptrdiff_t>(taker) + 1);
  }
  return order;
}

}  // namespace discover
