// zelkova-discover's settings and plan: the command line's values, the
// background order rule, the searches planned at each length and the budget
// that leaves out the engine's default allowance.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "base/errors.h"
#include "cli/companion_parser.h"
#include "discover/inputs/sequences.h"
#include "discover/search/plan.h"
#include "discover/setup/options.h"
#include "discover_arguments.h"

namespace {

using discover::DecoyMode;
using testing_support::discoverRefusal;
using testing_support::parseDiscover;

std::string usageError(const std::string& lengths) {
  try {
    discover::parseLengths(lengths);
  } catch (const UsageError& e) {
    return e.what();
  }
  return "accepted";
}

std::vector<FastaRecord> records(const std::vector<std::string>& letters) {
  std::vector<FastaRecord> r;
  for (std::size_t i = 0; i < letters.size(); ++i) r.push_back({"s" + std::to_string(i + 1), letters[i]});
  return r;
}

}  // namespace

TEST(DiscoverOptions, LengthsKeepTheirOrderAndAreRefusedOutsideTheEngineRange) {
  EXPECT_EQ(discover::parseLengths("16,8,12"), (std::vector<int>{16, 8, 12}));
  EXPECT_EQ(discover::parseLengths("6,20"), (std::vector<int>{6, 20}));
  EXPECT_EQ(usageError("5"), "--lengths \"5\": the length \"5\" is not a whole number from 6 to 20.");
  EXPECT_EQ(usageError("8,21"), "--lengths \"8,21\": the length \"21\" is not a whole number from 6 to 20.");
  EXPECT_EQ(usageError("8,,10"), "--lengths \"8,,10\": the length \"\" is not a whole number from 6 to 20.");
  EXPECT_EQ(usageError(",8"), "--lengths \",8\": the length \"\" is not a whole number from 6 to 20.");
  EXPECT_EQ(usageError("8 ,10"), "--lengths \"8 ,10\": the length \"8 \" is not a whole number from 6 to 20.");
  EXPECT_EQ(usageError("10,10"), "--lengths names the length 10 twice.");
  // Ranges, alone and among single lengths.
  EXPECT_EQ(discover::parseLengths("8-12"), (std::vector<int>{8, 9, 10, 11, 12}));
  EXPECT_EQ(discover::parseLengths("16,6-7,20-20"), (std::vector<int>{16, 6, 7, 20}));
  EXPECT_EQ(usageError("12-8"), "--lengths \"12-8\": the range 12-8 runs backwards (write 8-12).");
  EXPECT_EQ(usageError("5-8"), "--lengths \"5-8\": the length \"5\" is not a whole number from 6 to 20.");
  EXPECT_EQ(usageError("8-21"), "--lengths \"8-21\": the length \"21\" is not a whole number from 6 to 20.");
  EXPECT_EQ(usageError("8-"), "--lengths \"8-\": the length \"\" is not a whole number from 6 to 20.");
  EXPECT_EQ(usageError("8-10-12"), "--lengths \"8-10-12\": the length \"10-12\" is not a whole number from 6 to 20.");
  EXPECT_EQ(usageError("8-10,10"), "--lengths names the length 10 twice.");
}

TEST(DiscoverOptions, EngineSettingsAndTheirRefusals) {
  const std::optional<discover::Options> defaults = parseDiscover({"x.fa", "-o", "d"});
  ASSERT_TRUE(defaults);
  EXPECT_FALSE(defaults->mismatches);
  EXPECT_FALSE(defaults->threshold);
  EXPECT_TRUE(defaults->bothStrands);
  const std::optional<discover::Options> set =
      parseDiscover({"x.fa", "-o", "d", "-m", "3", "--threshold", "0.85", "--strand", "+", "--no-decoy", "-l", "8-10"});
  ASSERT_TRUE(set);
  EXPECT_EQ(set->mismatches, 3);
  EXPECT_EQ(set->threshold, 0.85);
  EXPECT_FALSE(set->bothStrands);
  EXPECT_EQ(set->decoy, DecoyMode::No);
  EXPECT_EQ(set->lengths, (std::vector<int>{8, 9, 10}));
  EXPECT_TRUE(parseDiscover({"x.fa", "-o", "d", "--strand", "both", "--threshold", "0.7", "--mismatches", "0"}));
  EXPECT_TRUE(parseDiscover({"x.fa", "-o", "d", "--threshold", "1"}));

  EXPECT_EQ(discoverRefusal({"x.fa", "-o", "d", "--mismatches", "-1"}),
            "--mismatches \"-1\" is not a whole number from 0 to 19.");
  EXPECT_EQ(discoverRefusal({"x.fa", "-o", "d", "--mismatches", "20"}),
            "--mismatches \"20\" is not a whole number from 0 to 19.");
  EXPECT_EQ(discoverRefusal({"x.fa", "-o", "d", "--mismatches", "8"}),
            "--mismatches 8 must be below the shortest motif length of --lengths (8).");
  EXPECT_EQ(discoverRefusal({"x.fa", "-o", "d", "--lengths", "12,7", "-m", "7"}),
            "--mismatches 7 must be below the shortest motif length of --lengths (7).");
  EXPECT_EQ(discoverRefusal({"x.fa", "-o", "d", "--threshold", "0.69"}),
            "--threshold \"0.69\" is not a number from 0.7 to 1.");
  EXPECT_EQ(discoverRefusal({"x.fa", "-o", "d", "--threshold", "1.01"}),
            "--threshold \"1.01\" is not a number from 0.7 to 1.");
  EXPECT_EQ(discoverRefusal({"x.fa", "-o", "d", "--threshold", "high"}),
            "--threshold \"high\" is not a number from 0.7 to 1.");
  EXPECT_EQ(discoverRefusal({"x.fa", "-o", "d", "--strand", "-"}), "--strand \"-\" is not one of + and both.");
  EXPECT_EQ(discoverRefusal({"x.fa", "-o", "d", "--strand", "plus"}), "--strand \"plus\" is not one of + and both.");
  EXPECT_EQ(discoverRefusal({"x.fa", "-o", "d", "--no-decoy", "--decoy", "no"}),
            "--no-decoy and --decoy cannot both be given.");
  EXPECT_EQ(discoverRefusal({"x.fa", "-o", "d", "--no-decoy", "--no-decoy"}),
            "option --no-decoy is given more than once.");
}

TEST(DiscoverOptions, DecoyModesAndWhenAutoRunsTheDecoy) {
  EXPECT_EQ(discover::parseDecoyMode("auto"), DecoyMode::Auto);
  EXPECT_EQ(discover::parseDecoyMode("yes"), DecoyMode::Yes);
  EXPECT_EQ(discover::parseDecoyMode("no"), DecoyMode::No);
  EXPECT_THROW(discover::parseDecoyMode("Yes"), UsageError);
  EXPECT_TRUE(discover::decoyRuns(DecoyMode::Auto, 499));
  EXPECT_FALSE(discover::decoyRuns(DecoyMode::Auto, 500));
  EXPECT_TRUE(discover::decoyRuns(DecoyMode::Yes, 100000));
  EXPECT_FALSE(discover::decoyRuns(DecoyMode::No, 10));
}

TEST(DiscoverOptions, DefaultsAndTheWholeCommandLine) {
  const std::optional<discover::Options> defaults = parseDiscover({"peaks.fa", "-o", "out"});
  ASSERT_TRUE(defaults);
  EXPECT_EQ(defaults->primaryFile, "peaks.fa");
  EXPECT_EQ(defaults->outputDir, "out");
  EXPECT_EQ(defaults->lengths, (std::vector<int>{8, 12, 16}));
  EXPECT_EQ(defaults->decoy, DecoyMode::Auto);
  EXPECT_EQ(defaults->holdout, 0.0);
  EXPECT_EQ(defaults->top, 10);
  EXPECT_TRUE(defaults->dust);
  EXPECT_EQ(defaults->dustLevel, 20);
  EXPECT_EQ(defaults->commandLine, "zelkova-discover peaks.fa -o out");
  const std::optional<discover::Options> all = parseDiscover({"-o",
                                                              "d",
                                                              "--control",
                                                              "bg.fa.gz",
                                                              "--lengths",
                                                              "10",
                                                              "--trim",
                                                              "100",
                                                              "--mask-lowercase",
                                                              "--seed",
                                                              "7",
                                                              "--decoy",
                                                              "no",
                                                              "--holdout",
                                                              "0.5",
                                                              "--top",
                                                              "3",
                                                              "--db",
                                                              "a.meme",
                                                              "--db",
                                                              "b.jaspar",
                                                              "--keep-side-files",
                                                              "--force",
                                                              "-p",
                                                              "3",
                                                              "--no-dust",
                                                              "--dust-level",
                                                              "35",
                                                              "x.fa"});
  ASSERT_TRUE(all);
  EXPECT_EQ(all->controlFile, "bg.fa.gz");
  EXPECT_EQ(all->trim, 100);
  EXPECT_TRUE(all->maskLowercase && all->keepSideFiles && all->force);
  EXPECT_EQ(all->seed, 7u);
  EXPECT_EQ(all->holdout, 0.5);
  EXPECT_EQ(all->databaseFiles, (std::vector<std::string>{"a.meme", "b.jaspar"}));
  EXPECT_EQ(all->threads, 3);
  EXPECT_FALSE(all->dust);
  EXPECT_EQ(all->dustLevel, 35);
  EXPECT_THROW(parseDiscover({"x.fa", "-o", "d", "--dust-level", "0"}), UsageError);
  EXPECT_THROW(parseDiscover({"x.fa", "-o", "d", "--dust-level", "101"}), UsageError);
  EXPECT_THROW(parseDiscover({"x.fa"}), UsageError);                            // no -o
  EXPECT_THROW(parseDiscover({"x.fa", "y.fa", "-o", "d"}), UsageError);         // two inputs
  EXPECT_THROW(parseDiscover({"x.fa", "-o", "d", "--trim", "5"}), UsageError);  // shorter than any motif
  EXPECT_THROW(parseDiscover({"x.fa", "-o", "d", "--holdout", "0.51"}), UsageError);
  EXPECT_THROW(parseDiscover({"x.fa", "-o", "d", "--top", "0"}), UsageError);
}

TEST(DiscoverSequences, CentralLettersOfATrimmedRecord) {
  long long cut = -1;
  EXPECT_EQ(discover::centralLetters("ABCDEFGHIJ", 4, cut), "DEFG");
  EXPECT_EQ(cut, 3);
  EXPECT_EQ(discover::centralLetters("ABCDEFGHI", 4, cut), "CDEF");  // an odd surplus leaves more at the end
  EXPECT_EQ(cut, 2);
  EXPECT_EQ(discover::centralLetters("ABC", 4, cut), "ABC");
  EXPECT_EQ(cut, 0);
  EXPECT_EQ(discover::centralLetters("ABCDEF", 0, cut), "ABCDEF");
  EXPECT_EQ(cut, 0);
}

TEST(DiscoverSequences, WindowsNeverSpanAnN) {
  EXPECT_EQ(discover::usableWindows(records({"ACGTNACGT", "AC", "acgt"}), 3), 4);  // 2 + 2, lower case not ACGT
  EXPECT_EQ(discover::usableWindows(records({"ACGTNACGT"}), 5), 0);
  EXPECT_EQ(discover::usableWindows(records({"ACGTACGT"}), 1), 8);
}

TEST(DiscoverSequences, BackgroundOrderIsTheHighestWithTenCountsPerWord) {
  // Order k needs 2 x (windows of k + 1 letters) >= 10 x 4^(k + 1); one record
  // of L letters has L - k such windows.
  const auto orderOf = [](std::size_t letters) {
    return discover::supportedOrder(records({std::string(letters, 'A')}), 7, 10.0);
  };
  EXPECT_EQ(orderOf(80), 0);  // 2 x 79 < 160
  EXPECT_EQ(orderOf(81), 1);  // 2 x 80 = 160
  EXPECT_EQ(orderOf(321), 1);
  EXPECT_EQ(orderOf(322), 2);  // 2 x 320 = 640
  EXPECT_EQ(orderOf(1282), 2);
  EXPECT_EQ(orderOf(1283), 3);  // 2 x 1280 = 2560
  EXPECT_EQ(orderOf(327686), 6);
  EXPECT_EQ(orderOf(327687), 7);  // 2 x 327680 = 655360
  EXPECT_EQ(discover::supportedOrder(records({std::string(327687, 'A')}), 5, 10.0), 5);
  EXPECT_EQ(discover::supportedOrder(records({std::string(100000, 'N')}), 7, 10.0), 0);
}

TEST(DiscoverSequences, HoldoutKeepsOrderAndIsTheSameForASeed) {
  std::vector<std::string> letters;
  for (int i = 0; i < 20; ++i) letters.push_back(std::string(10, "ACGT"[i % 4]));
  const std::vector<FastaRecord> all = records(letters);
  const discover::Split split = discover::splitForHoldout(all, 0.25, 3, "the set");
  EXPECT_EQ(split.heldOut, 5u);
  ASSERT_EQ(split.test.size(), 5u);
  ASSERT_EQ(split.search.size(), 15u);
  // Every record is in exactly one part, each part in file order.
  std::vector<std::string> seen;
  for (const auto* part : {&split.search, &split.test}) {
    for (std::size_t i = 1; i < part->size(); ++i)
      EXPECT_LT(std::stoi((*part)[i - 1].name.substr(1)), std::stoi((*part)[i].name.substr(1)));
    for (const FastaRecord& r : *part) seen.push_back(r.name);
  }
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end());
  EXPECT_EQ(seen.size(), 20u);
  const discover::Split again = discover::splitForHoldout(all, 0.25, 3, "the set");
  const discover::Split other = discover::splitForHoldout(all, 0.25, 4, "the set");
  const auto names = [](const std::vector<FastaRecord>& r) {
    std::string text;
    for (const FastaRecord& x : r) text += x.name + " ";
    return text;
  };
  EXPECT_EQ(names(again.test), names(split.test));
  EXPECT_NE(names(other.test), names(split.test));
  // Without a holdout both parts are the whole set.
  const discover::Split none = discover::splitForHoldout(all, 0.0, 3, "the set");
  EXPECT_EQ(none.search.size(), 20u);
  EXPECT_EQ(none.test.size(), 20u);
  EXPECT_EQ(none.heldOut, 0u);
}

TEST(DiscoverSequences, AHoldoutThatEmptiesAPartIsRefused) {
  EXPECT_THROW(discover::splitForHoldout(records({"ACGT", "ACGT", "ACGT"}), 0.1, 0, "the set"), FatalError);
  EXPECT_THROW(discover::splitForHoldout(records({"ACGT"}), 0.5, 0, "the set"), FatalError);
  EXPECT_EQ(discover::splitForHoldout(records({"ACGT", "ACGT"}), 0.5, 0, "the set").heldOut, 1u);
}

TEST(DiscoverSequences, DecoySetsTakeTheControlInTurnAndMatchThePrimarySize) {
  std::vector<std::string> letters;
  for (int i = 0; i < 12; ++i) letters.push_back("ACGT");
  std::vector<FastaRecord> control = records(letters);  // s1 .. s12
  const auto names = [](const std::vector<FastaRecord>& r) {
    std::string text;
    for (const FastaRecord& x : r) text += x.name + " ";
    return text;
  };
  // A shuffled control (copy 1, copy 2 of each sequence in turn): one copy per set.
  std::vector<std::vector<FastaRecord>> sets = discover::decoySets(control, 6, 2);
  ASSERT_EQ(sets.size(), 2u);
  EXPECT_EQ(names(sets[0]), "s1 s3 s5 s7 s9 s11 ");
  EXPECT_EQ(names(sets[1]), "s2 s4 s6 s8 s10 s12 ");
  // A larger control is thinned evenly to the primary set's size.
  sets = discover::decoySets(control, 3, 2);
  EXPECT_EQ(names(sets[0]), "s1 s5 s9 ");
  EXPECT_EQ(names(sets[1]), "s2 s6 s10 ");
  // Too small a control gives fewer sets.
  EXPECT_EQ(discover::decoySets(records({"ACGT"}), 5, 2).size(), 1u);
}

TEST(DiscoverPlan, TwoAllowancesPerLengthAndTheDefaultOnlyWithinTheBudget) {
  const std::vector<FastaRecord> small = records({std::string(200, 'A')});
  const discover::Plan plan = discover::planSearches({8, 13}, {&small, &small});
  ASSERT_EQ(plan.searches.size(), 24u);
  EXPECT_TRUE(plan.skipped.empty());
  EXPECT_EQ(plan.setNames, (std::vector<std::string>{"primary", "decoy1"}));
  // The engine's searches of each set, then its word searches, then the
  // gapped ones.
  const std::vector<std::string> expected{"l8_m2",       "l8_m4",       "l13_m3",      "l13_m6",
                                          "words8",      "words10",     "words8_gap1", "words8_gap2",
                                          "words8_gap3", "words8_gap4", "words8_gap5", "words8_gap6"};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(plan.searches[i].name, expected[i]);
    EXPECT_EQ(plan.searches[i + 12].name, "decoy1_" + expected[i]);
    EXPECT_EQ(plan.searches[i + 12].set, 1);
    const bool words = i >= 4;
    EXPECT_EQ(plan.searches[i].kind, words ? discover::SearchKind::Words : discover::SearchKind::Engine);
    EXPECT_EQ(plan.searches[i].engineDefault, i % 2 == 1 && !words);
    if (words) {
      EXPECT_EQ(plan.searches[i].mismatches, 1);
    }
  }
  EXPECT_EQ(plan.searches[4].length, 8);
  EXPECT_EQ(plan.searches[5].length, 10);
  EXPECT_EQ(plan.searches[8].length, 8);
  EXPECT_EQ(plan.searches[8].gap, 3);
  EXPECT_EQ(discover::searchDescription(plan.searches[8]), "words of 8 letters in two halves 3 apart, 1 mismatch");
  EXPECT_EQ(discover::searchDescription(plan.searches[4]), "words of 8 letters, 1 mismatch");
  EXPECT_EQ(discover::searchDescription(plan.searches[1]), "length 8, 4 mismatches (the engine's default)");
  EXPECT_EQ(discover::searchDescription(plan.searches[2]), "length 13, 3 mismatches");
  // Three sequences' worth of windows (the set and its control of two), each
  // with its 31 neighbours of one mismatch; a gapped word's windows hold its gap.
  EXPECT_DOUBLE_EQ(plan.searches[5].cost, 3.0 * 191 * 31);
  EXPECT_DOUBLE_EQ(plan.searches[8].cost, 3.0 * 190 * 25);
  EXPECT_DOUBLE_EQ(discover::expectedWork(plan.searches[5]), plan.searches[5].cost);
  EXPECT_EQ(plan.searches[2].mismatches, 3);                        // 13 / 4
  EXPECT_EQ(plan.searches[3].mismatches, 6);                        // 13 / 2
  EXPECT_EQ(plan.searches[0].cost, discover::searchCost(193, 40));  // 200 - 8 + 1 windows, 40 clusters
  // The progress expects the default allowance to take twenty times as long.
  EXPECT_DOUBLE_EQ(discover::expectedWork(plan.searches[1]), plan.searches[1].cost);
  EXPECT_DOUBLE_EQ(discover::expectedWork(plan.searches[0]), plan.searches[0].cost / 20);
  discover::Search empty;
  EXPECT_EQ(discover::expectedWork(empty), 1.0);

  // The budget: 2 x windows x 40 clusters. Windows of 10 letters at the limit.
  const long long atLimit = static_cast<long long>(discover::kDefaultAllowanceBudget / 80);
  const std::vector<FastaRecord> limit = records({std::string(static_cast<std::size_t>(atLimit) + 9, 'A')});
  const std::vector<FastaRecord> over = records({std::string(static_cast<std::size_t>(atLimit) + 10, 'A')});
  EXPECT_EQ(discover::planSearches({10}, {&limit}).searches.size(), 10u);  // and the 8 word searches
  const discover::Plan skipped = discover::planSearches({10}, {&over});
  ASSERT_EQ(skipped.searches.size(), 9u);
  EXPECT_EQ(skipped.searches[0].mismatches, 2);
  ASSERT_EQ(skipped.skipped.size(), 1u);
  EXPECT_EQ(skipped.skipped[0].name, "l10_m5");

  // --mismatches: one search per length at that allowance, whatever its cost.
  discover::SearchSettings settings;
  settings.mismatches = 3;
  settings.threshold = 0.9;
  const discover::Plan given = discover::planSearches({8, 10}, {&over}, settings);
  ASSERT_EQ(given.searches.size(), 10u);
  EXPECT_TRUE(given.skipped.empty());
  EXPECT_EQ(given.searches[1].name, "l10_m3");
  EXPECT_EQ(given.settings.threshold, 0.9);
}
