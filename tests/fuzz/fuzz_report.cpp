// The report reader of zelkova-export: the bytes as a report file.
#include <cstddef>
#include <cstdint>

#include "entry_points.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_entry::reportFile(data, size);
  return 0;
}
