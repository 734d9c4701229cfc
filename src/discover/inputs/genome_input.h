// The primary sequences and the control of a discovery on peaks
// (zelkova-discover --peaks PEAKS --genome GENOME.fa): the genome opened
// through its index, the peak windows cut from it, and the control cut from
// it too: a GC-matched background drawn away from every peak (by default) or
// the windows of another peak set. Every file is read and checked here,
// before the output directory exists; what was done is kept for the log and
// the page, with the windows' letters as cut for peaks.fa and background.fa
// (discover/report/genome_files.h).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "discover/inputs/sequences.h"
#include "discover/setup/options.h"
#include "discover/setup/progress.h"
#include "formats/fasta.h"
#include "formats/genome.h"
#include "formats/peaks.h"
#include "stats/gc_background.h"
#include "stats/peak_windows.h"

namespace discover {

// What a genome run read, cut and drew.
struct GenomeRun {
  // The genome.
  std::string genomePath;
  bool bgzip = false;
  formats::IndexOrigin indexOrigin = formats::IndexOrigin::Existing;
  std::string inMemoryReason;  // why the index is in memory only
  std::size_t chromosomes = 0;
  long long genomeLetters = 0;

  // The peaks and their windows (regions in the file order of their peaks).
  formats::PeakFormat peakFormat = formats::PeakFormat::Bed;
  stats::WindowSet windows;
  std::size_t excludedRegions = 0;       // regions of --exclude
  std::vector<FastaRecord> peakRecords;  // the windows' letters as cut, IUPAC codes as N: peaks.fa

  // The control cut from the genome; nothing of it when it is not.
  ControlSource control = ControlSource::GenomicBackground;
  std::optional<stats::BackgroundDraw> draw;       // the genomic background
  std::optional<stats::WindowSet> controlWindows;  // the windows of --control-peaks
  int controlOverlappingPeaks = 0;                 // control-peak windows left out as they overlap a peak window
  std::vector<stats::Interval> controlRegions;     // in order of controlRecords
  std::vector<FastaRecord> controlRecords;         // as cut, IUPAC codes as N: background.fa
};

// The genome opened, the peaks read, and the steps from them to the sets.
class GenomeInput {
 public:
  // Opens the genome of the options, finding its index or building it (with
  // a line on the progress first: building reads the whole genome), telling
  // `notice` of the directory an index is built in. Throws ReadError
  // for a genome that cannot be read or indexed.
  GenomeInput(const Options& options, StepProgress& progress, const formats::ScratchNotice& notice = {});

  // Reads the peaks (and --exclude), cuts their windows and reads their
  // letters. Throws ReadError naming the file and line of a peak the
  // genome does not hold, and for a file without peaks.
  void cutPeakWindows();

  // When the control comes from the genome: draws the GC-matched background
  // away from the peaks and the excluded regions, or cuts the windows of
  // --control-peaks, leaving out those that overlap a peak window. Throws
  // FatalError when nothing is left. Needs the peak windows.
  void cutControl(StepProgress& progress);

  const GenomeRun& run() const { return run_; }
  GenomeRun& run() { return run_; }

 private:
  const Options& options_;
  std::unique_ptr<formats::IndexedGenome> genome_;
  std::vector<stats::Interval> excluded_;  // of --exclude
  std::vector<stats::Interval> keepOut_;   // around every peak, for the background
  GenomeRun run_;
};

// Windows cut from the genome as a file of sequences: every record whole.
SequenceFile wholeRecords(const std::vector<FastaRecord>& records);

// --index-genome: finds or builds the index of the genome beside it and
// returns the line to print, telling `notice` of the directory the index is
// built in. Throws FatalError when it cannot be written there.
std::string indexGenomeOnly(const std::string& genomePath, const formats::ScratchNotice& notice = {});

}  // namespace discover
