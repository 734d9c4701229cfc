// Writes a deterministic random FASTA file with a planted motif, for benchmarks.
//
// usage: zelkova-gen-fasta SEQUENCES LENGTH SEED [MOTIF]
// Each sequence gets, with probability 0.7, one copy of MOTIF (default
// TGACGTCA) at a random place, each letter mutated with probability 0.1.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s SEQUENCES LENGTH SEED [MOTIF]\n", argv[0]);
    return 1;
  }
  const long count = std::atol(argv[1]);
  const long length = std::atol(argv[2]);
  std::mt19937_64 rng(std::strtoull(argv[3], nullptr, 10));
  const std::string motif = argc > 4 ? argv[4] : "TGACGTCA";
  const char* bases = "ACGT";
  std::uniform_int_distribution<int> base(0, 3);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (long i = 0; i < count; ++i) {
    std::string s(static_cast<std::size_t>(length), 'A');
    for (char& c : s) c = bases[base(rng)];
    if (unit(rng) < 0.7 && length > static_cast<long>(motif.size())) {
      std::uniform_int_distribution<long> where(0, length - static_cast<long>(motif.size()));
      const long at = where(rng);
      for (std::size_t k = 0; k < motif.size(); ++k)
        s[static_cast<std::size_t>(at) + k] = unit(rng) < 0.1 ? bases[base(rng)] : motif[k];
    }
    std::printf(">seq%ld\n", i + 1);
    for (std::size_t k = 0; k < s.size(); k += 60) std::printf("%s\n", s.substr(k, 60).c_str());
  }
  return 0;
}
