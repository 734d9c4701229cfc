#include "discover/naming/known.h"

#include <algorithm>
#include <cmath>

#include "discover/inputs/sequences.h"
#include "formats/numbers.h"

namespace discover {

namespace {

// The starts of `sites`, by sequence, in order.
std::vector<std::vector<long long>> siteStarts(const std::vector<stats::EnrichmentSite>& sites, std::size_t sequences) {
  std::vector<std::vector<long long>> starts(sequences);
  for (const stats::EnrichmentSite& s : sites) starts.at(s.sequence).push_back(s.position);
  for (std::vector<long long>& list : starts) std::sort(list.begin(), list.end());
  return starts;
}

// Whether a window [position, position + width) overlaps a site starting at
// one of `starts` and `siteWidth` wide.
bool overlapsAny(const std::vector<long long>& starts, long long position, int width, int siteWidth) {
  // Sites starting after position - siteWidth and before position + width.
  const auto first = std::upper_bound(starts.begin(), starts.end(), position - siteWidth);
  return first != starts.end() && *first < position + width;
}

}  // namespace

std::string motifSharingSites(const ReportedMotifSites& reported, std::size_t sequences,
                              const std::vector<stats::EnrichmentSite>& sites, int width) {
  if (sites.empty()) return "";
  std::string best;
  std::size_t bestShared = 0;
  for (std::size_t i = 0; i < reported.ranked.size(); ++i) {
    const RankedMotif& m = reported.ranked[i];
    const int siteWidth = reported.candidates[m.group.representative].motif.width();
    const std::vector<std::vector<long long>> starts = siteStarts(reported.sites.motifs[i].sites, sequences);
    std::size_t shared = 0;
    for (const stats::EnrichmentSite& s : sites)
      shared += overlapsAny(starts.at(s.sequence), s.position, width, siteWidth);
    if (shared > bestShared) {
      bestShared = shared;
      best = m.id;
    }
  }
  return static_cast<double>(bestShared) > kSharedSitesShare * static_cast<double>(sites.size()) ? best : "";
}

KnownMotifs testKnownMotifs(const Options& o, const std::vector<FastaRecord>& primary,
                            const std::vector<FastaRecord>& control, const std::vector<formats::Motif>& database,
                            const ReportedMotifSites& reported, const stats::Background& background,
                            StepProgress& progress) {
  KnownMotifs known;
  if (!o.knownEnrichment) return known;
  progress.begin("Known motifs");
  stats::EnrichmentOptions options;
  options.threads = o.threads;
  options.bothStrands = o.bothStrands;
  options.progress = [&](std::size_t tested, std::size_t total) {
    progress.update(std::to_string(tested) + " of " + std::to_string(total) + " tested",
                    static_cast<double>(tested) / static_cast<double>(total));
  };
  // A large set is tested on every k-th primary and control sequence.
  known.step = thinningStep(primary, kKnownLetters);
  const std::vector<FastaRecord> thinned = everyKth(primary, known.step);
  known.results = stats::testDatabase(database, thinned, everyKth(control, known.step), options);
  known.run = true;
  known.centrality.assign(known.results.size(), std::nullopt);
  for (std::size_t k = 0; k < known.results.size(); ++k) {
    stats::KnownResult& r = known.results[k];
    if (r.log10Q >= std::log10(stats::kEnrichedQ)) continue;
    std::vector<stats::EnrichmentSite> sites =
        stats::sitesAtThreshold(r.test.motif.frequencies, thinned, stats::SequenceRole::Primary,
                                r.test.choice.threshold, o.bothStrands, o.threads);
    for (stats::EnrichmentSite& site : sites) site.sequence *= known.step;  // in the whole primary set
    r.sameSitesAs =
        motifSharingSites(reported, primary.size(), sites, static_cast<int>(r.test.motif.frequencies.size()));
    known.centrality[k] = centralOfKnownSites(reported.sites.central, primary, background, database.at(r.index), sites);
  }
  progress.end(std::to_string(known.results.size()) + " tested, " +
               std::to_string(stats::enrichedCount(known.results)) + " with q < " +
               formats::fixedPoint(stats::kEnrichedQ, 2));
  return known;
}

}  // namespace discover
