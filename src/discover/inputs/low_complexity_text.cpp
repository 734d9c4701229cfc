#include "discover/inputs/low_complexity_text.h"

#include "formats/motif_export.h"

namespace discover {

std::string maskedShareText(const Options& o, long long masked, long long letters) {
  if (!o.dust) return "";
  const double share = letters > 0 ? 100.0 * static_cast<double>(masked) / static_cast<double>(letters) : 0.0;
  return ", " + export_formats::fixedPoint(share, 1) + " % masked as low-complexity";
}

}  // namespace discover
