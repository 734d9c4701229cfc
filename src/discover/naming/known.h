// Known-motif enrichment within a discovery: every motif of the database is
// tested on all primary sequences against the control with the statistic of
// the discovered motifs (known motifs were not fitted to these sequences, so
// none need be held out), and each enriched one whose sites lie mostly inside
// the sites of a reported motif is marked as re-finding it. What the log, the
// page and known.tsv say of them is discover/report/known_text.h.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "discover/ranking/ranked_motifs.h"
#include "discover/setup/options.h"
#include "discover/setup/progress.h"
#include "discover/sites/site_details.h"
#include "formats/fasta.h"
#include "formats/motif.h"
#include "stats/known_enrichment.h"
#include "stats/scoring_matrix.h"

namespace discover {

// A known motif re-finds a reported motif when more than this share of its
// sites in the primary sequences overlap sites of that motif.
constexpr double kSharedSitesShare = 0.5;

struct KnownMotifs {
  bool run = false;                         // known-motif enrichment (not with --no-known)
  std::size_t step = 1;                     // the known motifs were tested on every step-th sequence
  std::vector<stats::KnownResult> results;  // every known motif tested, best first
  std::vector<std::optional<stats::CentralResult>> centrality;  // one per result; the enriched have one
};

// The reported motifs as the sites of a known motif are compared with theirs:
// the ranked motifs, their candidates and their sites (one per ranked motif).
struct ReportedMotifSites {
  const std::vector<RankedMotif>& ranked;
  const std::vector<Candidate>& candidates;
  const ReportedSites& sites;
};

// The step "Known motifs": tests `database` on `primary` against `control`,
// then marks the enriched ones that re-find a reported motif; with
// --no-known, nothing.
KnownMotifs testKnownMotifs(const Options& options, const std::vector<FastaRecord>& primary,
                            const std::vector<FastaRecord>& control, const std::vector<formats::Motif>& database,
                            const ReportedMotifSites& reported, const stats::Background& background,
                            StepProgress& progress);

// The id of the reported motif whose sites hold more than kSharedSitesShare
// of `sites` (of a motif `width` letters wide in `sequences` primary
// sequences), the one holding most; empty when none does. Sites overlap when
// they share a letter of a sequence.
std::string motifSharingSites(const ReportedMotifSites& reported, std::size_t sequences,
                              const std::vector<stats::EnrichmentSite>& sites, int width);

}  // namespace discover
