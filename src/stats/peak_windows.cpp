#include "stats/peak_windows.h"

#include <algorithm>
#include <limits>
#include <numeric>

#include "base/errors.h"
#include "formats/text_lines.h"

namespace stats {

namespace {

std::string someNames(const formats::IndexedGenome& genome) {
  constexpr std::size_t kShown = 3;
  const std::vector<formats::Chromosome>& chromosomes = genome.chromosomes();
  std::string names;
  for (std::size_t i = 0; i < std::min(kShown, chromosomes.size()); ++i) names += (i ? ", " : "") + chromosomes[i].name;
  return names + (chromosomes.size() > kShown ? ", ..." : "");
}

std::string missingChromosome(const std::string& chrom, const formats::IndexedGenome& genome) {
  const std::optional<std::string> other = genome.otherNaming(chrom);
  if (other)
    return "chromosome " + chrom + " is not in the genome " + genome.path() + ", which names it " + *other +
           ": name the chromosomes of both files the same way (\"chr1\" or \"1\")";
  return "chromosome " + chrom + " is not in the genome " + genome.path() + " (its records: " + someNames(genome) +
         "); are the peaks and the genome of the same assembly?";
}

Interval windowOf(const formats::Peak& peak, const WindowOptions& options) {
  if (!options.size) return {peak.chrom, peak.start, peak.end, peak.strand};
  const long long summit = peak.start + (peak.summit ? *peak.summit : (peak.end - peak.start) / 2);
  const long long start = summit - *options.size / 2;
  return {peak.chrom, start, start + *options.size, peak.strand};
}

double strengthOf(const formats::Peak& peak) {
  if (peak.signal) return *peak.signal;
  if (peak.score) return *peak.score;
  return -std::numeric_limits<double>::infinity();
}

// Peak indexes strongest first, ties in file order.
std::vector<std::size_t> strongestFirst(const std::vector<formats::Peak>& peaks) {
  std::vector<std::size_t> order(peaks.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return strengthOf(peaks[a]) > strengthOf(peaks[b]); });
  return order;
}

void failWithoutWindows(const formats::PeakFile& file, const WindowSet& set) {
  throw ReadError(
      file.source, 0,
      "none of the " + std::to_string(set.peaks) + " peaks leaves a window: " + std::to_string(set.offChromosome) +
          " would run past a chromosome's end, " + std::to_string(set.excluded) + " overlap an excluded region");
}

}  // namespace

void checkAgainstGenome(const formats::PeakFile& file, const formats::IndexedGenome& genome, const std::string& what) {
  for (const formats::Peak& peak : file.peaks) {
    const formats::Chromosome* chromosome = genome.find(peak.chrom);
    if (!chromosome) throw ReadError(file.source, peak.line, missingChromosome(peak.chrom, genome));
    if (peak.end > chromosome->length)
      throw ReadError(file.source, peak.line,
                      "the " + what + " " + peak.chrom + ":" + std::to_string(peak.start) + "-" +
                          std::to_string(peak.end) + " ends past the end of " + peak.chrom + " (" +
                          std::to_string(chromosome->length) + " bases) in " + genome.path() +
                          "; are the peaks and the genome of the same assembly?");
  }
}

WindowSet makeWindows(const formats::PeakFile& file, const formats::IndexedGenome& genome, const WindowOptions& options,
                      const stats::IntervalIndex& excluded) {
  ZK_ASSERT((!options.size || *options.size > 0) && (!options.topPeaks || *options.topPeaks > 0));
  if (file.peaks.empty()) throw ReadError(file.source, 0, "the file holds no peak (a line CHROM START END)");
  checkAgainstGenome(file, genome, "peak");
  WindowSet set;
  set.peaks = static_cast<int>(file.peaks.size());
  std::vector<bool> kept(file.peaks.size(), false);
  stats::DisjointIntervals keptWindows;
  int keptCount = 0;
  for (const std::size_t i : strongestFirst(file.peaks)) {
    const Interval w = windowOf(file.peaks[i], options);
    if (options.topPeaks && keptCount == *options.topPeaks)
      ++set.beyondTop;
    else if (w.start < 0 || w.end > genome.find(w.chrom)->length)
      ++set.offChromosome;
    else if (excluded.overlaps(w.chrom, w.start, w.end))
      ++set.excluded;
    else if (keptWindows.overlaps(w))
      ++set.overlapping;
    else {
      keptWindows.add(w);
      kept[i] = true;
      ++keptCount;
    }
  }
  for (std::size_t i = 0; i < file.peaks.size(); ++i)
    if (kept[i]) set.windows.push_back({windowOf(file.peaks[i], options), file.peaks[i].line});
  if (set.windows.empty()) failWithoutWindows(file, set);
  return set;
}

std::vector<Interval> regionsOf(const std::vector<Window>& windows) {
  std::vector<Interval> regions;
  regions.reserve(windows.size());
  for (const Window& w : windows) regions.push_back(w.region);
  return regions;
}

std::vector<Interval> keepOutZones(const formats::PeakFile& file, const WindowOptions& options) {
  std::vector<Interval> zones;
  zones.reserve(file.peaks.size());
  for (const formats::Peak& peak : file.peaks) {
    const Interval w = windowOf(peak, options);
    zones.push_back({peak.chrom, std::min(peak.start, w.start) - w.length(), std::max(peak.end, w.end) + w.length()});
  }
  return zones;
}

std::vector<Interval> excludedRegions(const formats::PeakFile& file, const formats::IndexedGenome& genome) {
  std::vector<Interval> regions;
  bool anyInGenome = false;
  for (const formats::Peak& region : file.peaks) {
    regions.push_back({region.chrom, region.start, region.end});
    anyInGenome = anyInGenome || genome.find(region.chrom) != nullptr;
  }
  if (!regions.empty() && !anyInGenome)
    throw ReadError(file.source, file.peaks.front().line, missingChromosome(file.peaks.front().chrom, genome));
  return regions;
}

}  // namespace stats
