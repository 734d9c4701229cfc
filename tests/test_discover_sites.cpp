// What zelkova-discover adds to the sites of its motifs: the scanner's
// p-value of every site (the same bits as zelkova-scan's matrices and tails,
// and the sum over every word for a small motif), the background counted on
// both strands, one site per group of overlapping ones (palindromes, shifts,
// chains, ties, and the rule checked on random sites over seeds), central
// enrichment on the sites of generated peak sets over seeds (centred sites
// central, uniform ones rarely), when it applies and to which sequences, and
// its columns in summary.tsv and known.tsv, read back in both layouts.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "discover/inputs/letter_counts.h"
#include "discover/report/site_outputs.h"
#include "discover/report/tables.h"
#include "discover/sites/central.h"
#include "discover/sites/site_details.h"
#include "discover/sites/site_overlaps.h"
#include "discover/sites/site_pvalues.h"
#include "formats/motif_files.h"
#include "formats/text_lines.h"
#include "stats/enrichment.h"
#include "stats/enrichment_rows.h"
#include "stats/known_rows.h"
#include "stats/scoring_matrix.h"
#include "stats/shuffle.h"

namespace {

using stats::SequenceRole;

const std::string kBases = "ACGT";

formats::Motif countMotif(const std::string& id, const std::vector<formats::Column>& counts) {
  formats::Motif m;
  m.id = id;
  m.columns = counts;
  m.counts = true;
  return m;
}

// 20 sites of `word` with one in four of another letter at every position.
formats::Motif motifOfWord(const std::string& word) {
  std::vector<formats::Column> counts;
  for (char c : word) {
    formats::Column column{1, 1, 1, 1};
    column[kBases.find(c)] = 17;
    counts.push_back(column);
  }
  return countMotif("M", counts);
}

std::string reverseComplement(const std::string& word) {
  std::string other(word.rbegin(), word.rend());
  for (char& c : other) c = "TGCA"[kBases.find(c)];
  return other;
}

std::vector<std::uint8_t> codesOf(const std::string& word) {
  std::vector<std::uint8_t> codes;
  for (char c : word) codes.push_back(static_cast<std::uint8_t>(kBases.find(c)));
  return codes;
}

}  // namespace

TEST(DiscoverSitePValues, TheBackgroundCountsBothStrandsAndOneMore) {
  // A 3, C 1, G 2, T 1 (N not counted): A and T (3 + 1) / 2 + 1 = 3, C and G 2.5.
  const stats::Background b = discover::siteBackground({{"a", "AAAC"}, {"b", "GGTN"}});
  EXPECT_DOUBLE_EQ(b[0], 3 / 11.0);
  EXPECT_DOUBLE_EQ(b[1], 2.5 / 11.0);
  EXPECT_DOUBLE_EQ(b[2], 2.5 / 11.0);
  EXPECT_DOUBLE_EQ(b[3], 3 / 11.0);
}

TEST(DiscoverSitePValues, EqualTheScannersToTheLastBit) {
  const formats::Motif m = motifOfWord("TGACGTCATCAG");
  const stats::Background bg{0.3, 0.2, 0.2, 0.3};
  const discover::SitePValues pValues(m, bg);
  // The scanner: the forward matrix on the forward strand, its reverse
  // complement on the letters of the sequence for the other, each with the
  // tail down to its floor at p 1e-4 (zelkova-scan's default).
  const stats::ScoringMatrix forward(stats::siteProbabilities(m, bg, stats::kDefaultMatrixPseudocount), bg);
  const stats::ScoringMatrix reverse = forward.reverseComplement();
  const stats::ScoreTail forwardTail = stats::ScoreTail::reaching(forward, bg, 1e-4);
  const stats::ScoreTail reverseTail = stats::ScoreTail::reaching(reverse, bg, 1e-4);
  for (const std::string word : {"TGACGTCATCAG", "TGACGTCTTCAG", "AGACGTCATCAA"}) {
    const int score = forward.score(codesOf(word).data());
    ASSERT_GE(score, forwardTail.floor()) << word;
    EXPECT_EQ(pValues.log10P(word, true), std::log10(forwardTail.atLeast(score))) << word;
    // The word read on the reverse strand: the sequence holds its reverse complement.
    const int reverseScore = reverse.score(codesOf(reverseComplement(word)).data());
    EXPECT_EQ(reverseScore, score);
    ASSERT_GE(reverseScore, reverseTail.floor());
    EXPECT_EQ(pValues.log10P(word, false), std::log10(reverseTail.atLeast(reverseScore))) << word;
  }
}

TEST(DiscoverSitePValues, EqualTheSumOverEveryWordOfASmallMotif) {
  const formats::Motif m = countMotif("small", {{8, 1, 1, 0}, {0, 0, 10, 0}, {2, 3, 3, 2}, {1, 0, 0, 9}, {5, 5, 0, 0}});
  const stats::Background bg{0.32, 0.18, 0.18, 0.32};
  const discover::SitePValues pValues(m, bg);
  const stats::ScoringMatrix matrix(stats::siteProbabilities(m, bg, stats::kDefaultMatrixPseudocount), bg);
  std::vector<std::string> words;
  std::vector<double> weights;
  for (int code = 0; code < 1024; ++code) {
    std::string word;
    double weight = 1;
    for (int i = 4; i >= 0; --i) {
      const int b = (code >> (2 * i)) & 3;
      word += kBases[static_cast<std::size_t>(b)];
      weight *= bg[static_cast<std::size_t>(b)];
    }
    words.push_back(word);
    weights.push_back(weight);
  }
  for (std::size_t w = 0; w < words.size(); w += 37) {
    const int score = matrix.score(codesOf(words[w]).data());
    double tail = 0;
    for (std::size_t v = 0; v < words.size(); ++v)
      if (matrix.score(codesOf(words[v]).data()) >= score) tail += weights[v];
    EXPECT_NEAR(pValues.log10P(words[w], true), std::log10(tail), 1e-9) << words[w];
  }
}

TEST(DiscoverSiteOverlaps, APalindromeOnBothStrandsIsListedOnce) {
  std::vector<stats::EnrichmentSite> sites{{SequenceRole::Primary, 0, 5, true, "CACGTG", 0.9},
                                           {SequenceRole::Primary, 0, 5, false, "CACGTG", 0.9}};
  std::vector<double> log10P{-4.5, -4.5};
  discover::keepBestOfOverlapping(sites, log10P, 6);
  ASSERT_EQ(sites.size(), 1u);
  EXPECT_TRUE(sites[0].forward);  // of equal p-values, the first in table order
  EXPECT_EQ(log10P, std::vector<double>{-4.5});
}

TEST(DiscoverSiteOverlaps, TheBestOfAShiftedRunAndAChainKeepsItsEnds) {
  auto site = [](std::size_t sequence, long long position) {
    return stats::EnrichmentSite{SequenceRole::Primary, sequence, position, true, "ACGT", 1.0};
  };
  // Sequence 0: shifts 1, 2, 3 of one site (the middle best) and one at 6,
  // just clear of it. Sequence 1: a chain 1, 4, 7 whose middle is worst, so
  // both ends are kept. Sequence 2: the same chain with its middle best.
  std::vector<stats::EnrichmentSite> sites{site(0, 1), site(0, 2), site(0, 3), site(0, 6), site(1, 1),
                                           site(1, 4), site(1, 7), site(2, 1), site(2, 4), site(2, 7)};
  std::vector<double> log10P{-3, -5, -4, -2, -4, -3, -4, -4, -6, -4};
  discover::keepBestOfOverlapping(sites, log10P, 4);
  std::vector<std::pair<std::size_t, long long>> kept;
  for (const stats::EnrichmentSite& s : sites) kept.emplace_back(s.sequence, s.position);
  EXPECT_EQ(kept, (std::vector<std::pair<std::size_t, long long>>{{0, 2}, {0, 6}, {1, 1}, {1, 7}, {2, 4}}));
  EXPECT_EQ(log10P, (std::vector<double>{-5, -2, -4, -4, -6}));
}

TEST(DiscoverSiteOverlaps, NoTwoKeptOverlapAndEveryDroppedOverlapsABetterKept) {
  for (std::uint64_t seed = 1; seed <= 20; ++seed) {
    stats::Random random(seed);
    const int width = 3 + static_cast<int>(random.below(8));
    std::vector<stats::EnrichmentSite> sites;
    std::vector<double> log10P;
    for (std::size_t sequence = 0; sequence < 6; ++sequence)
      for (long long position = 1; position < 80; ++position)
        for (bool forward : {true, false})
          if (random.below(4) == 0) {
            sites.push_back({SequenceRole::Primary, sequence, position, forward, std::string(width, 'A'), 1.0});
            log10P.push_back(-static_cast<double>(random.below(6)));  // many ties
          }
    std::vector<stats::EnrichmentSite> kept = sites;
    std::vector<double> keptP = log10P;
    discover::keepBestOfOverlapping(kept, keptP, width);
    auto overlap = [&](const stats::EnrichmentSite& a, const stats::EnrichmentSite& b) {
      return a.sequence == b.sequence && a.position < b.position + width && b.position < a.position + width;
    };
    for (std::size_t i = 0; i + 1 < kept.size(); ++i) {
      EXPECT_FALSE(overlap(kept[i], kept[i + 1])) << "seed " << seed;
      EXPECT_TRUE(std::make_tuple(kept[i].sequence, kept[i].position) <
                  std::make_tuple(kept[i + 1].sequence, kept[i + 1].position))
          << "seed " << seed;
    }
    std::size_t k = 0;
    for (std::size_t i = 0; i < sites.size(); ++i) {
      if (k < kept.size() && kept[k].sequence == sites[i].sequence && kept[k].position == sites[i].position &&
          kept[k].forward == sites[i].forward) {
        ++k;
        continue;
      }
      bool explained = false;
      for (std::size_t j = 0; j < kept.size(); ++j) explained |= overlap(kept[j], sites[i]) && keptP[j] <= log10P[i];
      EXPECT_TRUE(explained) << "seed " << seed << ": the site at " << sites[i].position << " of sequence "
                             << sites[i].sequence << " is dropped without a better one kept over it";
    }
    EXPECT_EQ(k, kept.size()) << "seed " << seed;
  }
}

TEST(DiscoverCentral, AppliesToWindowsOfOneLength) {
  const std::vector<FastaRecord> even{{"a", std::string(200, 'A')}, {"b", std::string(200, 'C')}};
  discover::CentralSetting s = discover::centralSetting(even, 0);
  EXPECT_EQ(s.sequenceLength, 200);
  EXPECT_EQ(s.sequences, 2u);
  std::vector<FastaRecord> mixed = even;
  mixed.push_back({"c", std::string(150, 'G')});
  s = discover::centralSetting(mixed, 0);
  EXPECT_EQ(s.sequenceLength, 0);
  EXPECT_EQ(s.whyNot,
            "the primary sequences are of 2 lengths (150 to 200 letters), not windows of one length; --trim cuts "
            "them to one");
  // With --trim 200 the shorter record, kept whole, is left out of it.
  s = discover::centralSetting(mixed, 200);
  EXPECT_EQ(s.sequenceLength, 200);
  EXPECT_EQ(s.sequences, 2u);
  s = discover::centralSetting(mixed, 300);
  EXPECT_EQ(s.sequenceLength, 0);
  EXPECT_EQ(s.whyNot, "no primary sequence has the 300 letters of --trim");
}

TEST(DiscoverCentral, TheBestSiteOfEachSequenceOfTheLengthCounts) {
  const std::vector<FastaRecord> records{
      {"a", std::string(50, 'A')}, {"b", std::string(50, 'A')}, {"short", std::string(30, 'A')}};
  discover::CentralSetting setting = discover::centralSetting(records, 50);
  // Sequence 0: a central site (start 20 of 45 positions, bin 2 of the bins
  // from -2 on) better than an end one; sequence 1: two of equal p, the first
  // (start 4, bin 0) counts; the short sequence is left out.
  const std::vector<stats::EnrichmentSite> sites{{SequenceRole::Primary, 0, 1, true, "AAAAAA", 1},
                                                 {SequenceRole::Primary, 0, 21, true, "AAAAAA", 1},
                                                 {SequenceRole::Primary, 1, 5, false, "AAAAAA", 1},
                                                 {SequenceRole::Primary, 1, 40, true, "AAAAAA", 1},
                                                 {SequenceRole::Primary, 2, 12, true, "AAAAAA", 1}};
  const std::optional<stats::CentralResult> r =
      discover::centralOfSites(setting, records, sites, {-3, -6, -4, -4, -9}, 6);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->sites, 2);
  EXPECT_EQ(r->positions, 45);
  EXPECT_EQ(r->histogram.firstStart, -2);
  EXPECT_EQ(r->histogram.counts, (std::vector<long long>{1, 0, 1, 0, 0}));
  // Too wide for the sequences, or for a central window of 10 within half
  // its positions; not applicable at all.
  EXPECT_FALSE(discover::centralOfSites(setting, records, {}, {}, 51));
  EXPECT_FALSE(discover::centralOfSites(setting, records, {}, {}, 32));
  EXPECT_TRUE(discover::centralOfSites(setting, records, {}, {}, 31));
  setting.sequenceLength = 0;
  EXPECT_FALSE(discover::centralOfSites(setting, records, sites, {-3, -6, -4, -4, -9}, 6));
}

namespace {

constexpr int kPeakLength = 200;
const std::string kPlanted = "TGACGTCATC";

// `count` random windows, the motif planted in every other one: within 5
// letters of the centre, or anywhere.
std::vector<FastaRecord> peakWindows(int count, bool central, std::uint64_t seed) {
  stats::Random random(seed);
  std::vector<FastaRecord> records;
  const int positions = kPeakLength - static_cast<int>(kPlanted.size()) + 1;
  for (int i = 0; i < count; ++i) {
    std::string letters(kPeakLength, 'A');
    for (char& c : letters) c = kBases[random.below(4)];
    if (i % 2 == 0) {
      const int start = central ? (positions - 1) / 2 - 5 + static_cast<int>(random.below(11))
                                : static_cast<int>(random.below(static_cast<std::uint64_t>(positions)));
      letters.replace(static_cast<std::size_t>(start), kPlanted.size(), kPlanted);
    }
    records.push_back({"peak" + std::to_string(i), letters});
  }
  return records;
}

// What a discovery does with one motif's sites in `records`: sites at the
// threshold, their p-values, the best of overlapping ones, the central test.
std::optional<stats::CentralResult> centralOfPlanted(const std::vector<FastaRecord>& records) {
  const formats::Motif m = motifOfWord(kPlanted);
  std::vector<stats::EnrichmentSite> sites =
      stats::sitesAtThreshold(formats::plainFrequencies(m), records, SequenceRole::Primary, 0.8, true, 1);
  const discover::SitePValues pValues(m, discover::siteBackground(records));
  std::vector<double> log10P;
  for (const stats::EnrichmentSite& s : sites) log10P.push_back(pValues.log10P(s.word, s.forward));
  discover::keepBestOfOverlapping(sites, log10P, m.width());
  return discover::centralOfSites(discover::centralSetting(records, 0), records, sites, log10P, m.width());
}

}  // namespace

TEST(DiscoverCentral, PlantedAtTheCentreIsCentralPlantedAnywhereRarely) {
  int uniformAbove = 0;
  for (std::uint64_t seed = 1; seed <= 8; ++seed) {
    const std::optional<stats::CentralResult> centred = centralOfPlanted(peakWindows(300, true, seed));
    ASSERT_TRUE(centred);
    EXPECT_LT(centred->best.log10P, -10) << "seed " << seed;
    EXPECT_GE(centred->sites, 150) << "seed " << seed;
    EXPECT_TRUE(centred->best.central());
    const std::optional<stats::CentralResult> anywhere = centralOfPlanted(peakWindows(300, false, 100 + seed));
    ASSERT_TRUE(anywhere);
    uniformAbove += anywhere->best.log10P > -2;
    EXPECT_GT(anywhere->best.log10P, -4) << "seed " << seed;
  }
  EXPECT_GE(uniformAbove, 7);
}

namespace {

// A discovery of 40 windows of 200 letters with the motif planted at the
// centre of every other one, and that motif reported.
discover::Discovery plantedDiscovery() {
  discover::Discovery d;
  d.primary.records = peakWindows(40, true, 5);
  d.siteBackground = discover::siteBackground(d.primary.records);
  d.plan.setNames = {"primary"};
  discover::Search search;
  search.length = static_cast<int>(kPlanted.size());
  search.name = "search0";
  d.plan.searches.push_back(search);
  discover::Candidate c;
  c.motif.rank = 1;
  c.motif.consensus = kPlanted;
  for (char letter : kPlanted) {
    formats::CountColumn column{1, 1, 1, 1};
    column[kBases.find(letter)] = 17;
    c.motif.counts.push_back(column);
  }
  c.motif.siteCount = 20;
  c.test.motif.frequencies = formats::plainFrequencies(motifOfWord(kPlanted));
  c.test.choice.threshold = 0.8;
  d.candidates.push_back(c);
  discover::ReportedMotif m;
  m.rank = 1;
  m.id = "ZELKOVA-1";
  m.sites = stats::sitesAtThreshold(c.test.motif.frequencies, d.primary.records, SequenceRole::Primary, 0.8, true, 1);
  d.motifs.push_back(m);
  return d;
}

// The sites stage run on the discovery's motifs, its value put where the
// pipeline puts it.
void describeSites(discover::Discovery& d) {
  const std::vector<discover::RankedMotif> ranked(d.motifs.begin(), d.motifs.end());
  const discover::ReportedSites sites =
      discover::describeReportedSites(d.options, d.primary.records, d.siteBackground, ranked, d.candidates,
                                      formats::fromReport(reportedMotifs(d), "the reported motifs"));
  d.central.setting = sites.central;
  d.central.reported = sites.centrality;
  for (std::size_t i = 0; i < d.motifs.size(); ++i) {
    d.motifs[i].sites = sites.motifs[i].sites;
    d.motifs[i].siteLog10P = sites.motifs[i].log10P;
  }
}

}  // namespace

TEST(DiscoverSiteDetails, ReportedMotifsGetPValuesOneSitePerPlaceAndTheirCentre) {
  discover::Discovery d = plantedDiscovery();
  const std::size_t found = d.motifs[0].sites.size();
  describeSites(d);
  const discover::ReportedMotif& m = d.motifs[0];
  ASSERT_EQ(m.siteLog10P.size(), m.sites.size());
  EXPECT_LE(m.sites.size(), found);
  EXPECT_GE(m.sites.size(), 20u);
  // p-values of the motif as motifs.meme holds it.
  const formats::Motif written = formats::fromReport(reportedMotifs(d), "x")[0];
  const discover::SitePValues pValues(written, d.siteBackground);
  for (std::size_t i = 0; i < m.sites.size(); ++i)
    EXPECT_EQ(m.siteLog10P[i], pValues.log10P(m.sites[i].word, m.sites[i].forward));
  ASSERT_EQ(d.central.reported.size(), 1u);
  ASSERT_TRUE(d.central.reported[0]);
  EXPECT_TRUE(d.central.reported[0]->best.central());
  const formats::SummaryRow row = discover::summaryRow(d, m);
  EXPECT_EQ(row.centralLog10P, formats::log10Text(d.central.reported[0]->best.log10P));
  EXPECT_EQ(row.centralWidth, std::to_string(d.central.reported[0]->best.width));
  EXPECT_EQ(
      discover::centralSentence(d).rfind("The sites of the best motif gather at the centres of the sequences: ", 0),
      0u);
  std::ostringstream log;
  discover::writeSiteLog(log, d);
  EXPECT_NE(log.str().find("\n  ZELKOVA-1: central, "), std::string::npos) << log.str();

  // Sequences of several lengths: no central test, NA in the columns, no sentence.
  discover::Discovery mixed = plantedDiscovery();
  mixed.primary.records.back().letters.pop_back();
  describeSites(mixed);
  EXPECT_FALSE(mixed.central.reported.at(0));
  const formats::SummaryRow none = discover::summaryRow(mixed, mixed.motifs[0]);
  EXPECT_EQ(none.centralLog10P, "NA");
  EXPECT_EQ(none.centralWidth, "NA");
  EXPECT_EQ(discover::centralSentence(mixed), "");
  std::ostringstream mixedLog;
  discover::writeSiteLog(mixedLog, mixed);
  EXPECT_NE(mixedLog.str().find("central enrichment: not tested: the primary sequences are of 2 lengths"),
            std::string::npos);
}

TEST(DiscoverSiteDetails, EnrichedKnownMotifsGetTheirCentreTheOthersNA) {
  discover::Discovery d = plantedDiscovery();
  describeSites(d);
  d.knownMotifs = {motifOfWord(kPlanted), motifOfWord("GGGGCCCCAA")};
  d.knownMotifs[0].id = "MA0001.1";
  d.knownMotifs[1].id = "MA0002.1";
  d.known.resize(2);
  for (std::size_t k = 0; k < 2; ++k) {
    d.known[k].rank = static_cast<int>(k) + 1;
    d.known[k].index = k;
    d.known[k].test.motif.id = d.knownMotifs[k].id;
    d.known[k].test.motif.consensus = "ACGT";
  }
  d.central.known.assign(2, std::nullopt);
  // Only the first is enriched, so only it gets its sites described.
  d.central.known[0] = discover::centralOfKnownSites(d.central.setting, d.primary.records, d.siteBackground,
                                                     d.knownMotifs[0], d.motifs[0].sites);
  const std::vector<formats::CentralColumns> columns = discover::knownCentralColumns(d);
  ASSERT_EQ(columns.size(), 2u);
  EXPECT_EQ(columns[0].width, std::to_string(d.central.known[0]->best.width));
  EXPECT_LT(std::stod(columns[0].log10P), -5);
  EXPECT_EQ(columns[1].log10P, "NA");
  EXPECT_EQ(columns[1].width, "NA");
  const std::string table = stats::knownTable(d.known, columns);
  std::istringstream in(table);
  const std::vector<formats::KnownRow> rows = formats::readKnownTable(in, "known.tsv");
  ASSERT_EQ(rows.size(), 2u);
  ASSERT_TRUE(rows[0].central);
  EXPECT_EQ(rows[0].central->log10P, columns[0].log10P);
  EXPECT_EQ(rows[1].central->width, "NA");
  EXPECT_TRUE(formats::isKnownHeader(table.substr(0, table.find('\n'))));
}

TEST(DiscoverTables, CentralColumnsAreReadBackInBothLayouts) {
  const std::string line =
      "1\tZELKOVA-1\t4\t1\tACGT\t0.8123\t-12.346\tyes\t1\t1\t0\t2\tMA0001.1\tAGL3\t0.000123\tNA\tNA\t-3.210\tno";
  std::istringstream current(std::string(formats::kSummaryHeader) + "\n" + line + "\t-31.700\t20\n");
  const std::vector<formats::SummaryRow> rows = formats::readSummaryTable(current, "s.tsv");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].centralLog10P, "-31.700");
  EXPECT_EQ(rows[0].centralWidth, "20");
  EXPECT_EQ(formats::summaryLine(rows[0]), line + "\t-31.700\t20");
  std::istringstream earlier(std::string(formats::kSummaryHeaderWithoutCentral) + "\n" + line + "\n");
  const std::vector<formats::SummaryRow> old = formats::readSummaryTable(earlier, "s.tsv");
  ASSERT_EQ(old.size(), 1u);
  EXPECT_EQ(old[0].centralLog10P, "NA");
  EXPECT_EQ(old[0].centralWidth, "NA");
  for (const auto& [tail, message] : std::vector<std::pair<std::string, std::string>>{
           {"\tNA\t20", "s.tsv:2: central_log10_p and central_width are NA together or neither"},
           {"\t0.5\t20", "s.tsv:2: central_log10_p \"0.5\" is not the log10 of a p-value"},
           {"\t-3.000\t0", "s.tsv:2: central_width \"0\" is not 1 or more"},
           {"", "s.tsv:2: a summary line needs 21 tab-separated fields, found 19"}}) {
    std::istringstream bad(std::string(formats::kSummaryHeader) + "\n" + line + tail + "\n");
    try {
      formats::readSummaryTable(bad, "s.tsv");
      ADD_FAILURE() << "accepted " << tail;
    } catch (const ReadError& e) {
      EXPECT_EQ(e.what(), message);
    }
  }
}
