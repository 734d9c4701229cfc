#include "formats/motif.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace formats {

std::string Motif::where() const { return source + ":" + std::to_string(line); }

namespace {

Column normalised(const Column& weights) {
  const double total = std::accumulate(weights.begin(), weights.end(), 0.0);
  Column p{};
  for (int b = 0; b < kBases; ++b) p[b] = total > 0 ? weights[b] / total : 1.0 / kBases;
  return p;
}

}  // namespace

std::vector<Column> frequencies(const Motif& motif, double pseudocount) {
  std::vector<Column> result;
  result.reserve(motif.columns.size());
  for (const Column& column : motif.columns) {
    Column weights = column;
    if (!motif.counts && motif.nsites) {
      weights = normalised(column);
      for (double& w : weights) w *= *motif.nsites;
    }
    if (motif.counts || motif.nsites)
      for (double& w : weights) w += pseudocount;
    result.push_back(normalised(weights));
  }
  return result;
}

std::optional<std::vector<Column>> countsOf(const Motif& motif) {
  if (motif.counts) return motif.columns;
  if (!motif.nsites) return std::nullopt;
  const double sites = *motif.nsites;
  // Half a unit of the sixth decimal of each probability, times the sites.
  const double tolerance = 5e-7 * sites + 1e-9;
  std::vector<Column> counts;
  bool whole = true;
  for (const Column& column : motif.columns) {
    Column c{};
    for (int b = 0; b < kBases; ++b) {
      c[b] = column[b] * sites;
      whole = whole && std::abs(c[b] - std::round(c[b])) <= tolerance;
    }
    counts.push_back(c);
  }
  if (whole)
    for (Column& c : counts)
      for (double& x : c) x = std::round(x);
  return counts;
}

std::vector<Column> plainFrequencies(const Motif& motif) {
  const std::vector<Column> weights = countsOf(motif).value_or(motif.columns);
  std::vector<Column> result;
  result.reserve(weights.size());
  for (const Column& c : weights) result.push_back(normalised(c));
  return result;
}

std::string consensus(const std::vector<Column>& columns) {
  std::string word;
  for (const Column& c : columns) word += "ACGT"[std::max_element(c.begin(), c.end()) - c.begin()];
  return word;
}

namespace {

// The IUPAC code of the letters of `bases` (bit b for base b).
char iupacCode(int bases) {
  static const char kCodes[16] = {'N', 'A', 'C', 'M', 'G', 'R', 'S', 'V', 'T', 'W', 'Y', 'H', 'K', 'D', 'B', 'N'};
  return kCodes[bases];
}

}  // namespace

std::string degenerateConsensus(const std::vector<Column>& frequencies) {
  std::string word;
  for (const Column& c : frequencies) {
    std::array<int, kBases> order{0, 1, 2, 3};
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return c[a] > c[b]; });
    const double first = c[order[0]], second = c[order[1]];
    if (first > 0.5 && first > 2 * second)
      word += iupacCode(1 << order[0]);
    else if (first + second > 0.75)
      word += iupacCode((1 << order[0]) | (1 << order[1]));
    else
      word += 'N';
  }
  return word;
}

}  // namespace formats
