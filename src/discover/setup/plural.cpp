#include "discover/setup/plural.h"

namespace discover {

std::string plural(std::size_t n, const std::string& word) {
  if (n == 1) return "1 " + word;
  const char last = word.back();
  return std::to_string(n) + " " + word + (last == 's' || last == 'h' ? "es" : "s");
}

}  // namespace discover
