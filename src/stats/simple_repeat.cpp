#include "stats/simple_repeat.h"

#include <algorithm>
#include <array>

#include "base/words.h"

namespace stats {

namespace {

// The most letters of `consensus` that one word of `period` letters, written
// over and over, can explain: at each place of the word, its most frequent
// letter (letters other than A, C, G and T are never explained).
std::size_t explainedBy(std::string_view consensus, std::size_t period) {
  std::size_t explained = 0;
  for (std::size_t phase = 0; phase < period; ++phase) {
    std::array<std::size_t, 4> counts{};
    for (std::size_t k = phase; k < consensus.size(); k += period) {
      const int b = base::baseIndex(consensus[k]);
      if (b >= 0) ++counts[static_cast<std::size_t>(b)];
    }
    explained += *std::max_element(counts.begin(), counts.end());
  }
  return explained;
}

}  // namespace

bool isSimpleRepeat(std::string_view consensus) {
  const std::size_t width = consensus.size();
  for (std::size_t period = 1; period <= static_cast<std::size_t>(kLongestPeriod); ++period) {
    if (width < 2 * period + 2) continue;
    if (explainedBy(consensus, period) + width / static_cast<std::size_t>(kLettersPerMiss) >= width) return true;
  }
  return false;
}

}  // namespace stats
