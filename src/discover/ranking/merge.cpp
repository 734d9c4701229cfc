#include "discover/ranking/merge.h"

#include <algorithm>
#include <limits>

#include "base/errors.h"
#include "stats/motif_compare.h"

namespace discover {

formats::Motif comparable(const Candidate& candidate, const Plan& plan) {
  formats::Motif m;
  m.id = plan.searches[candidate.search].name + "-" + std::to_string(candidate.motif.rank);
  m.name = candidate.motif.consensus;
  for (const formats::CountColumn& c : candidate.motif.counts)
    m.columns.push_back(
        {static_cast<double>(c[0]), static_cast<double>(c[1]), static_cast<double>(c[2]), static_cast<double>(c[3])});
  m.counts = true;
  m.nsites = static_cast<double>(candidate.motif.siteCount);
  return m;
}

namespace {

// e[i][j]: the E-value of the best match of candidate i with candidate j.
std::vector<std::vector<double>> pairwiseE(const std::vector<Candidate>& candidates, const Plan& plan) {
  std::vector<formats::Motif> motifs;
  for (const Candidate& c : candidates) motifs.push_back(comparable(c, plan));
  const stats::ComparisonSettings settings;
  const stats::Database database(motifs, settings.pseudocount);
  const std::size_t n = candidates.size();
  std::vector<std::vector<double>> e(n, std::vector<double>(n, std::numeric_limits<double>::infinity()));
  for (std::size_t i = 0; i < n; ++i)
    for (const stats::MotifMatch& m : stats::compareWithDatabase(motifs[i], database, settings)) e[i][m.target] = m.e;
  return e;
}

}  // namespace

std::vector<MergedMotif> mergeRedundant(const std::vector<Candidate>& candidates, const std::vector<std::size_t>& order,
                                        const Plan& plan, double maxE) {
  std::vector<MergedMotif> groups;
  if (candidates.empty()) return groups;
  ZK_CHECK(order.size() == candidates.size(), "the ranking order holds every candidate once");
  const std::vector<std::vector<double>> e = pairwiseE(candidates, plan);
  std::vector<bool> taken(candidates.size(), false);
  for (std::size_t k = 0; k < order.size(); ++k) {
    const std::size_t rep = order[k];
    if (taken[rep]) continue;
    taken[rep] = true;
    MergedMotif group;
    group.representative = rep;
    for (std::size_t l = k + 1; l < order.size(); ++l) {
      const std::size_t other = order[l];
      if (taken[other]) continue;
      const double between = std::min(e[rep][other], e[other][rep]);
      if (between >= maxE) continue;
      taken[other] = true;
      group.merged.push_back(other);
      group.mergedE.push_back(between);
    }
    groups.push_back(std::move(group));
  }
  return groups;
}

}  // namespace discover
