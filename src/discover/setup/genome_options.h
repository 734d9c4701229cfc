// The options of zelkova-discover that take the primary sequences from a
// peak file and a genome (--peaks PEAKS --genome GENOME.fa) and choose the
// control drawn from the genome; docs/zelkova-discover.md describes them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/companion_parser.h"

namespace discover {

constexpr long long kDefaultWindowSize = 200;  // letters of a peak window
constexpr long long kMaxWindowSize = 1000000;
constexpr double kDefaultBackgroundRatio = 2;  // background windows per peak window
constexpr double kMaxBackgroundRatio = 100;
constexpr double kMaxBackgroundN = 0.05;  // share of a background window that may be N

struct GenomeOptions {
  std::string peaksFile;  // empty: the primary sequences are PRIMARY.fa
  std::string genomeFile;
  std::optional<long long> windowSize = kDefaultWindowSize;  // none: the peaks' own intervals (--size given)
  std::optional<int> topPeaks;                               // none: every peak
  double backgroundRatio = kDefaultBackgroundRatio;
  std::string excludeFile;       // regions kept out of the peak windows and the control
  std::string controlPeaksFile;  // another peak set as the control
  bool shuffledControl = false;  // shuffles even with a genome
  bool indexOnly = false;        // find or build the genome's index, then stop
};

// Adds the options to `parser`, storing into `options`; the name of every
// option given that needs --peaks is appended to `peaksOnly`.
void addGenomeOptions(cli::Parser& parser, GenomeOptions& options, std::vector<std::string>& peaksOnly);

// Refuses combinations that cannot run, with UsageError: --peaks without
// --genome or with PRIMARY.fa (`primaryGiven`), --genome without --peaks
// (but with --index-genome), an option of `peaksOnly` without --peaks, two
// controls at once (--control when `controlFileGiven`, --control-peaks,
// --shuffled-control), --background-ratio with a control that is not the
// genomic background, and --trim (`trimGiven`) with --peaks.
void checkGenomeOptions(const GenomeOptions& options, const std::vector<std::string>& peaksOnly, bool primaryGiven,
                        bool controlFileGiven, bool trimGiven);

// Where the control sequences come from.
enum class ControlSource {
  Shuffled,           // dinucleotide-shuffled copies of the primary sequences
  File,               // --control FASTA
  GenomicBackground,  // GC-matched windows drawn from the genome
  ControlPeaks,       // the windows of --control-peaks
};

// The control a run with these options uses: the genomic background by
// default with --peaks, shuffles by default without.
ControlSource controlSource(const GenomeOptions& options, const std::string& controlFile);

// Whether the control is cut from the genome (and written as background.fa).
bool controlFromGenome(ControlSource source);

// The value of --size: a whole number of letters, or "given" (nothing).
std::optional<long long> parseWindowSize(const std::string& text);

}  // namespace discover
