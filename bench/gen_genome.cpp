// Writes a generated genome and peaks on it, for benchmarks: PREFIX.fa, the
// genome (chromosomes chr1, chr2, ... of equal length, made by
// bench/genome_maker.h: regions of differing GC, CpG depletion, N runs, IUPAC
// letters, soft-masked stretches), and PREFIX.narrowPeak, peaks placed
// preferably in GC-rich DNA with SITE planted at each summit. A seed gives the
// same files on every machine.
//
// usage: zelkova-gen-genome PREFIX LENGTH CHROMOSOMES PEAKS SEED [SITE]
//   LENGTH is the whole genome's; SITE defaults to CCACTAGGGGGCGC (CTCF).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "genome_maker.h"

int main(int argc, char** argv) {
  if (argc != 6 && argc != 7) {
    std::fprintf(stderr, "usage: %s PREFIX LENGTH CHROMOSOMES PEAKS SEED [SITE]\n", argv[0]);
    return 1;
  }
  const std::string prefix = argv[1];
  const long long length = std::atoll(argv[2]);
  const int chromosomes = std::atoi(argv[3]);
  const int peaks = std::atoi(argv[4]);
  const std::uint64_t seed = std::strtoull(argv[5], nullptr, 10);
  const std::string site = argc == 7 ? argv[6] : "CCACTAGGGGGCGC";
  if (length <= 0 || chromosomes <= 0 || peaks < 0) {
    std::fprintf(stderr, "LENGTH and CHROMOSOMES must be positive, PEAKS not negative\n");
    return 1;
  }
  std::ofstream fasta(prefix + ".fa", std::ios::binary);
  std::ofstream narrowPeak(prefix + ".narrowPeak", std::ios::binary);
  int written = 0;
  for (int c = 0; c < chromosomes; ++c) {
    const std::string name = "chr" + std::to_string(c + 1);
    std::string letters = genome_maker::makeChromosome(length / chromosomes, seed * 1000 + static_cast<std::uint64_t>(c));
    const int here = peaks / chromosomes + (c < peaks % chromosomes ? 1 : 0);
    for (const genome_maker::PlantedPeak& p :
         genome_maker::plantPeaks(letters, name, here, site, seed * 1000 + 500 + static_cast<std::uint64_t>(c)))
      narrowPeak << genome_maker::narrowPeakLine(p, ++written);
    fasta << ">" << name << "\n";
    for (std::size_t i = 0; i < letters.size(); i += 60) fasta.write(letters.data() + i, static_cast<std::streamsize>(std::min<std::size_t>(60, letters.size() - i))) << '\n';
  }
  fasta.close();
  narrowPeak.close();
  if (!fasta || !narrowPeak) {
    std::fprintf(stderr, "cannot write %s.fa or %s.narrowPeak\n", prefix.c_str(), prefix.c_str());
    return 1;
  }
  return 0;
}
