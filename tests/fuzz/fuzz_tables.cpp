// The tables and logs read back: the first byte picks summary.tsv, an
// enrichment table, a match table or log.txt, the rest is the file.
#include <cstddef>
#include <cstdint>

#include "companion_entry_points.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_entry::table(data, size);
  return 0;
}
