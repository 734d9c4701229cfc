#include "discover/search/refine.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "base/words.h"

namespace discover {

double informationBits(const formats::Column& frequencies) {
  double bits = 2.0;
  for (double p : frequencies)
    if (p > 0) bits += p * std::log2(p);
  return bits;
}

namespace {

// Cuts the less informative end column of `span` (the left one of equal
// ones) while `goOn(left bits, right bits, width)` holds.
template <class GoOn>
ColumnSpan cutEnds(ColumnSpan span, const std::vector<formats::Column>& frequencies, GoOn goOn) {
  while (span.last > span.first) {
    const double left = informationBits(frequencies[span.first]);
    const double right = informationBits(frequencies[span.last - 1]);
    if (!goOn(left, right, span.last - span.first)) break;
    if (left <= right) {
      ++span.first;
    } else {
      --span.last;
    }
  }
  return span;
}

}  // namespace

ColumnSpan informativeCore(const std::vector<formats::Column>& frequencies, double minBits, std::size_t minWidth) {
  return cutEnds({0, frequencies.size()}, frequencies, [&](double left, double right, std::size_t width) {
    return width > minWidth && std::min(left, right) < minBits;
  });
}

namespace {

std::vector<formats::Column> countColumns(const std::vector<formats::CountColumn>& counts) {
  std::vector<formats::Column> columns;
  for (const formats::CountColumn& c : counts)
    columns.push_back(
        {static_cast<double>(c[0]), static_cast<double>(c[1]), static_cast<double>(c[2]), static_cast<double>(c[3])});
  return columns;
}

std::vector<formats::Column> normalisedColumns(const std::vector<formats::CountColumn>& counts) {
  std::vector<formats::Column> columns = countColumns(counts);
  for (formats::Column& c : columns) {
    const double total = c[0] + c[1] + c[2] + c[3];
    for (double& v : c) v = total > 0 ? v / total : 0.25;
  }
  return columns;
}

// Cuts the less informative end column while more than `maxWidth` are left.
ColumnSpan narrowed(ColumnSpan span, const std::vector<formats::Column>& frequencies, std::size_t maxWidth) {
  return cutEnds(span, frequencies, [&](double, double, std::size_t width) { return width > maxWidth; });
}

}  // namespace

formats::CountColumn roundedColumn(const formats::Column& expected, long long total) {
  formats::CountColumn column{};
  std::array<double, 4> remainder{};
  long long sum = 0;
  for (std::size_t b = 0; b < 4; ++b) {
    const double floor = std::floor(std::max(0.0, expected[b]));
    column[b] = static_cast<long long>(floor);
    remainder[b] = expected[b] - floor;
    sum += column[b];
  }
  for (; sum < total; ++sum) {
    const std::size_t most =
        static_cast<std::size_t>(std::max_element(remainder.begin(), remainder.end()) - remainder.begin());
    ++column[most];
    remainder[most] = -1.0;
  }
  return column;
}

std::optional<formats::ReportMotif> refinedMotif(const formats::ReportMotif& engine, const EmSample& sample,
                                                 std::size_t searchedSequences, bool bothStrands,
                                                 std::size_t maxWidth) {
  // The engine's sites per searched sequence, as the first guess of the share
  // of sequences with a site.
  const double gamma = std::clamp(
      static_cast<double>(engine.siteCount) / static_cast<double>(std::max<std::size_t>(1, searchedSequences)), 0.05,
      0.9);
  ZoopsSettings settings;
  settings.bothStrands = bothStrands;
  const ZoopsResult refined = refineZoops(countColumns(engine.counts), gamma, sample, settings);
  if (refined.expectedSites < kMinRefinedSites) return std::nullopt;
  const ColumnSpan core =
      narrowed(informativeCore(refined.frequencies, kCoreBits, kMinCoreWidth), refined.frequencies, maxWidth);
  formats::ReportMotif m = engine;
  m.siteCount = std::llround(refined.expectedSites);
  m.counts.clear();
  for (std::size_t k = core.first; k < core.last; ++k)
    m.counts.push_back(roundedColumn(refined.counts[k], m.siteCount));
  const std::vector<formats::Column> frequencies = normalisedColumns(m.counts);
  m.consensus = formats::consensus(frequencies);
  m.degenerateConsensus = formats::degenerateConsensus(frequencies);
  m.reverseConsensus = base::reverseComplement(m.consensus);
  m.relativeEntropy = 0;
  for (const formats::Column& c : frequencies) m.relativeEntropy += informationBits(c);
  m.sites.clear();
  return m;
}

}  // namespace discover
