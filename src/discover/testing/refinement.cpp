#include "discover/testing/refinement.h"

#include <algorithm>
#include <numeric>

#include "base/parallel.h"

namespace discover {

std::vector<std::optional<formats::ReportMotif>> refineBest(const std::vector<Candidate>& candidates, std::size_t count,
                                                            const EmSample& sample, std::size_t searchedSequences,
                                                            bool bothStrands, int threads) {
  std::vector<std::size_t> order(candidates.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return ranksBefore(candidates[a], candidates[b]); });
  order.resize(std::min(count, order.size()));
  std::vector<std::optional<formats::ReportMotif>> refined(candidates.size());
  parallelFor(threads, order.size(), [&](std::size_t k) {
    refined[order[k]] = refinedMotif(candidates[order[k]].motif, sample, searchedSequences, bothStrands);
  });
  return refined;
}

}  // namespace discover
