#include "stats/simple_repeat.h"

namespace simple_repeat {

bool isSimpleRepeat(const std::string& consensus) {
  const std::size_t width = consensus.size();
  for (std::size_t period = 1; period <= static_cast<std::size_t>(kLongestPeriod); ++period) {
    if (width < 2 * period + 1) continue;
    std::size_t agreeing = 0;
    for (std::size_t k = period; k < width; ++k) agreeing += consensus[k] == consensus[k - period];
    if (static_cast<double>(agreeing) >= kMinAgreement * static_cast<double>(width - period)) return true;
  }
  return false;
}

}  // namespace simple_repeat
