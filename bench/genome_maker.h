// Generated genomes for tests and benchmarks: chromosomes of DNA with regions
// of differing GC content, runs of N, rare IUPAC letters and soft-masked
// (lower-case) stretches, and peaks placed preferably in GC-rich DNA with a
// motif site planted at each summit. Fully determined by the seed.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "base/words.h"
#include "stats/shuffle.h"

namespace genome_maker {

struct Features {
  long long isochore = 50000;  // letters of one GC level
  double lowestGc = 0.30, highestGc = 0.62;
  long long nRunEvery = 400000;  // about one run of N this many letters apart
  long long nRunLength = 5000;
  double iupacRate = 2e-5;      // share of letters that are IUPAC codes
  long long maskEvery = 20000;  // about one lower-case stretch this many letters apart
  long long maskLength = 300;
};

inline double unit(stats::Random& random) {
  return static_cast<double>(random.next() >> 11) * (1.0 / 9007199254740992.0);
}

// The letters of one chromosome. Within a region of one GC level each letter
// depends on the one before (a G after a C is four times rarer), as in real
// DNA, where CpG is depleted.
inline std::string makeChromosome(long long length, std::uint64_t seed, const Features& f = Features()) {
  stats::Random random(seed);
  std::string letters(static_cast<std::size_t>(length), 'A');
  double gc = 0.4;
  char previous = 'A';
  for (long long i = 0; i < length; ++i) {
    if (i % f.isochore == 0) gc = f.lowestGc + (f.highestGc - f.lowestGc) * unit(random);
    const double g = previous == 'C' ? gc / 8 : gc / 2;
    const double c = gc / 2;
    const double u = unit(random) * (g + c + (1 - gc));
    const char letter = u < g ? 'G' : u < g + c ? 'C' : u < g + c + (1 - gc) / 2 ? 'A' : 'T';
    letters[static_cast<std::size_t>(i)] = previous = letter;
  }
  for (long long i = 0; i < length; ++i) {
    if (unit(random) < f.iupacRate) letters[static_cast<std::size_t>(i)] = "RYKMSWBDHV"[random.below(10)];
  }
  for (long long at = 0; at < length; at += f.maskEvery) {
    const long long start = at + static_cast<long long>(random.below(static_cast<std::uint64_t>(f.maskEvery)));
    for (long long i = start; i < std::min(length, start + f.maskLength); ++i)
      letters[static_cast<std::size_t>(i)] = static_cast<char>(std::tolower(letters[static_cast<std::size_t>(i)]));
  }
  for (long long at = 0; at + f.nRunLength < length; at += f.nRunEvery) {
    const long long start = at + static_cast<long long>(random.below(static_cast<std::uint64_t>(f.nRunEvery)));
    for (long long i = start; i < std::min(length, start + f.nRunLength); ++i)
      letters[static_cast<std::size_t>(i)] = 'N';
  }
  return letters;
}

inline std::string fastaText(const std::string& name, const std::string& letters, std::size_t lineWidth = 60) {
  std::string text = ">" + name + "\n";
  for (std::size_t i = 0; i < letters.size(); i += lineWidth) text += letters.substr(i, lineWidth) + "\n";
  return text;
}

struct PlantedPeak {
  std::string chrom;
  long long start = 0, end = 0;  // the peak interval
  long long summit = 0;          // offset from start
  double signal = 0;
  long long siteStart = 0;  // the planted site, genome coordinates
  char siteStrand = '+';
};

// Places `count` peaks on a chromosome: each at a place whose 200 letters
// around hold no N, accepted more often the richer it is in GC (probability
// (GC / 0.7)^4), with an interval of 150 to 600 letters around the summit,
// and `site` written over the letters centred on the summit (on a random
// strand). Peaks do not overlap one another's intervals.
inline std::vector<PlantedPeak> plantPeaks(std::string& letters, const std::string& chrom, int count,
                                           const std::string& site, std::uint64_t seed) {
  stats::Random random(seed);
  std::vector<PlantedPeak> peaks;
  const long long length = static_cast<long long>(letters.size());
  constexpr long long kMargin = 700;
  for (int tries = 0; static_cast<int>(peaks.size()) < count && tries < 1000 * count; ++tries) {
    const long long summit =
        kMargin + static_cast<long long>(random.below(static_cast<std::uint64_t>(length - 2 * kMargin)));
    const std::string around = letters.substr(static_cast<std::size_t>(summit - 100), 200);
    long long gc = 0;
    bool hasN = false;
    for (const char c : around) {
      const char u = static_cast<char>(std::toupper(c));
      gc += u == 'G' || u == 'C';
      hasN = hasN || u == 'N';
    }
    const double ratio = static_cast<double>(gc) / 200 / 0.7;
    if (hasN || unit(random) >= ratio * ratio * ratio * ratio) continue;
    PlantedPeak peak;
    peak.chrom = chrom;
    peak.start = summit - 75 - static_cast<long long>(random.below(225));
    peak.end = summit + 75 + static_cast<long long>(random.below(225));
    peak.summit = summit - peak.start;
    const bool clash = std::any_of(peaks.begin(), peaks.end(), [&](const PlantedPeak& p) {
      return p.start < peak.end + 200 && peak.start < p.end + 200;
    });
    if (clash) continue;
    peak.signal = 5 + static_cast<double>(random.below(10000)) / 100;
    peak.siteStrand = random.below(2) == 0 ? '+' : '-';
    peak.siteStart = summit - static_cast<long long>(site.size()) / 2;
    const std::string written = peak.siteStrand == '+' ? site : base::reverseComplement(site);
    letters.replace(static_cast<std::size_t>(peak.siteStart), site.size(), written);
    peaks.push_back(peak);
  }
  return peaks;
}

// A narrowPeak line of a planted peak.
inline std::string narrowPeakLine(const PlantedPeak& p, int number) {
  return p.chrom + "\t" + std::to_string(p.start) + "\t" + std::to_string(p.end) + "\tpeak_" + std::to_string(number) +
         "\t" + std::to_string(static_cast<int>(p.signal * 10)) + "\t.\t" + std::to_string(p.signal) + "\t-1\t-1\t" +
         std::to_string(p.summit) + "\n";
}

}  // namespace genome_maker
