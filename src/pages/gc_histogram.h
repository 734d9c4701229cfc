// The GC histograms of the peak windows and of their GC-matched background
// side by side, as an inline SVG for a run's page: how well the background
// matches the peaks, at a glance.
#pragma once

#include <string>

#include "stats/gc_background.h"

namespace pages {

// For every 1 % GC bin from the lowest to the highest holding a window, two
// bars: the share of the peak windows in the bin and the share of the
// background windows, on a common axis in percent of each set; a legend with
// the two counts. Empty sets draw no bars.
std::string gcHistogramSvg(const stats::BackgroundDraw& draw);

}  // namespace pages
