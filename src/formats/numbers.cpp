#include "formats/numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iomanip>
#include <sstream>

namespace formats {

std::string fixedPoint(double value, int decimals) {
  std::ostringstream text;
  text << std::fixed << std::setprecision(decimals) << value;
  return text.str();
}

std::string scientificFromLog10(double log10Value) {
  double exponent = std::floor(log10Value);
  double mantissa = std::pow(10.0, log10Value - exponent);
  if (mantissa >= 9.95) {  // would print as 10.0
    mantissa /= 10;
    exponent += 1;
  }
  char text[64];
  std::snprintf(text, sizeof text, "%.1fe%+03.0f", mantissa, exponent);
  return text;
}

namespace {

// "2.5e-07" as "2.5e-7": the exponent without its sign when positive and
// without leading zeros.
std::string plainExponent(const std::string& text) {
  const std::size_t e = text.find('e');
  if (e == std::string::npos) return text;
  std::string digits = text.substr(e + 1);
  const bool negative = digits[0] == '-';
  if (digits[0] == '-' || digits[0] == '+') digits.erase(0, 1);
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
  return text.substr(0, e) + "e" + (negative ? "-" : "") + digits;
}

}  // namespace

std::string significant(double value, int digits) {
  std::ostringstream text;
  text << std::setprecision(digits) << value;
  return text.str();
}

std::string compact(double value) {
  const std::string plain = significant(value);
  if (!std::isfinite(value)) return plain;
  std::ostringstream exponent;
  exponent << std::scientific << std::setprecision(5) << value;
  std::string scientific = exponent.str();
  // Trailing zeros of the mantissa say nothing: 1.00000e-04 is 1e-04.
  const std::size_t e = scientific.find('e');
  std::string mantissa = scientific.substr(0, e);
  if (mantissa.find('.') != std::string::npos) {
    mantissa.erase(mantissa.find_last_not_of('0') + 1);
    if (mantissa.back() == '.') mantissa.pop_back();
  }
  scientific = plainExponent(mantissa + scientific.substr(e));
  const std::string shortest = plainExponent(plain);
  return scientific.size() < shortest.size() ? scientific : shortest;
}

std::string percent(double fraction) { return fixedPoint(100.0 * fraction, 1) + " %"; }

std::string percentOf(long long part, long long whole) {
  if (whole == 0) return "NA";
  return percent(static_cast<double>(part) / static_cast<double>(whole));
}

}  // namespace formats
