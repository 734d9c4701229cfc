// zelkova-discover's honest answers: a motif tested again with the sites of
// the better ones masked (a shifted copy is explained, another motif is
// not), the records an input is warned about and the refusal of a set too
// small, and simple repeats set apart only while masking is on.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/errors.h"
#include "discover/inputs/low_complexity.h"
#include "discover/inputs/low_complexity_text.h"
#include "discover/inputs/record_checks.h"
#include "discover/ranking/conditional.h"
#include "discover/ranking/simple_repeats.h"
#include "discover/testing/set_apart.h"
#include "stats/shuffle.h"

namespace {

std::string randomLetters(std::size_t length, stats::Random& random) {
  std::string s(length, 'A');
  for (char& c : s) c = "ACGT"[random.below(4)];
  return s;
}

// A motif whose every site is `word`.
std::vector<formats::CountColumn> countsOf(const std::string& word) {
  std::vector<formats::CountColumn> counts;
  for (char c : word) {
    formats::CountColumn column{};
    column[std::string("ACGT").find(c)] = 20;
    counts.push_back(column);
  }
  return counts;
}

// `word` tested as a candidate of its own on `primary` against `control`,
// the E-value over `tested` motifs.
discover::Candidate tested(const std::string& word, const std::vector<FastaRecord>& primary,
                           const std::vector<FastaRecord>& control, std::size_t tested) {
  discover::Candidate c;
  c.motif.consensus = word;
  c.motif.counts = countsOf(word);
  std::vector<stats::MotifMatrix> motifs(tested, {1, word, word, stats::frequenciesOf(c.motif.counts)});
  c.test = stats::testMotifs(motifs, primary, control, {}).front();
  return c;
}

struct Sets {
  std::vector<FastaRecord> primary, control;
};

// 60 random primary sequences, the first 40 with ACGTTGCAGGTC at 30 and the
// last 30 with TTAGCCCATAGG at 50 (10 hold both), against 120 random ones.
Sets plantedSets() {
  stats::Random random(17);
  Sets sets;
  for (int i = 0; i < 60; ++i) {
    std::string s = randomLetters(120, random);
    if (i < 40) s.replace(30, 12, "ACGTTGCAGGTC");
    if (i >= 30) s.replace(50, 12, "TTAGCCCATAGG");
    sets.primary.push_back({"p" + std::to_string(i), s});
  }
  for (int i = 0; i < 120; ++i) sets.control.push_back({"c" + std::to_string(i), randomLetters(120, random)});
  return sets;
}

std::vector<discover::MergedMotif> groupsOf(std::size_t count) {
  std::vector<discover::MergedMotif> groups(count);
  for (std::size_t i = 0; i < count; ++i) groups[i].representative = i;
  return groups;
}

}  // namespace

TEST(DiscoverConditional, AShiftedCopyIsExplainedAndAnotherMotifIsNot) {
  const Sets sets = plantedSets();
  // The motif, the same shifted by 3 letters (sharing 9 of its 12), the other one.
  const std::vector<discover::Candidate> candidates{tested("ACGTTGCAGGTC", sets.primary, sets.control, 3),
                                                    tested("TTGCAGGTCAAA", sets.primary, sets.control, 3),
                                                    tested("TTAGCCCATAGG", sets.primary, sets.control, 3)};
  for (const discover::Candidate& c : candidates) ASSERT_LT(c.test.log10E, -5) << c.motif.consensus;
  const std::vector<discover::IndependentMotif> ranked =
      discover::rankConditionally(candidates, groupsOf(3), sets.primary, sets.control, 10, 3, {2, true});
  ASSERT_EQ(ranked.size(), 2u);
  EXPECT_EQ(ranked[0].group.representative, 0u);
  EXPECT_DOUBLE_EQ(ranked[0].test.log10E, candidates[0].test.log10E);  // nothing masked before the first
  EXPECT_EQ(ranked[0].test.primaryHitsLeft, ranked[0].test.primaryHits);
  ASSERT_EQ(ranked[0].dependents.size(), 1u);
  const discover::DependentMotif& copy = ranked[0].dependents.front();
  EXPECT_EQ(copy.group.representative, 1u);
  EXPECT_LT(2 * copy.test.primaryHitsLeft, copy.test.primaryHits);
  // The other motif keeps the sequences it shares with the first.
  EXPECT_EQ(ranked[1].group.representative, 2u);
  EXPECT_GE(ranked[1].test.primaryHitsLeft, 28);
  EXPECT_LT(ranked[1].test.log10E, -5);
  // --top counts the independent motifs only.
  EXPECT_EQ(discover::rankConditionally(candidates, groupsOf(3), sets.primary, sets.control, 1, 3, {1, true}).size(),
            1u);
  // The same ranking on one thread as on two.
  const std::vector<discover::IndependentMotif> one =
      discover::rankConditionally(candidates, groupsOf(3), sets.primary, sets.control, 10, 3, {1, true});
  ASSERT_EQ(one.size(), 2u);
  EXPECT_EQ(one[1].test.log10E, ranked[1].test.log10E);
}

TEST(DiscoverConditional, TheRuleOfExplainedMotifs) {
  stats::MotifResult first;
  first.log10E = std::log10(0.01);
  discover::ConditionalTest after{std::log10(0.04), 10, 5};  // still significant, half kept
  EXPECT_FALSE(discover::explainedByBetterMotifs(first, after));
  after.primaryHitsLeft = 4;  // more than half lost
  EXPECT_TRUE(discover::explainedByBetterMotifs(first, after));
  after = {std::log10(0.05), 10, 10};  // no longer significant
  EXPECT_TRUE(discover::explainedByBetterMotifs(first, after));
  first.log10E = std::log10(0.2);  // never was: only lost sites count
  EXPECT_FALSE(discover::explainedByBetterMotifs(first, after));
}

TEST(DiscoverRecordChecks, WarnsOncePerKindAndLeavesOutRecordsWithoutBases) {
  const std::string longName(299, 'x');
  discover::SequenceFile file;
  file.records = {{"a", "ACGT"}, {"b", "NNNN"}, {"a", "GGCC"}, {longName, "ACGA"}, {"c", ""}, {longName, "TTTT"}};
  file.trimmedOff = {0, 1, 2, 3, 4, 5};
  file.givenLength = {4, 4, 4, 4, 0, 4};
  const std::vector<std::string> warnings = discover::checkRecords(file, "in.fa");
  ASSERT_EQ(warnings.size(), 3u);
  EXPECT_EQ(warnings[0],
            "Warning: in.fa: 2 records repeat the name of an earlier one (first: \"a\", records 1 and 3); "
            "sites.tsv names sites by their record, so those records cannot be told apart there.");
  EXPECT_EQ(warnings[1],
            "Warning: in.fa: 2 record names reach 299 characters, the longest kept; longer names were cut "
            "there (first: record 4).");
  EXPECT_EQ(warnings[2],
            "Warning: in.fa: 2 records hold no A, C, G or T (first: record 2 (b)) and are left out: not "
            "searched, not tested, not in any total.");
  ASSERT_EQ(file.records.size(), 4u);
  EXPECT_EQ(file.records[1].letters, "GGCC");
  EXPECT_EQ(file.trimmedOff, (std::vector<long long>{0, 2, 3, 5}));
  EXPECT_EQ(file.givenLength, (std::vector<long long>{4, 4, 4, 4}));
  discover::SequenceFile clean;
  clean.records = {{"a", "ACGT"}, {"b", "ACGT"}};
  clean.trimmedOff = clean.givenLength = {0, 0};
  EXPECT_TRUE(discover::checkRecords(clean, "in.fa").empty());
}

TEST(DiscoverRecordChecks, DiscoveryNeedsTwoSequencesWithRoomForAMotif) {
  EXPECT_NO_THROW(discover::requireSeveralSequences({{"a", "ACGTACGT"}, {"b", "NNACGTACGTNN"}}, 8, "in.fa"));
  try {
    discover::requireSeveralSequences({{"a", "ACGTACGT"}, {"b", "ACGTNACGT"}}, 8, "in.fa");
    FAIL() << "accepted one sequence with room for a motif";
  } catch (const FatalError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Error: in.fa holds 1 sequence with 8 or more letters of A, C, G and T in a "
                                          "row (the shortest motif searched). Motif discovery needs several sequences",
                                          0),
              0u)
        << e.what();
  }
  EXPECT_THROW(discover::requireSeveralSequences({}, 6, "in.fa"), FatalError);
}

TEST(DiscoverLowComplexity, SimpleRepeatsAreSetApartOnlyWhileMasking) {
  std::vector<discover::Candidate> candidates(4);
  candidates[0].motif.consensus = "CAGCAGCAGCAG";
  candidates[1].motif.consensus = "ACGTTGCAGGTC";
  candidates[2].motif.consensus = "AAAAAAAA";
  candidates[3].motif.consensus = "TTAGCCCATAGG";
  for (std::size_t i = 0; i < 4; ++i) candidates[i].test.log10E = -10.0 + static_cast<double>(i);
  discover::Options masking;
  masking.top = 1;
  const discover::RankableGroups parts = discover::partSimpleRepeats(masking, candidates, groupsOf(4));
  ASSERT_EQ(parts.rankable.size(), 2u);
  EXPECT_EQ(parts.rankable[0].representative, 1u);
  EXPECT_EQ(parts.rankable[1].representative, 3u);
  ASSERT_EQ(parts.simpleRepeats.size(), 1u);  // at most --top of them listed
  EXPECT_EQ(parts.simpleRepeats[0].representative, 0u);
  EXPECT_EQ(discover::bestRankableLog10E(masking, candidates), -9.0);
  discover::Options plain = masking;
  plain.dust = false;
  EXPECT_EQ(discover::partSimpleRepeats(plain, candidates, groupsOf(4)).rankable.size(), 4u);
  EXPECT_EQ(discover::bestRankableLog10E(plain, candidates), -10.0);
  EXPECT_EQ(discover::maskedShareText(masking, 31, 1000), ", 3.1 % masked as low-complexity");
  EXPECT_EQ(discover::maskedShareText(plain, 31, 1000), "");
  // Masking leaves stretches shorter than the shortest motif: 9 As stay, 16
  // letters of a CA repeat go.
  masking.lengths = {12, 10};
  const std::string as(9, 'A');
  std::string ca;
  for (int k = 0; k < 8; ++k) ca += "CA";
  std::vector<FastaRecord> records{{"r", "ACGT" + as + "GT" + ca + "GT"}};
  EXPECT_EQ(discover::maskLowComplexity(masking, records), 16);
  EXPECT_EQ(records[0].letters, "ACGT" + as + "GT" + std::string(16, 'N') + "GT");
  EXPECT_EQ(discover::maskLowComplexity(plain, records), 0);
}
