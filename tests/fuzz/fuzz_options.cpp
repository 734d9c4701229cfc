// The command-line parser: the bytes split into words at every NUL and line
// feed, after the program name.
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
  fuzz_entry::commandLine(data, size);
  return 0;
}
