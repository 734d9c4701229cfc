// Whether a motif is a simple repeat: a word of one, two or three letters
// written again and again, such as AAAAAAAA, CACACACA or CAGCAGCAG, perhaps
// with a letter or two out of step. Such motifs are low-complexity DNA rather
// than binding sites, however significant; zelkova-discover flags them.
#pragma once

#include <string_view>

namespace simple_repeat {

// The share of a consensus that the repeated word must explain.
constexpr double kMinAgreement = 0.75;
constexpr int kLongestPeriod = 3;

// Whether, for some period p of 1 to kLongestPeriod and some word w of p
// letters, at least kMinAgreement of the letters of `consensus` equal w
// written over and over from its first letter. The word must fit at least 3
// times: below that, chance alone explains most letters of short words.
bool isSimpleRepeat(std::string_view consensus);

}  // namespace simple_repeat
