// zelkova-scan's run, below its command line: a genome read through its index
// in pieces gives exactly the sites of its chromosomes read as FASTA, and of
// every window scored whole (windows across piece boundaries included); the
// same result for any number of threads; q-values equal to Benjamini-Hochberg
// over every window's p-value; --max-sites keeps the best by p; regions merged
// or refused with file and line; MEME background files.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "formats/meme_background.h"
#include "formats/text_lines.h"
#include "genome_support.h"
#include "scan/motif_scan.h"
#include "scan/pieces.h"
#include "scan/run.h"
#include "stats/motif_compare.h"

namespace {

using testing_support::errorText;

// Two motifs of the bundled insect collection's kind: a sharp 8-mer and a
// flatter 13-mer, as counts of 20 sites.
std::vector<formats::Motif> testMotifs() {
  return {{"M1",
           "sharp",
           {{18, 1, 1, 0},
            {0, 0, 20, 0},
            {1, 0, 0, 19},
            {0, 20, 0, 0},
            {2, 2, 14, 2},
            {0, 0, 0, 20},
            {20, 0, 0, 0},
            {1, 17, 1, 1}},
           true,
           std::nullopt,
           "test.jaspar",
           1},
          {"M2",
           "",
           {{6, 4, 6, 4},
            {10, 2, 6, 2},
            {1, 1, 1, 17},
            {16, 2, 1, 1},
            {3, 3, 11, 3},
            {5, 5, 5, 5},
            {1, 16, 2, 1},
            {2, 2, 2, 14},
            {12, 4, 2, 2},
            {4, 12, 2, 2},
            {5, 5, 5, 5},
            {2, 2, 14, 2},
            {9, 3, 3, 5}},
           true,
           std::nullopt,
           "test.jaspar",
           7}};
}

std::vector<scan::MotifModel> modelsOf(const scan::Options& o, const stats::Background& bg) {
  std::vector<scan::MotifModel> models;
  for (const formats::Motif& m : testMotifs())
    models.push_back(scan::motifModel(m, bg, o.pseudocount, o.strands, o.pBound()));
  return models;
}

// A site as a comparable tuple: place, strand, score, p, q, letters.
using SiteKey = std::tuple<std::size_t, long long, int, int, double, double, std::string>;
std::vector<std::vector<SiteKey>> keysOf(const std::vector<scan::MotifResult>& results) {
  std::vector<std::vector<SiteKey>> keys;
  for (const scan::MotifResult& r : results) {
    keys.emplace_back();
    for (const scan::ReportedSite& s : r.sites)
      keys.back().emplace_back(s.site.sequence, s.site.start, s.site.strand, s.site.score, s.site.p, s.q,
                               s.site.matched);
  }
  return keys;
}

// A generated genome of chr1, chr2 (of these lengths) and chrM, written.
std::unique_ptr<testing_support::GeneratedGenome> writtenGenome(std::uint64_t seed, long long chr1, long long chr2) {
  auto generated = std::make_unique<testing_support::GeneratedGenome>(seed, chr1, chr2);
  generated->write();
  return generated;
}

// Every motif over the FASTA file at `path`.
std::vector<scan::MotifResult> scanFasta(const std::vector<scan::MotifModel>& models, const std::string& path,
                                         const scan::Options& o) {
  return scan::scanAll(models, *scan::fastaPieces(path, DnaRules::kNoLimit, 12), o);
}

std::string writeFile(const testing_support::TempDir& dir, const std::string& name, const std::string& text) {
  testing_support::writeText(dir / name, text);
  return dir / name;
}

}  // namespace

TEST(Scan, GenomeInPiecesGivesTheSitesOfItsChromosomesAsFastaAndOfEveryWindow) {
  // chr1 spans three pieces, so windows cross piece boundaries.
  testing_support::GeneratedGenome generated(31, 2500000, 300000);
  generated.write();
  scan::Options o;
  o.pValue = 1e-4;
  o.threads = 2;
  const stats::Background bg{0.3, 0.2, 0.2, 0.3};
  const std::vector<scan::MotifModel> models = modelsOf(o, bg);
  formats::IndexedGenome genome(generated.bgzipPath());
  const auto regions = scan::scanRegions(genome, "");
  const auto fromGenome = scan::scanAll(models, *scan::genomePieces(genome, regions, 12), o);
  const auto fromFasta = scan::scanAll(models, *scan::fastaPieces(generated.plainPath(), DnaRules::kNoLimit, 12), o);
  EXPECT_EQ(keysOf(fromGenome), keysOf(fromFasta));
  // Every window of chr1 scored whole, on the forward strand.
  const std::vector<FastaRecord> chr1{{"chr1", generated.expected("chr1", 0, 2500000)}};
  const stats::CodedSequences coded(chr1);
  for (std::size_t m = 0; m < models.size(); ++m) {
    std::vector<std::pair<long long, int>> expected, found;
    const scan::StrandMatrix& forward = models[m].strands[0];
    forward.scanner.scoreEveryWindow(coded, 0, chr1[0].letters.size(), forward.floor,
                                     [&](std::size_t start, int score) { expected.emplace_back(start, score); });
    for (const scan::ReportedSite& s : fromGenome[m].sites)
      if (s.site.sequence == 0 && s.site.strand == 0) found.emplace_back(s.site.start, s.site.score);
    EXPECT_EQ(found, expected) << models[m].id;
    EXPECT_GT(found.size(), 50u);
    EXPECT_EQ(fromGenome[m].windows, fromFasta[m].windows);
  }
}

TEST(Scan, SameResultForAnyNumberOfThreads) {
  const auto generated = writtenGenome(32, 1200000, 100000);
  scan::Options o;
  o.pValue = 1e-3;
  const std::vector<scan::MotifModel> models = modelsOf(o, stats::uniformBackground());
  o.threads = 1;
  const auto one = scanFasta(models, generated->plainPath(), o);
  o.threads = 3;
  const auto three = scanFasta(models, generated->plainPath(), o);
  EXPECT_EQ(keysOf(one), keysOf(three));
}

TEST(Scan, QValuesAreBenjaminiHochbergOverEveryWindow) {
  testing_support::TempDir dir;
  stats::Random random(4);
  std::string fasta;
  for (int r = 0; r < 40; ++r) {
    std::string letters(300, 'A');
    for (char& c : letters) c = "ACGT"[random.below(4)];
    if (r % 3 == 0) letters.replace(100, 8, "AGTCGTAC");  // M1's consensus
    fasta += ">seq" + std::to_string(r) + "\n" + letters + "\n";
  }
  const std::string path = writeFile(dir, "seqs.fa", fasta);
  scan::Options o;
  o.qValue = 0.05;
  o.threads = 2;
  const stats::Background bg = stats::uniformBackground();
  const std::vector<scan::MotifModel> models = modelsOf(o, bg);
  const auto results = scan::scanAll(models, *scan::fastaPieces(path, DnaRules::kNoLimit, 12), o);
  // Every window of both strands with its p-value, and BH over all of them.
  const std::vector<FastaRecord> records = readDnaFile(path, DnaRules()).records;
  const stats::CodedSequences coded(records);
  for (std::size_t m = 0; m < models.size(); ++m) {
    std::vector<double> p;
    std::vector<std::tuple<std::size_t, long long, int>> place;
    for (std::size_t s = 0; s < records.size(); ++s)
      for (int strand = 0; strand < 2; ++strand) {
        const scan::StrandMatrix& sm = models[m].strands[static_cast<std::size_t>(strand)];
        const stats::ScoreTail whole(sm.scanner.matrix(), bg, sm.scanner.matrix().worst());
        sm.scanner.scoreEveryWindow(coded, s, records[s].letters.size(), sm.scanner.matrix().worst(),
                                    [&](std::size_t start, int score) {
                                      p.push_back(whole.atLeast(score));
                                      place.emplace_back(s, static_cast<long long>(start), strand);
                                    });
      }
    EXPECT_EQ(static_cast<long long>(p.size()), results[m].windows);
    const std::vector<double> q = stats::benjaminiHochberg(p);
    std::vector<std::tuple<std::size_t, long long, int>> expected;
    for (std::size_t i = 0; i < q.size(); ++i)
      if (q[i] <= 0.05) expected.push_back(place[i]);
    std::sort(expected.begin(), expected.end());
    std::vector<std::tuple<std::size_t, long long, int>> found;
    for (const scan::ReportedSite& s : results[m].sites) {
      found.emplace_back(s.site.sequence, s.site.start, s.site.strand);
      const auto at = std::find(place.begin(), place.end(), found.back()) - place.begin();
      EXPECT_NEAR(s.q, q[static_cast<std::size_t>(at)], 1e-12 * q[static_cast<std::size_t>(at)]);
      EXPECT_DOUBLE_EQ(s.site.p, p[static_cast<std::size_t>(at)]);
    }
    EXPECT_EQ(found, expected) << models[m].id;
    EXPECT_EQ(results[m].qualifying, static_cast<long long>(expected.size()));
  }
  EXPECT_GE(results[0].sites.size(), 13u);  // the planted sites, at least
}

TEST(Scan, MaxSitesKeepsTheBestByPAndCountsTheRest) {
  const auto generated = writtenGenome(33, 200000, 100000);
  scan::Options o;
  o.pValue = 1e-2;
  const std::vector<scan::MotifModel> models = modelsOf(o, stats::uniformBackground());
  const auto all = scanFasta(models, generated->plainPath(), o);
  o.maxSites = 25;
  const auto cut = scanFasta(models, generated->plainPath(), o);
  for (std::size_t m = 0; m < models.size(); ++m) {
    ASSERT_GT(all[m].sites.size(), 25u);
    EXPECT_EQ(cut[m].sites.size(), 25u);
    EXPECT_EQ(cut[m].qualifying, static_cast<long long>(all[m].sites.size()));
    std::vector<double> best;
    for (const scan::ReportedSite& s : all[m].sites) best.push_back(s.site.p);
    std::sort(best.begin(), best.end());
    double worstKept = 0;
    for (const scan::ReportedSite& s : cut[m].sites) worstKept = std::max(worstKept, s.site.p);
    EXPECT_EQ(worstKept, best[24]);
    // The q-values come from the counts, not from the sites kept.
    for (const scan::ReportedSite& s : cut[m].sites) {
      const auto same = std::find_if(all[m].sites.begin(), all[m].sites.end(), [&](const scan::ReportedSite& a) {
        return a.site.sequence == s.site.sequence && a.site.start == s.site.start && a.site.strand == s.site.strand;
      });
      ASSERT_NE(same, all[m].sites.end());
      EXPECT_EQ(same->q, s.q);
    }
  }
}

TEST(Scan, RegionsAreMergedAndRefusedWithFileAndLine) {
  testing_support::GeneratedGenome generated(34, 50000, 40000);
  generated.write();
  formats::IndexedGenome genome(generated.plainPath());
  const testing_support::TempDir& dir = generated.dir();
  const auto merged = scan::scanRegions(
      genome,
      writeFile(dir, "r.bed", "chr2\t100\t200\nchr1\t500\t600\nchr1\t550\t700\nchr1\t700\t800\nchr1\t10\t20\n"));
  ASSERT_EQ(merged.size(), 3u);
  EXPECT_EQ(std::make_tuple(merged[0].chrom, merged[0].start, merged[0].end),
            std::make_tuple(std::string("chr1"), 10LL, 20LL));
  EXPECT_EQ(std::make_tuple(merged[1].chrom, merged[1].start, merged[1].end),
            std::make_tuple(std::string("chr1"), 500LL, 800LL));
  EXPECT_EQ(merged[2].chrom, "chr2");
  const std::string beyond = writeFile(dir, "beyond.bed", "chr1\t0\t10\nchr2\t39990\t40010\n");
  EXPECT_NE(errorText([&] {
              scan::scanRegions(genome, beyond);
            }).find(beyond + ":2: the region chr2:39990-40010 ends past the end of chr2"),
            std::string::npos);
  const std::string unknown = writeFile(dir, "unknown.bed", "# comment\n2\t0\t10\n");
  EXPECT_NE(
      errorText([&] { scan::scanRegions(genome, unknown); }).find(unknown + ":2: chromosome 2 is not in the genome"),
      std::string::npos);
  const std::string empty = writeFile(dir, "empty.bed", "# nothing\n");
  EXPECT_EQ(errorText([&] { scan::scanRegions(genome, empty); }), empty + ": the file holds no region");
}

TEST(MemeBackground, ReadsOrderZeroAndRefusesWithFileAndLine) {
  auto read = [](const std::string& text) {
    std::istringstream in(text);
    return formats::readMemeBackground(in, "bg.txt");
  };
  const auto b = read("# order 0\nA 0.3\nC 0.2\ng 0.2\nT 0.3\n# order 1\nAA 0.09\nAC 0.06\n");
  EXPECT_DOUBLE_EQ(b[0], 0.3);
  EXPECT_DOUBLE_EQ(b[2], 0.2);
  EXPECT_NEAR(read("A 0.301\nC 0.2\nG 0.2\nT 0.3\n")[0], 0.301 / 1.001, 1e-15);
  EXPECT_EQ(errorText([&] { read("A 0.25\nC 0.25\nN 0.25\nT 0.25\n"); }),
            "bg.txt:3: unknown letter 'N' in \"N\"; a DNA background gives A, C, G and T only");
  EXPECT_EQ(errorText([&] { read("A 0.25\nC 0.25\nG 0.25\nT 0.25\nAX 0.1\n"); }),
            "bg.txt:5: unknown letter 'X' in \"AX\"; a DNA background gives A, C, G and T only");
  EXPECT_EQ(errorText([&] { read("A 0.25\nC 0.25\nA 0.25\nT 0.25\n"); }),
            "bg.txt:3: letter A is given twice (first on line 1)");
  EXPECT_NE(errorText([&] { read("A 0.25\nC 0.25\nT 0.25\n"); }).find("bg.txt: no probability of G"),
            std::string::npos);
  EXPECT_NE(errorText([&] {
              read("A 0.5\nC 0.5\nG 0.5\nT 0.5\n");
            }).find("bg.txt:4: the probabilities of A, C, G and T add up to 2"),
            std::string::npos);
  EXPECT_EQ(errorText([&] { read("A 0\nC 0.5\nG 0.25\nT 0.25\n"); }),
            "bg.txt:1: probability \"0\" of A is not above 0 and at most 1");
  EXPECT_EQ(errorText([&] { read("A 0.25 0.1\n"); }),
            "bg.txt:1: expected a word and its probability, found \"A 0.25 0.1\"");
}
