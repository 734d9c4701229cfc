// Small generated sets with one word planted: random letters, a noisy copy of
// the word on either strand in two thirds of the sequences, and a control of
// random letters twice as large; the planted places are kept for scoring.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/words.h"
#include "formats/fasta.h"
#include "stats/shuffle.h"

namespace planted {

inline std::string randomLetters(std::size_t length, stats::Random& random) {
  std::string s(length, 'A');
  for (char& c : s) c = "ACGT"[random.below(4)];
  return s;
}

// `word` with each letter kept with probability 0.85, else a random letter.
inline std::string noisyCopy(const std::string& word, stats::Random& random) {
  std::string s = word;
  for (char& c : s)
    if (random.below(100) >= 85) c = "ACGT"[random.below(4)];
  return s;
}

struct PlantedSet {
  std::vector<FastaRecord> primary, control;
  std::vector<std::pair<std::size_t, long long>> sites;  // (sequence, first letter from 0)
};

// `count` random sequences of `length` letters, two thirds with a noisy copy
// of `word` (on either strand) at a random place; a control twice as large.
inline PlantedSet plantedSet(const std::string& word, std::size_t count, std::size_t length, std::uint64_t seed) {
  stats::Random random(seed);
  PlantedSet set;
  for (std::size_t i = 0; i < count; ++i) {
    std::string s = randomLetters(length, random);
    if (random.below(3) < 2) {
      const std::size_t at = random.below(static_cast<std::uint32_t>(length - word.size() + 1));
      std::string site = noisyCopy(word, random);
      if (random.below(2) == 0) site = base::reverseComplement(site);
      s.replace(at, word.size(), site);
      set.sites.emplace_back(i, static_cast<long long>(at));
    }
    set.primary.push_back({"p" + std::to_string(i), s});
  }
  for (std::size_t i = 0; i < 2 * count; ++i)
    set.control.push_back({"c" + std::to_string(i), randomLetters(length, random)});
  return set;
}

}  // namespace planted
