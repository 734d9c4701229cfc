#include "stats/central_enrichment.h"

#include <algorithm>
#include <cmath>

#include "base/errors.h"
#include "stats/enrichment_stats.h"

namespace stats {

namespace {

// log of the binomial probability of exactly k successes.
double logBinomialTerm(long long k, long long trials, double share) {
  const double n = static_cast<double>(trials), j = static_cast<double>(k);
  return std::lgamma(n + 1) - std::lgamma(j + 1) - std::lgamma(n - j + 1) + j * std::log(share) +
         (n - j) * std::log1p(-share);
}

// The first start of the central window of `width` of n positions.
int windowStart(int positions, int width) { return (positions - width) / 2; }

PositionHistogram histogramOf(int positions, const std::vector<int>& starts) {
  PositionHistogram h;
  h.positions = positions;
  const int bins = (positions + kBinLetters - 1) / kBinLetters;
  // Centred: the bins overhang both ends of the positions by the same amount,
  // give or take one letter.
  h.firstStart = -((bins * kBinLetters - positions) / 2);
  h.counts.assign(static_cast<std::size_t>(bins), 0);
  h.expected.assign(static_cast<std::size_t>(bins), 0.0);
  for (int start : starts) ++h.counts[static_cast<std::size_t>((start - h.firstStart) / kBinLetters)];
  for (int b = 0; b < bins; ++b) {
    const int from = std::max(0, h.firstStart + b * kBinLetters);
    const int to = std::min(positions, h.firstStart + (b + 1) * kBinLetters);
    h.expected[static_cast<std::size_t>(b)] =
        static_cast<double>(starts.size()) * static_cast<double>(to - from) / static_cast<double>(positions);
  }
  return h;
}

}  // namespace

bool CentralWindow::central() const { return width > 0 && log10P < std::log10(kCentralP); }

std::vector<int> widthsTried(int positions) {
  std::vector<int> widths;
  for (int width = kWidthStep; 2 * width <= positions; width += kWidthStep) widths.push_back(width);
  return widths;
}

double log10BinomialUpperTail(long long k, long long trials, double share) {
  ZK_ASSERT(share > 0 && share < 1 && trials >= 0);
  if (k <= 0) return 0.0;
  if (k > trials) return -INFINITY;
  // The terms from k on, summed relative to the largest.
  std::vector<double> logs;
  logs.reserve(static_cast<std::size_t>(trials - k + 1));
  double largest = -INFINITY;
  for (long long j = k; j <= trials; ++j) {
    logs.push_back(logBinomialTerm(j, trials, share));
    largest = std::max(largest, logs.back());
    // Past the mode the terms only shrink; once they are below 1e-20 of the
    // largest they no longer change the sum.
    if (logs.back() < largest - 46) break;
  }
  double sum = 0;
  for (double l : logs) sum += std::exp(l - largest);
  return std::min(0.0, (largest + std::log(sum)) / std::log(10.0));
}

CentralResult centralEnrichment(int sequenceLength, int motifWidth, const std::vector<int>& bestStarts) {
  ZK_ASSERT(motifWidth >= 1 && motifWidth <= sequenceLength);
  CentralResult r;
  r.sequenceLength = sequenceLength;
  r.motifWidth = motifWidth;
  r.positions = sequenceLength - motifWidth + 1;
  r.sites = static_cast<long long>(bestStarts.size());
  for (int start : bestStarts) ZK_ASSERT(start >= 0 && start < r.positions);
  r.histogram = histogramOf(r.positions, bestStarts);
  const std::vector<int> widths = widthsTried(r.positions);
  r.best.widthsTried = static_cast<int>(widths.size());
  bool first = true;
  for (int width : widths) {
    const int from = windowStart(r.positions, width);
    const long long inside =
        std::count_if(bestStarts.begin(), bestStarts.end(), [&](int s) { return s >= from && s < from + width; });
    const double share = static_cast<double>(width) / r.positions;
    const double log10P = log10BinomialUpperTail(inside, r.sites, share);
    if (first || log10P < r.best.log10Uncorrected) {
      r.best.width = width;
      r.best.inside = inside;
      r.best.expectedShare = share;
      r.best.log10Uncorrected = log10P;
      first = false;
    }
  }
  if (!widths.empty()) r.best.log10P = stats::log10AdjustForCandidates(r.best.log10Uncorrected, r.best.widthsTried);
  return r;
}

}  // namespace stats
