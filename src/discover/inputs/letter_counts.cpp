#include "discover/inputs/letter_counts.h"

#include "base/words.h"

namespace discover {

long long letterCount(const std::vector<FastaRecord>& records) {
  long long total = 0;
  for (const FastaRecord& r : records) total += static_cast<long long>(r.letters.size());
  return total;
}

std::array<double, formats::kReportBases> baseFrequencies(const std::vector<FastaRecord>& records) {
  std::array<double, formats::kReportBases> counts{};
  for (const FastaRecord& r : records)
    for (char c : r.letters) {
      const int b = base::baseIndex(c);
      if (b < 0) continue;
      counts[static_cast<std::size_t>(b)] += 1;
      counts[static_cast<std::size_t>(3 - b)] += 1;  // its complement on the other strand
    }
  double total = 0;
  for (double c : counts) total += c;
  for (double& c : counts) c = total > 0 ? c / total : 0.25;
  return counts;
}

stats::Background siteBackground(const std::vector<FastaRecord>& records) {
  std::array<long long, formats::kBases> counts{};
  for (const FastaRecord& r : records)
    for (char c : r.letters) {
      const int base = base::baseIndex(c);
      if (base >= 0) ++counts[static_cast<std::size_t>(base)];
    }
  return stats::strandSymmetricBackground(counts);
}

}  // namespace discover
