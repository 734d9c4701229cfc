#include "formats/report_format.h"

#include <charconv>

// std::to_chars with a precision gives exactly what printf's "%.4lf" gives
// (both round the exact binary value correctly), at a fraction of the cost;
// side files can hold millions of these lines.
void formats::appendSiteLine(std::string& line, const std::string& name, const char* word, bool forward,
                             long long position, double score) {
  line += '>';
  line += name;
  line += '\t';
  line += word;
  line += forward ? "\t1\t" : "\t0\t";
  line += std::to_string(position);
  line += '\t';
  char number[64];
  const std::to_chars_result r = std::to_chars(number, number + sizeof number, score, std::chars_format::fixed, 4);
  line.append(number, r.ptr);
  line += '\n';
}
