#include "discover/report/genome_log.h"

#include <ostream>
#include <sstream>

#include "formats/numbers.h"
#include "stats/background_summary.h"

namespace discover {

std::string windowShapeText(const Options& options, formats::PeakFormat format) {
  if (!options.genome.windowSize) return "the peaks' own intervals";
  return std::to_string(*options.genome.windowSize) + " letters centred on " +
         (format == formats::PeakFormat::NarrowPeak ? "each summit" : "each peak's centre");
}

std::string genomeControlText(const Discovery& d) {
  const GenomeRun& run = *d.genome;
  if (run.draw)
    return std::to_string(run.draw->windows.size()) + " GC-matched genomic windows of " + run.genomePath + " (" +
           formats::fixedPoint(d.options.genome.backgroundRatio, 2) + " per peak window, seed " +
           std::to_string(d.options.seed) + "), listed in background.bed";
  return "the windows of the control peaks " + d.options.genome.controlPeaksFile + ", listed in background.bed";
}

namespace {

void writeControlLog(std::ostream& out, const Discovery& d) {
  const GenomeRun& run = *d.genome;
  if (run.controlWindows) {
    out << "control peaks: " << d.options.genome.controlPeaksFile << ", " << windowCountsText(*run.controlWindows)
        << "; " << run.controlOverlappingPeaks << " windows overlapping a peak window left out\n";
    return;
  }
  if (!run.draw) return;
  out << "background: " << stats::backgroundOverview(*run.draw) << "\n";
  for (const std::string& note : stats::backgroundNotes(*run.draw)) out << "  note: " << note << "\n";
  out << "background GC bins (percent of G and C among A, C, G and T):\n";
  std::istringstream table(stats::backgroundGcTable(*run.draw));
  for (std::string line; std::getline(table, line);) out << "  " << line << "\n";
}

}  // namespace

void writeGenomeLog(std::ostream& out, const Discovery& d) {
  if (!d.genome) return;
  const GenomeRun& run = *d.genome;
  out << "genome: " << run.genomePath << (run.bgzip ? " (bgzip)" : "") << ", " << run.chromosomes << " chromosomes, "
      << run.genomeLetters << " letters; " << indexOriginText(run) << "\n";
  out << "peaks: " << d.options.genome.peaksFile << " ("
      << (run.peakFormat == formats::PeakFormat::NarrowPeak ? "narrowPeak" : "BED") << "), "
      << windowCountsText(run.windows) << "\n";
  out << "windows: " << windowShapeText(d.options, run.peakFormat) << "; written to peaks.fa\n";
  if (!d.options.genome.excludeFile.empty())
    out << "excluded regions: " << d.options.genome.excludeFile << ", " << run.excludedRegions << " regions\n";
  writeControlLog(out, d);
}

}  // namespace discover
