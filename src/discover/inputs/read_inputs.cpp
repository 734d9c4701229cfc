#include "discover/inputs/read_inputs.h"

#include <algorithm>
#include <utility>

#include "discover/inputs/genome_text.h"
#include "discover/inputs/letter_counts.h"
#include "discover/inputs/low_complexity.h"
#include "discover/inputs/low_complexity_text.h"
#include "discover/inputs/record_checks.h"
#include "discover/inputs/regions.h"
#include "discover/setup/plural.h"
#include "formats/command_files.h"
#include "stats/background_summary.h"
#include "stats/motif_database.h"
#include "stats/shuffle.h"

namespace discover {

namespace {

void warn(Inputs& inputs, StepProgress& progress, const std::vector<std::string>& warnings) {
  for (const std::string& w : warnings) {
    progress.say(w);
    inputs.warnings.push_back(w);
  }
}

// The note about the IUPAC letters of an input read as N (none when there
// were none), on standard error now and in the log later.
void noteLetters(Inputs& inputs, StepProgress& progress, const std::string& file, std::uint64_t iupacLetters) {
  const std::string note = iupacNote(formats::inputName(file), iupacLetters);
  if (note.empty()) return;
  progress.say(note);
  inputs.inputNotes.push_back(note);
}

// The control as read from --control (its records checked like the primary
// ones), or shuffled copies of the primary sequences as they are searched.
std::vector<FastaRecord> readControl(const Options& o, Inputs& inputs, StepProgress& progress) {
  if (o.controlFile.empty())
    return stats::shuffledCopies(inputs.primary.records, kShuffleWordLength, kShuffledCopies, o.seed, o.threads);
  SequenceFile control = readSequenceFile(o.controlFile, o.trim, o.maskLowercase, o.maxLetters);
  noteLetters(inputs, progress, o.controlFile, control.iupacLetters);
  warn(inputs, progress, checkRecords(control, o.controlFile));
  return std::move(control.records);
}

// How the control was made, for its step's line.
std::string controlSummary(const Options& o, ControlSource source) {
  switch (source) {
    case ControlSource::Shuffled: return "shuffled";
    case ControlSource::File: return "from " + formats::inputName(o.controlFile);
    case ControlSource::GenomicBackground: return "GC-matched genomic windows";
    case ControlSource::ControlPeaks: return "windows of the control peaks " + o.genome.controlPeaksFile;
  }
  return "";
}

// Genome (with --peaks): the genome opened, the peaks read and their windows
// cut; nothing without --peaks.
std::optional<GenomeInput> cutFromGenome(const Options& o, const formats::ScratchNotice& indexNotice,
                                         StepProgress& progress) {
  if (o.genome.peaksFile.empty()) return std::nullopt;
  progress.begin("Genome");
  std::optional<GenomeInput> genome(std::in_place, o, progress, indexNotice);
  genome->cutPeakWindows();
  const GenomeRun& run = genome->run();
  progress.end(plural(run.chromosomes, "chromosome") + ", " + std::to_string(run.genomeLetters) + " letters, " +
               indexOriginText(run) + "; " + windowCountsText(run.windows));
  return genome;
}

// Reading: the primary sequences (the peak windows with a genome), checked
// and masked for low complexity.
void readPrimary(const Options& o, Inputs& inputs, const std::optional<GenomeInput>& genome, StepProgress& progress) {
  const std::string source = formats::inputName(primarySource(o));
  progress.begin("Reading");
  if (genome) {
    inputs.primary = wholeRecords(genome->run().peakRecords);
  } else {
    inputs.primary = readSequenceFile(o.primaryFile, o.trim, o.maskLowercase, o.maxLetters);
    noteLetters(inputs, progress, o.primaryFile, inputs.primary.iupacLetters);
  }
  warn(inputs, progress, checkRecords(inputs.primary, source));
  requireSeveralSequences(inputs.primary.records, *std::min_element(o.lengths.begin(), o.lengths.end()), source);
  inputs.primaryLetters = letterCount(inputs.primary.records);
  inputs.siteBackground = siteBackground(inputs.primary.records);
  HeaderRegions regions = regionsOfRecords(inputs.primary.records, inputs.primary.givenLength);
  inputs.regions = std::move(regions.regions);
  inputs.regionsMissing = std::move(regions.whyNot);
  inputs.primaryDusted = maskLowComplexity(o, inputs.primary.records);
  progress.end(plural(inputs.primary.records.size(), "sequence") + ", " + std::to_string(inputs.primaryLetters) +
               " letters" + maskedShareText(o, inputs.primaryDusted, inputs.primaryLetters));
}

// The control cut from the genome, its records checked as a file's are.
std::vector<FastaRecord> cutGenomeControl(Inputs& inputs, GenomeInput& genome, StepProgress& progress) {
  genome.cutControl(progress);
  const GenomeRun& run = genome.run();
  if (run.draw)
    for (const std::string& note : stats::backgroundNotes(*run.draw)) progress.say("Note: " + note);
  SequenceFile control = wholeRecords(run.controlRecords);
  warn(inputs, progress, checkRecords(control, "background.fa"));
  return std::move(control.records);
}

// Control: the control, masked, and the motif database.
void readControlAndDatabase(const Options& o, Inputs& inputs, std::optional<GenomeInput>& genome,
                            StepProgress& progress) {
  progress.begin("Control");
  const ControlSource source = controlSource(o.genome, o.controlFile);
  inputs.control =
      controlFromGenome(source) ? cutGenomeControl(inputs, *genome, progress) : readControl(o, inputs, progress);
  inputs.controlLetters = letterCount(inputs.control);
  inputs.controlDusted = maskLowComplexity(o, inputs.control);
  inputs.controlBases = baseFrequencies(inputs.control);
  inputs.databaseFiles = stats::resolveFiles(o.databaseFiles);
  inputs.knownMotifs = stats::loadMotifDatabase(inputs.databaseFiles);
  progress.end(plural(inputs.control.size(), "sequence") + ", " + controlSummary(o, source) +
               maskedShareText(o, inputs.controlDusted, inputs.controlLetters));
}

}  // namespace

Inputs readInputs(const Options& o, const formats::ScratchNotice& indexNotice, StepProgress& progress) {
  std::vector<std::string> files{o.primaryFile, o.controlFile, o.genome.peaksFile, o.genome.controlPeaksFile,
                                 o.genome.excludeFile};
  files.insert(files.end(), o.databaseFiles.begin(), o.databaseFiles.end());
  formats::checkCommandFiles(files, {});  // standard input read once at most
  Inputs inputs;
  std::optional<GenomeInput> genome = cutFromGenome(o, indexNotice, progress);
  readPrimary(o, inputs, genome, progress);
  readControlAndDatabase(o, inputs, genome, progress);
  if (genome) inputs.genome = std::move(genome->run());
  return inputs;
}

}  // namespace discover
