// zelkova-discover's outputs and the steps behind them: genome regions in
// headers, merging of redundant motifs, the site tables on the sequences as
// given and in genome coordinates, MEME files with E-values, the page's
// verdict, the output directory's refusals and all-or-nothing writing, the
// folders an interrupt removes, and the progress lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "base/errors.h"
#include "discover/inputs/regions.h"
#include "discover/ranking/merge.h"
#include "discover/report/page.h"
#include "discover/report/result.h"
#include "discover/report/tables.h"
#include "discover/setup/interruption.h"
#include "discover/setup/output_dir.h"
#include "discover/setup/progress.h"
#include "formats/motif_export.h"
#include "formats/motif_files.h"
#include "formats/numbers.h"
#include "support_files.h"

namespace fs = std::filesystem;
using testing_support::readWholeFile;
using testing_support::TempDir;

namespace {

// A motif whose every site is `word`.
std::vector<formats::CountColumn> countsOf(const std::string& word, long long sites) {
  std::vector<formats::CountColumn> counts;
  for (char c : word) {
    formats::CountColumn column{};
    column[static_cast<std::size_t>(std::string("ACGT").find(c))] = sites;
    counts.push_back(column);
  }
  return counts;
}

discover::Candidate candidate(std::size_t search, int rank, const std::string& word, double log10E) {
  discover::Candidate c;
  c.search = search;
  c.motif.rank = rank;
  c.motif.consensus = word;
  c.motif.counts = countsOf(word, 20);
  c.motif.siteCount = 20;
  c.motif.mapScore = 1.0;
  c.test.log10E = log10E;
  return c;
}

discover::Plan planOf(int searches) {
  discover::Plan plan;
  plan.setNames = {"primary"};
  for (int s = 0; s < searches; ++s) {
    discover::Search search;
    search.length = 12;
    search.mismatches = 3;
    search.name = "search" + std::to_string(s);
    plan.searches.push_back(search);
  }
  return plan;
}

// A discovery of one primary sequence "chr2:100-130" of 30 letters trimmed to
// its central 20 (5 cut from the start), with one reported motif of width 4
// and two sites.
discover::Discovery handMadeDiscovery() {
  discover::Discovery d;
  d.primary.records = {{"chr2:100-130", "ACGTACGTACGTACGTACGT"}};
  d.primary.trimmedOff = {5};
  d.primary.givenLength = {30};
  d.regions = discover::regionsOfRecords(d.primary.records, {30}).regions;
  d.plan = planOf(1);
  d.plan.searches[0].length = 4;
  d.plan.searches[0].mismatches = 1;
  d.candidates.push_back(candidate(0, 1, "ACGT", -12.3456));
  d.candidates[0].test.choice.threshold = 0.81239;
  d.candidates[0].test.choice.table = {1, 1, 0, 2};
  discover::ReportedMotif m;
  m.rank = 1;
  m.id = "ZELKOVA-1";
  m.group.representative = 0;
  m.beatsDecoy = true;
  m.sites.push_back({stats::SequenceRole::Primary, 0, 1, true, "ACGT", 1.0});
  m.sites.push_back({stats::SequenceRole::Primary, 0, 3, false, "ACGT", 0.91234});
  m.siteLog10P = {-2.5, -2.04};
  formats::MatchRow best;
  best.targetId = "MA0001.1";
  best.targetName = "AGL3";
  best.e = 0.000123;
  m.matches.push_back(best);
  d.motifs.push_back(m);
  d.central.reported = {std::nullopt};  // sequences too short for a central window
  return d;
}

}  // namespace

TEST(DiscoverRegions, HeadersOfBedtoolsGetfasta) {
  const std::optional<stats::Interval> r = discover::regionOfHeader("chr1:1000-1200");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->chrom, "chr1");
  EXPECT_EQ(r->start, 1000);
  EXPECT_EQ(r->end, 1200);
  EXPECT_EQ(r->strand, '.');
  const std::optional<stats::Interval> alt = discover::regionOfHeader("HLA-A*01:01:01:01:5-9");
  ASSERT_TRUE(alt);
  EXPECT_EQ(alt->chrom, "HLA-A*01:01:01:01");
  // bedtools getfasta -s, -name, and both.
  const std::optional<stats::Interval> minus = discover::regionOfHeader("chr2:5-9(-)");
  ASSERT_TRUE(minus);
  EXPECT_EQ(minus->chrom, "chr2");
  EXPECT_EQ(minus->end, 9);
  EXPECT_EQ(minus->strand, '-');
  for (const char* forward : {"chr2:5-9(+)", "chr2:5-9(.)", "peak7::chr2:5-9", "a::b::chr2:5-9(+)"}) {
    const std::optional<stats::Interval> f = discover::regionOfHeader(forward);
    ASSERT_TRUE(f) << forward;
    EXPECT_EQ(f->chrom, "chr2") << forward;
    EXPECT_EQ(f->start, 5) << forward;
    EXPECT_NE(f->strand, '-') << forward;
  }
  const std::optional<stats::Interval> both = discover::regionOfHeader("peak7::chrX:10-20(-)");
  ASSERT_TRUE(both);
  EXPECT_EQ(both->chrom, "chrX");
  EXPECT_EQ(both->strand, '-');
  for (const char* bad : {"chr1:1200-1000", "chr1:5-5", "chr1:-5-9", "chr1:5-9 peak", "chr 1:5-9", ":5-9", "chr1:5",
                          "chr1:a-9", "chr1:5-9(x)", "chr1:5-9(-", "peak17", "peak7::", "peak7::chr1:5"})
    EXPECT_FALSE(discover::regionOfHeader(bad)) << bad;
  // Every header must name a region as long as its record; else the first that does not is told.
  const std::vector<FastaRecord> two{{"c:0-4", "ACGT"}, {"c:10-12(-)", "AC"}};
  EXPECT_TRUE(discover::regionsOfRecords(two, {4, 2}).regions);
  const discover::HeaderRegions longer = discover::regionsOfRecords(two, {4, 3});
  EXPECT_FALSE(longer.regions);
  EXPECT_EQ(longer.whyNot, "record 2 (c:10-12(-)): its region spans 2 letters, the record holds 3");
  const discover::HeaderRegions named = discover::regionsOfRecords({{"c:0-4", "ACGT"}, {"other", "ACGTA"}}, {4, 5});
  EXPECT_FALSE(named.regions);
  EXPECT_EQ(named.whyNot, "record 2 (other) names no genome region chrom:start-end");
}

TEST(DiscoverRegions, StretchesOfReverseRecordsAreCountedFromTheRegionsEnd) {
  const stats::Interval plus{"chr1", 100, 130, '+'};
  const stats::Interval minus{"chr1", 100, 130, '-'};
  // Letters 1 to 4 of the record: the region's first four, or its last four.
  const stats::Interval a = discover::genomeStretch(plus, 1, 4, true);
  EXPECT_EQ(std::make_tuple(a.start, a.end, a.strand), std::make_tuple(100LL, 104LL, '+'));
  const stats::Interval b = discover::genomeStretch(minus, 1, 4, true);
  EXPECT_EQ(std::make_tuple(b.start, b.end, b.strand), std::make_tuple(126LL, 130LL, '-'));
  const stats::Interval c = discover::genomeStretch(minus, 27, 4, false);  // the record's last letters
  EXPECT_EQ(std::make_tuple(c.start, c.end, c.strand), std::make_tuple(100LL, 104LL, '+'));
}

TEST(DiscoverMerge, CopiesOfAMotifOnEitherStrandJoinTheOneRankedFirst) {
  const discover::Plan plan = planOf(3);
  std::vector<discover::Candidate> candidates{
      candidate(0, 1, "ACGTTGCAAGGTAC", -5.0),  // the motif
      candidate(1, 1, "GTACCTTGCAACGT", -9.0),  // its reverse complement, more significant
      candidate(1, 2, "TTTTGGGGCCCCAA", -7.0),  // another motif
      candidate(2, 1, "CGTTGCAAGGTACA", -3.0),  // the first, shifted by one
      candidate(2, 2, "AGAGCTCTAGAGCT", -1.0),  // another again
  };
  const std::vector<std::size_t> order{1, 2, 0, 3, 4};  // by E-value
  const std::vector<discover::MergedMotif> groups = discover::mergeRedundant(candidates, order, plan, 0.01);
  ASSERT_EQ(groups.size(), 3u);
  EXPECT_EQ(groups[0].representative, 1u);
  EXPECT_EQ(groups[0].merged, (std::vector<std::size_t>{0, 3}));
  ASSERT_EQ(groups[0].mergedE.size(), 2u);
  EXPECT_LT(groups[0].mergedE[0], 0.01);
  EXPECT_EQ(groups[1].representative, 2u);
  EXPECT_TRUE(groups[1].merged.empty());
  EXPECT_EQ(groups[2].representative, 4u);
  // Nothing is merged when the bar is out of reach.
  EXPECT_EQ(discover::mergeRedundant(candidates, order, plan, 0.0).size(), 5u);
  EXPECT_TRUE(discover::mergeRedundant({}, {}, plan, 0.01).empty());
  // The group takes the name of the one ranked first, whatever its E-value.
  const std::vector<discover::MergedMotif> shifted = discover::mergeRedundant(candidates, {3, 1, 2, 0, 4}, plan, 0.01);
  ASSERT_EQ(shifted.size(), 3u);
  EXPECT_EQ(shifted[0].representative, 3u);
  EXPECT_EQ(shifted[0].merged, (std::vector<std::size_t>{1, 0}));
}

TEST(DiscoverTables, SitesOnTheSequenceAsGivenAndInGenomeCoordinates) {
  const discover::Discovery d = handMadeDiscovery();
  // Position 3 of the trimmed letters is 8 of the record as given (5 were cut),
  // and 107 on the chromosome (BED: 0-based start, end exclusive).
  // In sites.tsv the genome columns are 1-based and inclusive, as start and end are.
  EXPECT_EQ(discover::siteTable(d), std::string(discover::kSitesHeader) +
                                        "\nZELKOVA-1\tchr2:100-130\t6\t9\t+\t1.0000\tACGT\tchr2\t106\t109\t+\t-2.500\n"
                                        "ZELKOVA-1\tchr2:100-130\t8\t11\t-\t0.9123\tACGT\tchr2\t108\t111\t-\t-2.040\n");
  EXPECT_EQ(discover::siteBed(d), "chr2\t105\t109\tZELKOVA-1\t1000\t+\nchr2\t107\t111\tZELKOVA-1\t912\t-\n");
  // The same record as the reverse strand of its region (bedtools getfasta -s).
  discover::Discovery reverse = d;
  reverse.primary.records[0].name = "chr2:100-130(-)";
  reverse.regions = discover::regionsOfRecords(reverse.primary.records, {30}).regions;
  EXPECT_EQ(discover::siteBed(reverse), "chr2\t121\t125\tZELKOVA-1\t1000\t-\nchr2\t119\t123\tZELKOVA-1\t912\t+\n");
  EXPECT_EQ(discover::siteTable(reverse),
            std::string(discover::kSitesHeader) +
                "\nZELKOVA-1\tchr2:100-130(-)\t6\t9\t+\t1.0000\tACGT\tchr2\t122\t125\t-\t-2.500\n"
                "ZELKOVA-1\tchr2:100-130(-)\t8\t11\t-\t0.9123\tACGT\tchr2\t120\t123\t+\t-2.040\n");
  // Without regions: no sites.bed, and NA in the genome columns.
  discover::Discovery plain = d;
  plain.regions.reset();
  EXPECT_DEATH(discover::siteBed(plain), "genome region");
  EXPECT_EQ(discover::siteTable(plain),
            std::string(discover::kSitesHeader) +
                "\nZELKOVA-1\tchr2:100-130\t6\t9\t+\t1.0000\tACGT\tNA\tNA\tNA\tNA\t-2.500\n"
                "ZELKOVA-1\tchr2:100-130\t8\t11\t-\t0.9123\tACGT\tNA\tNA\tNA\tNA\t-2.040\n");
}

TEST(DiscoverTables, SummaryLineOfAMotif) {
  discover::Discovery d = handMadeDiscovery();
  d.motifs[0].conditional.log10E = -3.21;
  EXPECT_EQ(discover::summaryTable(d), std::string(formats::kSummaryHeader) +
                                           "\n1\tZELKOVA-1\t4\t1\tACGT\t0.8123\t-12.346\tyes\t1\t1\t0\t2\t"
                                           "MA0001.1\tAGL3\t0.000123\tNA\tNA\t-3.210\tno\tNA\tNA\n");
  // A match that does not convince is no name: it goes to weak_match_*.
  d.motifs[0].matches[0].e = 0.0501;
  d.motifs[0].lowComplexity = true;
  const std::string weak = discover::summaryTable(d);
  EXPECT_NE(weak.find("\t0\t2\tNA\tNA\tNA\tMA0001.1\t0.0501\t-3.210\tyes\tNA\tNA\n"), std::string::npos) << weak;
  d.motifs[0].beatsDecoy.reset();
  d.motifs[0].matches.clear();
  const std::string noDecoy = discover::summaryTable(d);
  EXPECT_NE(noDecoy.find("\t-12.346\tNA\t1\t1\t0\t2\tNA\tNA\tNA\tNA\tNA\t-3.210\tyes\tNA\tNA\n"), std::string::npos)
      << noDecoy;
}

// The page's first sentence names what the decoy sets were drawn from, and
// reads as a sentence whichever control it was.
TEST(DiscoverPage, VerdictNamesWhatTheDecoyWasDrawnFrom) {
  discover::Discovery d = handMadeDiscovery();
  d.decoyRun = true;
  d.decoyBestLog10E = -2.0;
  EXPECT_EQ(discover::verdict(d),
            "The best motif (E = 4.5e-13) beats the decoy: shuffled DNA searched the same way reaches E = 1.0e-02 at "
            "best, and the best motif is more than 10 times below that. E-values were computed on the sequences the "
            "motifs were found in, which makes them optimistic, the more so the smaller the set.");
  d.options.controlFile = "background.fa";
  d.motifs.front().beatsDecoy = false;
  d.decoyBestLog10E = -14.0;
  const std::string refuted =
      "The best motif (E = 4.5e-13) does not beat the decoy: DNA drawn from the control searched the same way "
      "reaches E = 1.0e-14 (beating it takes an E-value 10 times smaller), so nothing found here is "
      "distinguishable from DNA drawn from the control. ";
  EXPECT_EQ(discover::verdict(d).substr(0, refuted.size()), refuted);
}

TEST(DiscoverMotifFiles, MemeCarriesEValuesAndTheBackground) {
  const discover::Discovery d = handMadeDiscovery();
  formats::MemeDetails details;
  details.background = {0.3, 0.2, 0.2, 0.3};
  details.log10E = {-2976.501};
  std::ostringstream out;
  formats::writeMeme(out, formats::fromReport(discover::reportedMotifs(d), "d"), details);
  const std::string meme = out.str();
  EXPECT_NE(meme.find("\nBackground letter frequencies\nA 0.3 C 0.2 G 0.2 T 0.3\n"), std::string::npos) << meme;
  EXPECT_NE(meme.find("\nMOTIF ZELKOVA-1 ACGT\nletter-probability matrix: alength= 4 w= 4 nsites= 20 E= 3.2e-2977\n"),
            std::string::npos)
      << meme;
  details.log10E.push_back(0);
  EXPECT_DEATH(formats::writeMeme(out, formats::fromReport(discover::reportedMotifs(d), "d"), details),
               "one E-value per motif");
  EXPECT_EQ(formats::scientificFromLog10(-5.821), "1.5e-06");
  EXPECT_EQ(formats::scientificFromLog10(0), "1.0e+00");
  EXPECT_EQ(formats::scientificFromLog10(-0.0001), "1.0e+00");  // 9.998e-01 rounds up
  EXPECT_EQ(formats::scientificFromLog10(2.5), "3.2e+02");
}

namespace {

// Every file under `dir` with its contents, in name order.
std::string listing(const fs::path& dir) {
  std::vector<std::string> lines;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(dir))
    lines.push_back(fs::relative(e.path(), dir).generic_string() +
                    (e.is_regular_file() ? ": " + readWholeFile(e.path().string()) : "/"));
  std::sort(lines.begin(), lines.end());
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

}  // namespace

TEST(DiscoverOutputDirectory, AnExistingDirectoryNeedsForce) {
  const TempDir dir;
  fs::create_directory(dir / "old");
  std::ofstream(dir / "file") << "x";
  EXPECT_THROW(discover::OutputDirectory(dir / "old", false), FatalError);
  EXPECT_NO_THROW(discover::OutputDirectory(dir / "old", true));
  EXPECT_THROW(discover::OutputDirectory(dir / "file", true), FatalError);
  discover::OutputDirectory fresh(dir / "new/deeper", false);
  EXPECT_FALSE(fs::exists(dir / "new"));  // nothing until create()
  fresh.create();
  EXPECT_TRUE(fs::is_directory(fs::path(fresh.stagedFile("runs"))));
  EXPECT_EQ(fs::path(fresh.stagedFile("runs")).parent_path().parent_path(), dir / "new/deeper");
}

TEST(DiscoverOutputDirectory, StagedFilesAndResultsArePutInPlaceOnlyAtTheCommit) {
  const TempDir dir;
  discover::OutputDirectory out(dir / "out", false);
  out.create();
  out.stageFiles({{"runs/l8_m2.out", "report"}});
  EXPECT_FALSE(fs::exists(dir / "out/runs"));
  out.commit({{"summary.tsv", "table"}, {"index.html", "page"}});
  EXPECT_EQ(listing(dir / "out"), "index.html: page\nruns/\nruns/l8_m2.out: report\nsummary.tsv: table\n");
  EXPECT_FALSE(out.abandon());  // committed: stays
  EXPECT_TRUE(fs::exists(dir / "out/index.html"));
}

TEST(DiscoverOutputDirectory, AFailedCommitLeavesAForcedDirectoryAsItWas) {
  const TempDir dir;
  fs::create_directories(dir / "out/runs");
  std::ofstream(dir / "out/summary.tsv") << "old table";
  std::ofstream(dir / "out/runs/l8_m2.out") << "old report";
  fs::create_directory(dir / "out/index.html");  // in the way of the page
  const std::string before = listing(dir / "out");
  {
    discover::OutputDirectory out(dir / "out", true);
    out.create();
    out.stageFiles({{"runs/l8_m2.out", "new report\n"}, {"runs/l10_m2.out", "report\n"}});
    EXPECT_THROW(out.commit({{"summary.tsv", "new table\n"}, {"index.html", "page\n"}}), FatalError);
  }  // abandoned
  EXPECT_EQ(listing(dir / "out"), before);
}

TEST(DiscoverOutputDirectory, AnAbandonedRunRemovesTheDirectoryItCreated) {
  const TempDir dir;
  {
    discover::OutputDirectory out(dir / "new/out", false);
    out.create();
    out.stageFiles({{"runs/l8_m2.out", "report\n"}});
    EXPECT_TRUE(out.abandon());
    EXPECT_TRUE(out.abandon());  // again: nothing more to do
    EXPECT_THROW(out.create(), FatalError);
  }
  EXPECT_FALSE(fs::exists(dir / "new/out"));
  // Into an existing directory: only the staging folder goes.
  fs::create_directories(dir / "kept");
  std::ofstream(dir / "kept/notes.txt") << "mine";
  {
    discover::OutputDirectory out(dir / "kept", true);
    out.create();
    out.stageFiles({{"runs/l8_m2.out", "report\n"}});
  }  // destroyed without a commit
  EXPECT_EQ(listing(dir / "kept"), "notes.txt: mine\n");
}

TEST(DiscoverOutputDirectory, AForcedRunRemovesOnlyTheEarlierRunsOwnFiles) {
  const TempDir dir;
  fs::create_directories(dir / "out/runs");
  for (const char* name : {"sites.bed", "summary.tsv", "notes.txt", "runs/l8_m2.out", "runs/decoy1_l16_m8.html",
                           "runs/l8_m2.initcore.txt", "runs/mine.out"})
    std::ofstream(dir / ("out/" + std::string(name))) << "old";
  discover::OutputDirectory forced(dir / "out", true);
  forced.create();
  forced.stageFiles({{"runs/l8_m2.out", "new"}});
  forced.commit({{"summary.tsv", "new"}});
  EXPECT_EQ(listing(dir / "out"), "notes.txt: old\nruns/\nruns/l8_m2.out: new\nruns/mine.out: old\nsummary.tsv: new\n");
}

// What an interrupt removes outside the output directory: the folders still
// listed, not those that were removed and forgotten (a name may come back as
// another run's).
TEST(DiscoverInterruption, TemporaryFoldersRemovesOnlyThoseStillListed) {
  const TempDir dir;
  fs::create_directories(dir / "building/part");
  fs::create_directory(dir / "done");
  discover::TemporaryFolders temporaries;
  const formats::ScratchNotice notice = temporaries.notice();
  notice(dir / "building", true);
  notice(dir / "done", true);
  notice(dir / "done", false);
  temporaries.removeAll();
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"done"});
  fs::create_directory(dir / "building");
  temporaries.removeAll();  // nothing listed any more
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"building", "done"}));
}

TEST(DiscoverProgress, OneLinePerStepUnlessOnATerminal) {
  for (bool terminal : {false, true}) {
    std::FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    {
      discover::StepProgress progress(stream, terminal);
      progress.begin("Discovery");
      progress.update("length 10, 2 mismatches", 0.456);
      progress.end("2 searches");
      progress.begin("Names");
      progress.end("done");
      ASSERT_EQ(progress.steps().size(), 2u);
      EXPECT_EQ(progress.steps()[0].step, "Discovery");
      EXPECT_EQ(progress.steps()[0].summary, "2 searches");
    }
    std::rewind(stream);
    std::string text;
    for (int c; (c = std::fgetc(stream)) != EOF;) text += static_cast<char>(c);
    std::fclose(stream);
    std::string lines;
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; ++at) lines += 'n';
    EXPECT_EQ(lines, "nn");
    EXPECT_EQ(text.find("length 10, 2 mismatches, 45 % done, about") != std::string::npos, terminal) << text;
    EXPECT_EQ(text.find("\r\033[K") != std::string::npos, terminal) << text;
    EXPECT_NE(text.find("Discovery: 2 searches ("), std::string::npos) << text;
  }
}

TEST(DiscoverProgress, ALogHearsFromALongStepEveryHeartbeat) {
  std::FILE* stream = std::tmpfile();
  ASSERT_NE(stream, nullptr);
  auto text = [&] {
    std::fflush(stream);
    std::rewind(stream);
    std::string all;
    for (int c; (c = std::fgetc(stream)) != EOF;) all += static_cast<char>(c);
    return all;
  };
  {
    discover::StepProgress progress(stream, false, std::chrono::milliseconds(20));
    progress.begin("Significance");
    progress.update("motif 3", 0.5);
    // Wait (for as long as a loaded machine may need) until the heartbeat has spoken twice.
    for (int tries = 0; tries < 500; ++tries) {
      const std::string now = text();
      if (now.find("Significance: motif 3, 50 % done, about") != now.rfind("Significance: motif 3, 50 % done")) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    progress.end("done");
  }
  const std::string all = text();
  std::fclose(stream);
  EXPECT_NE(all.find("Significance: motif 3, 50 % done, about"), all.rfind("Significance: motif 3, 50 % done, about"))
      << all;
  EXPECT_NE(all.find("\nSignificance: done ("), std::string::npos) << all;
}

TEST(DiscoverProgress, TimeLeftOnlyOnceATenthIsDone) {
  EXPECT_EQ(discover::timeLeftText(10, 0.05), "");
  EXPECT_EQ(discover::timeLeftText(9, 0.1), "about 81 s left");
  EXPECT_EQ(discover::timeLeftText(60, 0.25), "about 3 min left");
  EXPECT_EQ(discover::timeLeftText(3600, 0.4), "about 1.5 h left");
  EXPECT_EQ(discover::timeLeftText(10, 1.0), "");
}
