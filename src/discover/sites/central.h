// Central enrichment within a discovery (stats/central_enrichment.h): do the
// best sites of a motif gather at the centres of the primary sequences, as
// those of a factor bound at the peak summits do?
//
// It applies when the sequences are windows of one length around summits:
// with --trim T, the sequences of T letters (shorter records, kept whole, are
// left out of it); without, only when every primary sequence has the same
// length (the windows of --peaks, a peaks.fa, any set cut to one length).
// The best site of a sequence is its site of the lowest p-value
// (site_pvalues.h), of equal p-values the first in table order (by position,
// the forward strand first); a sequence without a site adds nothing. A motif
// wider than the sequences, or so wide that no central window is narrower
// than its start positions, gets no result.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "formats/fasta.h"
#include "stats/central_enrichment.h"
#include "stats/enrichment.h"

namespace discover {

// Whether the test applies to the primary sequences, and to which of them.
struct CentralSetting {
  int sequenceLength = 0;     // 0: it does not apply
  std::size_t sequences = 0;  // primary sequences of that length
  std::string whyNot;         // when it does not apply, a clause: "the sequences are of 3 lengths (...)"
};

CentralSetting centralSetting(const std::vector<FastaRecord>& records, int trim);

// The central enrichment of the sites of one motif `width` letters wide in
// `records`, each site with its log10 p-value, in table order.
std::optional<stats::CentralResult> centralOfSites(const CentralSetting& setting,
                                                   const std::vector<FastaRecord>& records,
                                                   const std::vector<stats::EnrichmentSite>& sites,
                                                   const std::vector<double>& log10P, int width);

// The results of a discovery.
struct CentralRun {
  CentralSetting setting;
  std::vector<std::optional<stats::CentralResult>> reported;  // one per reported motif
  std::vector<std::optional<stats::CentralResult>> known;     // one per known motif tested; the enriched have one
};

}  // namespace discover
