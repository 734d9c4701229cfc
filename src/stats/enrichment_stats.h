// The significance of a motif's enrichment: the one-sided Fisher exact test on
// sequences that score at or above a threshold in a primary and a control set,
// its correction for a threshold chosen from several candidates, and the
// threshold search itself. Everything is kept as log10, so that p-values far
// below the smallest double are still told apart.
#pragma once

#include <vector>

namespace stats {

// A 2 x 2 table of sequences: of `primaryTotal` primary sequences
// `primaryHits` score at or above the threshold, of `controlTotal` control
// sequences `controlHits` do.
struct HitTable {
  long long primaryHits = 0;
  long long primaryTotal = 0;
  long long controlHits = 0;
  long long controlTotal = 0;
};

// log10 of the one-sided Fisher exact p-value for enrichment in the primary
// set: the probability that, of the primaryHits + controlHits sequences that
// score, at least primaryHits fall among the primaryTotal primary ones when
// the sets are drawn at random from the pooled sequences (the upper tail of
// the hypergeometric distribution). 0 when the table shows no enrichment
// possible (p = 1). Requires 0 <= hits <= total.
double log10FisherEnrichment(const HitTable& table);

// log10 of p' = 1 - (1 - p)^candidates: the chance that the best of
// `candidates` independent tests reaches p. Requires candidates >= 1.
double log10AdjustForCandidates(double log10P, long long candidates);

// A sequence whose best window score is this has no window to score.
constexpr double kNoWindow = -1.0;

// Lowest threshold the search considers: below it nearly every sequence of a
// few hundred letters holds a window of any motif, and the test saturates.
constexpr double kLowestCandidate = 0.6;

// The threshold that separates the sets, with its table and p-value.
struct ThresholdChoice {
  double threshold = 0.0;
  HitTable table;
  double log10P = 0.0;
  long long candidates = 1;  // thresholds tried; 1 for a fixed threshold
};

// The table and p-value at the fixed `threshold`, from the best window score
// of every primary and every control sequence.
ThresholdChoice atThreshold(const std::vector<double>& primaryBest, const std::vector<double>& controlBest,
                            double threshold);

// Tries as candidates the distinct primary best scores of at least
// kLowestCandidate and keeps the one of lowest p (of equal p-values, the
// highest threshold). Without any candidate the threshold is
// kLowestCandidate, with its table (no primary sequence reaches it, so p = 1),
// counted as one candidate.
ThresholdChoice chooseThreshold(const std::vector<double>& primaryBest, const std::vector<double>& controlBest);

}  // namespace stats
