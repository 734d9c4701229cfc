// Writing BED6 text: the background windows drawn from a genome and the
// motif sites found in it, for a genome browser or bedtools.
#pragma once

#include <string>
#include <vector>

namespace formats {

struct BedRecord {
  std::string chrom;
  long long start = 0;  // 0-based
  long long end = 0;    // exclusive
  std::string name;     // no blanks; "." when empty
  int score = 0;        // 0 to 1000, as genome browsers shade by it
  char strand = '.';
};

// One tab-separated line of six fields per record, in order.
std::string bedText(const std::vector<BedRecord>& records);

}  // namespace formats
