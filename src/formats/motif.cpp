#include "formats/motif.h"

#include <algorithm>
#include <numeric>

namespace motif {

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

std::string consensus(const std::vector<Column>& columns) {
  std::string word;
  for (const Column& c : columns) word += "ACGT"[std::max_element(c.begin(), c.end()) - c.begin()];
  return word;
}

}  // namespace motif
