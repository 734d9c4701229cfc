// The FASTA reader of the companion programs (DNA rules): the first byte picks
// lower case and a letter limit, the rest is the file, checked against the
// reading rules.
#include <cstddef>
#include <cstdint>

#include "companion_entry_points.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_entry::dnaFasta(data, size);
  return 0;
}
