// Writes a genome and peaks on it, for benchmarks: PREFIX.fa, the genome, and
// PREFIX.narrowPeak, peaks placed preferably in GC-rich DNA with SITE planted
// at each summit (bench/genome_maker.h). A seed gives the same files on every
// machine.
//
// usage: zelkova-gen-genome PREFIX LENGTH CHROMOSOMES PEAKS SEED [SITE]
//          a generated genome of LENGTH letters in CHROMOSOMES chromosomes
//          chr1, chr2, ... (regions of differing GC, CpG depletion, N runs,
//          IUPAC letters, soft-masked stretches)
//        zelkova-gen-genome --from FASTA PREFIX CHROMOSOMES PEAKS SEED [SITE]
//          a pseudo-genome of real DNA: the records of FASTA (plain or gzip)
//          joined in order into CHROMOSOMES chromosomes of about equal
//          length, 100 N between records
// SITE defaults to CCACTAGGGGGCGC (CTCF).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "formats/fasta.h"
#include "genome_maker.h"

namespace {

constexpr std::size_t kSpacer = 100;

std::vector<std::string> joined(const std::string& fasta, int chromosomes) {
  std::vector<FastaRecord> records;
  std::size_t total = 0;
  for (FastaRecord& r : readDnaFile(fasta, DnaRules()).records) {
    total += r.letters.size() + kSpacer;
    records.push_back(std::move(r));
  }
  std::vector<std::string> all(1);
  for (const FastaRecord& r : records) {
    if (all.back().size() >= total / static_cast<std::size_t>(chromosomes) &&
        static_cast<int>(all.size()) < chromosomes)
      all.emplace_back();
    if (!all.back().empty()) all.back().append(kSpacer, 'N');
    all.back() += r.letters;
  }
  return all;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string from;  // the FASTA of real DNA, or empty
  if (args.size() >= 2 && args[0] == "--from") {
    from = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  const bool fromFasta = !from.empty();
  const std::size_t fixed = fromFasta ? 4 : 5;  // PREFIX [LENGTH] CHROMOSOMES PEAKS SEED
  if (args.size() != fixed && args.size() != fixed + 1) {
    std::fprintf(stderr,
                 "usage: %s PREFIX LENGTH CHROMOSOMES PEAKS SEED [SITE]\n"
                 "       %s --from FASTA PREFIX CHROMOSOMES PEAKS SEED [SITE]\n",
                 argv[0], argv[0]);
    return 1;
  }
  std::size_t next = 0;
  const std::string prefix = args[next++];
  const long long length = fromFasta ? 0 : std::atoll(args[next++].c_str());
  const int chromosomes = std::atoi(args[next++].c_str());
  const int peaks = std::atoi(args[next++].c_str());
  const std::uint64_t seed = std::strtoull(args[next++].c_str(), nullptr, 10);
  const std::string site = next < args.size() ? args[next] : "CCACTAGGGGGCGC";
  if (chromosomes <= 0 || peaks < 0 || (!fromFasta && length <= 0)) {
    std::fprintf(stderr, "LENGTH and CHROMOSOMES must be positive, PEAKS not negative\n");
    return 1;
  }
  // Generated chromosomes are made one at a time; real DNA is read whole.
  std::vector<std::string> real;
  try {
    if (fromFasta) real = joined(from, chromosomes);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  const int count = fromFasta ? static_cast<int>(real.size()) : chromosomes;
  std::ofstream fasta(prefix + ".fa", std::ios::binary);
  std::ofstream narrowPeak(prefix + ".narrowPeak", std::ios::binary);
  int written = 0;
  for (int c = 0; c < count; ++c) {
    std::string letters = fromFasta ? std::move(real[static_cast<std::size_t>(c)])
                                    : genome_maker::makeChromosome(length / chromosomes, seed * 1000 + c);
    const std::string name = "chr" + std::to_string(c + 1);
    const int here = peaks / count + (c < peaks % count ? 1 : 0);
    for (const genome_maker::PlantedPeak& p :
         genome_maker::plantPeaks(letters, name, here, site, seed * 1000 + 500 + c))
      narrowPeak << genome_maker::narrowPeakLine(p, ++written);
    fasta << ">" << name << "\n";
    for (std::size_t i = 0; i < letters.size(); i += 60)
      fasta.write(letters.data() + i, static_cast<std::streamsize>(std::min<std::size_t>(60, letters.size() - i)))
          << '\n';
  }
  fasta.close();
  narrowPeak.close();
  if (!fasta || !narrowPeak) {
    std::fprintf(stderr, "cannot write %s.fa or %s.narrowPeak\n", prefix.c_str(), prefix.c_str());
    return 1;
  }
  return 0;
}
