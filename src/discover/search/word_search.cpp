#include "discover/search/word_search.h"

#include "base/errors.h"
#include "base/local_time.h"
#include "discover/inputs/sequences.h"
#include "discover/search/refine.h"
#include "discover/search/word_seeds.h"
#include "discover/search/zoops.h"
#include "stats/enrichment.h"

namespace discover {

namespace {

formats::ReportParameters parametersOf(const Search& search, const SearchSettings& settings,
                                       const std::vector<FastaRecord>& sequences) {
  formats::ReportParameters p;
  p.date = localReportDate();
  p.matchingThreshold = settings.threshold;
  p.forwardOnly = settings.forwardOnly;
  p.mismatches = search.mismatches;
  p.sequences = static_cast<int>(sequences.size());
  for (const FastaRecord& r : sequences) p.totalLength += static_cast<long long>(r.letters.size());
  p.averageLength = sequences.empty() ? 0 : p.totalLength / static_cast<long long>(sequences.size());
  p.commandLine = "zelkova-discover, search " + search.name + ": the " + std::to_string(kWordSeeds) +
                  " most enriched words of " + std::to_string(search.length) + " letters" +
                  (search.gap > 0 ? " in two halves " + std::to_string(search.gap) + " apart" : "") + " with up to " +
                  std::to_string(search.mismatches) + " mismatch, refined";
  return p;
}

// The motif's sites on `sequences` at the engine's matching threshold, as a
// search lists them, its counts scaled to their number (a report's columns
// add up to its sites); false when it has none.
bool listSites(formats::ReportMotif& m, const std::vector<FastaRecord>& sequences, double threshold, bool bothStrands) {
  const std::vector<stats::EnrichmentSite> sites = stats::sitesAtThreshold(
      stats::frequenciesOf(m.counts), sequences, stats::SequenceRole::Primary, threshold, bothStrands, 1);
  if (sites.empty() || m.siteCount <= 0) return false;
  const long long n = static_cast<long long>(sites.size());
  for (formats::CountColumn& column : m.counts) {
    formats::Column scaled{};
    for (std::size_t b = 0; b < 4; ++b)
      scaled[b] = static_cast<double>(column[b]) * static_cast<double>(n) / static_cast<double>(m.siteCount);
    column = roundedColumn(scaled, n);
  }
  m.siteCount = n;
  m.sites.clear();
  for (const stats::EnrichmentSite& site : sites)
    m.sites.push_back({sequences[site.sequence].name, site.word, site.forward, site.position, site.score,
                       static_cast<int>(site.sequence)});
  return true;
}

}  // namespace

formats::Report wordSearch(const Search& search, const SearchSettings& settings, const WordSearchInput& input) {
  ZK_CHECK(search.kind == SearchKind::Words && search.mismatches == 1,
           "a word search counts its words with one mismatch");
  const bool bothStrands = !settings.forwardOnly;
  formats::Report result;
  const std::vector<FastaRecord> counted = thinnedToLetters(*input.sequences, kWordCountLetters);
  // The sites are listed on the sequences the seeds are refined on.
  const std::vector<FastaRecord> listed = thinnedToLetters(*input.sequences, kSeedRefinementLetters);
  result.parameters = parametersOf(search, settings, listed);
  const std::vector<EnrichedWord> seeds =
      enrichedWords(counted, thinnedToLetters(*input.control, 2 * kWordCountLetters),
                    {search.length, search.gap, kWordSeeds, bothStrands});
  if (seeds.empty()) return result;
  const EmSample sample = emSample(listed, *input.background, input.backgroundOrder, kSeedRefinementLetters);
  for (const EnrichedWord& seed : seeds) {
    formats::ReportMotif start;
    start.counts = seedCounts(seed.word, counted, kSeedFlank, bothStrands, start.siteCount);
    if (start.counts.empty()) continue;
    std::optional<formats::ReportMotif> refined =
        refinedMotif(start, sample, counted.size(), bothStrands, static_cast<std::size_t>(search.widest));
    if (!refined || !listSites(*refined, listed, settings.threshold, bothStrands)) continue;
    refined->rank = static_cast<int>(result.motifs.size()) + 1;
    result.motifs.push_back(std::move(*refined));
  }
  return result;
}

}  // namespace discover
