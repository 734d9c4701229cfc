// From peak calls to the windows of genome a motif search reads: windows of a
// fixed size centred on each peak's summit (narrowPeak) or centre, or the
// peaks' own intervals; the strongest peaks first; one window where windows
// overlap.
//
// How windows are chosen (makeWindows):
//   1. Every peak is checked against the genome in file order: its chromosome
//      must be there (the error hints at "chr1" against "1" naming) and the
//      peak must end within it. The first that is not stops the run.
//   2. The window of a peak: with a size N, the N bases from summit - N/2
//      (integer division), the summit being START + the narrowPeak summit
//      offset, else START + (END - START)/2, so a 1-base summit interval
//      centres on its base; with no size, the interval itself. The window
//      keeps the peak's strand.
//   3. Peaks are taken strongest first: by narrowPeak signal (column 7), else
//      by BED score (column 5; a peak without one counts as the weakest), ties
//      and scoreless files in file order. A window is left out when it runs
//      past an end of its chromosome, overlaps an excluded region, or
//      overlaps (or repeats) the window of a stronger peak: overlapping
//      windows are not merged, so every window keeps its size and summit, and
//      the weaker peak's window is counted as left out. With a top-peaks
//      count N, taking stops once N windows are kept.
//   4. The kept windows are returned in the file order of their peaks.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "formats/genome.h"
#include "formats/peaks.h"
#include "stats/genome_intervals.h"

namespace stats {

constexpr int kDefaultWindowSize = 200;

struct WindowOptions {
  std::optional<long long> size = kDefaultWindowSize;  // none: the peaks' own intervals ("--size given"); else > 0
  std::optional<int> topPeaks;                         // none: every peak; else > 0
};

struct Window {
  stats::Interval region;
  int peakLine = 0;  // the line of its peak in the peak file
};

struct WindowSet {
  std::vector<Window> windows;  // in the file order of their peaks
  int peaks = 0;                // peaks read
  // Peaks without a window, by reason.
  int offChromosome = 0;  // the window would run past an end of the chromosome
  int excluded = 0;       // overlaps an excluded region
  int overlapping = 0;    // overlaps or repeats the window of a stronger peak
  int beyondTop = 0;      // weaker than the top-peaks count kept
};

// Throws ReadError naming the file and line of the first interval of
// `file` on a chromosome the genome does not have (with a hint when the genome
// names it the other way, "chr1" or "1") or past its chromosome's end; `what`
// names the intervals in the message ("peak", "region").
void checkAgainstGenome(const formats::PeakFile& file, const formats::IndexedGenome& genome, const std::string& what);

// The windows of `file`'s peaks, chosen as above. Throws ReadError
// naming the peak file and line for a chromosome not in the genome and a
// peak past its chromosome's end, and for a file without peaks or whose every
// window is left out.
WindowSet makeWindows(const formats::PeakFile& file, const formats::IndexedGenome& genome, const WindowOptions& options,
                      const stats::IntervalIndex& excluded);

// The regions of the windows, in order.
std::vector<stats::Interval> regionsOf(const std::vector<Window>& windows);

// The places a background must keep away from: around every peak of the
// file, whether it got a window or not, the span of its interval and its
// window widened on each side by the window's length.
std::vector<stats::Interval> keepOutZones(const formats::PeakFile& file, const WindowOptions& options);

// The regions of an excluded-regions file (a blacklist) as intervals. Regions
// on chromosomes the genome does not have are kept (they exclude nothing);
// when the file has regions but none on a chromosome of the genome, that is a
// naming mismatch and an error with the hint of makeWindows.
std::vector<stats::Interval> excludedRegions(const formats::PeakFile& file, const formats::IndexedGenome& genome);

}  // namespace stats
