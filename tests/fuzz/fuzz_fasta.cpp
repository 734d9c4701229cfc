// The FASTA reader of the sequence store: the first byte picks the motif length,
// the rest is loaded as a FASTA file, counted and read window by window as the
// engine reads it.
#include <cstddef>
#include <cstdint>

#include "entry_points.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_entry::fasta(data, size);
  return 0;
}
