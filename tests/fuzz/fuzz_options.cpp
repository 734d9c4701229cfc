// The command-line parser: the bytes split into words at every NUL and line
// feed, after the program name.
#include <cstddef>
#include <cstdint>

#include "entry_points.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_entry::commandLine(data, size);
  return 0;
}
