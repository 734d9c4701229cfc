#include "stats/enrichment_stats.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>

#include "base/errors.h"

namespace stats {

namespace {

constexpr double kLn10 = 2.302585092994045684;

// ln n!; lgamma_r rather than lgamma, which writes a global sign and so races
// when several motifs are tested at once.
double logFactorial(long long n) {
  int sign = 0;
  return ::lgamma_r(static_cast<double>(n) + 1.0, &sign);
}

double logChoose(long long n, long long k) { return logFactorial(n) - logFactorial(k) - logFactorial(n - k); }

// The hypergeometric distribution of the primary hits: `draws` primary
// sequences taken from `population` pooled ones of which `successes` score.
struct Hypergeometric {
  long long population;
  long long successes;
  long long draws;

  long long lowest() const { return std::max(0LL, draws - (population - successes)); }
  long long highest() const { return std::min(successes, draws); }
  double logTerm(long long x) const {
    return logChoose(successes, x) + logChoose(population - successes, draws - x) - logChoose(population, draws);
  }
  // term(x + 1) / term(x)
  double ratioUp(long long x) const {
    return static_cast<double>(successes - x) * static_cast<double>(draws - x) /
           (static_cast<double>(x + 1) * static_cast<double>(population - successes - draws + x + 1));
  }
  long long mode() const {
    return static_cast<long long>(std::floor(static_cast<double>(draws + 1) * static_cast<double>(successes + 1) /
                                             static_cast<double>(population + 2)));
  }
};

// Sum of the terms from x = first on, in `step` direction, relative to the
// first term: the terms fall away from the mode, so the sum stops once they
// no longer change it.
double relativeTailSum(const Hypergeometric& h, long long first, long long last, int step) {
  double sum = 1.0;
  double term = 1.0;
  for (long long x = first; x != last; x += step) {
    term *= step > 0 ? h.ratioUp(x) : 1.0 / h.ratioUp(x - 1);
    sum += term;
    if (term < sum * 1e-18) break;
  }
  return sum;
}

}  // namespace

double log10FisherEnrichment(const HitTable& t) {
  ZK_ASSERT(t.primaryHits >= 0 && t.primaryHits <= t.primaryTotal);
  ZK_ASSERT(t.controlHits >= 0 && t.controlHits <= t.controlTotal);
  const Hypergeometric h{t.primaryTotal + t.controlTotal, t.primaryHits + t.controlHits, t.primaryTotal};
  const long long a = t.primaryHits;
  if (a <= h.lowest()) return 0.0;
  if (a > h.mode()) {
    // The upper tail itself is small: sum it directly.
    const double logP = h.logTerm(a) + std::log(relativeTailSum(h, a, h.highest(), +1));
    return std::min(0.0, logP / kLn10);
  }
  // The upper tail holds the mode; 1 minus the lower tail keeps the digits.
  const double lower = std::exp(h.logTerm(a - 1)) * relativeTailSum(h, a - 1, h.lowest(), -1);
  return std::min(0.0, std::log1p(-std::min(lower, 1.0)) / kLn10);
}

double log10AdjustForCandidates(double log10P, long long candidates) {
  ZK_ASSERT(candidates >= 1);
  if (candidates == 1) return log10P;
  // Below this p, 1 - (1 - p)^n equals n p to every digit a double holds,
  // while p itself may no longer be a double.
  if (log10P < -300.0) return log10P + std::log10(static_cast<double>(candidates));
  const double p = std::pow(10.0, log10P);
  const double adjusted = -std::expm1(static_cast<double>(candidates) * std::log1p(-p));
  return std::min(0.0, std::log10(adjusted));
}

namespace {

// Scores of `sortedDescending` at or above `threshold`.
long long countAtLeast(const std::vector<double>& sortedDescending, double threshold) {
  const auto end = std::partition_point(sortedDescending.begin(), sortedDescending.end(),
                                        [threshold](double score) { return score >= threshold; });
  return end - sortedDescending.begin();
}

// The scores of at least `lowest`, largest first, and how many there were in
// all: no threshold below `lowest` is looked at, so the others need no sort.
struct SortedScores {
  std::vector<double> descending;
  long long total = 0;
};

SortedScores sortedFrom(const std::vector<double>& scores, double lowest) {
  SortedScores sorted;
  sorted.total = static_cast<long long>(scores.size());
  std::copy_if(scores.begin(), scores.end(), std::back_inserter(sorted.descending),
               [lowest](double score) { return score >= lowest; });
  std::sort(sorted.descending.begin(), sorted.descending.end(), std::greater<double>());
  return sorted;
}

ThresholdChoice evaluate(const SortedScores& primary, const SortedScores& control, double threshold) {
  ThresholdChoice choice;
  choice.threshold = threshold;
  choice.table = HitTable{countAtLeast(primary.descending, threshold), primary.total,
                          countAtLeast(control.descending, threshold), control.total};
  choice.log10P = log10FisherEnrichment(choice.table);
  return choice;
}

}  // namespace

ThresholdChoice atThreshold(const std::vector<double>& primaryBest, const std::vector<double>& controlBest,
                            double threshold) {
  return evaluate(sortedFrom(primaryBest, threshold), sortedFrom(controlBest, threshold), threshold);
}

ThresholdChoice chooseThreshold(const std::vector<double>& primaryBest, const std::vector<double>& controlBest) {
  const SortedScores primary = sortedFrom(primaryBest, kLowestCandidate);
  const SortedScores control = sortedFrom(controlBest, kLowestCandidate);
  std::vector<double> candidates;
  for (double score : primary.descending)
    if (candidates.empty() || score != candidates.back()) candidates.push_back(score);
  if (candidates.empty()) return evaluate(primary, control, kLowestCandidate);
  ThresholdChoice best = evaluate(primary, control, candidates.front());
  for (std::size_t i = 1; i < candidates.size(); ++i) {
    const ThresholdChoice next = evaluate(primary, control, candidates[i]);
    if (next.log10P < best.log10P) best = next;
  }
  best.candidates = static_cast<long long>(candidates.size());
  return best;
}

}  // namespace stats
