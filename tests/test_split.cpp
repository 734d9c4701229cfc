// Divisive splitting: the matrix type, the distance table, the mean-distance
// functions, splitCluster on hand-made groups, divisiveCluster, and a check of
// the whole refinement against a literal implementation over the N x N table.
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <future>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "engine/clust.h"
#include "reference.h"
#include "support.h"

using namespace testing_support;

namespace {

// An engine over the store with every default and sequence 0 its seed.
std::unique_ptr<zelkova> splitEngine(const Utilities& util) { return makeEngine(util, testConfig(util.GetL()), {0}); }

Site makeSite(const std::string& text, int seqIdx, int pos = 0, bool strand = true, double score = 0.0) {
  reference::L_mer mer;
  std::strcpy(strand ? mer.kmer : mer.rcKmer, text.c_str());
  mer.seqIdx = seqIdx;
  mer.pos = pos;
  mer.strand = strand;
  mer.score = score;
  return reference::fromLmer(mer, static_cast<int>(text.size()));
}

// The sites of a motif in list order, numbered 0.. in that order (as the
// distance table numbers them), for calling splitCluster directly.
std::vector<const Site*> numberSites(node& motif) {
  std::vector<const Site*> sites;
  for (Site& s : motif.get_hits()) {
    s.matIdx = static_cast<int>(sites.size());
    sites.push_back(&s);
  }
  return sites;
}

// The scores the sites were made with, by their numbers.
std::vector<double> scoresOf(const std::vector<const Site*>& sites) {
  std::vector<double> scores;
  for (const Site* s : sites) scores.push_back(s->score);
  return scores;
}

std::vector<std::string> textsOf(const node& m) {
  std::vector<std::string> out;
  for (const Site& s : m.get_hits()) out.emplace_back(s.text);
  return out;
}

std::vector<std::string> textsOf(const aCluster& g, const std::vector<const Site*>& sites) {
  std::vector<std::string> out;
  for (int m : g.lstObj) out.emplace_back(sites[static_cast<std::size_t>(m)]->text);
  return out;
}

using SiteKey = std::tuple<std::string, bool, int, int>;
std::vector<SiteKey> keysOf(const node& m) {
  std::vector<SiteKey> out;
  for (const Site& s : m.get_hits()) out.emplace_back(s.text, s.strand, s.pos, s.seqIdx);
  return out;
}

// Runs f on another thread and fails the whole test program if it does not
// finish in time (a hang cannot be reported any other way).
template <class F>
auto withDeadline(F f, std::chrono::seconds limit) -> decltype(f()) {
  auto result = std::async(std::launch::async, f);
  if (result.wait_for(limit) == std::future_status::timeout) {
    ADD_FAILURE() << "did not finish within " << limit.count() << " s";
    std::fflush(stdout);
    std::_Exit(1);
  }
  return result.get();
}

}  // namespace

// ---------------------------------------------------------------------------
// Matrix type and distance table

TEST(Matrix, CheckedAccessWithExactMessage) {
  reference::matrix<float> m(2, 3);
  EXPECT_EQ(m.rows(), 2u);
  EXPECT_EQ(m.cols(), 3u);
  m(0, 0) = 1.5f;
  m(1, 2) = -4.0f;
  EXPECT_EQ(m(0, 0), 1.5f);
  EXPECT_EQ(m(1, 2), -4.0f);
  for (auto [r, c] : {std::pair<unsigned, unsigned>{2, 0}, {0, 3}, {2, 3}, {100, 1}}) {
    try {
      m(r, c) = 0.0f;
      ADD_FAILURE() << "(" << r << ", " << c << ") did not throw";
    } catch (const reference::matrix_error& e) {
      EXPECT_STREQ(e.what(), "matrixT::operator(): Index out of range!");
    }
  }
  const std::logic_error* asLogicError = nullptr;
  try {
    m(2, 0);
  } catch (const std::logic_error& e) {
    asLogicError = &e;
    EXPECT_STREQ(e.what(), "matrixT::operator(): Index out of range!");
  }
  EXPECT_NE(asLogicError, nullptr);

  reference::matrix<float> empty(0, 0);
  EXPECT_THROW(empty(0, 0), reference::matrix_error);
}

TEST(DistanceTable, UpperTriangleHoldsDistancesTheRestMinusOne) {
  auto util = makeStore(">s\nACGTACGTAC\n", 6);
  node m(util->motifContext());
  m.addSite(makeSite("AAAAAA", 0));
  m.addSite(makeSite("AAAACC", 0));
  m.addSite(makeSite("CCCCCC", 0));  // list order: CCCCCC, AAAACC, AAAAAA
  auto dist = reference::disMatrix(m);
  ASSERT_EQ(dist->rows(), 3u);
  ASSERT_EQ(dist->cols(), 3u);
  EXPECT_EQ(textsOf(m), (std::vector<std::string>{"CCCCCC", "AAAACC", "AAAAAA"}));
  int expectedIdx = 0;
  for (const Site& s : m.get_hits()) EXPECT_EQ(s.matIdx, expectedIdx++);
  EXPECT_EQ((*dist)(0, 1), 4.0f);
  EXPECT_EQ((*dist)(0, 2), 6.0f);
  EXPECT_EQ((*dist)(1, 2), 2.0f);
  for (unsigned i = 0; i < 3; ++i)
    for (unsigned j = 0; j <= i; ++j) EXPECT_EQ((*dist)(i, j), -1.0f) << i << "," << j;
  EXPECT_THROW((*dist)(3, 0), reference::matrix_error);
}

TEST(DistanceTable, OneSiteNoSiteAndLetterCase) {
  auto util = makeStore(">s\nACGTACGTAC\n", 6);
  node one(util->motifContext());
  one.addSite(makeSite("ACGTAC", 0));
  auto d1 = reference::disMatrix(one);
  ASSERT_EQ(d1->rows(), 1u);
  EXPECT_EQ((*d1)(0, 0), -1.0f);

  node none(util->motifContext());
  auto d0 = reference::disMatrix(none);
  EXPECT_EQ(d0->rows(), 0u);
  EXPECT_THROW((*d0)(0, 0), reference::matrix_error);

  node cased(util->motifContext());
  cased.addSite(makeSite("ACGTAC", 0));
  cased.addSite(makeSite("acgtAC", 0));
  auto dc = reference::disMatrix(cased);
  EXPECT_EQ((*dc)(0, 1), 4.0f);
}

TEST(MeanDistances, AverageWithinAndAcrossGroups) {
  auto util = makeStore(">s\nACGTACGTAC\n", 6);
  node m(util->motifContext());
  m.addSite(makeSite("CCCCCC", 0));
  m.addSite(makeSite("AAAACC", 0));
  m.addSite(makeSite("AAAAAA", 0));  // indices: AAAAAA 0, AAAACC 1, CCCCCC 2
  auto dist = reference::disMatrix(m);
  // d(0,1) = 2, d(0,2) = 6, d(1,2) = 4.
  aCluster all{{0, 1, 2}};
  EXPECT_EQ(reference::averageHamming(all, *dist), (std::vector<float>{4.0f, 3.0f, 5.0f}));
  aCluster reversed{{2, 0}};
  EXPECT_EQ(reference::averageHamming(reversed, *dist), (std::vector<float>{6.0f, 6.0f}));
  aCluster left{{0, 1}}, right{{2}};
  EXPECT_EQ(reference::crossGroupDist(left, right, *dist), (std::vector<float>{6.0f, 4.0f}));
  EXPECT_EQ(reference::crossGroupDist(right, left, *dist), (std::vector<float>{5.0f}));
  aCluster single{{1}}, others{{2, 0}};
  EXPECT_EQ(reference::crossGroupDist(single, others, *dist), (std::vector<float>{3.0f}));
}

// ---------------------------------------------------------------------------
// splitCluster on hand-made groups (scores set by hand)

class SplitGroups : public ::testing::Test {
 protected:
  void SetUp() override {
    util = makeStore(">s0\nACGTACGTAC\n>s1\nACGTACGTAC\n>s2\nACGTACGTAC\n", 6);
    engine = splitEngine(*util);
    motif = engine->newMotif();
  }
  // Adds the sites in list order (the first given is the first in the list).
  void build(const std::vector<Site>& inListOrder) {
    for (auto it = inListOrder.rbegin(); it != inListOrder.rend(); ++it) motif->addSite(*it);
    sites = numberSites(*motif);
    parent.lstObj.clear();
    for (std::size_t i = 0; i < sites.size(); ++i) parent.lstObj.push_back(static_cast<int>(i));
  }
  std::unique_ptr<Utilities> util;
  std::unique_ptr<zelkova> engine;
  NodePtr motif;
  std::vector<const Site*> sites;
  aCluster parent;
};

TEST_F(SplitGroups, NoSeedWhenEverySiteIsInItsOwnSequence) {
  build({makeSite("AAAAAA", 0, 0, true, -5), makeSite("CCCCCC", 1, 0, true, -9), makeSite("GGGGGG", 2, 0, true, 1)});
  EXPECT_EQ(engine->splitCluster(parent, sites, scoresOf(sites)), nullptr);
  EXPECT_EQ(parent.lstObj, (std::vector<int>{0, 1, 2}));
}

TEST_F(SplitGroups, SitesScoringHundredOrMoreAreNeverSeeds) {
  build({makeSite("AAAAAA", 0, 0, true, 100.0), makeSite("CCCCCC", 0, 2, true, 150.0)});
  EXPECT_EQ(engine->splitCluster(parent, sites, scoresOf(sites)), nullptr);
  EXPECT_EQ(parent.lstObj, (std::vector<int>{0, 1}));

  reference::removeHits(*motif);
  build({makeSite("AAAAAA", 0, 0, true, 100.0), makeSite("CCCCCC", 0, 2, true, 99.99)});
  auto split = engine->splitCluster(parent, sites, scoresOf(sites));
  ASSERT_NE(split, nullptr);
  EXPECT_EQ(textsOf(*split, sites), (std::vector<std::string>{"CCCCCC"}));
}

TEST_F(SplitGroups, TwoSitesOfOneSequenceLowerScoreIsTheSeed) {
  build({makeSite("CCCCCC", 0, 0, true, 2.0), makeSite("AAAAAA", 0, 7, true, 1.0)});
  auto split = engine->splitCluster(parent, sites, scoresOf(sites));
  ASSERT_NE(split, nullptr);
  // Refinement: each site fits its own one-site motif best.
  EXPECT_EQ(textsOf(*split, sites), (std::vector<std::string>{"AAAAAA"}));
  EXPECT_EQ(textsOf(parent, sites), (std::vector<std::string>{"CCCCCC"}));
}

TEST_F(SplitGroups, EqualScoresTheFirstEligibleIsTheSeed) {
  build(
      {makeSite("GGGGGG", 1, 0, true, 1.0), makeSite("CCCCCC", 0, 0, true, 1.0), makeSite("AAAAAA", 0, 7, true, 1.0)});
  auto split = engine->splitCluster(parent, sites, scoresOf(sites));
  ASSERT_NE(split, nullptr);
  // GGGGGG is alone in its sequence; CCCCCC comes before AAAAAA.
  EXPECT_EQ(textsOf(*split, sites), (std::vector<std::string>{"CCCCCC"}));
  EXPECT_EQ(textsOf(parent, sites), (std::vector<std::string>{"GGGGGG", "AAAAAA"}));
}

TEST_F(SplitGroups, RefinementTiesGoToTheParent) {
  // Seed AAAAAA (the lowest eligible score; AAAACC scores lower but is alone in
  // s1). Refinement against split {AAAAAA} and parent {CCCCCC, AAAACC}:
  // parent columns 1-4 are A/C half and half, 5-6 all C, so
  //   AAAACC: parent miS 4 x 0.5 = 2, split miS 2 (two letters differ): a tie;
  //   CCCCCC: 2 against 6; AAAAAA: 4 against 0.
  build(
      {makeSite("AAAAAA", 0, 0, true, 1.0), makeSite("CCCCCC", 0, 7, true, 2.0), makeSite("AAAACC", 1, 0, true, -3.0)});
  auto split = engine->splitCluster(parent, sites, scoresOf(sites));
  ASSERT_NE(split, nullptr);
  EXPECT_EQ(textsOf(*split, sites), (std::vector<std::string>{"AAAAAA"}));
  EXPECT_EQ(textsOf(parent, sites), (std::vector<std::string>{"CCCCCC", "AAAACC"}));
}

TEST_F(SplitGroups, LaterPassWithoutSeedLeavesMovedSitesOut) {
  // Pass 1: seed AAAAAA (s0). Over the rest, AAAAAC has mean distance
  // (6 + 5 + 5) / 3 to the others and 1 to the seed, so it moves; then s0 keeps
  // one site. Pass 2: every remaining site is alone in its sequence: no seed.
  build({makeSite("AAAAAA", 0, 0, true, 1.0), makeSite("AAAAAC", 0, 1, true, 5.0), makeSite("GGGGGG", 0, 2, true, 5.0),
         makeSite("GGGGGC", 1, 0, true, 0.0), makeSite("GGGGCC", 2, 0, true, 0.0)});
  EXPECT_EQ(engine->splitCluster(parent, sites, scoresOf(sites)), nullptr);
  EXPECT_EQ(textsOf(parent, sites), (std::vector<std::string>{"GGGGGG", "GGGGGC", "GGGGCC"}));
}

TEST_F(SplitGroups, PassesRepeatWhileMembersMove) {
  // Pass 1: seed AAAAAA (lowest score). AAAAAC has mean distance
  // (6 + 5 + 6 + 6) / 4 = 5.75 to the rest and 1 to the seed: it moves, and s0
  // keeps one site (TTTTTT). CCCCCA: 19/4 against 5, GGGGGG: 6 against 6 (not
  // strictly closer). Pass 2: seed CCCCCC (TTTTTT is now alone in s0); CCCCCA
  // is at mean 6 from TTTTTT and GGGGGG and 1 from the seed: it moves.
  // Pass 3: TTTTTT and GGGGGG are each alone in their sequence: no seed.
  build({makeSite("AAAAAA", 0, 0, true, 1.0), makeSite("AAAAAC", 0, 1, true, 9.0), makeSite("TTTTTT", 0, 2, true, 9.0),
         makeSite("CCCCCC", 1, 0, true, 2.0), makeSite("CCCCCA", 1, 1, true, 9.0),
         makeSite("GGGGGG", 1, 2, true, 9.0)});
  EXPECT_EQ(engine->splitCluster(parent, sites, scoresOf(sites)), nullptr);
  EXPECT_EQ(textsOf(parent, sites), (std::vector<std::string>{"TTTTTT", "GGGGGG"}));
}

// ---------------------------------------------------------------------------
// divisiveCluster (scores from the core motif)

class Divisive : public ::testing::Test {
 protected:
  void SetUp() override {
    util = makeStore(">s0\nACGTACGTACGT\n>s1\nACGTACGTACGT\n>s2\nACGTACGTACGT\n", 6);
    engine = splitEngine(*util);
    core = engine->newMotif();
    cluster = engine->newMotif();
  }
  // A one-site core motif of the given word.
  void coreOf(const std::string& word) {
    core->addSite(makeSite(word, 0));
    core->computeInformation();
  }
  std::unique_ptr<Utilities> util;
  std::unique_ptr<zelkova> engine;
  NodePtr core;
  NodePtr cluster;
};

TEST_F(Divisive, NoSplitReturnsCopiesOfAllSitesInReverseOrder) {
  coreOf("ACGTAC");
  cluster->addSite(makeSite("ACGTAC", 0, 0, true));
  cluster->addSite(makeSite("ACGTTC", 1, 2, false));
  cluster->addSite(makeSite("TCGTAC", 2, 4, true));
  const std::vector<SiteKey> before = keysOf(*cluster);
  NodePtr result = engine->divisiveCluster(*cluster, *core);
  ASSERT_EQ(result->getHitCount(), 3);
  EXPECT_EQ(keysOf(*result), (std::vector<SiteKey>(before.rbegin(), before.rend())));
  EXPECT_EQ(keysOf(*cluster), before);  // the cluster's own list is unchanged
  // The copies carry their scores: ln pKmer against the core minus the
  // background value; the cluster's sites keep theirs.
  for (const Site& s : result->get_hits()) {
    const double bg = util->maps.at(s.seqIdx, s.pos);
    EXPECT_DOUBLE_EQ(s.score, std::log(core->pKmer(s.text)) - bg) << s.text;
  }
  for (const Site& s : cluster->get_hits()) EXPECT_EQ(s.score, 0.0) << s.text;
}

TEST_F(Divisive, FirstSplitThatLowersTheMapScoreStaysInEffect) {
  // AAAAAA fits the core CCCCCC worst and seeds the split; refinement leaves
  // {CCCCCC} as the parent, whose one-site MAP score (0) is below that of the
  // two sites together. The loop stops, but after the split.
  coreOf("CCCCCC");
  cluster->addSite(makeSite("AAAAAA", 0, 0));
  cluster->addSite(makeSite("CCCCCC", 0, 6));
  node both(util->motifContext());
  both.addSite(makeSite("AAAAAA", 0, 0));
  both.addSite(makeSite("CCCCCC", 0, 6));
  both.computeInformation();
  both.computeMAP();
  ASSERT_GT(both.getMAP(), 0.0);
  NodePtr result = engine->divisiveCluster(*cluster, *core);
  EXPECT_EQ(keysOf(*result), (std::vector<SiteKey>{{"CCCCCC", true, 6, 0}}));
}

TEST_F(Divisive, LaterPassWithoutSeedLeavesMovedSitesOut) {
  // Core GGGGGC: among the sites of s0, AAAAAA matches it nowhere and has the
  // lowest score, so it seeds the split; then the steps are those of
  // SplitGroups.LaterPassWithoutSeedLeavesMovedSitesOut. The result lists the
  // remaining sites in the reverse of the cluster's order.
  coreOf("GGGGGC");
  const std::vector<Site> inListOrder = {makeSite("AAAAAA", 0, 0), makeSite("AAAAAC", 0, 1), makeSite("GGGGGG", 0, 2),
                                         makeSite("GGGGGC", 1, 0), makeSite("GGGGCC", 2, 0)};
  for (auto it = inListOrder.rbegin(); it != inListOrder.rend(); ++it) cluster->addSite(*it);
  NodePtr result = engine->divisiveCluster(*cluster, *core);
  EXPECT_EQ(textsOf(*result), (std::vector<std::string>{"GGGGCC", "GGGGGC", "GGGGGG"}));
}

TEST_F(Divisive, ClusterOfOneWordEndsWithAllItsSites) {
  coreOf("ACGTAC");
  cluster->addSite(makeSite("TTGACA", 0, 0));
  cluster->addSite(makeSite("TTGACA", 0, 6));
  cluster->addSite(makeSite("TTGACA", 1, 0));
  cluster->addSite(makeSite("TTGACA", 1, 3, false));
  cluster->addSite(makeSite("TTGACA", 2, 1));
  const std::vector<SiteKey> before = keysOf(*cluster);
  NodePtr result = withDeadline([&] { return engine->divisiveCluster(*cluster, *core); }, std::chrono::seconds(60));
  EXPECT_EQ(keysOf(*result), (std::vector<SiteKey>(before.rbegin(), before.rend())));
}

TEST_F(Divisive, ClusterWithoutSitesGivesAnEmptyMotif) {
  coreOf("ACGTAC");
  NodePtr result = engine->divisiveCluster(*cluster, *core);
  EXPECT_EQ(result->getHitCount(), 0);
}

// ---------------------------------------------------------------------------
// The whole refinement against a literal implementation over the N x N table

namespace {

// The splitting exactly as described, with every mean distance taken from the
// distance table through averageHamming and crossGroupDist.
class LiteralSplitter {
 public:
  explicit LiteralSplitter(const Utilities& util) : util_(util) {}

  NodePtr divisiveCluster(node& clusterNode, const node& coreNode) {
    cluster_ = &clusterNode;
    dist_ = reference::disMatrix(clusterNode);
    sites_.clear();
    aCluster parent;
    for (Site& s : clusterNode.get_hits()) {
      s.score = std::log(coreNode.pKmer(s.text)) - static_cast<double>(util_.maps.at(s.seqIdx, s.pos));
      sites_.push_back(&s);
      parent.lstObj.push_back(s.matIdx);
    }
    for (;;) {
      NodePtr root = createNode(parent);
      root->computeInformation();
      root->computeMAP();
      const std::vector<int> before = parent.lstObj;
      std::unique_ptr<aCluster> splinter = splitCluster(parent);
      bool stop = !splinter;
      if (splinter) {
        NodePtr after = createNode(parent);
        after->computeInformation();
        after->computeMAP();
        stop = root->getMAP() > after->getMAP();
      }
      if (parent.lstObj == before) stop = true;  // an unchanged parent would repeat forever
      if (stop) break;
    }
    return createNode(parent);
  }

  int passesWithMoves = 0;  // how often a pass moved a member after its seed

 private:
  NodePtr createNode(const aCluster& group) const {
    auto m = std::make_unique<node>(util_.motifContext());
    for (const Site& s : cluster_->get_hits())
      for (int idx : group.lstObj)
        if (idx == s.matIdx) {
          m->addSite(s);
          break;
        }
    return m;
  }

  std::unique_ptr<aCluster> splitCluster(aCluster& parent) {
    const aCluster copy = parent;
    std::vector<int> counts(static_cast<std::size_t>(util_.GetNumSeq()), 0);
    for (int idx : parent.lstObj) ++counts[static_cast<std::size_t>(sites_[idx]->seqIdx)];
    std::unique_ptr<aCluster> splinter;
    for (;;) {
      float best = 100.0f;
      int seedAt = -1;
      for (std::size_t k = 0; k < parent.lstObj.size(); ++k) {
        const Site& s = *sites_[parent.lstObj[k]];
        if (s.score < best && counts[s.seqIdx] > 1) {
          seedAt = static_cast<int>(k);
          best = static_cast<float>(s.score);
        }
      }
      if (seedAt < 0) return nullptr;
      splinter = std::make_unique<aCluster>();
      const int seed = parent.lstObj[static_cast<std::size_t>(seedAt)];
      splinter->lstObj.push_back(seed);
      parent.lstObj.erase(parent.lstObj.begin() + seedAt);
      --counts[sites_[seed]->seqIdx];
      const std::vector<float> avg = reference::averageHamming(parent, *dist_);
      const std::vector<float> cross = reference::crossGroupDist(parent, *splinter, *dist_);
      std::vector<int> kept;
      bool moved = false;
      for (std::size_t k = 0; k < parent.lstObj.size(); ++k) {
        const int idx = parent.lstObj[k];
        if (avg[k] - cross[k] > 0 && counts[sites_[idx]->seqIdx] > 1) {
          splinter->lstObj.push_back(idx);
          --counts[sites_[idx]->seqIdx];
          moved = true;
        } else {
          kept.push_back(idx);
        }
      }
      parent.lstObj = kept;
      if (!moved) break;
      ++passesWithMoves;
    }
    NodePtr splitMotif = createNode(*splinter);
    NodePtr parentMotif = createNode(parent);
    for (int it = 0; it < 20; ++it) {
      splitMotif->computeInformation();
      parentMotif->computeInformation();
      splitMotif->reset();
      parentMotif->reset();
      splinter->lstObj.clear();
      parent.lstObj.clear();
      for (int idx : copy.lstObj) {
        const Site& s = *sites_[idx];
        if (parentMotif->miSscore(s.text) > splitMotif->miSscore(s.text)) {
          splinter->lstObj.push_back(idx);
          splitMotif->addSite(s);
        } else {
          parentMotif->addSite(s);
          parent.lstObj.push_back(idx);
        }
      }
    }
    return splinter;
  }

  const Utilities& util_;
  node* cluster_ = nullptr;
  std::unique_ptr<reference::matrix<float>> dist_;
  std::vector<Site*> sites_;
};

std::string randomText(std::mt19937& rng, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "ACGT"[rng() % 4];
  return s;
}

}  // namespace

TEST(DivisiveAgainstLiteral, RandomClustersGiveIdenticalMotifs) {
  std::mt19937 rng(20240611);
  int trials = 0, shrunk = 0;
  int movingPasses = 0;
  for (int round = 0; round < 12; ++round) {
    // Six sequences of 40 letters, some carrying mutated copies of a planted word.
    const std::string planted = randomText(rng, 8);
    std::string fasta;
    for (int s = 0; s < 6; ++s) {
      std::string seq = randomText(rng, 40);
      for (int copies = static_cast<int>(rng() % 3); copies > 0; --copies) {
        std::string word = planted;
        for (int m = static_cast<int>(rng() % 3); m > 0; --m) word[rng() % 8] = "ACGT"[rng() % 4];
        seq.replace(rng() % 32, 8, word);
      }
      fasta += ">s" + std::to_string(s) + "\n" + seq + "\n";
    }
    auto util = makeStore(fasta, 8, 3);
    // A background that differs from window to window.
    for (std::size_t i = 0; i < util->maps.forward.size(); ++i) {
      std::vector<float>& forward = util->maps.forward[i];
      for (std::size_t j = 0; j < forward.size(); ++j) forward[j] = -11.0f + static_cast<float>(rng() % 1000) / 500.0f;
    }
    auto engine = splitEngine(*util);
    for (int trial = 0; trial < 15; ++trial) {
      // Core: the planted word and one or two windows; cluster: windows within
      // a random mismatch allowance of the core, on both strands.
      node core(util->motifContext());
      core.addSite(makeSite(planted, 0));
      for (int extra = 1 + static_cast<int>(rng() % 2); extra > 0; --extra)
        core.addSite(util->seqs.siteAt(static_cast<int>(rng() % 6), static_cast<int>(rng() % 33), rng() % 2 == 0));
      core.computeInformation();
      const int allowance = 2 + static_cast<int>(rng() % 3);
      node cluster(util->motifContext());
      for (int s = 0; s < 6; ++s)
        for (int p = 0; p < 33; ++p)
          for (bool strand : {true, false}) {
            const Site w = util->seqs.siteAt(s, p, strand);
            if (reference::matchOne(core, w.text, allowance)) cluster.addSite(w);
          }
      if (cluster.getHitCount() < 2) continue;
      cluster.computeInformation();
      node copy = cluster;
      LiteralSplitter literal(*util);
      NodePtr expected = literal.divisiveCluster(copy, core);
      NodePtr got = engine->divisiveCluster(cluster, core);
      ASSERT_EQ(keysOf(*got), keysOf(*expected)) << "round " << round << " trial " << trial;
      got->computeInformation();
      got->computeMAP();
      expected->computeInformation();
      expected->computeMAP();
      EXPECT_EQ(got->getMAP(), expected->getMAP());
      ++trials;
      shrunk += got->getHitCount() < cluster.getHitCount();
      movingPasses += literal.passesWithMoves;
    }
  }
  // The comparison must have exercised real splits.
  EXPECT_GE(trials, 100);
  EXPECT_GT(shrunk, 20);
  EXPECT_GT(movingPasses, 20);
}
