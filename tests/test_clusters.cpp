// The engine's state and candidate list, and the initial clusters with their
// console line and side files.
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/clust.h"
#include "reference.h"
#include "support.h"

using namespace testing_support;

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool fileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// Runs the test in a fresh empty working directory, so that the side files of
// initialisation land there and nowhere else.
class ScopedWorkDir {
 public:
  ScopedWorkDir() {
    char here[PATH_MAX];
    old_ = ::getcwd(here, sizeof here) ? here : ".";
    char name[] = "/tmp/zelkova_initXXXXXX";
    dir_ = ::mkdtemp(name);
    if (::chdir(dir_.c_str()) != 0) ADD_FAILURE() << "cannot enter " << dir_;
  }
  ~ScopedWorkDir() {
    if (::chdir(old_.c_str()) != 0) ADD_FAILURE() << "cannot return to " << old_;
    std::system(("rm -rf '" + dir_ + "'").c_str());
  }

 private:
  std::string old_;
  std::string dir_;
};

struct EngineRun {
  std::unique_ptr<zelkova> engine;
  CollectedProgress progress;  // what the engine wrote, from its constructor on
  std::string console() const { return progress.text(); }
};

// Parameters of the engines here besides the store's motif length.
struct EngineParameters {
  int maxMismatch = -1;  // -1: the default, K/2
  int numTop = 10;
  int clusters = 40;
  int method = 1;
  bool forwardOnly = false;
  int threads = 1;
};

// An engine writing its report into `report` and the side files under their
// default names into the working directory.
EngineRun makeEngine(const Utilities& util, const std::string& report, const std::vector<int>& seeds,
                     const EngineParameters& p = {}) {
  RunConfig config;
  config.K = util.GetL();
  config.outFile = report;
  config.maxMismatch = p.maxMismatch;
  config.numTopMotifs = p.numTop;
  config.numClusters = p.clusters;
  config.initMethod = p.method;
  config.forwardOnly = p.forwardOnly;
  config.numThreads = p.threads;
  config.cmdLine = " zelkova";
  EngineRun run;
  run.engine = testing_support::makeEngine(util, resolvedForTest(config), seeds, run.progress.sink());
  return run;
}

// What initializeClusters printed.
std::string initialize(EngineRun& run, int clusters, InitialClusters* init = nullptr) {
  const std::size_t before = run.console().size();
  InitialClusters made = run.engine->initializeClusters(clusters);
  if (init) *init = std::move(made);
  return run.console().substr(before);
}

NodePtr motifWithMap(const zelkova& engine, double map, double tag) {
  NodePtr m = engine.newMotif();
  m->mapScore = map;
  m->info = tag;  // identifies the motif; nothing in the list reads it
  return m;
}

std::vector<double> tags(const NodeList& list) {
  std::vector<double> out;
  for (const NodePtr& m : list) out.push_back(m->getInfo());
  return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// Constructor

TEST(EngineState, ConstructorListsSeedSequencesAndTakesTheResolvedParameters) {
  auto util = makeStore(">a\nACGTACGTAC\n>b\nACGTACGTAC\n>c\nACGTACGTAC\n", 9);
  TempFile report("");
  EngineRun run = makeEngine(*util, report.path(), {0, 1, 2});
  EXPECT_EQ(run.console(), "Selected seed sequences #:0\t1\t2\t\n");
  const formats::ReportParameters header = run.engine->saveparameters();
  EXPECT_EQ(header.mismatches, 4);  // 9 / 2 rounded down
  EXPECT_EQ(header.matchingThreshold, static_cast<double>(0.8f));
  EXPECT_NE(header.matchingThreshold, 0.8);
  EXPECT_EQ(header.initMethod, 1);
  EXPECT_EQ(header.seedSequences, 3);

  EXPECT_EQ(makeEngine(*util, report.path(), {1}, {0}).engine->saveparameters().mismatches, 0);
  EngineRun seven = makeEngine(*util, report.path(), {1}, {7});
  EXPECT_EQ(seven.console(), "Selected seed sequences #:1\t\n");
  EXPECT_EQ(seven.engine->saveparameters().mismatches, 7);
  EXPECT_EQ(seven.engine->config().maxMismatch, 7);
}

TEST(EngineState, InitialisationMethodOutsideOneToThreeBecomesOne) {
  auto util = makeStore(">a\nACGTACGTAC\n", 6);
  TempFile report("");
  const std::vector<std::pair<int, int>> cases = {{0, 1}, {-5, 1}, {7, 1}, {1, 1}, {2, 2}, {3, 3}};
  for (const auto& c : cases) {
    EngineParameters p;
    p.method = c.first;
    EngineRun run = makeEngine(*util, report.path(), {0}, p);
    EXPECT_EQ(run.engine->saveparameters().initMethod, c.second) << "-k " << c.first;
  }
}

TEST(EngineState, UnopenableReportFallsBackToStandardOutput) {
  auto util = makeStore(">a\nACGTACGTAC\n", 6);
  char dirName[] = "/tmp/zelkova_outdirXXXXXX";
  const std::string dir = ::mkdtemp(dirName);
  RunConfig config = testConfig(6);
  config.outFile = dir;
  CapturedStdout out;
  auto engine = std::make_unique<zelkova>(*util, config, std::vector<int>{0}, ProgressSink());
  NodePtr motif = engine->newMotif();
  motif->addSite(util->seqs.siteAt(0, 0, true));
  motif->computeInformation();
  engine->saveCandidateMotif(std::move(motif));
  engine->saveMotifs();
  engine.reset();  // must not close standard output
  ::rmdir(dir.c_str());
  std::printf("still open");
  const std::string text = out.text();
  EXPECT_EQ(text.substr(0, text.find("Saving motifs....")),
            "Error! unable to open output file " + dir + "\nSelected seed sequences #:0\t\n");
  EXPECT_NE(text.find("\nMotif rank #1\n"), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.size() - 10), "still open");
}

// ---------------------------------------------------------------------------
// Candidate list

TEST(CandidateList, HoldsTwiceTheReportSizeInDescendingOrder) {
  auto util = makeStore(">a\nACGTACGTAC\n", 6);
  TempFile report("");
  EngineParameters p;
  p.numTop = 2;
  EngineRun run = makeEngine(*util, report.path(), {0}, p);
  zelkova& e = *run.engine;
  EXPECT_TRUE(e.saveCandidateMotif(motifWithMap(e, 1.0, 1)));
  EXPECT_TRUE(e.saveCandidateMotif(motifWithMap(e, 3.0, 2)));
  EXPECT_TRUE(e.saveCandidateMotif(motifWithMap(e, 2.0, 3)));
  EXPECT_TRUE(e.saveCandidateMotif(motifWithMap(e, 3.0, 4)));  // after the equal one
  EXPECT_EQ(tags(e.candidates()), (std::vector<double>{2, 4, 3, 1}));

  // Full (4 = 2 x 2): equal to the last and below it are refused.
  EXPECT_FALSE(e.saveCandidateMotif(motifWithMap(e, 1.0, 5)));
  EXPECT_FALSE(e.saveCandidateMotif(motifWithMap(e, 0.5, 6)));
  EXPECT_EQ(tags(e.candidates()), (std::vector<double>{2, 4, 3, 1}));

  EXPECT_TRUE(e.saveCandidateMotif(motifWithMap(e, 2.0, 7)));  // above the last, after the equal 2.0
  EXPECT_EQ(tags(e.candidates()), (std::vector<double>{2, 4, 3, 7}));
  EXPECT_TRUE(e.saveCandidateMotif(motifWithMap(e, 10.0, 8)));
  EXPECT_EQ(tags(e.candidates()), (std::vector<double>{8, 2, 4, 3}));
  EXPECT_FALSE(e.saveCandidateMotif(motifWithMap(e, 2.0, 9)));
  EXPECT_EQ(e.candidates().size(), 4u);
}

TEST(CandidateList, ScoresAboveThousandStillKeepTheBound) {
  auto util = makeStore(">a\nACGTACGTAC\n", 6);
  TempFile report("");
  EngineParameters p;
  p.numTop = 1;
  EngineRun run = makeEngine(*util, report.path(), {0}, p);
  zelkova& e = *run.engine;
  EXPECT_TRUE(e.saveCandidateMotif(motifWithMap(e, 2000.0, 1)));
  EXPECT_TRUE(e.saveCandidateMotif(motifWithMap(e, 1500.0, 2)));
  // Ranks below every held motif: refused although above 1000.
  EXPECT_FALSE(e.saveCandidateMotif(motifWithMap(e, 1200.0, 3)));
  EXPECT_TRUE(e.saveCandidateMotif(motifWithMap(e, 1800.0, 4)));
  EXPECT_EQ(tags(e.candidates()), (std::vector<double>{1, 4}));
}

// ---------------------------------------------------------------------------
// Initial clusters and side files

namespace {

// s0 holds the palindrome GAATTC (both strands at position 1) followed by
// AATTCA; s1 holds GAATTC inside the palindrome CGAATTCG; s2 holds AATTCA on
// its reverse strand (ATGAATTG reads CAATTCAT backwards).
const char* const kSmallInput = ">s0\nGAATTCA\n>s1\nCGAATTCG\n>s2\nATGAATTG\n";

// Ten clusters and the mismatch allowance m.
EngineParameters tenClusters(int m, int method = 1) {
  EngineParameters p;
  p.maxMismatch = m;
  p.clusters = 10;
  p.method = method;
  return p;
}

}  // namespace

class InitialClusterTest : public ::testing::Test {
 protected:
  ScopedWorkDir workDir;
  TempFile report{""};
};

TEST_F(InitialClusterTest, WholeSideFilesOfASmallInput) {
  auto util = makeStore(kSmallInput, 6);
  EngineRun run = makeEngine(*util, report.path(), {0}, tenClusters(0));
  InitialClusters init;
  EXPECT_EQ(initialize(run, 10, &init), "Initializing 10 clusters...Scanning remaining sequences...DONE.\n");
  ASSERT_EQ(init.cores.size(), 2u);
  ASSERT_EQ(init.clusters.size(), 2u);

  // Cores: GAATTC (two sites, MAP > 0) before AATTCA (one site, MAP 0); the
  // reverse-strand enumeration finds every position used. With no mismatch
  // allowed every site of a motif is the same word, which scores 1.
  EXPECT_EQ(readFile("initcore.txt"),
            ">s0\tGAATTC\t0\t1\t1.0000\n"
            ">s0\tGAATTC\t1\t1\t1.0000\n"
            "===================\n"
            ">s0\tAATTCA\t1\t2\t1.0000\n"
            "===================\n");

  // Clusters, newest site first. With uniform models every window of 6 letters
  // has the background value 6 ln 0.25 (single precision), so
  //   MAP = ln N / 6 * (entropy - 6 ln 0.25),
  // entropy from the pseudo-counted matrix: 4 x GAATTC gives 1.139485,
  // 2 x AATTCA gives 0.503109.
  EXPECT_EQ(readFile("initcluster.txt"),
            "Number of sites 4\n"
            "MAP score 1.139485\n"
            ">s1\tGAATTC\t0\t2\t1.0000\n"
            ">s1\tGAATTC\t1\t2\t1.0000\n"
            ">s0\tGAATTC\t0\t1\t1.0000\n"
            ">s0\tGAATTC\t1\t1\t1.0000\n"
            "===================="
            "Number of sites 2\n"
            "MAP score 0.503109\n"
            ">s2\tAATTCA\t0\t2\t1.0000\n"
            ">s0\tAATTCA\t1\t2\t1.0000\n"
            "====================");
  EXPECT_NEAR(init.cores[0]->getMAP(), 0.402504, 5e-7);
  EXPECT_EQ(init.cores[1]->getMAP(), 0.0);
}

TEST_F(InitialClusterTest, MismatchedSitesScoreAgainstTheirCluster) {
  // One mismatch allowed; s0 is the only seed sequence. The reverse words
  // (CCGGTT, ACGGTT, CCGGTA) are all five or more letters from AACCGG.
  auto util = makeStore(">s0\nAACCGG\n>s1\nAACCGT\n>s2\nTACCGG\n", 6);
  EngineRun run = makeEngine(*util, report.path(), {0}, tenClusters(1));
  InitialClusters init;
  initialize(run, 10, &init);
  ASSERT_EQ(init.cores.size(), 1u);
  EXPECT_EQ(readFile("initcore.txt"), ">s0\tAACCGG\t1\t1\t1.0000\n===================\n");
  // Cluster: AACCGG (s0), AACCGT (s1), TACCGG (s2). Columns 2-5 are certain;
  // column 1 has A 2/3, T 1/3; column 6 has G 2/3, T 1/3. So
  //   maxMisScore = 6 (every column has a base of frequency 0),
  //   minMisScore = 1/3 + 1/3,
  //   AACCGG: miS = 1/3 + 1/3 -> score 1;
  //   AACCGT, TACCGG: miS = 1/3 + 2/3 = 1 -> (1 - 6) / (2/3 - 6) = 0.9375.
  // MAP = ln 3 / 6 * (entropy - 6 ln 0.25) = 0.661990.
  EXPECT_EQ(readFile("initcluster.txt"),
            "Number of sites 3\n"
            "MAP score 0.661990\n"
            ">s2\tTACCGG\t1\t1\t0.9375\n"
            ">s1\tAACCGT\t1\t1\t0.9375\n"
            ">s0\tAACCGG\t1\t1\t1.0000\n"
            "====================");
}

TEST_F(InitialClusterTest, EverySequenceASeedSequenceLeavesClustersEmpty) {
  auto util = makeStore(kSmallInput, 6);
  EngineRun run = makeEngine(*util, report.path(), {0, 1, 2}, tenClusters(0));
  InitialClusters init;
  EXPECT_EQ(initialize(run, 10, &init), "Initializing 10 clusters...Scanning remaining sequences...DONE.\n");
  ASSERT_FALSE(init.cores.empty());
  ASSERT_EQ(init.clusters.size(), init.cores.size());
  std::string expected;
  for (std::size_t c = 0; c < init.cores.size(); ++c) {
    EXPECT_EQ(init.clusters[c]->getHitCount(), 0);
    expected += "Number of sites 0\nMAP score 0.000000\n====================";
  }
  EXPECT_EQ(readFile("initcluster.txt"), expected);
}

TEST_F(InitialClusterTest, MethodThreeEnumeratesNothingAndLeavesEmptySideFiles) {
  auto util = makeStore(kSmallInput, 6);
  EngineRun run = makeEngine(*util, report.path(), {0}, tenClusters(0, /*method=*/3));
  InitialClusters init;
  EXPECT_EQ(initialize(run, 10, &init), "Initializing 10 clusters...Scanning remaining sequences...DONE.\n");
  EXPECT_TRUE(init.cores.empty());
  EXPECT_TRUE(init.clusters.empty());
  ASSERT_TRUE(fileExists("initcore.txt"));
  ASSERT_TRUE(fileExists("initcluster.txt"));
  EXPECT_EQ(readFile("initcore.txt"), "");
  EXPECT_EQ(readFile("initcluster.txt"), "");
}

TEST_F(InitialClusterTest, ForwardOnlyShowsForwardSitesOnly) {
  auto util = makeStore(kSmallInput, 6, 3, false, /*forwardOnly=*/true);
  EngineParameters p = tenClusters(1);
  p.forwardOnly = true;
  EngineRun run = makeEngine(*util, report.path(), {0}, p);
  InitialClusters init;
  initialize(run, 10, &init);
  ASSERT_FALSE(init.cores.empty());
  for (const std::string name : {"initcore.txt", "initcluster.txt"}) {
    std::istringstream lines(readFile(name));
    int siteLines = 0;
    for (std::string line; std::getline(lines, line);) {
      const std::size_t at = line.find('>');
      if (at == std::string::npos) continue;
      std::istringstream fields(line.substr(at + 1));
      std::string seq, word, strand;
      fields >> seq >> word >> strand;
      EXPECT_EQ(strand, "1") << name << ": " << line;
      ++siteLines;
    }
    EXPECT_GT(siteLines, 0) << name;
  }
}

TEST_F(InitialClusterTest, ClusterTakesWordsNearAnyCoreSite) {
  // With one mismatch the core of AACCGG holds AACCGT from the other seed
  // sequence; the scan then takes AACCTT, one away from AACCGT but two from
  // the seed word.
  auto util = makeStore(">s0\nAACCGG\n>s1\nAACCGT\n>s2\nAACCTT\n", 6);
  EngineRun run = makeEngine(*util, report.path(), {0, 1}, tenClusters(1));
  InitialClusters init;
  initialize(run, 10, &init);
  ASSERT_FALSE(init.cores.empty());
  bool found = false;
  for (std::size_t c = 0; c < init.cores.size(); ++c) {
    bool seededByAACCGG = false;
    for (const Site& s : init.cores[c]->get_hits()) seededByAACCGG |= std::string(s.text) == "AACCGG";
    if (!seededByAACCGG) continue;
    for (const Site& s : init.clusters[c]->get_hits()) found |= std::string(s.text) == "AACCTT";
  }
  EXPECT_TRUE(found);
}

TEST_F(InitialClusterTest, UnwritableSideFileIsReportedAndSkipped) {
  ASSERT_EQ(::mkdir("initcore.txt", 0755), 0);
  auto util = makeStore(kSmallInput, 6);
  EngineRun run = makeEngine(*util, report.path(), {0}, tenClusters(0));
  InitialClusters init;
  const std::string console = initialize(run, 10, &init);
  const std::string warning = "Warning: cannot write initcore.txt.\n";
  const std::size_t at = console.find(warning);
  ASSERT_NE(at, std::string::npos) << console;
  EXPECT_EQ(console.find(warning, at + 1), std::string::npos);
  EXPECT_EQ(init.cores.size(), 2u);
  EXPECT_EQ(readFile("initcluster.txt").substr(0, 36), "Number of sites 4\nMAP score 1.139485");
}

TEST_F(InitialClusterTest, SideFilesDoNotDependOnTheThreadCount) {
  const std::string fasta =
      ">t1\nGCTTGACAGTACCGATTGACAGGA\n>t2\nATCGTTGACAGGCTATGTCAAGCA\n>t3\nCCATGTCAAGTAGCTTGTCAAT\n"
      ">t4\nGGATCCGATTACGATTGACTGA\n>t5\nTTGTCATGCAGGATTTGACAGC\n";
  std::vector<std::string> core, clusters;
  for (int threads : {1, 3}) {
    auto util = makeStore(fasta, 6, 3, false, false, threads);
    EngineParameters p;
    p.maxMismatch = 2;
    p.clusters = 20;
    p.threads = threads;
    EngineRun run = makeEngine(*util, report.path(), {0, 1, 2}, p);
    initialize(run, 20);
    core.push_back(readFile("initcore.txt"));
    clusters.push_back(readFile("initcluster.txt"));
  }
  EXPECT_GT(clusters[0].size(), 1000u);
  EXPECT_EQ(core[0], core[1]);
  EXPECT_EQ(clusters[0], clusters[1]);
}

// The scan tests each window against the sites of every core motif, by packed
// words or letter by letter, or looks the windows up by the neighbours of the
// sites; matchOne is the literal definition of that test. On random inputs
// whose other sequences hold N (and in some, R and Y), of lengths and
// allowances that lead to either way, every window free of N is in a cluster
// exactly when matchOne says so, and the clusters list their sites in the
// order of a scan of the whole input: sequence by sequence, position by
// position, the forward window before the reverse-strand window of the same
// stretch. A cluster that takes a window holding R or Y (or its reverse word,
// which holds N) cannot be counted, and the run stops; it stops exactly when
// matchOne takes such a window.
TEST_F(InitialClusterTest, ScanAgreesWithMatchOneOnEveryWindow) {
  using Key = std::tuple<std::string, bool, int, int>;  // text, strand, forward position, sequence
  const auto keysOf = [](const node& motif) {
    std::vector<Key> keys;
    for (const Site& site : motif.get_hits()) keys.emplace_back(site.text, site.strand, site.pos, site.seqIdx);
    std::reverse(keys.begin(), keys.end());  // oldest first: the order the sites were found in
    return keys;
  };
  std::mt19937 rng(8086);
  int compared = 0, clustered = 0, refusedByMatchOne = 0, stops = 0;
  for (int trial = 0; trial < 36; ++trial) {
    const int L = 6 + trial % 7;
    const int m = static_cast<int>(rng() % 4);
    EngineParameters p;
    p.maxMismatch = m;
    p.clusters = 10;
    p.forwardOnly = trial % 5 == 4;
    // Two seed sequences of A, C, G, T only (a seed with other letters stops
    // the run); the others also hold N, and in every third trial R and Y.
    const std::string others = trial % 3 == 0 ? "ACGTACGTACGTACGTNRY" : "ACGTACGTACGTACGTN";
    std::string seedFasta, fasta;
    for (int s = 0; s < 8; ++s) {
      const std::string letters = s < 2 ? "ACGT" : others;
      std::string record = ">s" + std::to_string(s) + "\n";
      for (int i = 0, len = L + static_cast<int>(rng() % 40); i < len; ++i) record += letters[rng() % letters.size()];
      record += "\n";
      if (s < 2) seedFasta += record;
      fasta += record;
    }
    SCOPED_TRACE(fasta + "L=" + std::to_string(L) + " m=" + std::to_string(m) + (p.forwardOnly ? " -r" : ""));
    // The core motifs depend on the seed sequences alone: an input of only
    // those gives the same cores without a scan.
    auto seedStore = makeStore(seedFasta, L, 3, false, p.forwardOnly);
    EngineRun seedRun = makeEngine(*seedStore, report.path(), {0, 1}, p);
    InitialClusters cores;
    initialize(seedRun, 10, &cores);

    auto util = makeStore(fasta, L, 3, false, p.forwardOnly);
    std::vector<std::vector<Key>> expected(cores.cores.size());
    bool takesOtherLetters = false;
    for (std::size_t c = 0; c < cores.cores.size(); ++c) {
      for (int s = 0; s < util->GetNumSeq(); ++s) {
        const seqRecord& rec = util->seqs[static_cast<std::size_t>(s)];
        const int W = rec.numWindows(L);
        for (int pos = 0; pos < W; ++pos) {
          const std::string fwd = rec.seq.substr(static_cast<std::size_t>(pos), static_cast<std::size_t>(L));
          const std::string rev = rec.revSeq.substr(static_cast<std::size_t>(W - 1 - pos), static_cast<std::size_t>(L));
          if (fwd.find('N') != std::string::npos) continue;  // the scan's windows are free of N
          for (const auto& [word, strand] : {std::make_pair(fwd, true), std::make_pair(rev, false)}) {
            if (!strand && p.forwardOnly) continue;
            if (reference::matchOne(*cores.cores[c], word.c_str(), m)) {
              expected[c].emplace_back(word, strand, pos, s);
              takesOtherLetters = takesOtherLetters || word.find_first_not_of("ACGT") != std::string::npos;
            } else {
              ++refusedByMatchOne;
            }
          }
        }
      }
    }
    EngineRun run = makeEngine(*util, report.path(), {0, 1}, p);
    if (takesOtherLetters) {
      try {
        run.engine->initializeClusters(10);
        ADD_FAILURE() << "a cluster with letters other than A, C, G, T was counted";
      } catch (const FatalError& stop) {
        EXPECT_EQ(std::string(stop.what()).rfind("Error...invalid character ", 0), 0u) << stop.what();
      }
      ++stops;
      continue;
    }
    InitialClusters init;
    initialize(run, 10, &init);
    ASSERT_EQ(init.cores.size(), cores.cores.size());
    ASSERT_EQ(init.clusters.size(), init.cores.size());
    for (std::size_t c = 0; c < init.cores.size(); ++c) {
      EXPECT_EQ(keysOf(*init.cores[c]), keysOf(*cores.cores[c])) << "core " << c;
      EXPECT_EQ(keysOf(*init.clusters[c]), expected[c]) << "cluster " << c;
      clustered += static_cast<int>(expected[c].size());
    }
    ++compared;
  }
  // Every outcome was met often enough to count.
  EXPECT_GT(compared, 20);
  EXPECT_GT(stops, 0);
  EXPECT_GT(clustered, 500);
  EXPECT_GT(refusedByMatchOne, 500);
}
