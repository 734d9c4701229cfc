#include "stats/known_enrichment.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace stats {

std::vector<double> log10BenjaminiHochberg(const std::vector<double>& log10P) {
  std::vector<std::size_t> order(log10P.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return log10P[a] < log10P[b]; });
  const double n = static_cast<double>(log10P.size());
  std::vector<double> q(log10P.size());
  double smallest = 0.0;  // log10 of 1
  for (std::size_t rank = log10P.size(); rank-- > 0;) {
    const std::size_t i = order[rank];
    smallest = std::min(smallest, log10P[i] + std::log10(n / static_cast<double>(rank + 1)));
    q[i] = smallest;
  }
  return q;
}

std::vector<KnownResult> testDatabase(const std::vector<formats::Motif>& database,
                                      const std::vector<FastaRecord>& primary, const std::vector<FastaRecord>& control,
                                      const stats::EnrichmentOptions& options) {
  std::vector<stats::MotifResult> tests = stats::testMotifs(stats::motifsOf(database), primary, control, options);
  std::vector<double> log10P;
  for (const stats::MotifResult& t : tests) log10P.push_back(t.log10PAdjusted);
  const std::vector<double> log10Q = log10BenjaminiHochberg(log10P);
  std::vector<KnownResult> results;
  for (std::size_t i = 0; i < tests.size(); ++i) {
    KnownResult r;
    r.index = i;
    r.name = database[i].name;
    r.test = std::move(tests[i]);
    r.log10Q = log10Q[i];
    results.push_back(std::move(r));
  }
  std::stable_sort(results.begin(), results.end(), [](const KnownResult& a, const KnownResult& b) {
    return a.test.log10PAdjusted < b.test.log10PAdjusted;
  });
  for (std::size_t i = 0; i < results.size(); ++i) results[i].rank = static_cast<int>(i) + 1;
  return results;
}

std::size_t enrichedCount(const std::vector<KnownResult>& results) {
  return static_cast<std::size_t>(std::count_if(
      results.begin(), results.end(), [](const KnownResult& r) { return r.log10Q < std::log10(kEnrichedQ); }));
}

}  // namespace stats
