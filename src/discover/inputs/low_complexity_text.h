// What the progress says of the low-complexity DNA masked in a set
// (discover/inputs/low_complexity.h).
#pragma once

#include <string>

#include "discover/setup/options.h"

namespace discover {

// ", 3.1 % masked as low-complexity", or nothing with --no-dust.
std::string maskedShareText(const Options& options, long long masked, long long letters);

}  // namespace discover
