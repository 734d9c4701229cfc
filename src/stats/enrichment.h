// Is a motif enriched in a set of sequences against a control set? Each
// sequence scores its best window under the motif (the normalised window score
// of a report's site lines, for motifs of any width: WindowScorer), a
// threshold splits both sets into sequences that reach it and those that do
// not, and a one-sided Fisher exact test of the two
// counts gives the p-value. The threshold is fixed, or chosen per motif as the
// one that separates the sets best, with the p-value corrected for the choice;
// the E-value multiplies by the number of motifs tested.
//
// The pipeline calls this in-process for the motifs it found and for the known
// motifs of a database; the zelkova-enrich program reads them from a motif file
// and formats the results.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "formats/fasta.h"
#include "formats/motif.h"
#include "formats/report_reader.h"
#include "stats/enrichment_stats.h"

namespace stats {

// A motif to test.
struct MotifMatrix {
  int rank = 0;    // its place among the motifs, from 1
  std::string id;  // name in every output
  std::string consensus;
  std::vector<formats::Column> frequencies;  // plain frequencies of A, C, G, T per position
};

// The plain frequencies of a count matrix (formats::plainFrequencies).
std::vector<formats::Column> frequenciesOf(const std::vector<formats::CountColumn>& counts);

// The motifs of a report in its order, named as every export names them
// (ZELKOVA-<rank>), with the report's consensus.
std::vector<MotifMatrix> motifsOfReport(const formats::Report& report);

// Motifs read from any motif file, in their order: ranked from 1, with their
// identifier and the consensus of their frequencies.
std::vector<MotifMatrix> motifsOf(const std::vector<formats::Motif>& motifs);

struct EnrichmentOptions {
  std::optional<double> threshold;  // fixed; without it chosen per motif
  bool bothStrands = true;          // false: the sequences as given only
  int threads = 1;                  // results are the same for every number
  bool collectSites = false;        // keep every window at or above the threshold
  // Called after each motif with the number tested so far; may be empty.
  std::function<void(std::size_t tested, std::size_t total)> progress;
};

enum class SequenceRole { Primary, Control };

// A window that reaches the threshold.
struct EnrichmentSite {
  SequenceRole set = SequenceRole::Primary;
  std::size_t sequence = 0;  // index in its set
  long long position = 0;    // 1-based, of the window's first letter on the forward strand
  bool forward = true;
  std::string word;  // on its own strand, as the report's site lines give it
  double score = 0.0;
};

struct MotifResult {
  MotifMatrix motif;
  stats::ThresholdChoice choice;      // threshold, counts, p before the correction
  double log10PAdjusted = 0.0;        // corrected for the candidates tried; equals log10 p at a fixed threshold
  double log10E = 0.0;                // log10 of p' times the number of motifs tested
  std::vector<EnrichmentSite> sites;  // with collectSites: by set, sequence, position, forward strand first
};

// (a/P)/(b/C) of a table: +infinity when b = 0 and a > 0, NaN when a = b = 0.
double enrichmentRatio(const stats::HitTable& table);

// The best window score (WindowScorer) of every sequence under `frequencies`,
// over both strands or the forward one only. Windows holding a letter other
// than A, C, G or T never count; a sequence without a window scores
// stats::kNoWindow.
std::vector<double> bestWindowScores(const std::vector<formats::Column>& frequencies,
                                     const std::vector<FastaRecord>& sequences, bool bothStrands, int threads);

// Every window of `sequences` (the set `set`) that scores at least `threshold`
// under `frequencies`: by sequence, position, forward strand first.
std::vector<EnrichmentSite> sitesAtThreshold(const std::vector<formats::Column>& frequencies,
                                             const std::vector<FastaRecord>& sequences, SequenceRole set,
                                             double threshold, bool bothStrands, int threads);

// Tests every motif on `primary` against `control`; one result per motif, in
// their order. Requires both sets to be non-empty.
std::vector<MotifResult> testMotifs(const std::vector<MotifMatrix>& motifs, const std::vector<FastaRecord>& primary,
                                    const std::vector<FastaRecord>& control, const EnrichmentOptions& options);

}  // namespace stats
