// Writes a FASTA file with tandem repeats dropped into it, for tests and
// benchmarks of low-complexity masking.
//
// usage: zelkova-gen-repeats FASTA FRACTION SEED
//
// Copies FASTA to standard output; a share FRACTION of the records (each with
// that probability) gets one tandem repeat of CAG, GAA or CA, 18 to 42 letters
// long, with each letter replaced by a random one with probability 0.1,
// written over the record's letters at a random place. The random numbers
// come from the project's fully specified generator, so a seed gives the same
// file on every machine.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "stats/shuffle.h"
#include "zelkova.h"

namespace {

bool chance(stats::Random& random, double p) {
  return static_cast<double>(random.below(1u << 30)) < p * static_cast<double>(1u << 30);
}

std::string tandemRepeat(stats::Random& random) {
  static const char* const kUnits[] = {"CAG", "GAA", "CA"};
  const std::string unit = kUnits[random.below(3)];
  const std::size_t length = 18 + random.below(25);
  std::string repeat;
  while (repeat.size() < length) repeat += unit;
  repeat.resize(length);
  for (char& c : repeat)
    if (chance(random, 0.1)) c = "ACGT"[random.below(4)];
  return repeat;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s FASTA FRACTION SEED\n", argv[0]);
    return 1;
  }
  const double fraction = std::atof(argv[2]);
  stats::Random random(std::strtoull(argv[3], nullptr, 10));
  for (FastaRecord& record : readFastaFile(argv[1])) {
    if (chance(random, fraction)) {
      const std::string repeat = tandemRepeat(random);
      if (repeat.size() <= record.letters.size())
        record.letters.replace(random.below(record.letters.size() - repeat.size() + 1), repeat.size(), repeat);
    }
    std::printf(">%s\n", record.name.c_str());
    for (std::size_t k = 0; k < record.letters.size(); k += 60)
      std::printf("%s\n", record.letters.substr(k, 60).c_str());
  }
  return 0;
}
