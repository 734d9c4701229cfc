#include "discover/testing/significance.h"

#include <algorithm>
#include <cmath>

#include "base/errors.h"

namespace discover {

namespace {

stats::MotifMatrix matrixOf(const formats::ReportMotif& m, const std::string& name) {
  return {m.rank, name + "-" + std::to_string(m.rank), m.consensus, stats::frequenciesOf(m.counts)};
}

stats::EnrichmentOptions options(const TestSettings& settings) {
  stats::EnrichmentOptions o;
  o.threads = settings.threads;
  o.bothStrands = settings.bothStrands;
  return o;
}

}  // namespace

std::vector<Candidate> testSearchMotifs(const Plan& plan, const std::vector<SearchOutcome>& outcomes, int set,
                                        const std::vector<FastaRecord>& primary,
                                        const std::vector<FastaRecord>& control, const TestSettings& settings) {
  std::vector<Candidate> candidates;
  std::vector<stats::MotifMatrix> matrices;
  for (std::size_t s = 0; s < plan.searches.size(); ++s) {
    if (plan.searches[s].set != set) continue;
    for (const formats::ReportMotif& m : outcomes[s].report.motifs) {
      Candidate c;
      c.search = s;
      c.motif = m;
      candidates.push_back(std::move(c));
      matrices.push_back(matrixOf(m, plan.searches[s].name));
    }
  }
  if (candidates.empty()) return candidates;
  std::vector<stats::MotifResult> tests = stats::testMotifs(matrices, primary, control, options(settings));
  for (std::size_t i = 0; i < candidates.size(); ++i) candidates[i].test = std::move(tests[i]);
  return candidates;
}

std::size_t keepRefined(std::vector<Candidate>& candidates,
                        const std::vector<std::optional<formats::ReportMotif>>& refined, const Plan& plan,
                        const std::vector<FastaRecord>& primary, const std::vector<FastaRecord>& control,
                        const TestSettings& settings) {
  ZK_CHECK(refined.size() == candidates.size(), "one refined matrix or none per candidate");
  std::vector<std::size_t> which;
  std::vector<stats::MotifMatrix> matrices;
  for (std::size_t i = 0; i < candidates.size(); ++i)
    if (refined[i]) {
      which.push_back(i);
      matrices.push_back(matrixOf(*refined[i], plan.searches[candidates[i].search].name + "-refined"));
    }
  std::vector<stats::MotifResult> tests;
  if (!matrices.empty()) tests = stats::testMotifs(matrices, primary, control, options(settings));
  for (std::size_t k = 0; k < which.size(); ++k) {
    Candidate& c = candidates[which[k]];
    if (!(tests[k].log10PAdjusted < c.test.log10PAdjusted)) continue;
    c.engine = EngineMatrix{c.motif, c.test};
    c.motif = *refined[which[k]];
    c.test = std::move(tests[k]);
  }
  const std::size_t tested = candidates.size() + which.size();
  const double log10Tested = std::log10(static_cast<double>(tested));
  for (Candidate& c : candidates) {
    c.test.log10E = c.test.log10PAdjusted + log10Tested;
    if (c.engine) c.engine->test.log10E = c.engine->test.log10PAdjusted + log10Tested;
  }
  return tested;
}

bool refinementChangedMuch(const Candidate& c) {
  if (!c.engine) return false;
  return c.motif.width() != c.engine->motif.width() || c.motif.consensus != c.engine->motif.consensus ||
         c.test.log10E <= c.engine->test.log10E - 1.0;
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
