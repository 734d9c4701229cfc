#include "discover/sites/site_details.h"

#include "base/errors.h"
#include "discover/sites/site_overlaps.h"
#include "discover/sites/site_pvalues.h"
#include "formats/motif_files.h"

namespace discover {

namespace {

std::vector<double> log10PValues(const SitePValues& pValues, const std::vector<enrichment::Site>& sites) {
  std::vector<double> log10P;
  log10P.reserve(sites.size());
  for (const enrichment::Site& s : sites) log10P.push_back(pValues.log10P(s.word, s.forward));
  return log10P;
}

}  // namespace

void describeReportedSites(Discovery& d) {
  d.central.setting = centralSetting(d.primary.records, d.options.trim);
  d.central.reported.assign(d.motifs.size(), std::nullopt);
  // The motifs as motifs.meme holds them, so that zelkova-scan gives the same p-values.
  const std::vector<motif::Motif> motifs = motif_files::fromReport(reportedMotifs(d), "the reported motifs");
  for (std::size_t i = 0; i < d.motifs.size(); ++i) {
    ReportedMotif& m = d.motifs[i];
    const SitePValues pValues(motifs[i], d.siteBackground);
    ZK_ASSERT(pValues.width() == d.candidateOf(m).motif.width());
    m.siteLog10P = log10PValues(pValues, m.sites);
    keepBestOfOverlapping(m.sites, m.siteLog10P, pValues.width());
    d.central.reported[i] =
        centralOfSites(d.central.setting, d.primary.records, m.sites, m.siteLog10P, pValues.width());
  }
}

void describeKnownSites(Discovery& d, std::size_t k, const std::vector<enrichment::Site>& sites) {
  ZK_ASSERT(k < d.known.size() && d.central.known.size() == d.known.size());
  const SitePValues pValues(d.knownMotifs.at(d.known[k].index), d.siteBackground);
  d.central.known[k] =
      centralOfSites(d.central.setting, d.primary.records, sites, log10PValues(pValues, sites), pValues.width());
}

}  // namespace discover
