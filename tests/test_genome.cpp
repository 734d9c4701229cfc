// The indexed genome: plain and bgzip-compressed FASTA read at chosen places
// give the generated letters; the index is built beside the FASTA, reused,
// rebuilt when older than the FASTA, kept in memory when the directory cannot
// be written to, the directory it is built in named to a notice; plain gzip, files that are not FASTA and unindexable
// FASTA are refused by name.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "formats/genome.h"
#include "genome_support.h"
#include "stats/shuffle.h"

using formats::IndexedGenome;
using formats::IndexOrigin;
using testing_support::errorText;
using testing_support::GeneratedGenome;
using testing_support::TempDir;
using testing_support::writeText;

namespace {

bool exists(const std::string& path) { return std::filesystem::exists(path); }

// Reads many intervals, some across line ends, N runs and lower-case
// stretches, and the whole of each chromosome; all must be the generated letters.
void expectGeneratedLetters(IndexedGenome& g, const GeneratedGenome& made, LowerCase lowerCase) {
  stats::Random random(5);
  for (const formats::Chromosome& c : g.chromosomes()) {
    EXPECT_EQ(g.fetch(c.name, 0, c.length, lowerCase), made.expected(c.name, 0, c.length, lowerCase)) << c.name;
    for (int i = 0; i < 200; ++i) {
      const long long start = static_cast<long long>(random.below(static_cast<std::uint64_t>(c.length - 1)));
      const long long end =
          start + 1 +
          static_cast<long long>(random.below(static_cast<std::uint64_t>(std::min(c.length - start, 5000LL))));
      ASSERT_EQ(g.fetch(c.name, start, end, lowerCase), made.expected(c.name, start, end, lowerCase))
          << c.name << ":" << start << "-" << end;
    }
  }
}

}  // namespace

TEST(IndexedGenome, PlainAndBgzipGiveTheGeneratedLetters) {
  GeneratedGenome made;
  made.write();
  for (const std::string& path : {made.plainPath(), made.bgzipPath()}) {
    IndexedGenome g(path);
    EXPECT_EQ(g.bgzipCompressed(), path == made.bgzipPath());
    ASSERT_EQ(g.chromosomes().size(), 3u);
    EXPECT_EQ(g.chromosomes()[0].name, "chr1");
    EXPECT_EQ(g.chromosomes()[0].length, 300000);
    EXPECT_EQ(g.chromosomes()[1].length, 200000);
    EXPECT_EQ(g.chromosomes()[2].name, "chrM");
    EXPECT_EQ(g.totalLength(), 516500);
    expectGeneratedLetters(g, made, LowerCase::AsUpper);
    expectGeneratedLetters(g, made, LowerCase::AsN);
  }
}

TEST(IndexedGenome, LowerCaseBecomesNOnlyWhenAsked) {
  GeneratedGenome made;
  made.write(80);
  IndexedGenome g(made.plainPath());
  const std::string& raw = made.letters("chr1");
  const std::size_t lower = raw.find_first_of("acgt");
  ASSERT_NE(lower, std::string::npos);
  const long long at = static_cast<long long>(lower);
  EXPECT_EQ(g.fetch("chr1", at, at + 1, LowerCase::AsUpper),
            std::string(1, static_cast<char>(std::toupper(raw[lower]))));
  EXPECT_EQ(g.fetch("chr1", at, at + 1, LowerCase::AsN), "N");
  // IUPAC letters stay as they are.
  const std::size_t iupac = raw.find_first_of("RYKMSWBDHV");
  ASSERT_NE(iupac, std::string::npos);
  EXPECT_EQ(g.fetch("chr1", static_cast<long long>(iupac), static_cast<long long>(iupac) + 1, LowerCase::AsN),
            std::string(1, raw[iupac]));
}

TEST(IndexedGenome, IndexBuiltBesideThenReusedAndRebuiltWhenOlder) {
  GeneratedGenome made;
  made.write();
  {
    IndexedGenome first(made.bgzipPath());
    EXPECT_EQ(first.indexOrigin(), IndexOrigin::BuiltBeside);
    EXPECT_TRUE(first.inMemoryReason().empty());
  }
  EXPECT_TRUE(exists(made.bgzipPath() + ".fai"));
  EXPECT_TRUE(exists(made.bgzipPath() + ".gzi"));
  EXPECT_EQ(IndexedGenome(made.bgzipPath()).indexOrigin(), IndexOrigin::Existing);
  // Only the index files are left beside the FASTA: no scratch directory.
  EXPECT_EQ(made.dir().entries(),
            (std::vector<std::string>{"genome.fa", "genome.fa.gz", "genome.fa.gz.fai", "genome.fa.gz.gzi"}));

  // A FASTA newer than its index: the index is made again.
  EXPECT_EQ(IndexedGenome(made.plainPath()).indexOrigin(), IndexOrigin::BuiltBeside);
  writeText(made.plainPath(), ">only\nACGTACGT\nACGT\n");
  std::filesystem::last_write_time(made.plainPath(),
                                   std::filesystem::file_time_type::clock::now() + std::chrono::seconds(10));
  IndexedGenome rebuilt(made.plainPath());
  EXPECT_EQ(rebuilt.indexOrigin(), IndexOrigin::BuiltBeside);
  ASSERT_EQ(rebuilt.chromosomes().size(), 1u);
  EXPECT_EQ(rebuilt.chromosomes()[0].length, 12);
  EXPECT_EQ(rebuilt.fetch("only", 6, 12, LowerCase::AsUpper), "GTACGT");
}

// The directory an index is built in is named to the notice when it is made
// and once it is gone (what an interrupted program removes); an index that
// is there builds nothing.
TEST(IndexedGenome, TheIndexDirectoryIsToldWhenMadeAndWhenGone) {
  GeneratedGenome made;
  made.write();
  std::vector<std::pair<std::string, bool>> told;
  bool existedWhenMade = false;
  const formats::ScratchNotice notice = [&](const std::string& directory, bool madeNow) {
    told.emplace_back(directory, madeNow);
    if (madeNow) existedWhenMade = std::filesystem::is_directory(directory);
  };
  IndexedGenome built(made.bgzipPath(), notice);
  EXPECT_EQ(built.indexOrigin(), IndexOrigin::BuiltBeside);
  ASSERT_EQ(told.size(), 2u);
  EXPECT_TRUE(told[0].second);
  EXPECT_TRUE(existedWhenMade);
  EXPECT_EQ(told[0].first.rfind(made.bgzipPath() + ".index-", 0), 0u) << told[0].first;
  EXPECT_EQ(told[1], std::make_pair(told[0].first, false));
  EXPECT_FALSE(exists(told[0].first));
  told.clear();
  IndexedGenome again(made.bgzipPath(), notice);
  EXPECT_EQ(again.indexOrigin(), IndexOrigin::Existing);
  EXPECT_TRUE(told.empty());
}

// A directory that cannot be written to: the index is built in a private
// temporary directory, read, and removed; nothing is written beside the FASTA.
// Root writes anywhere, so the check runs in a child process that, when run
// as root, takes the identity of the user nobody first.
TEST(IndexedGenome, ReadOnlyDirectoryKeepsTheIndexInMemory) {
  GeneratedGenome made;
  made.write();
  const TempDir scratch;
  const std::filesystem::path genomeDir = std::filesystem::path(made.plainPath()).parent_path();
  std::filesystem::permissions(genomeDir, std::filesystem::perms(0555));
  std::filesystem::permissions(std::filesystem::path(scratch / "x").parent_path(), std::filesystem::perms(0777));
  const std::string expected = made.expected("chr2", 1000, 1500);
  for (const std::string& path : {made.plainPath(), made.bgzipPath()}) {
    EXPECT_EXIT(
        {
          if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            std::_Exit(2);
          ::setenv("TMPDIR", (scratch / "").c_str(), 1);
          IndexedGenome g(path);
          const bool ok = g.indexOrigin() == IndexOrigin::BuiltInMemory && !g.inMemoryReason().empty() &&
                          g.fetch("chr2", 1000, 1500, LowerCase::AsUpper) == expected;
          std::_Exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
  }
  std::filesystem::permissions(genomeDir, std::filesystem::perms(0700));
  EXPECT_EQ(made.dir().entries(), (std::vector<std::string>{"genome.fa", "genome.fa.gz"}));
  EXPECT_TRUE(scratch.entries().empty());
}

TEST(IndexedGenome, FastaThatNoLongerMatchesItsIndexIsRefused) {
  const TempDir dir;
  writeText(dir / "g.fa", ">chr1\nACGTACGTAC\nACGTACGTAC\nAC\n");
  IndexedGenome{dir / "g.fa"};
  // Rewritten with shorter lines, the index made newer than it.
  writeText(dir / "g.fa", ">chr1\nACGTA\nCGTAC\nACGTA\nCGTAC\nAC\n");
  std::filesystem::last_write_time(dir / "g.fa.fai",
                                   std::filesystem::file_time_type::clock::now() + std::chrono::seconds(10));
  IndexedGenome stale(dir / "g.fa");
  EXPECT_EQ(stale.indexOrigin(), IndexOrigin::Existing);
  EXPECT_EQ(errorText([&] { stale.fetch("chr1", 0, 22, LowerCase::AsUpper); }),
            "cannot read chr1:0-22 of " + dir / "g.fa" + ": the FASTA does not match its index; remove " +
                dir / "g.fa" + ".fai to have it made again.");

  writeText(dir / "g.fa.fai", "chr1\t22\t6\t0\t11\n");
  std::filesystem::last_write_time(dir / "g.fa.fai",
                                   std::filesystem::file_time_type::clock::now() + std::chrono::seconds(10));
  EXPECT_EQ(errorText([&] { IndexedGenome g(dir / "g.fa"); }),
            dir / "g.fa.fai" + ":1: the index line is damaged; remove the index to have it made again");
}

TEST(IndexedGenome, OtherNamingOfChromosomes) {
  GeneratedGenome made;
  made.write();
  IndexedGenome g(made.plainPath());
  EXPECT_EQ(g.otherNaming("1"), "chr1");
  EXPECT_EQ(g.otherNaming("2"), "chr2");
  EXPECT_EQ(g.otherNaming("MT"), "chrM");
  EXPECT_FALSE(g.otherNaming("chr1"));
  EXPECT_FALSE(g.otherNaming("X"));
  EXPECT_TRUE(g.find("chr2"));
  EXPECT_FALSE(g.find("2"));

  const TempDir dir;
  writeText(dir / "ensembl.fa", ">1\nACGT\n>MT\nACGT\n");
  IndexedGenome ensembl(dir / "ensembl.fa");
  EXPECT_EQ(ensembl.otherNaming("chr1"), "1");
  EXPECT_EQ(ensembl.otherNaming("chrM"), "MT");
  EXPECT_FALSE(ensembl.otherNaming("chr2"));
}

TEST(IndexedGenome, RefusalsNameTheFile) {
  const TempDir dir;
  const std::string fasta = ">chr1\nACGTACGTAC\nACGTACGTAC\n";
  writeText(dir / "gzip.fa.gz", testing_support::gzipped(fasta));
  EXPECT_EQ(errorText([&] { IndexedGenome g(dir / "gzip.fa.gz"); }),
            dir / "gzip.fa.gz" +
                " is compressed with gzip, which cannot be read at chosen places; recompress it "
                "with bgzip (Debian package tabix): gzip -dc " +
                dir / "gzip.fa.gz" + " | bgzip > GENOME.fa.gz");

  writeText(dir / "peaks.bed", "\n  \nchr1\t100\t200\n");
  EXPECT_EQ(errorText([&] { IndexedGenome g(dir / "peaks.bed"); }),
            dir / "peaks.bed" + ":3: not a FASTA file: its first line that is not blank does not start with '>'.");
  writeText(dir / "empty.fa", "\n");
  EXPECT_EQ(errorText([&] { IndexedGenome g(dir / "empty.fa"); }), dir / "empty.fa" + " is empty, not a FASTA file.");

  // Lines of unequal length within a record cannot be indexed.
  writeText(dir / "ragged.fa", ">chr1\nACGTACGTAC\nACG\nACGTACGTAC\n");
  EXPECT_NE(
      errorText([&] { IndexedGenome g(dir / "ragged.fa"); }).find("cannot build an index of " + dir / "ragged.fa"),
      std::string::npos);
  EXPECT_FALSE(exists(dir / "ragged.fa.fai"));

  EXPECT_EQ(errorText([&] { IndexedGenome g(dir / "missing.fa"); }),
            "cannot read " + dir / "missing.fa" + ": No such file or directory.");
  EXPECT_EQ(errorText([&] { IndexedGenome g(dir / ""); }), "cannot read " + dir / "" + ": it is a directory.");
  // Standard input and devices are streams: they cannot be read at chosen places.
  EXPECT_EQ(errorText([&] { IndexedGenome g("-"); }),
            "a genome cannot come from standard input (-): it is read at chosen places through its index; give its "
            "file.");
  EXPECT_EQ(errorText([&] { IndexedGenome g("/dev/null"); }),
            "cannot read /dev/null as a genome: it is not a regular file (a pipe?), and a genome is read at chosen "
            "places through its index; give the file itself.");
  // Nothing is left behind by the refusals.
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"empty.fa", "gzip.fa.gz", "peaks.bed", "ragged.fa"}));
}
