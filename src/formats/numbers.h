// Numbers as text, the one way every table, log, page and help text writes
// them: fixed decimals, E-values from their log10, compact numbers and
// percentages.
#pragma once

#include <string>

namespace formats {

// `value` with `decimals` digits after the point, as the report prints scores.
std::string fixedPoint(double value, int decimals);

// A value given as its log10, as "3.2e-15": two significant digits, an exponent
// of at least two digits, never 0 (the value may lie far below the smallest
// double).
std::string scientificFromLog10(double log10Value);

// `value` with at most `digits` significant digits and no trailing zeros, in
// the exponent form when the exponent is below -4 or not below `digits`, as
// printf's %g writes it: "0.8", "1e+06", "0.000123".
std::string significant(double value, int digits = 6);

// The shorter of the plain form (up to six significant digits) and the
// exponent form, the plain one when they are as long: "0.8", "2", "100000",
// "1e-4", "2.5e-7". Help texts write defaults so.
std::string compact(double value);

// A fraction in percent with one decimal: 0.25 as "25.0 %".
std::string percent(double fraction);

// `part` in percent of `whole`, "38.9 %"; of a whole of 0, which has no
// share, "NA", as the tables write a value that does not exist.
std::string percentOf(long long part, long long whole);

}  // namespace formats
