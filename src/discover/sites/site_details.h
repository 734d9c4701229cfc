// The sites stage: what a discovery adds to the sites of its motifs. For each
// ranked motif, its sites in every primary sequence at its threshold, the
// p-value of each (site_pvalues.h), one site per group of overlapping ones
// (site_overlaps.h), and where the best sites lie in the sequences
// (central.h); for an enriched known motif, where its best sites lie.
#pragma once

#include <optional>
#include <vector>

#include "discover/ranking/ranked_motifs.h"
#include "discover/setup/options.h"
#include "discover/sites/central.h"
#include "discover/testing/significance.h"
#include "formats/fasta.h"
#include "formats/motif.h"
#include "stats/enrichment.h"
#include "stats/scoring_matrix.h"

namespace discover {

// The sites of one motif as the tables list them: one per place, each with
// the log10 of its p-value as zelkova-scan gives it.
struct MotifSites {
  std::vector<stats::EnrichmentSite> sites;
  std::vector<double> log10P;
};

struct ReportedSites {
  CentralSetting central;                                       // whether central enrichment applies
  std::vector<MotifSites> motifs;                               // one per ranked motif
  std::vector<std::optional<stats::CentralResult>> centrality;  // one per ranked motif
};

// The sites of every ranked motif in `primary` (its candidate's matrix at
// its threshold, on both strands or the given one), with p-values against
// `background` of the motif as `motifs` (as motifs.meme holds them, one per
// ranked motif) gives it, so that zelkova-scan gives the same p-values.
ReportedSites describeReportedSites(const Options& options, const std::vector<FastaRecord>& primary,
                                    const stats::Background& background, const std::vector<RankedMotif>& ranked,
                                    const std::vector<Candidate>& candidates,
                                    const std::vector<formats::Motif>& motifs);

// The central result of a known motif from its `sites` in `primary` (in
// table order), their p-values against `background`.
std::optional<stats::CentralResult> centralOfKnownSites(const CentralSetting& setting,
                                                        const std::vector<FastaRecord>& primary,
                                                        const stats::Background& background,
                                                        const formats::Motif& known,
                                                        const std::vector<stats::EnrichmentSite>& sites);

}  // namespace discover
