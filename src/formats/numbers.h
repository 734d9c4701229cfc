// Numbers as text, the one way every table, log, page and help text writes
// them: fixed decimals, E-values from their log10, compact numbers and
// percentages.
#pragma once

#include <string>

namespace numbers {

// `value` with `decimals` digits after the point, as the report prints scores.
std::string fixedPoint(double value, int decimals);

// A value given as its log10, as "3.2e-15": two significant digits, an exponent
// of at least two digits, never 0 (the value may lie far below the smallest
// double).
std::string scientificFromLog10(double log10Value);

// The shorter of the plain form (up to six significant digits) and the
// exponent form, the plain one when they are as long: "0.8", "2", "100000",
// "1e-4", "2.5e-7". Help texts write defaults so.
std::string compact(double value);

// `part` in percent of `whole` with `decimals` digits after the point, without
// the sign; a whole of 0 (nothing to take a share of) gives 0.
std::string percent(long long part, long long whole, int decimals);

}  // namespace numbers
