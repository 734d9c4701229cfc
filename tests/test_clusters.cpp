// The engine's state and candidate list, and the initial clusters with their
// console line and side files.
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "clust.h"
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
  std::string console;  // what the constructor wrote
};

EngineRun makeEngine(Utilities& util, const char* report, int maxMismatch, const std::vector<int>& seeds,
                     int numTop = 10, float thr = 0.8f, int clusters = 40, int method = 1) {
  CapturedStdout out;
  EngineRun run;
  run.engine = std::make_unique<zelkova>(&util, report, maxMismatch, static_cast<int>(seeds.size()), numTop, thr,
                                         clusters, seeds, method, " zelkova");
  run.console = out.text();
  return run;
}

NodePtr motifWithMap(double map, double tag) {
  auto m = std::make_unique<node>();
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

TEST(EngineState, ConstructorListsSeedSequencesAndResolvesParameters) {
  resetGlobals(9);
  auto util = makeStore(">a\nACGTACGTAC\n>b\nACGTACGTAC\n>c\nACGTACGTAC\n", 9);
  TempFile report("");
  EngineRun run = makeEngine(*util, report.path().c_str(), -1, {0, 1, 2});
  EXPECT_EQ(run.console, "Selected seed sequences #:0\t1\t2\t\n");
  EXPECT_EQ(run.engine->getMaxMismatch(), 4);  // 9 / 2 rounded down
  EXPECT_EQ(run.engine->getScanThreshold(), static_cast<double>(0.8f));
  EXPECT_NE(run.engine->getScanThreshold(), 0.8);
  EXPECT_EQ(run.engine->getInitMethod(), 1);

  EXPECT_EQ(makeEngine(*util, report.path().c_str(), 0, {1}).engine->getMaxMismatch(), 0);
  EXPECT_EQ(makeEngine(*util, report.path().c_str(), 7, {1}).console, "Selected seed sequences #:1\t\n");
  EXPECT_EQ(makeEngine(*util, report.path().c_str(), 7, {1}).engine->getMaxMismatch(), 7);
}

TEST(EngineState, InitialisationMethodOutsideOneToThreeBecomesOne) {
  resetGlobals(6);
  auto util = makeStore(">a\nACGTACGTAC\n", 6);
  TempFile report("");
  const std::vector<std::pair<int, int>> cases = {{0, 1}, {-5, 1}, {7, 1}, {1, 1}, {2, 2}, {3, 3}};
  for (const auto& c : cases) {
    EngineRun run = makeEngine(*util, report.path().c_str(), -1, {0}, 10, 0.8f, 40, c.first);
    EXPECT_EQ(run.engine->getInitMethod(), c.second) << "-k " << c.first;
  }
}

TEST(EngineState, UnopenableReportFallsBackToStandardOutput) {
  resetGlobals(6);
  auto util = makeStore(">a\nACGTACGTAC\n", 6);
  char dirName[] = "/tmp/zelkova_outdirXXXXXX";
  const std::string dir = ::mkdtemp(dirName);
  EngineRun run = makeEngine(*util, dir.c_str(), -1, {0});
  EXPECT_EQ(run.console, "Error! unable to open output file " + dir + "\nSelected seed sequences #:0\t\n");
  {
    CapturedStdout out;
    run.engine->saveparameters();
    EXPECT_NE(out.text().find("ZELKOVA clustering parameters\n"), std::string::npos);
  }
  run.engine.reset();  // must not close standard output
  ::rmdir(dir.c_str());
  CapturedStdout after;
  std::printf("still open");
  EXPECT_EQ(after.text(), "still open");
}

// ---------------------------------------------------------------------------
// Candidate list

TEST(CandidateList, HoldsTwiceTheReportSizeInDescendingOrder) {
  resetGlobals(6);
  auto util = makeStore(">a\nACGTACGTAC\n", 6);
  TempFile report("");
  EngineRun run = makeEngine(*util, report.path().c_str(), -1, {0}, /*numTop*/ 2);
  zelkova& e = *run.engine;
  EXPECT_TRUE(e.saveCandidateMotif(motifWithMap(1.0, 1)));
  EXPECT_TRUE(e.saveCandidateMotif(motifWithMap(3.0, 2)));
  EXPECT_TRUE(e.saveCandidateMotif(motifWithMap(2.0, 3)));
  EXPECT_TRUE(e.saveCandidateMotif(motifWithMap(3.0, 4)));  // after the equal one
  EXPECT_EQ(tags(e.candidates()), (std::vector<double>{2, 4, 3, 1}));

  // Full (4 = 2 x 2): equal to the last and below it are refused.
  EXPECT_FALSE(e.saveCandidateMotif(motifWithMap(1.0, 5)));
  EXPECT_FALSE(e.saveCandidateMotif(motifWithMap(0.5, 6)));
  EXPECT_EQ(tags(e.candidates()), (std::vector<double>{2, 4, 3, 1}));

  EXPECT_TRUE(e.saveCandidateMotif(motifWithMap(2.0, 7)));  // above the last, after the equal 2.0
  EXPECT_EQ(tags(e.candidates()), (std::vector<double>{2, 4, 3, 7}));
  EXPECT_TRUE(e.saveCandidateMotif(motifWithMap(10.0, 8)));
  EXPECT_EQ(tags(e.candidates()), (std::vector<double>{8, 2, 4, 3}));
  EXPECT_FALSE(e.saveCandidateMotif(motifWithMap(2.0, 9)));
  EXPECT_EQ(e.candidates().size(), 4u);
}

TEST(CandidateList, ScoresAboveThousandStillKeepTheBound) {
  resetGlobals(6);
  auto util = makeStore(">a\nACGTACGTAC\n", 6);
  TempFile report("");
  EngineRun run = makeEngine(*util, report.path().c_str(), -1, {0}, /*numTop*/ 1);
  zelkova& e = *run.engine;
  EXPECT_TRUE(e.saveCandidateMotif(motifWithMap(2000.0, 1)));
  EXPECT_TRUE(e.saveCandidateMotif(motifWithMap(1500.0, 2)));
  // Ranks below every held motif: refused although above 1000.
  EXPECT_FALSE(e.saveCandidateMotif(motifWithMap(1200.0, 3)));
  EXPECT_TRUE(e.saveCandidateMotif(motifWithMap(1800.0, 4)));
  EXPECT_EQ(tags(e.candidates()), (std::vector<double>{1, 4}));
}

// ---------------------------------------------------------------------------
// Initial clusters and side files

namespace {

// s0 holds the palindrome GAATTC (both strands at position 1) followed by
// AATTCA; s1 holds GAATTC inside the palindrome CGAATTCG; s2 holds AATTCA on
// its reverse strand (ATGAATTG reads CAATTCAT backwards).
const char* const kSmallInput = ">s0\nGAATTCA\n>s1\nCGAATTCG\n>s2\nATGAATTG\n";

}  // namespace

class InitialClusterTest : public ::testing::Test {
 protected:
  void SetUp() override { resetGlobals(6); }
  void TearDown() override { resetGlobals(6); }
  ScopedWorkDir workDir;
  TempFile report{""};
};

TEST_F(InitialClusterTest, WholeSideFilesOfASmallInput) {
  auto util = makeStore(kSmallInput, 6);
  EngineRun run = makeEngine(*util, report.path().c_str(), /*mismatches*/ 0, {0}, 10, 0.8f, 10);
  std::string console;
  InitialClusters init;
  {
    CapturedStdout out;
    init = run.engine->initializeClusters(10);
    console = out.text();
  }
  EXPECT_EQ(console, "Initializing 10 clusters...Scanning remaining sequences...DONE.\n");
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
  EngineRun run = makeEngine(*util, report.path().c_str(), 1, {0}, 10, 0.8f, 10);
  InitialClusters init;
  {
    CapturedStdout out;
    init = run.engine->initializeClusters(10);
  }
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
  EngineRun run = makeEngine(*util, report.path().c_str(), 0, {0, 1, 2}, 10, 0.8f, 10);
  std::string console;
  InitialClusters init;
  {
    CapturedStdout out;
    init = run.engine->initializeClusters(10);
    console = out.text();
  }
  EXPECT_EQ(console, "Initializing 10 clusters...Scanning remaining sequences...DONE.\n");
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
  EngineRun run = makeEngine(*util, report.path().c_str(), 0, {0}, 10, 0.8f, 10, /*method*/ 3);
  std::string console;
  InitialClusters init;
  {
    CapturedStdout out;
    init = run.engine->initializeClusters(10);
    console = out.text();
  }
  EXPECT_EQ(console, "Initializing 10 clusters...Scanning remaining sequences...DONE.\n");
  EXPECT_TRUE(init.cores.empty());
  EXPECT_TRUE(init.clusters.empty());
  ASSERT_TRUE(fileExists("initcore.txt"));
  ASSERT_TRUE(fileExists("initcluster.txt"));
  EXPECT_EQ(readFile("initcore.txt"), "");
  EXPECT_EQ(readFile("initcluster.txt"), "");
}

TEST_F(InitialClusterTest, ForwardOnlyShowsForwardSitesOnly) {
  forwardOnly = true;
  auto util = makeStore(kSmallInput, 6);
  EngineRun run = makeEngine(*util, report.path().c_str(), 1, {0}, 10, 0.8f, 10);
  InitialClusters init;
  {
    CapturedStdout out;
    init = run.engine->initializeClusters(10);
  }
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
  EngineRun run = makeEngine(*util, report.path().c_str(), 1, {0, 1}, 10, 0.8f, 10);
  InitialClusters init;
  {
    CapturedStdout out;
    init = run.engine->initializeClusters(10);
  }
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
  EngineRun run = makeEngine(*util, report.path().c_str(), 0, {0}, 10, 0.8f, 10);
  std::string console;
  InitialClusters init;
  {
    CapturedStdout out;
    init = run.engine->initializeClusters(10);
    console = out.text();
  }
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
    numThreads = threads;
    auto util = makeStore(fasta, 6);
    EngineRun run = makeEngine(*util, report.path().c_str(), 2, {0, 1, 2}, 10, 0.8f, 20);
    {
      CapturedStdout out;
      run.engine->initializeClusters(20);
    }
    core.push_back(readFile("initcore.txt"));
    clusters.push_back(readFile("initcluster.txt"));
  }
  numThreads = 1;
  EXPECT_GT(clusters[0].size(), 1000u);
  EXPECT_EQ(core[0], core[1]);
  EXPECT_EQ(clusters[0], clusters[1]);
}
