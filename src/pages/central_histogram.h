// Where a motif's best sites lie in sequences of one length, as an inline SVG
// for a page: a bar per bin of site positions (offsets from the centre, in
// letters), the count that uniform positions predict drawn as a line across
// the bars, and the most enriched central window with its corrected p-value,
// shaded when it is central (p < stats::kCentralP).
#pragma once

#include <string>

#include "stats/central_enrichment.h"

namespace pages {

// `label` names the motif in the title (escaped here).
std::string centralHistogramSvg(const stats::CentralResult& result, const std::string& label);

}  // namespace pages
