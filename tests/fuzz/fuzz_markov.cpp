// The Markov model reader: the bytes as a model file, loaded and checked for
// completeness up to its own last word length.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "entry_points.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Progress and banner lines of the program are noise here.
  if (!std::freopen("/dev/null", "w", stdout)) return 1;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_entry::markov(data, size);
  return 0;
}
