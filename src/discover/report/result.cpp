#include "discover/report/result.h"

namespace discover {

formats::Report reportedMotifs(const Discovery& d) {
  std::vector<RankedMotif> ranked(d.motifs.begin(), d.motifs.end());
  return rankedReport(ranked, d.candidates, d.primary.records.size(), d.primaryLetters);
}

bool convincingMatch(const formats::MatchRow& match) { return match.e <= kConvincingMatchE; }

long long givenStart(const Discovery& d, const stats::EnrichmentSite& site) {
  return site.position + d.primary.trimmedOff.at(site.sequence);
}

std::optional<stats::Interval> siteInGenome(const Discovery& d, const stats::EnrichmentSite& site, long long width) {
  if (!d.regions) return std::nullopt;
  return genomeStretch((*d.regions)[site.sequence], givenStart(d, site), width, site.forward);
}

}  // namespace discover
