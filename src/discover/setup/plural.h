// Counts in the lines of the progress: "1 sequence", "3 searches".
#pragma once

#include <cstddef>
#include <string>

namespace discover {

// `n` and the word, in the plural ("es" after s and h) unless n is 1.
std::string plural(std::size_t n, const std::string& word);

}  // namespace discover
