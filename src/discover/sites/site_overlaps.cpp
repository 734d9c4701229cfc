#include "discover/sites/site_overlaps.h"

#include <algorithm>
#include <numeric>

#include "base/errors.h"

namespace discover {

namespace {

// Which of the sites [first, last) of one sequence are kept. `covered` is
// scratch room, the letters of the sequence kept sites cover.
void markKept(const std::vector<stats::EnrichmentSite>& sites, const std::vector<double>& log10P, std::size_t first,
              std::size_t last, int width, std::vector<bool>& keep, std::vector<bool>& covered) {
  std::vector<std::size_t> order(last - first);
  std::iota(order.begin(), order.end(), first);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return log10P[a] < log10P[b]; });
  const long long origin = sites[first].position;  // the smallest: the sites are by position
  covered.assign(static_cast<std::size_t>(sites[last - 1].position - origin + width), false);
  for (std::size_t i : order) {
    const auto from = covered.begin() + (sites[i].position - origin);
    if (std::find(from, from + width, true) != from + width) continue;
    std::fill(from, from + width, true);
    keep[i] = true;
  }
}

}  // namespace

void keepBestOfOverlapping(std::vector<stats::EnrichmentSite>& sites, std::vector<double>& log10P, int width) {
  ZK_ASSERT(sites.size() == log10P.size() && width >= 1);
  std::vector<bool> keep(sites.size(), false), covered;
  for (std::size_t first = 0, last = 0; first < sites.size(); first = last) {
    ZK_ASSERT(first == 0 || sites[first].sequence > sites[first - 1].sequence);
    last = first + 1;
    for (; last < sites.size() && sites[last].sequence == sites[first].sequence; ++last)
      ZK_ASSERT(sites[last].position >= sites[last - 1].position);
    markKept(sites, log10P, first, last, width, keep, covered);
  }
  std::size_t kept = 0;
  for (std::size_t i = 0; i < sites.size(); ++i)
    if (keep[i]) {
      if (kept != i) {
        sites[kept] = std::move(sites[i]);
        log10P[kept] = log10P[i];
      }
      ++kept;
    }
  sites.resize(kept);
  log10P.resize(kept);
}

}  // namespace discover
