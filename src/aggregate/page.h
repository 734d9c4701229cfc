// index.html of zelkova-aggregate: one self-contained page (no network) with
// a row per sample linking to its zelkova-discover page and showing its best
// motif: logo, consensus, E-value, whether it beats the decoy, best known
// match.
#pragma once

#include <string>
#include <vector>

#include "aggregate/samples.h"

namespace aggregate {

// The address of DIR/index.html for a page written at `pagePath`: relative to
// the page's own directory (so the results can be moved or copied as a
// whole), every byte but letters, digits and - . _ ~ / percent-encoded.
std::string pageLink(const std::string& pagePath, const std::string& directory);

// The whole page to be written at `pagePath`; `date` says when it was made.
std::string indexPage(const std::vector<Sample>& samples, const std::string& pagePath, const std::string& date);

}  // namespace aggregate
