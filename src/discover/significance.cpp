#include "discover/significance.h"

#include <algorithm>

namespace discover {

std::vector<Candidate> testSearchMotifs(const Plan& plan, const std::vector<SearchOutcome>& outcomes, int set,
                                        const std::vector<FastaRecord>& primary,
                                        const std::vector<FastaRecord>& control, int threads) {
  std::vector<Candidate> candidates;
  std::vector<enrichment::MotifMatrix> matrices;
  for (std::size_t s = 0; s < plan.searches.size(); ++s) {
    if (plan.searches[s].set != set) continue;
    for (const report::Motif& m : outcomes[s].report.motifs) {
      Candidate c;
      c.search = s;
      c.motif = m;
      candidates.push_back(std::move(c));
      matrices.push_back({m.rank, plan.searches[s].name + "-" + std::to_string(m.rank), m.consensus,
                          enrichment::frequenciesOf(m.counts)});
    }
  }
  if (candidates.empty()) return candidates;
  enrichment::Options options;
  options.threads = threads;
  std::vector<enrichment::MotifResult> tests = enrichment::testMotifs(matrices, primary, control, options);
  for (std::size_t i = 0; i < candidates.size(); ++i) candidates[i].test = std::move(tests[i]);
  return candidates;
}

double bestLog10E(const std::vector<Candidate>& candidates) {
  double best = std::numeric_limits<double>::infinity();
  for (const Candidate& c : candidates) best = std::min(best, c.test.log10E);
  return best;
}

bool ranksBefore(const Candidate& a, const Candidate& b) {
  if (a.test.log10E != b.test.log10E) return a.test.log10E < b.test.log10E;
  if (a.motif.mapScore != b.motif.mapScore) return a.motif.mapScore > b.motif.mapScore;
  if (a.search != b.search) return a.search < b.search;
  return a.motif.rank < b.motif.rank;
}

}  // namespace discover
