#include "discover/sites/site_details.h"

#include "base/errors.h"
#include "discover/sites/site_overlaps.h"
#include "discover/sites/site_pvalues.h"

namespace discover {

namespace {

std::vector<double> log10PValues(const SitePValues& pValues, const std::vector<stats::EnrichmentSite>& sites) {
  std::vector<double> log10P;
  log10P.reserve(sites.size());
  for (const stats::EnrichmentSite& s : sites) log10P.push_back(pValues.log10P(s.word, s.forward));
  return log10P;
}

}  // namespace

ReportedSites describeReportedSites(const Options& o, const std::vector<FastaRecord>& primary,
                                    const stats::Background& background, const std::vector<RankedMotif>& ranked,
                                    const std::vector<Candidate>& candidates,
                                    const std::vector<formats::Motif>& motifs) {
  ZK_ASSERT(motifs.size() == ranked.size());
  ReportedSites reported;
  reported.central = centralSetting(primary, o.trim);
  for (std::size_t i = 0; i < ranked.size(); ++i) {
    const Candidate& c = candidates[ranked[i].group.representative];
    const SitePValues pValues(motifs[i], background);
    ZK_ASSERT(pValues.width() == c.motif.width());
    MotifSites found;
    found.sites = stats::sitesAtThreshold(c.test.motif.frequencies, primary, stats::SequenceRole::Primary,
                                          c.test.choice.threshold, o.bothStrands, o.threads);
    found.log10P = log10PValues(pValues, found.sites);
    keepBestOfOverlapping(found.sites, found.log10P, pValues.width());
    reported.centrality.push_back(
        centralOfSites(reported.central, primary, found.sites, found.log10P, pValues.width()));
    reported.motifs.push_back(std::move(found));
  }
  return reported;
}

std::optional<stats::CentralResult> centralOfKnownSites(const CentralSetting& setting,
                                                        const std::vector<FastaRecord>& primary,
                                                        const stats::Background& background,
                                                        const formats::Motif& known,
                                                        const std::vector<stats::EnrichmentSite>& sites) {
  const SitePValues pValues(known, background);
  return centralOfSites(setting, primary, sites, log10PValues(pValues, sites), pValues.width());
}

}  // namespace discover
