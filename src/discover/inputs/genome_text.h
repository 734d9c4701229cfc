// What the progress, the log and the page say of the genome opened and the
// peak windows cut from it (discover/inputs/genome_input.h).
#pragma once

#include <string>

#include "discover/inputs/genome_input.h"

namespace discover {

// "index found beside it", "index built beside it" or "index built in
// memory (the directory of GENOME cannot be written to: REASON)".
std::string indexOriginText(const GenomeRun& run);

// "300 peaks, 296 windows; left out: 3 overlapping the window of a stronger
// peak, 1 running past a chromosome end"; only the reasons that left a peak
// out are named.
std::string windowCountsText(const stats::WindowSet& set);

}  // namespace discover
