// Everything a discovery found and how: the values every output of
// zelkova-discover (page, tables, motif files, log) is written from, made of
// the values the stages returned (discover/pipeline.h).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "discover/inputs/genome_input.h"
#include "discover/inputs/regions.h"
#include "discover/inputs/sequences.h"
#include "discover/ranking/conditional.h"
#include "discover/ranking/merge.h"
#include "discover/ranking/ranked_motifs.h"
#include "discover/search/plan.h"
#include "discover/search/prepared_sets.h"
#include "discover/search/search.h"
#include "discover/setup/options.h"
#include "discover/setup/progress.h"
#include "discover/sites/central.h"
#include "discover/testing/significance.h"
#include "discover/testing/tested_motifs.h"
#include "formats/match_table.h"
#include "formats/motif.h"
#include "formats/report_data.h"
#include "stats/enrichment.h"
#include "stats/genome_intervals.h"
#include "stats/known_enrichment.h"
#include "stats/scoring_matrix.h"

namespace discover {

// A ranked motif with what the sites and naming stages found of it.
struct ReportedMotif : RankedMotif {
  std::vector<formats::MatchRow> matches;    // known motifs it resembles, best first
  std::vector<stats::EnrichmentSite> sites;  // in every primary sequence, at its threshold, one per overlapping group
  std::vector<double> siteLog10P;  // the p-value of each site as zelkova-scan gives it, log10 (site_pvalues.h)
};

// Each group of fields is the value of one stage: the inputs (genome to
// siteBackground), the prepared sets (sizes, backgroundOrder, decoyRun, the
// decoys' sizes and orders), the search plan and outcomes, the tested motifs
// (candidates, motifsTested, decoyBestLog10E), the ranked motifs with their
// sites and names (motifs, simpleRepeats), the known motifs, the progress.
struct Discovery {
  Options options;
  std::string version;
  std::string started;  // local date and time

  std::optional<GenomeRun> genome;  // with --peaks: the genome, the windows, the control cut from it
  SequenceFile primary;             // as read: masked and trimmed
  std::size_t controlSequences = 0;
  long long primaryLetters = 0, controlLetters = 0;
  long long primaryDusted = 0, controlDusted = 0;  // letters masked as low-complexity
  std::vector<std::string> warnings;               // about the inputs, one line each
  SetSizes sizes;
  int backgroundOrder = 0;
  std::array<double, formats::kReportBases> controlBases{};  // letter frequencies of the control, both strands
  std::vector<std::string> inputNotes;  // about the letters read, "peaks.fa: 3 IUPAC letters read as N"; may be empty
  stats::Background siteBackground{};   // of the site p-values: the primary letters before masking (site_pvalues.h)

  Plan plan;
  std::vector<SearchOutcome> outcomes;  // one per search of the plan
  std::vector<Candidate> candidates;    // every motif of the primary searches, tested
  std::size_t motifsTested = 0;         // matrices tested for the primary set: the E-values' multiplier

  bool decoyRun = false;
  std::vector<SetSizes> decoySizes;
  std::vector<int> decoyBackgroundOrders;
  double decoyBestLog10E = 0;  // the best E any decoy motif reached, when decoyRun

  std::vector<ReportedMotif> motifs;                    // best first, at most options.top
  std::vector<MergedMotif> simpleRepeats;               // set apart without a rank (masking on), best first
  std::vector<formats::Motif> knownMotifs;              // the database the names come from
  std::vector<std::string> databaseFiles;               // the files it was read from
  bool knownRun = false;                                // known-motif enrichment (not with --no-known)
  std::size_t knownStep = 1;                            // the known motifs were tested on every knownStep-th sequence
  std::vector<stats::KnownResult> known;                // every known motif tested, best first
  CentralRun central;                                   // where the best sites lie in the sequences (central.h)
  std::optional<std::vector<stats::Interval>> regions;  // when every header names one
  std::string regionsMissing;                           // else why not: sites.bed is not written

  std::vector<StepTime> steps;
  double totalSeconds = 0;

  const Candidate& candidateOf(const ReportedMotif& m) const { return candidates[m.group.representative]; }
  const Search& searchOf(const Candidate& c) const { return plan.searches[c.search]; }
};

// The reported motifs as a report, each with its rank and id, so that the
// exports name them as the page does (rankedReport).
formats::Report reportedMotifs(const Discovery& discovery);

// Whether a known motif matches well enough to name a motif after it (its
// E-value at most kConvincingMatchE); weaker matches are shown as such.
bool convincingMatch(const formats::MatchRow& match);

// A site's start on the sequence as given: its position on the searched
// (trimmed) letters plus what the trim cut from the start.
long long givenStart(const Discovery& discovery, const stats::EnrichmentSite& site);

// Where a site of `width` letters lies in the genome (BED coordinates, the
// strand it reads on the genome), when every sequence names its region.
std::optional<stats::Interval> siteInGenome(const Discovery& discovery, const stats::EnrichmentSite& site,
                                            long long width);

}  // namespace discover
