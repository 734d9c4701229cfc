// Known-motif enrichment: database motifs planted in generated peaks rank
// above every other motif of the database with small q-values; on DNA
// without motifs the q-values stay above 0.05 for nearly every motif, over
// several seeds; the q-values themselves, the table written and read back,
// and the rule that marks a known motif whose sites are a reported motif's.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "discover/naming/known.h"
#include "stats/known_enrichment.h"
#include "stats/known_rows.h"
#include "stats/motif_compare.h"
#include "stats/motif_database.h"
#include "stats/shuffle.h"

namespace {

const std::vector<formats::Motif>& bundled() {
  static const std::vector<formats::Motif> motifs = stats::loadMotifDatabase({});
  return motifs;
}

const formats::Motif& bundledMotif(const std::string& id) {
  for (const formats::Motif& m : bundled())
    if (m.id == id) return m;
  throw std::logic_error("no motif " + id + " in the bundled collection");
}

std::string randomDna(std::size_t length, stats::Random& random) {
  std::string s(length, 'A');
  for (char& c : s) c = "ACGT"[random.below(4)];
  return s;
}

// A site drawn from the motif's frequencies, on a random strand.
std::string siteOf(const formats::Motif& m, stats::Random& random) {
  std::string site;
  for (const formats::Column& p : formats::plainFrequencies(m)) {
    const double u = static_cast<double>(random.below(1u << 30)) / static_cast<double>(1u << 30);
    int b = 0;
    for (double sum = p[0]; b < 3 && u >= sum; sum += p[static_cast<std::size_t>(++b)]) {
    }
    site += "ACGT"[b];
  }
  if (random.below(2) == 0) return site;
  std::string other(site.rbegin(), site.rend());
  for (char& c : other) c = "TGCA"[std::string("ACGT").find(c)];
  return other;
}

// `count` random sequences, a share `fraction` of them given a site of each
// motif of `planted`, each at a random place.
std::vector<FastaRecord> plantedSet(std::size_t count, std::size_t length, const std::vector<std::string>& planted,
                                    double fraction, stats::Random& random) {
  std::vector<FastaRecord> set;
  for (std::size_t i = 0; i < count; ++i) {
    FastaRecord r{"seq" + std::to_string(i + 1), randomDna(length, random)};
    for (const std::string& id : planted) {
      if (static_cast<double>(random.below(1000)) >= fraction * 1000) continue;
      const std::string site = siteOf(bundledMotif(id), random);
      r.letters.replace(random.below(length - site.size() + 1), site.size(), site);
    }
    set.push_back(std::move(r));
  }
  return set;
}

}  // namespace

TEST(KnownEnrichment, TwoPlantedDatabaseMotifsRankAboveEveryOther) {
  const std::vector<std::string> planted{"MA0139.1", "MA0138.2"};  // CTCF and REST
  for (std::uint64_t seed : {1, 2, 3}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    stats::Random random(seed);
    const std::vector<FastaRecord> primary = plantedSet(400, 200, planted, 0.25, random);
    const std::vector<FastaRecord> control = stats::shuffledCopies(primary, 2, 2, seed, 2);
    stats::EnrichmentOptions options;
    options.threads = 2;
    const std::vector<stats::KnownResult> results = stats::testDatabase(bundled(), primary, control, options);
    ASSERT_EQ(results.size(), bundled().size());
    for (std::size_t r = 0; r < 2; ++r) {
      EXPECT_TRUE(results[r].test.motif.id == planted[0] || results[r].test.motif.id == planted[1])
          << "rank " << r + 1 << ": " << results[r].test.motif.id;
      EXPECT_LT(results[r].log10Q, std::log10(0.01)) << results[r].test.motif.id;
      EXPECT_EQ(results[r].rank, static_cast<int>(r) + 1);
    }
    EXPECT_GT(results[2].test.log10PAdjusted, results[1].test.log10PAdjusted);
    // The E-value counts every motif of the database.
    EXPECT_DOUBLE_EQ(results[0].test.log10E,
                     results[0].test.log10PAdjusted + std::log10(static_cast<double>(bundled().size())));
    EXPECT_EQ(results[0].name, bundled()[results[0].index].name);
  }
}

// Calibration: random DNA holds none of the database's motifs, so nearly
// every motif must stay above q = 0.05, seed after seed, against the default
// shuffled control and against a control of fresh random DNA alike.
TEST(KnownEnrichment, RandomDnaGivesLargeQValuesOverSeeds) {
  std::size_t tested = 0, small = 0;
  for (std::uint64_t seed = 10; seed < 16; ++seed) {
    stats::Random random(seed);
    const std::vector<FastaRecord> primary = plantedSet(300, 200, {}, 0, random);
    const std::vector<FastaRecord> control =
        seed % 2 == 0 ? stats::shuffledCopies(primary, 2, 2, seed, 2) : plantedSet(600, 200, {}, 0, random);
    stats::EnrichmentOptions options;
    options.threads = 2;
    std::size_t smallHere = 0;
    for (const stats::KnownResult& r : stats::testDatabase(bundled(), primary, control, options))
      smallHere += r.log10Q < std::log10(0.05);
    EXPECT_LE(smallHere, bundled().size() / 20) << "seed " << seed;
    tested += bundled().size();
    small += smallHere;
  }
  RecordProperty("share_below_0_05", std::to_string(static_cast<double>(small) / static_cast<double>(tested)));
  EXPECT_LE(static_cast<double>(small), 0.05 * static_cast<double>(tested));
}

TEST(KnownEnrichment, QValuesInLog10AgreeWithTheLinearOnes) {
  const std::vector<double> p{0.01, 0.04, 0.03, 0.5, 1e-8, 0.04, 1.0};
  std::vector<double> log10P;
  for (double x : p) log10P.push_back(std::log10(x));
  const std::vector<double> linear = stats::benjaminiHochberg(p);
  const std::vector<double> inLog = stats::log10BenjaminiHochberg(log10P);
  ASSERT_EQ(inLog.size(), p.size());
  for (std::size_t i = 0; i < p.size(); ++i) EXPECT_NEAR(inLog[i], std::log10(linear[i]), 1e-12) << i;
  // p-values far below the smallest double keep their order.
  const std::vector<double> tiny = stats::log10BenjaminiHochberg({-700.0, -500.0, -0.1});
  EXPECT_NEAR(tiny[0], -700.0 + std::log10(3.0), 1e-9);
  EXPECT_NEAR(tiny[1], -500.0 + std::log10(1.5), 1e-9);
  EXPECT_EQ(tiny[2], -0.1);
  EXPECT_TRUE(stats::log10BenjaminiHochberg({}).empty());
}

TEST(KnownTable, WrittenAndReadBack) {
  stats::Random random(5);
  const std::vector<FastaRecord> primary = plantedSet(60, 150, {"MA0139.1"}, 0.5, random);
  const std::vector<FastaRecord> control = stats::shuffledCopies(primary, 2, 2, 5, 1);
  const std::vector<formats::Motif> database(bundled().begin(), bundled().begin() + 30);
  std::vector<stats::KnownResult> results = stats::testDatabase(database, primary, control, {});
  results[1].sameSitesAs = "ZELKOVA-3";
  const std::string text = stats::knownTable(results);
  std::istringstream in(text);
  const std::vector<formats::KnownRow> rows = formats::readKnownTable(in, "known.tsv");
  ASSERT_EQ(rows.size(), database.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const formats::KnownRow expected = stats::rowOf(results[i]);
    EXPECT_EQ(rows[i].id, expected.id);
    EXPECT_EQ(rows[i].name, expected.name);
    EXPECT_EQ(rows[i].q, expected.q);
    EXPECT_EQ(rows[i].line, static_cast<int>(i) + 2);
  }
  EXPECT_EQ(rows[1].sameSitesAs, "ZELKOVA-3");
  EXPECT_EQ(rows[0].sameSitesAs, "NA");
  EXPECT_TRUE(formats::isKnownHeader(text.substr(0, text.find('\n'))));
  // Damaged tables are refused at their line.
  const std::string header = std::string(formats::kKnownHeader) + "\n";
  const std::string good = text.substr(text.find('\n') + 1, text.find('\n', text.find('\n') + 1) - text.find('\n'));
  for (const auto& [damaged, line, message] :
       {std::tuple{std::string("rank\tid\n"), 1, "not a known-motif table"},
        std::tuple{std::string(), 1, "the file ends here; expected the header line next"},
        std::tuple{header + "1\tM\n", 2, "a known-motif line needs 13 tab-separated fields, found 2"},
        std::tuple{header + good + good, 3, "rank 1 where 2 was due"},
        std::tuple{header + "1\tM\tn\tA\t0.8\t5\t4\t0\t1\t-1\t-1\t0.1\tNA\n", 2, "more hits than sequences"},
        std::tuple{header + "1\tM\tn\tA\t0.8\t1\t4\t0\t1\t-1\tx\t0.1\tNA\n", 2, "log10_E \"x\" is not a number"}}) {
    std::istringstream bad(damaged);
    try {
      formats::readKnownTable(bad, "k.tsv");
      ADD_FAILURE() << "accepted: " << damaged;
    } catch (const ReadError& e) {
      EXPECT_EQ(e.line(), line) << e.what();
      EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
    }
  }
}

namespace {

stats::EnrichmentSite siteAt(std::size_t sequence, long long position) {
  stats::EnrichmentSite s;
  s.sequence = sequence;
  s.position = position;
  return s;
}

}  // namespace

// A known motif re-finds a reported motif when more than half of its sites
// overlap that motif's sites; of several, the one sharing most.
TEST(KnownInDiscovery, SitesMostlyInsideAReportedMotifsMarkIt) {
  std::vector<discover::RankedMotif> ranked;
  std::vector<discover::Candidate> candidates;
  for (int i = 0; i < 2; ++i) {
    discover::Candidate c;
    c.motif.counts.assign(10, formats::CountColumn{1, 0, 0, 0});  // 10 letters wide
    candidates.push_back(c);
    discover::RankedMotif m;
    m.rank = i + 1;
    m.id = "ZELKOVA-" + std::to_string(i + 1);
    m.group.representative = static_cast<std::size_t>(i);
    ranked.push_back(m);
  }
  discover::ReportedSites sites;
  sites.motifs.push_back({{siteAt(0, 11), siteAt(0, 51), siteAt(1, 31)}, {}});
  sites.motifs.push_back({{siteAt(1, 81)}, {}});
  const discover::ReportedMotifSites d{ranked, candidates, sites};
  const std::size_t n = 2;  // primary sequences
  // Sites of a motif 6 wide: [11,16] inside, [48,53] overlapping 51..60,
  // [80,85] after 31..40 and overlapping ZELKOVA-2's 81..90; [5,10] just
  // before 11, [61,66] just after 51..60.
  EXPECT_EQ(discover::motifSharingSites(d, n, {siteAt(0, 11), siteAt(0, 48), siteAt(1, 80)}, 6), "ZELKOVA-1");
  EXPECT_EQ(discover::motifSharingSites(d, n, {siteAt(0, 5), siteAt(0, 61), siteAt(0, 11)}, 6), "");
  EXPECT_EQ(discover::motifSharingSites(d, n, {siteAt(1, 80), siteAt(1, 85), siteAt(0, 11)}, 6), "ZELKOVA-2");
  EXPECT_EQ(discover::motifSharingSites(d, n, {siteAt(0, 11), siteAt(1, 80)}, 6), "");  // one each: half, not more
  EXPECT_EQ(discover::motifSharingSites(d, n, {}, 6), "");
}
