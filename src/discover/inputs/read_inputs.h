// The inputs stage: the primary sequences (read from a file, or the peak
// windows cut from a genome), the control (read, shuffled or cut from the
// genome) and the motif database, every one read and checked, and both sets
// masked for low complexity, before anything is written.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "discover/inputs/genome_input.h"
#include "discover/inputs/sequences.h"
#include "discover/setup/options.h"
#include "discover/setup/progress.h"
#include "formats/fasta.h"
#include "formats/genome.h"
#include "formats/motif.h"
#include "formats/report_data.h"
#include "stats/genome_intervals.h"
#include "stats/scoring_matrix.h"

namespace discover {

struct Inputs {
  std::optional<GenomeRun> genome;   // with --peaks: the genome, the windows, the control cut from it
  SequenceFile primary;              // as read: masked and trimmed
  std::vector<FastaRecord> control;  // masked as the primary set is
  long long primaryLetters = 0, controlLetters = 0;
  long long primaryDusted = 0, controlDusted = 0;  // letters masked as low-complexity
  std::vector<std::string> warnings;               // about the inputs, one line each
  std::vector<std::string> inputNotes;  // about the letters read, "peaks.fa: 3 IUPAC letters read as N"; may be empty
  std::array<double, formats::kReportBases> controlBases{};  // letter frequencies of the control, both strands
  stats::Background siteBackground{};                        // of the site p-values: the primary letters before masking
  std::optional<std::vector<stats::Interval>> regions;       // when every header names one
  std::string regionsMissing;                                // else why not: sites.bed is not written
  std::vector<std::string> databaseFiles;                    // the files of the motif database
  std::vector<formats::Motif> knownMotifs;                   // the database the names come from
};

// The steps "Genome" (with --peaks), "Reading" and "Control". The directory
// a genome's index is built in, outside the output directory, is told to
// `indexNotice`. Warnings and notes are told to the progress as they arise.
// Throws FatalError (or ReadError for a motif database) for input it
// refuses.
Inputs readInputs(const Options& options, const formats::ScratchNotice& indexNotice, StepProgress& progress);

}  // namespace discover
