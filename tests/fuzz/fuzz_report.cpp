// The report reader of zelkova-export: the bytes as a report file.
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
  fuzz_entry::reportFile(data, size);
  return 0;
}
