#include "discover/search/word_seeds.h"

#include <algorithm>
#include <cstdint>

#include "base/errors.h"
#include "base/words.h"
#include "stats/enrichment_stats.h"
#include "stats/simple_repeat.h"

namespace discover {

namespace {

using Code = std::uint32_t;  // two bits a letter, the first letter highest

// For every word, the number of sequences holding it with up to one mismatch
// (with both strands: counted under the smaller of the word and its
// complement's codes). A stamp per word makes each sequence count once. A
// gapped word is read from windows of its letters and its gap, the gap's
// letters left out of its code.
class NeighbourhoodCounter {
 public:
  NeighbourhoodCounter(int length, int gap, bool bothStrands)
      : length_(length), gap_(gap), right_(length - length / 2), bothStrands_(bothStrands) {
    ZK_CHECK(length >= 1 && length <= kLongestSeedWord,
             "seed words are of 1 to " + std::to_string(kLongestSeedWord) + " letters");
    ZK_CHECK(gap >= 0 && gap <= kLongestSeedGap && (gap == 0 || length % 2 == 0),
             "a gapped seed word has two halves of one length, at most " + std::to_string(kLongestSeedGap) +
                 " letters apart");
    stamp_.assign(std::size_t{1} << (2 * length), 0);
  }

  std::vector<std::uint32_t> count(const std::vector<FastaRecord>& records) {
    std::vector<std::uint32_t> counts(stamp_.size(), 0);
    for (const FastaRecord& r : records) {
      ++sequence_;
      countRecord(r.letters, counts);
    }
    return counts;
  }

 private:
  // The word's letters of a window's code: the gap's left out.
  Code lettersOf(base::WordCode window) const {
    const base::WordCode rightMask = (base::WordCode{1} << (2 * right_)) - 1;
    const base::WordCode left = window >> (2 * (gap_ + right_));
    return static_cast<Code>((left << (2 * right_)) | (window & rightMask));
  }

  void countRecord(const std::string& letters, std::vector<std::uint32_t>& counts) {
    base::RollingWindow window(length_ + gap_);
    for (char c : letters) {
      window.push(c);
      if (!window.full()) continue;
      const Code f = lettersOf(window.forward()), r = lettersOf(window.reverse());
      mark(f, r, counts);
      for (int i = 0; i < length_; ++i) {
        // Letter i from the left sits at bit 2 (length - 1 - i) of the forward
        // code and at bit 2 i of the reverse one; changing a letter by XOR
        // changes its complement by the same XOR.
        const int forwardShift = 2 * (length_ - 1 - i), reverseShift = 2 * i;
        for (Code d = 1; d < 4; ++d) mark(f ^ (d << forwardShift), r ^ (d << reverseShift), counts);
      }
    }
  }

  void mark(Code forward, Code reverse, std::vector<std::uint32_t>& counts) {
    const Code word = bothStrands_ ? std::min(forward, reverse) : forward;
    if (stamp_[word] == sequence_) return;
    stamp_[word] = sequence_;
    ++counts[word];
  }

  int length_, gap_, right_;
  bool bothStrands_;
  std::vector<std::uint32_t> stamp_;
  std::uint32_t sequence_ = 0;
};

// The word of a code, its gap (if any) written as N between its halves.
std::string wordOf(Code code, int length, int gap) {
  std::string word = base::wordOf(code, length);
  word.insert(static_cast<std::size_t>(length / 2), static_cast<std::size_t>(gap), 'N');
  return word;
}

bool shiftedNearCopy(const std::string& a, const std::string& b) {
  constexpr int kLongestShift = 2;
  const int n = static_cast<int>(a.size());
  for (int shift = -kLongestShift; shift <= kLongestShift; ++shift) {
    int differences = 0;
    for (int i = std::max(0, -shift); i < n && i + shift < n && differences <= 1; ++i)
      differences += a[static_cast<std::size_t>(i)] != b[static_cast<std::size_t>(i + shift)];
    if (differences <= 1) return true;
  }
  return false;
}

// Every word held by enough primary sequences and more often than in the
// control, with its test.
std::vector<EnrichedWord> testedWords(const std::vector<std::uint32_t>& primary,
                                      const std::vector<std::uint32_t>& control, long long primaryTotal,
                                      long long controlTotal, int length, int gap) {
  std::vector<EnrichedWord> tested;
  for (std::size_t code = 0; code < primary.size(); ++code) {
    const long long p = primary[code], c = control[code];
    if (p < kLeastSeedSequences || p * controlTotal <= c * primaryTotal) continue;
    const double log10P = stats::log10FisherEnrichment({p, primaryTotal, c, controlTotal});
    tested.push_back({wordOf(static_cast<Code>(code), length, gap), p, c, log10P});
  }
  return tested;
}

// Words of A and T only, of C and G only, of purines only or of pyrimidines
// only (ATTATAAT, GCCGGCGC, GAGGAAGA, CTTCCTTC) are the stuff of
// low-complexity DNA, which real genomes hold in every set. Words of G and T
// (or A and C) are not: TGTGGTTT is the core of the RUNX site.
bool lowComplexityLetters(const std::string& word) {
  bool seen[4] = {false, false, false, false};  // A, C, G, T
  for (char c : word)
    if (base::baseIndex(c) >= 0) seen[base::baseIndex(c)] = true;
  const bool onlyAT = !seen[1] && !seen[2], onlyCG = !seen[0] && !seen[3];
  const bool onlyPurines = !seen[1] && !seen[3], onlyPyrimidines = !seen[0] && !seen[2];
  return onlyAT || onlyCG || onlyPurines || onlyPyrimidines;
}

// Whether the word holds seven letters of period one or two (AAAAAAA,
// CACACAC): the edge of a repeat.
bool holdsRepeat(const std::string& word) {
  constexpr std::size_t kRepeatLetters = 7;
  for (std::size_t period = 1; period <= 2; ++period)
    for (std::size_t start = 0; start + kRepeatLetters <= word.size(); ++start) {
      bool repeats = true;
      for (std::size_t k = start + period; k < start + kRepeatLetters && repeats; ++k)
        repeats = word[k] == word[k - period];
      if (repeats) return true;
    }
  return false;
}

// With its mismatch, a word one letter away from the edge of a repeat is
// counted wherever the repeat is.
bool nearRepeat(std::string word) {
  for (char& c : word) {
    const char letter = c;
    for (char other : {'A', 'C', 'G', 'T'}) {
      c = other;
      if (holdsRepeat(word)) return true;
    }
    c = letter;
  }
  return false;
}

bool lowComplexity(const std::string& word) {
  return stats::isSimpleRepeat(word) || lowComplexityLetters(word) || nearRepeat(word);
}

}  // namespace

std::vector<std::uint32_t> neighbourhoodCounts(const std::vector<FastaRecord>& records, int length, int gap,
                                               bool bothStrands) {
  return NeighbourhoodCounter(length, gap, bothStrands).count(records);
}

bool nearCopies(const std::string& a, const std::string& b, bool bothStrands) {
  ZK_CHECK(a.size() == b.size(), "near copies are judged between words of one length");
  return shiftedNearCopy(a, b) || (bothStrands && shiftedNearCopy(a, base::reverseComplement(b)));
}

std::vector<EnrichedWord> enrichedWords(const std::vector<FastaRecord>& primary,
                                        const std::vector<FastaRecord>& control, const WordSeedSettings& settings) {
  NeighbourhoodCounter counter(settings.length, settings.gap, settings.bothStrands);
  const std::vector<std::uint32_t> primaryCounts = counter.count(primary);
  const std::vector<std::uint32_t> controlCounts = counter.count(control);
  std::vector<EnrichedWord> tested = testedWords(primaryCounts, controlCounts, static_cast<long long>(primary.size()),
                                                 static_cast<long long>(control.size()), settings.length, settings.gap);
  std::sort(tested.begin(), tested.end(), [](const EnrichedWord& a, const EnrichedWord& b) {
    if (a.log10P != b.log10P) return a.log10P < b.log10P;
    return a.word < b.word;
  });
  // A near copy of a repeat is left out with it: with one mismatch it counts
  // the repeat's sequences too.
  std::vector<EnrichedWord> kept;
  std::vector<std::string> passedOver;  // kept words and repeats
  for (EnrichedWord& w : tested) {
    if (kept.size() == settings.seeds) break;
    const bool copy = std::any_of(passedOver.begin(), passedOver.end(), [&](const std::string& earlier) {
      return nearCopies(earlier, w.word, settings.bothStrands);
    });
    if (copy) continue;
    passedOver.push_back(w.word);
    if (!lowComplexity(w.word)) kept.push_back(std::move(w));
  }
  return kept;
}

namespace {

// The gap of a gapped word (N) matches any letter.
int mismatchesAt(const std::string& letters, std::size_t start, const std::string& word) {
  int differences = 0;
  for (std::size_t k = 0; k < word.size(); ++k) differences += word[k] != 'N' && letters[start + k] != word[k];
  return differences;
}

bool allBases(const std::string& letters, std::size_t start, std::size_t width) {
  for (std::size_t k = start; k < start + width; ++k)
    if (base::baseIndex(letters[k]) < 0) return false;
  return true;
}

// Adds the occurrences of `pattern` with at most `mismatches` differences in
// `letters`, with `flank` letters either side, to `counts`; when
// `complemented` (the pattern is the seed's complement, found on the strand
// given) each window is added as read on the other strand, the seed's.
// Returns how many it added.
long long addOccurrences(const std::string& letters, const std::string& pattern, int mismatches, int flank,
                         bool complemented, std::vector<formats::CountColumn>& counts) {
  const std::size_t width = pattern.size() + 2 * static_cast<std::size_t>(flank);
  long long added = 0;
  for (std::size_t start = 0; start + width <= letters.size(); ++start) {
    if (mismatchesAt(letters, start + static_cast<std::size_t>(flank), pattern) > mismatches) continue;
    if (!allBases(letters, start, width)) continue;
    for (std::size_t k = 0; k < width; ++k) {
      const int base = base::baseIndex(letters[start + k]);
      if (complemented) {
        ++counts[width - 1 - k][static_cast<std::size_t>(3 - base)];
      } else {
        ++counts[k][static_cast<std::size_t>(base)];
      }
    }
    ++added;
  }
  return added;
}

}  // namespace

std::vector<formats::CountColumn> seedCounts(const std::string& word, const std::vector<FastaRecord>& primary,
                                             int flank, bool bothStrands, long long& sequencesWith) {
  const std::size_t width = word.size() + 2 * static_cast<std::size_t>(flank);
  const std::string complement = base::reverseComplement(word);
  // A palindromic word is counted once, on the strand as given.
  const bool otherStrand = bothStrands && complement != word;
  for (int mismatches = 0; mismatches <= 1; ++mismatches) {
    std::vector<formats::CountColumn> counts(width, formats::CountColumn{});
    sequencesWith = 0;
    for (const FastaRecord& r : primary) {
      long long added = addOccurrences(r.letters, word, mismatches, flank, false, counts);
      if (otherStrand) added += addOccurrences(r.letters, complement, mismatches, flank, true, counts);
      sequencesWith += added > 0 ? 1 : 0;
    }
    if (sequencesWith >= kLeastSeedSequences) return counts;
  }
  return {};
}

}  // namespace discover
