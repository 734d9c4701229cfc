#include "discover/report/result.h"

#include <cmath>

#include "formats/motif_export.h"

namespace discover {

report::Report reportedMotifs(const Discovery& d) {
  report::Report report;
  report.parameters.forwardOnly = false;
  report.parameters.sequences = static_cast<int>(d.primary.records.size());
  report.parameters.totalLength = d.primaryLetters;
  for (const ReportedMotif& m : d.motifs) {
    report::Motif motif = d.candidateOf(m).motif;
    motif.rank = m.rank;
    motif.id = m.id;
    report.motifs.push_back(std::move(motif));
  }
  return report;
}

bool convincingMatch(const match_table::Row& match) { return match.e <= kConvincingMatchE; }

std::string decoyBestText(const Discovery& d) {
  return std::isinf(d.decoyBestLog10E) ? "none" : export_formats::scientificFromLog10(d.decoyBestLog10E);
}

bool beatsDecoyBest(const Discovery& d, double log10E) { return log10E < d.decoyBestLog10E - std::log10(kDecoyMargin); }

long long givenStart(const Discovery& d, const enrichment::Site& site) {
  return site.position + d.primary.trimmedOff.at(site.sequence);
}

std::optional<genome_intervals::Interval> siteInGenome(const Discovery& d, const enrichment::Site& site,
                                                       long long width) {
  if (!d.regions) return std::nullopt;
  return genomeStretch((*d.regions)[site.sequence], givenStart(d, site), width, site.forward);
}

}  // namespace discover
