#include "discover/ranking/conditional.h"

#include <algorithm>
#include <cmath>

#include "stats/enrichment_stats.h"

namespace discover {

namespace {

// Windows of one motif in one set: (sequence, first letter from 0) in order.
struct SiteStarts {
  std::vector<std::pair<std::size_t, long long>> starts;
  long long width = 0;
};

SiteStarts siteStarts(const Candidate& c, const std::vector<FastaRecord>& sequences, const TestSettings& settings) {
  SiteStarts sites;
  sites.width = static_cast<long long>(c.test.motif.frequencies.size());
  for (const stats::EnrichmentSite& s :
       stats::sitesAtThreshold(c.test.motif.frequencies, sequences, stats::SequenceRole::Primary,
                               c.test.choice.threshold, settings.bothStrands, settings.threads))
    sites.starts.emplace_back(s.sequence, s.position - 1);
  sites.starts.erase(std::unique(sites.starts.begin(), sites.starts.end()), sites.starts.end());  // both strands
  return sites;
}

// Turns the letters of every site into N.
void maskSites(const SiteStarts& sites, std::vector<FastaRecord>& sequences) {
  for (const auto& [sequence, start] : sites.starts)
    std::fill_n(sequences[sequence].letters.begin() + start, sites.width, 'N');
}

// How many of `sites` overlap a site of `other`.
std::size_t overlapping(const SiteStarts& sites, const SiteStarts& other) {
  std::size_t count = 0;
  for (const auto& [sequence, start] : sites.starts) {
    // The other's sites starting after start - other.width and before start + width.
    const auto from =
        std::lower_bound(other.starts.begin(), other.starts.end(), std::make_pair(sequence, start - other.width + 1));
    if (from != other.starts.end() && from->first == sequence && from->second < start + sites.width) ++count;
  }
  return count;
}

// The primary and control sequences with the sites of the motifs reported so
// far masked.
struct MaskedSets {
  std::vector<FastaRecord> primary, control;
};

ConditionalTest testOnMasked(const Candidate& c, const MaskedSets& sets, std::size_t motifsTested,
                             const TestSettings& settings) {
  const std::vector<formats::Column>& f = c.test.motif.frequencies;
  const std::vector<double> primaryBest =
      stats::bestWindowScores(f, sets.primary, settings.bothStrands, settings.threads);
  const std::vector<double> controlBest =
      stats::bestWindowScores(f, sets.control, settings.bothStrands, settings.threads);
  const stats::ThresholdChoice choice = stats::atThreshold(primaryBest, controlBest, c.test.choice.threshold);
  ConditionalTest test;
  test.log10E = stats::log10AdjustForCandidates(choice.log10P, c.test.choice.candidates) +
                std::log10(static_cast<double>(motifsTested));
  test.primaryHits = c.test.choice.table.primaryHits;
  test.primaryHitsLeft = choice.table.primaryHits;
  return test;
}

}  // namespace

bool explainedByBetterMotifs(const stats::MotifResult& first, const ConditionalTest& conditional) {
  const double bar = std::log10(kSignificantE);
  const bool lostSignificance = first.log10E < bar && conditional.log10E >= bar;
  const bool lostSites = 2 * conditional.primaryHitsLeft < conditional.primaryHits;
  return lostSignificance || lostSites;
}

std::vector<IndependentMotif> rankConditionally(const std::vector<Candidate>& candidates,
                                                const std::vector<MergedMotif>& groups,
                                                const std::vector<FastaRecord>& primary,
                                                const std::vector<FastaRecord>& control, int top,
                                                std::size_t motifsTested, const TestSettings& settings) {
  std::vector<IndependentMotif> ranked;
  std::vector<SiteStarts> rankedSites;  // in the primary set as it was when each was masked
  MaskedSets masked{primary, control};
  for (const MergedMotif& group : groups) {
    if (static_cast<int>(ranked.size()) == top) break;
    const Candidate& c = candidates[group.representative];
    const ConditionalTest test = testOnMasked(c, masked, motifsTested, settings);
    if (!ranked.empty() && explainedByBetterMotifs(c.test, test)) {
      const SiteStarts own = siteStarts(c, primary, settings);
      std::size_t parent = 0, most = 0;
      for (std::size_t k = 0; k < ranked.size(); ++k) {
        const std::size_t shared = overlapping(own, rankedSites[k]);
        if (shared > most) most = shared, parent = k;
      }
      ranked[parent].dependents.push_back({group, test});
      continue;
    }
    rankedSites.push_back(siteStarts(c, masked.primary, settings));
    maskSites(rankedSites.back(), masked.primary);
    maskSites(siteStarts(c, masked.control, settings), masked.control);
    ranked.push_back({group, test, {}});
  }
  return ranked;
}

}  // namespace discover
