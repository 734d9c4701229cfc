#include "discover/inputs/genome_input.h"

#include <functional>

#include "base/errors.h"
#include "stats/genome_intervals.h"

namespace discover {

namespace {

using stats::Interval;

// The background's seed, derived from --seed as a stream of its own, so that
// it never changes with the shuffles' or the holdout's.
constexpr std::uint64_t kGenomicBackgroundStream = 0xd1b54a32d192ed03ULL;

// Letters other than A, C, G and T (IUPAC codes) become N, as the searches
// read them and as the FASTA path reads them: peaks.fa then gives the same
// sequences both ways.
std::vector<FastaRecord> asSearched(std::vector<FastaRecord> records) {
  for (FastaRecord& r : records)
    for (char& c : r.letters)
      if (c != 'A' && c != 'C' && c != 'G' && c != 'T') c = 'N';
  return records;
}

LowerCase lowerCaseRule(const Options& o) { return o.maskLowercase ? LowerCase::AsN : LowerCase::AsUpper; }

stats::WindowOptions windowOptions(const Options& o, bool top) {
  stats::WindowOptions w;
  w.size = o.genome.windowSize;
  if (top) w.topPeaks = o.genome.topPeaks;
  return w;
}

// The draw's progress as a share of the candidates it may look at.
std::function<void(long long, long long)> drawProgress(StepProgress& progress) {
  return [&progress](long long looked, long long limit) {
    progress.update(std::to_string(looked) + " random genomic windows looked at",
                    limit > 0 ? static_cast<double>(looked) / static_cast<double>(limit) : -1.0);
  };
}

}  // namespace

GenomeInput::GenomeInput(const Options& options, StepProgress& progress, const formats::ScratchNotice& notice)
    : options_(options) {
  const std::string& path = options.genome.genomeFile;
  progress.update("opening " + path + " (its index is built beside it when missing)", -1.0);
  genome_ = std::make_unique<formats::IndexedGenome>(path, notice);
  run_.genomePath = path;
  run_.bgzip = genome_->bgzipCompressed();
  run_.indexOrigin = genome_->indexOrigin();
  run_.inMemoryReason = genome_->inMemoryReason();
  run_.chromosomes = genome_->chromosomes().size();
  run_.genomeLetters = genome_->totalLength();
  run_.control = controlSource(options.genome, options.controlFile);
}

void GenomeInput::cutPeakWindows() {
  const GenomeOptions& g = options_.genome;
  if (!g.excludeFile.empty()) {
    excluded_ = stats::excludedRegions(formats::readPeakFile(g.excludeFile), *genome_);
    run_.excludedRegions = excluded_.size();
  }
  const formats::PeakFile file = formats::readPeakFile(g.peaksFile);
  run_.peakFormat = file.format;
  const stats::IntervalIndex excluded(excluded_);
  run_.windows = stats::makeWindows(file, *genome_, windowOptions(options_, true), excluded);
  run_.peakRecords =
      asSearched(stats::fetchRecords(*genome_, stats::regionsOf(run_.windows.windows), lowerCaseRule(options_)));
  keepOut_ = stats::keepOutZones(file, windowOptions(options_, false));
  keepOut_.insert(keepOut_.end(), excluded_.begin(), excluded_.end());
}

void GenomeInput::cutControl(StepProgress& progress) {
  if (run_.control == ControlSource::GenomicBackground) {
    stats::BackgroundOptions b;
    b.ratio = options_.genome.backgroundRatio;
    b.seed = options_.seed ^ kGenomicBackgroundStream;
    b.maxNFraction = kMaxBackgroundN;
    b.lowerCase = lowerCaseRule(options_);
    b.progress = drawProgress(progress);
    run_.draw = stats::drawBackground(*genome_, run_.peakRecords, stats::IntervalIndex(keepOut_), b);
    if (run_.draw->windows.empty())
      throw FatalError("Error: no background window could be drawn from " + run_.genomePath +
                       ": every place of it is near a peak, excluded or more than " +
                       std::to_string(static_cast<int>(100 * kMaxBackgroundN)) + " % N.\n");
    run_.controlRegions = stats::regionsOf(*run_.draw);
  } else if (run_.control == ControlSource::ControlPeaks) {
    const formats::PeakFile file = formats::readPeakFile(options_.genome.controlPeaksFile);
    stats::WindowSet set =
        stats::makeWindows(file, *genome_, windowOptions(options_, false), stats::IntervalIndex(excluded_));
    const stats::IntervalIndex peakWindows(stats::regionsOf(run_.windows.windows));
    for (const stats::Window& w : set.windows) {
      if (peakWindows.overlaps(w.region.chrom, w.region.start, w.region.end))
        ++run_.controlOverlappingPeaks;
      else
        run_.controlRegions.push_back(w.region);
    }
    if (run_.controlRegions.empty())
      throw FatalError("Error: every window of the control peaks " + file.source + " overlaps a peak window of " +
                       options_.genome.peaksFile + "; a control needs windows of its own.\n");
    run_.controlWindows = std::move(set);
  } else {
    return;
  }
  run_.controlRecords = asSearched(stats::fetchRecords(*genome_, run_.controlRegions, lowerCaseRule(options_)));
}

SequenceFile wholeRecords(const std::vector<FastaRecord>& records) {
  SequenceFile file;
  file.records = records;
  file.trimmedOff.assign(file.records.size(), 0);
  for (const FastaRecord& r : file.records) file.givenLength.push_back(static_cast<long long>(r.letters.size()));
  return file;
}

std::string indexGenomeOnly(const std::string& genomePath, const formats::ScratchNotice& notice) {
  const formats::IndexedGenome genome(genomePath, notice);
  switch (genome.indexOrigin()) {
    case formats::IndexOrigin::Existing: return "The index of " + genomePath + " is there and up to date.";
    case formats::IndexOrigin::BuiltBeside: return "Built the index of " + genomePath + " beside it.";
    case formats::IndexOrigin::BuiltInMemory: break;
  }
  throw FatalError("Error: cannot write the index of " + genomePath + " beside it: " + genome.inMemoryReason() + ".\n");
}

}  // namespace discover
