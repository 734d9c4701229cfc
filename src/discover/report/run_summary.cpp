#include "discover/report/run_summary.h"

#include "discover/report/genome_log.h"
#include "formats/command_files.h"
#include "formats/numbers.h"

namespace discover {

using formats::fixedPoint;

std::string controlDescription(const Discovery& d) {
  switch (controlSource(d.options.genome, d.options.controlFile)) {
    case ControlSource::File: return formats::inputName(d.options.controlFile);
    case ControlSource::Shuffled: break;
    case ControlSource::GenomicBackground:
    case ControlSource::ControlPeaks: return genomeControlText(d);
  }
  return std::to_string(kShuffledCopies) + " dinucleotide-shuffled copies of each primary sequence (seed " +
         std::to_string(d.options.seed) + ")";
}

namespace {

// What the decoy sets are drawn from.
std::string decoySource(const Discovery& d) {
  switch (controlSource(d.options.genome, d.options.controlFile)) {
    case ControlSource::File: return "the control " + d.options.controlFile;
    case ControlSource::Shuffled: break;
    case ControlSource::GenomicBackground: return "the genomic background";
    case ControlSource::ControlPeaks: return "the windows of the control peaks";
  }
  return "the shuffled copies of the primary sequences";
}

}  // namespace

std::string decoyDescription(const Discovery& d) {
  std::size_t size = 0;  // sequences in each set: searched and, with a holdout, held out
  if (!d.decoySizes.empty()) {
    const SetSizes& s = d.decoySizes.front();
    size = d.options.holdout > 0 ? s.primarySearched + s.primaryTested : s.primarySearched;
  }
  const std::size_t sets = d.decoySizes.size();
  return std::to_string(sets) + (sets == 1 ? " set of " : " sets of ") + std::to_string(size) +
         " sequences drawn from " + decoySource(d);
}

std::string lowComplexityDescription(const Discovery& d) {
  if (!d.options.dust) return "not masked (--no-dust)";
  return "masked as N by DUST (window " + std::to_string(kDustWindow) + ", level " +
         std::to_string(d.options.dustLevel) + "): " + formats::percentOf(d.primaryDusted, d.primaryLetters) +
         " of the primary letters, " + formats::percentOf(d.controlDusted, d.controlLetters) +
         " of the control letters";
}

std::string siteBedDescription(const Discovery& d) {
  if (d.genome) return "written, in the coordinates of the genome";
  if (d.regions) return "written, in the genome coordinates the headers name";
  return "not written: " + d.regionsMissing;
}

RunSummary runSummary(const Discovery& d) {
  const Options& o = d.options;
  RunSummary s;
  s.version = d.version;
  s.started = d.started;
  s.commandLine = o.commandLine;
  s.primaryName = formats::inputName(primarySource(o));
  s.primarySequences = d.primary.records.size();
  s.primaryLetters = d.primaryLetters;
  s.trim = o.trim;
  s.lowerCaseMasked = o.maskLowercase;
  s.control = controlDescription(d);
  s.controlSequences = d.controlSequences;
  s.controlLetters = d.controlLetters;
  s.lowComplexity = lowComplexityDescription(d);
  s.holdout = o.holdout;
  s.seed = o.seed;
  s.sizes = d.sizes;
  s.backgroundOrder = d.backgroundOrder;
  s.lengths = o.lengths;
  s.searches = d.plan.searches.size();
  s.searchesSkipped = d.plan.skipped.size();
  s.decoyMode = decoyModeName(o.decoy);
  s.decoyRun = d.decoyRun;
  if (d.decoyRun) s.decoySets = decoyDescription(d);
  if (d.decoyRun) s.decoyBest = decoyBestText(d.decoyBestLog10E);
  s.databaseGiven = o.databaseFiles;
  s.databaseFiles = d.databaseFiles;
  s.knownMotifs = d.knownMotifs.size();
  s.sitesBed = siteBedDescription(d);
  s.warnings = d.warnings;
  s.steps = d.steps;
  s.totalSeconds = d.totalSeconds;
  return s;
}

}  // namespace discover
