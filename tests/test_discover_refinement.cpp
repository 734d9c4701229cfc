// zelkova-discover's refinement and ranking: ZOOPS EM raises the site recall of
// a planted motif whose matrix is degenerate, trimming cuts the flanks of a
// 14-letter matrix down to its 8-letter core, of two motifs sharing their sites
// the better per site ranks first (a longer one only by a margin), and none
// of it depends on the number of threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/words.h"
#include "discover/ranking/core_ranking.h"
#include "discover/search/refine.h"
#include "discover/search/zoops.h"
#include "discover/testing/refinement.h"
#include "planted_set.h"
#include "stats/enrichment.h"
#include "stats/shuffle.h"
#include "zelkova.h"

namespace {

using planted::PlantedSet;
using planted::plantedSet;
using planted::randomLetters;

// A count matrix of `word`: `strong` counts for its letter, `weak` for each other.
std::vector<formats::CountColumn> wordCounts(const std::string& word, long long strong, long long weak) {
  std::vector<formats::CountColumn> counts;
  for (char c : word) {
    formats::CountColumn column{weak, weak, weak, weak};
    column[static_cast<std::size_t>(base::baseIndex(c))] = strong;
    counts.push_back(column);
  }
  return counts;
}

formats::ReportMotif engineMotif(const std::vector<formats::CountColumn>& counts, long long sites) {
  formats::ReportMotif m;
  m.rank = 1;
  m.counts = counts;
  m.siteCount = sites;
  std::string consensus;
  for (const formats::CountColumn& c : counts) consensus += "ACGT"[std::max_element(c.begin(), c.end()) - c.begin()];
  m.consensus = consensus;
  return m;
}

stats::MotifResult testOf(const formats::ReportMotif& m, const PlantedSet& set) {
  const std::vector<stats::MotifMatrix> motifs{{1, "m", m.consensus, stats::frequenciesOf(m.counts)}};
  return stats::testMotifs(motifs, set.primary, set.control, {}).front();
}

// The share of planted sites that a site of the motif (at its threshold)
// overlaps by at least half of the shorter width.
double recall(const stats::MotifResult& test, const PlantedSet& set, long long plantedWidth) {
  const std::vector<stats::EnrichmentSite> sites = stats::sitesAtThreshold(
      test.motif.frequencies, set.primary, stats::SequenceRole::Primary, test.choice.threshold, true, 1);
  const long long width = static_cast<long long>(test.motif.frequencies.size());
  std::size_t found = 0;
  for (const auto& [sequence, at] : set.sites)
    for (const stats::EnrichmentSite& s : sites) {
      const long long start = s.position - 1;
      const long long overlap = std::min(start + width, at + plantedWidth) - std::max(start, at);
      if (s.sequence == sequence && 2 * overlap >= std::min(width, plantedWidth)) {
        ++found;
        break;
      }
    }
  return static_cast<double>(found) / static_cast<double>(set.sites.size());
}

discover::EmSample sampleOf(const PlantedSet& set) {
  return discover::emSample(set.primary, buildMarkovModel(set.control, 2), 2, discover::kRefinementLetters);
}

}  // namespace

TEST(DiscoverRefinement, EmRaisesTheRecallOfAPlantedMotifWhoseMatrixIsDegenerate) {
  const std::string word = "TGACGTCATGCA";
  const PlantedSet set = plantedSet(word, 150, 200, 5);
  // What a search of many mismatches may give: half of the columns barely
  // leaning to the motif's letter, the others even.
  std::vector<formats::CountColumn> counts = wordCounts(word, 13, 9);
  for (std::size_t k = 3; k < 9; ++k) counts[k] = {10, 10, 10, 10};
  const formats::ReportMotif degenerate = engineMotif(counts, 40);
  const std::optional<formats::ReportMotif> refined =
      discover::refinedMotif(degenerate, sampleOf(set), set.primary.size(), true);
  ASSERT_TRUE(refined);
  EXPECT_EQ(refined->consensus, word);
  const stats::MotifResult before = testOf(degenerate, set), after = testOf(*refined, set);
  const double recallBefore = recall(before, set, 12), recallAfter = recall(after, set, 12);
  EXPECT_LT(recallBefore, 0.5);
  EXPECT_GT(recallAfter, 0.8);
  EXPECT_LT(after.log10PAdjusted, before.log10PAdjusted - 10);
  // About the sequences with a site, 100 of 150 (ZOOPS gives random ones a
  // share of a site too).
  EXPECT_GT(refined->siteCount, 80);
  EXPECT_LT(refined->siteCount, 130);
  // Whole counts, every column adding up to the sites, as a report's must.
  for (const formats::CountColumn& c : refined->counts) EXPECT_EQ(c[0] + c[1] + c[2] + c[3], refined->siteCount);
}

TEST(DiscoverRefinement, TrimmingCutsUninformativeFlanks) {
  // Columns of 2, 0.1 and 0.29 bits at the ends, a core of 8 strong ones.
  const formats::Column even{0.25, 0.25, 0.25, 0.25}, faint{0.35, 0.22, 0.22, 0.21}, sharp{0.97, 0.01, 0.01, 0.01};
  EXPECT_NEAR(discover::informationBits(even), 0.0, 1e-12);
  EXPECT_NEAR(discover::informationBits(formats::Column{1, 0, 0, 0}), 2.0, 1e-12);
  std::vector<formats::Column> columns{even, faint, even};
  for (int i = 0; i < 8; ++i) columns.push_back(sharp);
  columns.insert(columns.end(), {faint, even, faint});
  const discover::ColumnSpan core = discover::informativeCore(columns, discover::kCoreBits, 6);
  EXPECT_EQ(core.first, 3u);
  EXPECT_EQ(core.last, 11u);
  // Never below the shortest width: the least informative ends go first.
  const std::vector<formats::Column> flat(10, faint);
  const discover::ColumnSpan kept = discover::informativeCore(flat, discover::kCoreBits, 6);
  EXPECT_EQ(kept.last - kept.first, 6u);
  const std::vector<formats::Column> strong(7, sharp);
  EXPECT_EQ(discover::informativeCore(strong, discover::kCoreBits, 6).last, 7u);
}

TEST(DiscoverRefinement, AFlanked14merBecomesItsEightLetterCore) {
  // An 8-letter core planted with random letters around it; the search's
  // matrix holds the core with 3 columns of its own sites' flanks each side.
  const std::string core = "CACGTGAC";
  const PlantedSet set = plantedSet(core, 120, 200, 9);
  std::vector<formats::CountColumn> counts{{5, 3, 4, 3}, {2, 6, 4, 3}, {4, 4, 3, 4}};
  for (const formats::CountColumn& c : wordCounts(core, 14, 0)) counts.push_back(c);
  counts.insert(counts.end(), {{3, 5, 3, 4}, {4, 2, 5, 4}, {6, 3, 3, 3}});
  const formats::ReportMotif flanked = engineMotif(counts, 15);
  ASSERT_EQ(flanked.width(), 14);
  const std::optional<formats::ReportMotif> refined =
      discover::refinedMotif(flanked, sampleOf(set), set.primary.size(), true);
  ASSERT_TRUE(refined);
  EXPECT_EQ(refined->consensus, core);
  EXPECT_EQ(refined->reverseConsensus, base::reverseComplement(core));
  EXPECT_LT(testOf(*refined, set).log10PAdjusted, testOf(flanked, set).log10PAdjusted);
}

TEST(DiscoverRefinement, TheSameForAnyNumberOfThreads) {
  const PlantedSet set = plantedSet("GATTACAGGT", 80, 150, 3);
  const discover::EmSample sample = sampleOf(set);
  std::vector<discover::Candidate> candidates;
  for (const char* word : {"GATTACAGGT", "CCGGAATTCC", "TTTACAGGTA"}) {
    discover::Candidate c;
    c.motif = engineMotif(wordCounts(word, 12, 2), 30);
    c.test = testOf(c.motif, set);
    candidates.push_back(c);
  }
  const auto one = discover::refineBest(candidates, 2, sample, set.primary.size(), true, 1);
  const auto two = discover::refineBest(candidates, 2, sample, set.primary.size(), true, 2);
  ASSERT_EQ(one.size(), 3u);
  std::size_t refined = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    ASSERT_EQ(one[i].has_value(), two[i].has_value());
    if (!one[i]) continue;
    ++refined;
    EXPECT_EQ(one[i]->counts, two[i]->counts);
    EXPECT_EQ(one[i]->siteCount, two[i]->siteCount);
  }
  EXPECT_EQ(refined, 2u);  // the two best only
  EXPECT_FALSE(one[1]);    // the unrelated word tests worst
  EXPECT_EQ(discover::rankingOrder(candidates, set.primary, true, 1),
            discover::rankingOrder(candidates, set.primary, true, 2));
  // A sample thinned to a letter budget keeps every k-th sequence.
  const discover::EmSample thin = discover::emSample(set.primary, buildMarkovModel(set.control, 0), 0, 150 * 20);
  EXPECT_EQ(thin.size(), 20u);
}

namespace {

// A candidate whose test is given: its threshold, hits and corrected p.
discover::Candidate given(const std::string& word, double log10P, long long hits, double threshold) {
  discover::Candidate c;
  c.motif = engineMotif(wordCounts(word, 20, 0), hits);
  c.test.motif = {1, word, word, stats::frequenciesOf(c.motif.counts)};
  c.test.choice.threshold = threshold;
  c.test.choice.table = {hits, 60, 2, 120};
  c.test.log10PAdjusted = log10P;
  c.test.log10E = log10P + 1;
  return c;
}

}  // namespace

TEST(DiscoverRanking, OfTwoMotifsSharingSitesTheBetterPerSiteRanksFirst) {
  // 60 sequences: the core ACGTTGCA inside the flanks GGT...TCA in the first
  // 40, the unrelated TTAGCCCATAGG in the last 30.
  stats::Random random(23);
  std::vector<FastaRecord> primary;
  for (int i = 0; i < 60; ++i) {
    std::string s = randomLetters(120, random);
    if (i < 40) s.replace(30, 14, "GGTACGTTGCATCA");
    if (i >= 30) s.replace(70, 12, "TTAGCCCATAGG");
    primary.push_back({"p" + std::to_string(i), s});
  }
  // The flanked 14-mer has the better E-value, the core the better p per site.
  const std::vector<discover::Candidate> pair{given("GGTACGTTGCATCA", -22, 44, 0.99), given("ACGTTGCA", -21, 40, 0.99)};
  const discover::BestSites flanked = discover::bestSites(pair[0], primary, true);
  const discover::BestSites core = discover::bestSites(pair[1], primary, true);
  EXPECT_EQ(flanked.count, 40u);
  EXPECT_GE(core.count, 40u);  // and any chance copy of the core
  EXPECT_LE(core.count, 41u);
  EXPECT_TRUE(discover::shareSites(flanked, core));
  EXPECT_NEAR(discover::significancePerSite(pair[0].test), 0.5, 1e-12);
  EXPECT_NEAR(discover::significancePerSite(pair[1].test), 0.525, 1e-12);
  EXPECT_EQ(discover::rankingOrder(pair, primary, true, 1), (std::vector<std::size_t>{1, 0}));

  // A longer motif needs a margin: 5 % better per site is not enough, 20 % is.
  std::vector<discover::Candidate> longer{given("ACGTTGCA", -22, 44, 0.99), given("GGTACGTTGCATCA", -21, 40, 0.99)};
  EXPECT_EQ(discover::rankingOrder(longer, primary, true, 1), (std::vector<std::size_t>{0, 1}));
  longer[1] = given("GGTACGTTGCATCA", -21.5, 36, 0.99);
  longer[1].test.log10E = -20;  // still ranked second by its E-value
  EXPECT_EQ(discover::rankingOrder(longer, primary, true, 1), (std::vector<std::size_t>{1, 0}));

  // A motif of other sites keeps its place whatever its significance per site.
  const std::vector<discover::Candidate> apart{given("GGTACGTTGCATCA", -22, 44, 0.99),
                                               given("TTAGCCCATAGG", -21, 30, 0.99)};
  EXPECT_FALSE(
      discover::shareSites(discover::bestSites(apart[0], primary, true), discover::bestSites(apart[1], primary, true)));
  EXPECT_EQ(discover::rankingOrder(apart, primary, true, 1), (std::vector<std::size_t>{0, 1}));
}
