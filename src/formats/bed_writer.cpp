#include "formats/bed_writer.h"

#include "base/errors.h"

namespace formats {

std::string bedText(const std::vector<BedRecord>& records) {
  std::string text;
  for (const BedRecord& r : records) {
    ZK_ASSERT(0 <= r.start && r.start < r.end && 0 <= r.score && r.score <= 1000);
    ZK_ASSERT(r.name.find_first_of(" \t\n") == std::string::npos);
    text += r.chrom + '\t' + std::to_string(r.start) + '\t' + std::to_string(r.end) + '\t' +
            (r.name.empty() ? "." : r.name) + '\t' + std::to_string(r.score) + '\t' + r.strand + '\n';
  }
  return text;
}

}  // namespace formats
