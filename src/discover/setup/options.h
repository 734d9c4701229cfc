// The settings of zelkova-discover: what the user chooses on the command line,
// and the constants of the method that docs/zelkova-discover.md documents.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "discover/setup/genome_options.h"

namespace discover {

enum class DecoyMode { Auto, Yes, No };

struct Options {
  std::string primaryFile;  // empty with --peaks
  GenomeOptions genome;     // --peaks, --genome and what goes with them
  std::string outputDir;
  std::string controlFile;  // empty: shuffled copies of the primary sequences
  std::vector<int> lengths{8, 12, 16};
  std::optional<int> mismatches;    // --mismatches: every search at this allowance instead of the plan's
  std::optional<double> threshold;  // --threshold: the engine's site threshold (its -thr) instead of the plan's
  bool bothStrands = true;          // --strand both (default) or + (the sequences as given)
  int trim = 0;                     // 0: whole records; else the central `trim` letters of each
  bool maskLowercase = false;
  bool dust = true;  // mask low-complexity stretches (stats/dust.h)
  int dustLevel = 20;
  std::uint64_t seed = 0;
  DecoyMode decoy = DecoyMode::Auto;
  double holdout = 0.0;  // fraction of the sequences kept out of the searches
  int top = 10;
  std::string motifPrefix = "ZELKOVA";     // motif IDs are PREFIX-<rank>
  std::vector<std::string> databaseFiles;  // empty: the bundled collection
  bool knownEnrichment = true;             // test every known motif for enrichment
  bool keepSideFiles = false;
  bool force = false;
  int threads = 1;
  std::uint64_t maxLetters = 0;  // per record and per input file
  std::string commandLine;       // the words of the command line, for the log and the page
};

// ---- the method's constants ---------------------------------------------------

constexpr int kMinLength = 6, kMaxLength = 20;              // the engine's motif lengths
constexpr double kMinThreshold = 0.7, kMaxThreshold = 1.0;  // the engine's site thresholds (-thr)
constexpr double kMaxHoldout = 0.5;
constexpr int kShuffleWordLength = 2;  // shuffles keep the dinucleotide counts
constexpr int kShuffledCopies = 2;     // of each sequence, for a control or a decoy
constexpr int kForegroundOrder = 7;
constexpr int kMaxBackgroundOrder = 7;
// The background order is the highest whose longest words are counted this
// often on average (both strands).
constexpr double kCountsPerWord = 10.0;
constexpr int kMotifsPerSearch = 10;  // the engine's -n
// The searches read at most this many letters of a set, and the known motifs
// are tested on at most this many primary letters (every k-th sequence of a
// larger set, and as many of the control): 15,000 peaks of 200 letters hold
// thousands of sites of any motif worth reporting, and beyond them the cost
// would grow with the set while the answer does not change.
constexpr std::size_t kSearchLetters = 3000000;
constexpr std::size_t kKnownLetters = 3000000;
constexpr int kDecoyReplicates = 1;  // decoy sets, each the size of the primary set
// A motif beats the decoy when its E-value is this many times smaller than
// the best the decoy set reaches: with one decoy set the best motif of random
// DNA then beats it about as often as it beat the better of two sets without
// a margin (docs/benchmarks.md, "The decoy"), at half their cost.
constexpr double kDecoyMargin = 10.0;
constexpr int kDecoyAutoBelow = 500;      // primary sequences under which --decoy auto runs it
constexpr double kRedundancyE = 0.01;     // motifs that match each other this well are merged
constexpr int kKnownMatchesShown = 5;     // known motifs listed per motif
constexpr double kKnownMatchMaxE = 10.0;  // ... whose E-value is at most this
constexpr double kConvincingMatchE = 0.05;
constexpr int kDustWindow = 64;        // letters; the usual window of DUST
constexpr int kMaxDustLevel = 100;     // the motif table names a motif after a match this good
constexpr int kPageSitesShown = 1000;  // site rows per motif on the page; all are in sites.tsv

// "auto", "yes" or "no".
const char* decoyModeName(DecoyMode mode);
// Whether the decoy runs for a primary set of `primarySequences`.
bool decoyRuns(DecoyMode mode, std::size_t primarySequences);

// The value of --lengths: whole numbers from kMinLength to kMaxLength, or
// ranges of them ("8-12": 8, 9, 10, 11, 12), separated by commas, each length
// once, in the order given. Throws UsageError.
std::vector<int> parseLengths(const std::string& text);
// Lengths as --lengths takes them: "8,12,16".
std::string lengthsText(const std::vector<int>& lengths);
// The value of --strand: "both" (true) or "+" (false). Throws UsageError.
bool parseStrand(const std::string& text);
// --mismatches checked against the lengths: below the shortest. Throws
// UsageError.
void checkMismatches(int mismatches, const std::vector<int>& lengths);
// The value of --decoy. Throws UsageError.
DecoyMode parseDecoyMode(const std::string& text);
// The value of --prefix: letters, digits, '.', '_' and '-', as motif files
// and pages take them in an identifier. Throws UsageError.
std::string parsePrefix(const std::string& text);

// The primary sequences as the user named them: PRIMARY.fa, or PEAKS.
const std::string& primarySource(const Options& options);

// The command line; nothing when --help or --version was answered. Throws
// UsageError for every mistake.
std::optional<Options> parseArguments(int argc, const char* const* argv);

}  // namespace discover
