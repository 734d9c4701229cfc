#include "discover/inputs/low_complexity_text.h"

#include "formats/numbers.h"

namespace discover {

std::string maskedShareText(const Options& o, long long masked, long long letters) {
  if (!o.dust) return "";
  return ", " + formats::percentOf(masked, letters) + " masked as low-complexity";
}

}  // namespace discover
