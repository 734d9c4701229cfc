// Whether a motif is a simple repeat: a word of one, two or three letters
// written again and again, such as AAAAAAAA, CACACACA or CAGCAGCAG. Such
// motifs are low-complexity DNA rather than binding sites, however
// significant; zelkova-discover flags them.
#pragma once

#include <string>

namespace simple_repeat {

// The share of a repeat that must hold: of the letters after the first p,
// this fraction must equal the letter p places before them.
constexpr double kMinAgreement = 0.75;
constexpr int kLongestPeriod = 3;

// Whether `consensus` repeats a word of period 1 to kLongestPeriod: for some
// period p, at least kMinAgreement of its letters from the (p+1)-th on equal
// the letter p places before. A consensus of fewer than 2p + 1 letters never
// counts for period p.
bool isSimpleRepeat(const std::string& consensus);

}  // namespace simple_repeat
