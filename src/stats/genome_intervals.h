// Intervals of a genome: the windows cut around peaks and drawn as
// background, the question whether a place overlaps a set of them, and their
// letters as FASTA records named as bedtools names the regions it cuts.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "formats/fasta.h"
#include "formats/genome.h"

namespace stats {

// BED coordinates: start 0-based, end exclusive.
struct Interval {
  std::string chrom;
  long long start = 0;
  long long end = 0;
  char strand = '.';  // '-': read on the reverse strand
  long long length() const { return end - start; }
};

// A fixed set of intervals (strands ignored), merged, asked whether a range
// overlaps any of them.
class IntervalIndex {
 public:
  IntervalIndex() = default;
  explicit IntervalIndex(const std::vector<Interval>& intervals);

  // True when [start, end) of `chrom` shares a base with an interval.
  bool overlaps(const std::string& chrom, long long start, long long end) const;
  bool empty() const { return byChrom_.empty(); }

 private:
  // Per chromosome, disjoint (start, end) pairs in order.
  std::unordered_map<std::string, std::vector<std::pair<long long, long long>>> byChrom_;
};

// A growing set of disjoint intervals (strands ignored): the windows kept so
// far while windows are chosen one by one.
class DisjointIntervals {
 public:
  // True when `interval` shares a base with one of the set.
  bool overlaps(const Interval& interval) const;
  // Adds an interval that overlaps none of the set.
  void add(const Interval& interval);

 private:
  // Per chromosome, end by start.
  std::unordered_map<std::string, std::map<long long, long long>> byChrom_;
};

// "chrom:start-end", and "chrom:start-end(+)" or "(-)" for an interval of a
// strand: the names bedtools getfasta (with -s for the strand) gives the
// regions it cuts.
std::string regionName(const Interval& interval);
// The interval a name of that form stands for: CHROM:START-END with CHROM
// non-empty and without blanks (it may hold ':'; the last one counts), START
// and END whole numbers, START < END, and "(+)" or "(-)" after them for a
// strand ('.' without). Nothing for any other name.
std::optional<Interval> intervalOfName(const std::string& name);

// The letters of every interval, in the order given, each named by
// regionName; an interval on the '-' strand is reverse-complemented (letters
// other than A, C, G and T become N there). Every interval must lie within
// its chromosome. Reads the genome in its own order, so that a compressed
// genome is decompressed once per place.
std::vector<FastaRecord> fetchRecords(formats::IndexedGenome& genome, const std::vector<Interval>& intervals,
                                      LowerCase lowerCase);

}  // namespace stats
