// Whether a motif is a simple repeat: a word of one, two or three letters
// written again and again, such as AAAAAAAA, CACACACA or CAGCAGCAG, perhaps
// with a letter or two out of step. Such motifs are low-complexity DNA rather
// than binding sites, however significant; zelkova-discover flags them.
#pragma once

#include <string_view>

namespace stats {

// The repeated word may miss one letter in this many of the consensus (none
// of 6, one of 7 to 13, two of 14 to 20). Looser, and chance alone would make
// repeats of many words of random DNA (a few in a hundred of 8 letters at a
// quarter); as it is, 2.6 % of all words of 8 letters count, 0.2 % of 10.
constexpr int kLettersPerMiss = 7;
constexpr int kLongestPeriod = 3;

// Whether, for some period p of 1 to kLongestPeriod and some word w of p
// letters, w written over and over from the first letter of `consensus`
// misses at most its length / kLettersPerMiss letters (rounded down). The
// word must fit at least twice and 2 letters more (AAGAAGAA, ACACAC).
bool isSimpleRepeat(std::string_view consensus);

}  // namespace stats
