// A background of random genomic windows whose GC content matches the
// peaks': the control set of a motif search on peaks, with the genome's own
// composition, repeats and words, and none of the peaks.
//
// The draw (drawBackground):
//   - The peaks' windows are put in GC bins 1 % wide (G and C among the A, C,
//     G and T of a window; 100 % falls in the last bin). A bin holding p peak
//     windows wants ratio x p background windows, rounded so that the wants
//     add up to ratio x (peak windows), rounded (largest remainders first).
//     Peak windows without any A, C, G or T take no part.
//   - Candidate windows come from one seeded generator: a start uniform over
//     every place of the genome where the longest peak window fits, and the
//     length of a peak window drawn at random (all the same with a fixed
//     window size). A candidate is refused when more than maxNFraction of its
//     letters are not A, C, G or T (with LowerCase::AsN lower-case letters
//     count as N), when it overlaps the keep-out set (the peaks with their
//     margins, and excluded regions), or a window already drawn. Otherwise it
//     fills its GC bin when the bin still wants windows, or is kept as a
//     spare of its bin (up to the bin's want, at least 1 % of the total want).
//   - Candidates are looked at in batches, each read from the genome in
//     genome order, a span at a time; after a first batch of 65,536, each is
//     sized for the short bins at the rate they have filled so far. The draw
//     stops when every bin is full, when maxCandidatesPerWindow x (total
//     want) candidates have been looked at, or when no short bin is expected
//     to fill within that limit (a bin that found nothing after C candidates
//     is taken to need C more per missing window). Within that, the outcome
//     is that of looking at the candidates one by one in the order drawn:
//     it depends only on the inputs and the seed (no threads are used).
//   - A bin still short then takes its missing windows from the spares of
//     the nearest bins (nearer first; at equal distance the lower GC first),
//     and is listed among the shortfalls. When spares run out too (a small
//     genome), the background holds fewer windows than wanted.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "formats/bed_writer.h"
#include "formats/fasta.h"
#include "formats/genome.h"
#include "stats/genome_intervals.h"

namespace stats {

constexpr int kGcBins = 100;

struct GcCount {
  long long gc = 0;    // G and C
  long long acgt = 0;  // A, C, G and T
};

// Counts the letters of `letters` (upper case; anything else counts as N).
GcCount countGc(std::string_view letters);
// The share of G and C among the A, C, G and T of a count in thousandths,
// rounded; 0 without any A, C, G or T.
int gcPermille(const GcCount& count);
// The 1 %-wide bin of a count with at least one A, C, G or T.
int gcBin(const GcCount& count);

struct BackgroundOptions {
  double ratio = 2;  // background windows per peak window
  std::uint64_t seed = 1;
  double maxNFraction = 0.05;
  LowerCase lowerCase = LowerCase::AsUpper;
  long long maxCandidatesPerWindow = 200;
  // Called after each batch with the candidates looked at so far and the
  // most that will be; may be empty.
  std::function<void(long long looked, long long limit)> progress;
};

struct GcBinCounts {
  int peaks = 0;   // peak windows of this GC
  int wanted = 0;  // background windows it wants
  int drawn = 0;   // background windows of this GC (stand-ins for a short bin count in their own bin)
};

// A bin that its own GC could not fill.
struct Shortfall {
  int bin = 0;
  int wanted = 0;
  int found = 0;     // windows of its own GC
  int standIns = 0;  // windows taken from the nearest bins instead
};

struct BackgroundWindow {
  stats::Interval region;
  GcCount count;
};

struct BackgroundDraw {
  std::vector<BackgroundWindow> windows;  // in genome order (record order of the FASTA, then start)
  std::array<GcBinCounts, kGcBins> bins{};
  int wanted = 0;               // the total want
  int peaksWithoutLetters = 0;  // peak windows without A, C, G or T
  long long candidates = 0;     // candidates looked at
  long long candidateLimit = 0;
  std::vector<Shortfall> shortfalls;  // by bin
};

// Draws the background of `peakWindows` (the letters of the peak windows,
// as fetched with the same lower-case rule) from `genome`, away from
// `keepOut`, as described above. Requires ratio > 0 and at least one peak
// window; throws ReadError when no chromosome is as long as the longest
// peak window.
BackgroundDraw drawBackground(formats::IndexedGenome& genome, const std::vector<FastaRecord>& peakWindows,
                              const stats::IntervalIndex& keepOut, const BackgroundOptions& options);

// The regions of the drawn windows, in order.
std::vector<stats::Interval> regionsOf(const BackgroundDraw& draw);

// background.bed: the drawn windows in order, named background_1, ..., the
// score their GC content in thousandths (the share of G and C among their A,
// C, G and T), strand '.'.
std::vector<formats::BedRecord> backgroundBed(const BackgroundDraw& draw);

}  // namespace stats
