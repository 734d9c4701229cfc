// The FASTA reader of the sequence store: the first byte picks the motif length,
// the rest is loaded as a FASTA file, counted and enumerated window by window.
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
  fuzz_entry::fasta(data, size);
  return 0;
}
