#include "formats/motif_entry.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace formats {

double matrixValue(const formats::Lines& lines, const std::string& text) {
  const double value = lines.real(text, "matrix value");
  if (!std::isfinite(value) || value < 0)
    lines.fail("matrix value " + formats::quoted(text) + " is not a number of 0 or more");
  return value;
}

double columnTotal(const formats::Column& c) { return std::accumulate(c.begin(), c.end(), 0.0); }

namespace {

bool holdsProbabilities(const std::vector<formats::Column>& columns) {
  bool fractional = false;
  for (const formats::Column& c : columns) {
    if (std::abs(columnTotal(c) - 1.0) > kSumTolerance) return false;
    for (double v : c) fractional = fractional || v != std::floor(v);
  }
  return fractional;
}

}  // namespace

void completeMotif(formats::Motif& m, bool probabilities) {
  if (m.columns.empty()) throw ReadError(m.source, m.line, "motif " + m.id + " has no columns");
  if (probabilities || holdsProbabilities(m.columns)) {
    m.counts = false;
    return;
  }
  m.counts = true;
  const double first = columnTotal(m.columns.front());
  const bool even = std::all_of(m.columns.begin(), m.columns.end(),
                                [&](const formats::Column& c) { return std::abs(columnTotal(c) - first) < 1e-6; });
  if (even) m.nsites = first;
}

std::string restAfterFirstWord(const std::string& text) {
  const std::size_t wordEnd = text.find_first_of(" \t");
  if (wordEnd == std::string::npos) return "";
  const std::size_t start = text.find_first_not_of(" \t", wordEnd);
  if (start == std::string::npos) return "";
  const std::size_t end = text.find_last_not_of(" \t");
  return text.substr(start, end - start + 1);
}

}  // namespace formats
