#include "discover/inputs/low_complexity.h"

#include <algorithm>

namespace discover {

stats::DustSettings dustSettings(const Options& o) {
  return {kDustWindow, o.dustLevel, *std::min_element(o.lengths.begin(), o.lengths.end())};
}

long long maskLowComplexity(const Options& o, std::vector<FastaRecord>& records) {
  return o.dust ? stats::maskLowComplexity(records, dustSettings(o), o.threads) : 0;
}

}  // namespace discover
