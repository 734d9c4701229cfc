// A generated genome for the tests of genome reading, peak windows and the
// genomic background: a few chromosomes written as plain FASTA and as
// bgzip-compressed FASTA, with the letters kept to check every read against.
#pragma once

#include <htslib/bgzf.h>

#include <cctype>
#include <exception>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "formats/fasta.h"
#include "genome_maker.h"
#include "support_files.h"

namespace testing_support {

// The message of the exception an action throws; "(no error)" when none.
inline std::string errorText(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& error) {
    return error.what();
  }
  return "(no error)";
}

// Writes `text` as BGZF, as bgzip would.
inline bool writeBgzf(const std::string& path, const std::string& text) {
  BGZF* out = bgzf_open(path.c_str(), "w");
  if (!out) return false;
  const bool written = bgzf_write(out, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  return bgzf_close(out) == 0 && written;
}

inline void writeText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The genome: chromosomes chr1, chr2 and chrM of generated DNA (N runs, IUPAC
// letters, lower-case stretches), in a directory of its own as genome.fa and
// genome.fa.gz (bgzip).
class GeneratedGenome {
 public:
  explicit GeneratedGenome(std::uint64_t seed = 11, long long chr1 = 300000, long long chr2 = 200000) {
    genome_maker::Features features;
    features.nRunEvery = 100000;
    chromosomes_ = {{"chr1", genome_maker::makeChromosome(chr1, seed, features)},
                    {"chr2", genome_maker::makeChromosome(chr2, seed + 1, features)},
                    {"chrM", genome_maker::makeChromosome(16500, seed + 2, features)}};
  }

  // Peaks with `site` planted at their summits, `perChromosome` on chr1 and chr2.
  std::vector<genome_maker::PlantedPeak> plant(const std::string& site, int perChromosome, std::uint64_t seed) {
    std::vector<genome_maker::PlantedPeak> all;
    for (auto& [name, letters] : chromosomes_) {
      if (name == "chrM") continue;
      for (const auto& peak : genome_maker::plantPeaks(letters, name, perChromosome, site, seed++)) all.push_back(peak);
    }
    return all;
  }

  // Writes genome.fa and genome.fa.gz (again, after plant()).
  void write(std::size_t lineWidth = 60) {
    std::string text;
    for (const auto& [name, letters] : chromosomes_) text += genome_maker::fastaText(name, letters, lineWidth);
    writeText(plainPath(), text);
    writeBgzf(bgzipPath(), text);
  }

  std::string plainPath() const { return dir_ / "genome.fa"; }
  std::string bgzipPath() const { return dir_ / "genome.fa.gz"; }
  const TempDir& dir() const { return dir_; }
  const std::string& letters(const std::string& chrom) const { return chromosomes_.at(chrom); }

  // The letters of [start, end) as the genome reader gives them.
  std::string expected(const std::string& chrom, long long start, long long end,
                       LowerCase lowerCase = LowerCase::AsUpper) const {
    std::string letters =
        chromosomes_.at(chrom).substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
    for (char& c : letters) {
      const bool lower = std::islower(static_cast<unsigned char>(c)) != 0;
      c = lower && lowerCase == LowerCase::AsN ? 'N' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return letters;
  }

 private:
  TempDir dir_;
  std::map<std::string, std::string> chromosomes_;  // by name; written in name order
};

}  // namespace testing_support
