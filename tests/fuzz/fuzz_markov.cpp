// The Markov model reader: the bytes as a model file, loaded and checked for
// completeness up to its own last word length.
#include <cstddef>
#include <cstdint>

#include "entry_points.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_entry::markov(data, size);
  return 0;
}
