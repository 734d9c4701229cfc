// Low-complexity DNA in a discovery (docs/zelkova-discover.md, "Low-complexity
// DNA"): the sequence sets masked with DUST as the options ask. The
// simple-repeat motifs it leaves are set apart from the ranking
// (discover/testing/set_apart.h).
#pragma once

#include <vector>

#include "discover/setup/options.h"
#include "formats/fasta.h"
#include "stats/dust.h"

namespace discover {

// DUST as the options set it: window kDustWindow, --dust-level, and stretches
// shorter than the shortest motif left alone (no window of a motif lies
// wholly inside them; masking them would only cut good windows around them,
// and DUST calls seven As in a row low-complexity).
stats::DustSettings dustSettings(const Options& options);

// Masks the low-complexity DNA of `records` as N unless --no-dust; returns
// the letters masked.
long long maskLowComplexity(const Options& options, std::vector<FastaRecord>& records);

}  // namespace discover
