#include "stats/score_qvalues.h"

#include <algorithm>
#include <numeric>

#include "base/errors.h"

namespace stats {

std::vector<double> groupedBenjaminiHochberg(const std::vector<double>& p, const std::vector<long long>& counts,
                                             long long tests) {
  ZK_ASSERT(p.size() == counts.size());
  std::vector<std::size_t> order(p.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return p[a] < p[b]; });
  // Tests of p-value at most that of each group in order; groups of one
  // p-value all count every test of that p-value.
  std::vector<long long> atMost(order.size());
  long long sum = 0;
  for (std::size_t k = 0; k < order.size(); ++k) atMost[k] = sum += counts[order[k]];
  ZK_ASSERT(sum <= tests);
  for (std::size_t k = order.size(); k-- > 1;)
    if (p[order[k - 1]] == p[order[k]]) atMost[k - 1] = atMost[k];
  std::vector<double> q(p.size(), 1.0);
  double least = 1.0;
  for (std::size_t k = order.size(); k-- > 0;) {
    const std::size_t g = order[k];
    if (atMost[k] > 0) least = std::min(least, p[g] * static_cast<double>(tests) / static_cast<double>(atMost[k]));
    q[g] = least;
  }
  return q;
}

}  // namespace stats
