#include "stats/genome_intervals.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <numeric>

#include "base/errors.h"
#include "base/words.h"

namespace stats {

IntervalIndex::IntervalIndex(const std::vector<Interval>& intervals) {
  for (const Interval& interval : intervals) byChrom_[interval.chrom].emplace_back(interval.start, interval.end);
  for (auto& entry : byChrom_) {
    std::vector<std::pair<long long, long long>>& ranges = entry.second;
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::pair<long long, long long>> merged;
    for (const auto& range : ranges) {
      if (!merged.empty() && range.first <= merged.back().second)
        merged.back().second = std::max(merged.back().second, range.second);
      else
        merged.push_back(range);
    }
    ranges = std::move(merged);
  }
}

bool IntervalIndex::overlaps(const std::string& chrom, long long start, long long end) const {
  const auto it = byChrom_.find(chrom);
  if (it == byChrom_.end()) return false;
  const std::vector<std::pair<long long, long long>>& ranges = it->second;
  // The first range that ends after `start` is the only one that can overlap.
  const auto first =
      std::upper_bound(ranges.begin(), ranges.end(), start,
                       [](long long at, const std::pair<long long, long long>& r) { return at < r.second; });
  return first != ranges.end() && first->first < end;
}

bool DisjointIntervals::overlaps(const Interval& interval) const {
  const auto chrom = byChrom_.find(interval.chrom);
  if (chrom == byChrom_.end()) return false;
  // The intervals are disjoint: only the last one starting before the end
  // of `interval` can reach into it.
  const auto after = chrom->second.lower_bound(interval.end);
  return after != chrom->second.begin() && std::prev(after)->second > interval.start;
}

void DisjointIntervals::add(const Interval& interval) {
  ZK_ASSERT(!overlaps(interval));
  byChrom_[interval.chrom].emplace(interval.start, interval.end);
}

std::string regionName(const Interval& interval) {
  return interval.chrom + ":" + std::to_string(interval.start) + "-" + std::to_string(interval.end) +
         (interval.strand == '+' || interval.strand == '-' ? std::string("(") + interval.strand + ")" : "");
}

namespace {

// A whole number of digits only, without overflow.
std::optional<long long> digitsOf(const std::string& text) {
  constexpr std::size_t kMostDigits = 18;
  if (text.empty() || text.size() > kMostDigits) return std::nullopt;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

std::optional<Interval> intervalOfName(const std::string& name) {
  Interval interval;
  std::string place = name;
  for (const char strand : {'+', '-'})
    if (place.size() > 3 && place.compare(place.size() - 3, 3, std::string("(") + strand + ")") == 0) {
      interval.strand = strand;
      place.resize(place.size() - 3);
      break;
    }
  const std::size_t colon = place.rfind(':');
  if (colon == std::string::npos || colon == 0) return std::nullopt;
  if (std::any_of(place.begin(), place.begin() + static_cast<std::ptrdiff_t>(colon),
                  [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }))
    return std::nullopt;
  const std::size_t dash = place.find('-', colon + 1);
  if (dash == std::string::npos) return std::nullopt;
  const std::optional<long long> start = digitsOf(place.substr(colon + 1, dash - colon - 1));
  const std::optional<long long> end = digitsOf(place.substr(dash + 1));
  if (!start || !end || *start >= *end) return std::nullopt;
  interval.chrom = place.substr(0, colon);
  interval.start = *start;
  interval.end = *end;
  return interval;
}

std::vector<FastaRecord> fetchRecords(formats::IndexedGenome& genome, const std::vector<Interval>& intervals,
                                      LowerCase lowerCase) {
  std::vector<std::size_t> order(intervals.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const Interval& x = intervals[a];
    const Interval& y = intervals[b];
    return x.chrom != y.chrom ? x.chrom < y.chrom : x.start < y.start;
  });
  std::vector<FastaRecord> records(intervals.size());
  for (const std::size_t i : order) {
    const Interval& interval = intervals[i];
    std::string letters = genome.fetch(interval.chrom, interval.start, interval.end, lowerCase);
    records[i] = {regionName(interval), interval.strand == '-' ? base::reverseComplement(letters) : std::move(letters)};
  }
  return records;
}

}  // namespace stats
