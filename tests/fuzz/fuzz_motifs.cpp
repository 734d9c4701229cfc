// The motif file readers: the first byte picks the reader (by content, MEME,
// JASPAR, plain JASPAR or TRANSFAC), the rest is the file.
#include <cstddef>
#include <cstdint>

#include "companion_entry_points.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_entry::motifFile(data, size);
  return 0;
}
