// What a GC-matched background draw did, in words and as a table, for the log
// and the page of a run: the GC histograms of the peaks and of the background
// and the bins that could not be filled.
#pragma once

#include <string>
#include <vector>

#include "stats/gc_background.h"

namespace stats {

// A tab-separated table with a header: gc_percent (the bin's lower bound),
// peak_windows, wanted, drawn; one row per bin holding any of them.
std::string backgroundGcTable(const stats::BackgroundDraw& draw);

// One sentence: how many windows were drawn, from how many candidates, for
// how many peak windows.
std::string backgroundOverview(const stats::BackgroundDraw& draw);

// A sentence per matter the user should know of, in bin order: peak windows
// without letters, and each bin that its own GC could not fill (with what
// stood in for it, or how many windows the background lacks).
std::vector<std::string> backgroundNotes(const stats::BackgroundDraw& draw);

}  // namespace stats
