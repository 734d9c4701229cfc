// Seeds found outside the engine's searches: the words of a few letters that,
// allowing one mismatch, occur in more of the primary sequences than of the
// control's (a one-sided Fisher exact test on the sequences with an
// occurrence, on either strand), as the field's discriminative word finders
// count them. The engine clusters similar windows of one length and may miss
// a motif whose sites are few among long sequences; a word enriched per
// sequence finds its core, and the ZOOPS refinement grows the core into the
// motif (discover/search/word_search.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/fasta.h"
#include "formats/report_data.h"

namespace discover {

// Words longer than this would need more than 4^10 counters.
constexpr int kLongestSeedWord = 10;
// The most letters between the two halves of a gapped word: the spacing of
// the half-sites of most dimeric factors.
constexpr int kLongestSeedGap = 6;
// A word must occur, with its mismatch, in at least this many primary sequences.
constexpr long long kLeastSeedSequences = 3;

struct EnrichedWord {
  std::string word;  // on the strand it was counted, a gap as N; with both strands the smaller of it and its complement
  long long primaryWith = 0;  // primary sequences holding it, with up to one mismatch
  long long controlWith = 0;  // control sequences holding it
  double log10P = 0;          // of the one-sided Fisher exact test
};

struct WordSeedSettings {
  int length = 8;         // letters counted, 1 to kLongestSeedWord
  int gap = 0;            // 0, or letters left out between two halves of length / 2 (length even)
  std::size_t seeds = 5;  // the words kept
  bool bothStrands = true;
};

// For every word of `length` letters (packed two bits a letter, the first
// highest), the number of `records` holding it with up to one mismatch; with
// both strands, on either strand, counted under the smaller of its code and its
// complement's (the other entry stays 0). With a gap, the word's halves
// of length / 2 are `gap` letters apart, which may be any.
std::vector<std::uint32_t> neighbourhoodCounts(const std::vector<FastaRecord>& records, int length, int gap,
                                               bool bothStrands);

// The `settings.seeds` most enriched words of `settings.length` letters (the
// smaller p first, then the word), leaving out simple repeats, words of A
// and T only, of C and G only, of purines or of pyrimidines only, and words
// within one mismatch of seven letters of period
// one or two (low-complexity DNA rather than binding sites), and any word
// that is a near copy of a better one or of such a repeat (within one mismatch
// of it, or of its complement, shifted by up to two letters).
std::vector<EnrichedWord> enrichedWords(const std::vector<FastaRecord>& primary,
                                        const std::vector<FastaRecord>& control, const WordSeedSettings& settings);

// Whether words a and b (of one length) are near copies: at some shift of
// up to two letters, of b or (with both strands) its complement, the letters
// they overlap in differ in at most one place.
bool nearCopies(const std::string& a, const std::string& b, bool bothStrands);

// The count matrix a seed starts from: the exact occurrences of `word` (its
// Ns matching any letter) in
// `primary` (either strand, read on the word's), each with `flank` letters on
// either side; its occurrences with one mismatch when fewer than
// kLeastSeedSequences sequences hold an exact one. Occurrences too near an end
// or holding another letter are left out. `sequencesWith` receives the number
// of sequences that gave one; no columns when fewer than kLeastSeedSequences
// did even then.
std::vector<formats::CountColumn> seedCounts(const std::string& word, const std::vector<FastaRecord>& primary,
                                             int flank, bool bothStrands, long long& sequencesWith);

}  // namespace discover
