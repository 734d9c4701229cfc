// Divisive refinement of a cluster motif: the worst-fitting sites are split off
// while the MAP score of what remains does not fall.
#include <cmath>

#include "clust.h"

std::unique_ptr<math::matrix<float>> zelkova::disMatrix(node& motif) const {
  const int L = util->GetL();
  const unsigned N = static_cast<unsigned>(motif.getHitCount());
  auto dist = std::make_unique<math::matrix<float>>(N, N);
  std::vector<Site*> sites;
  for (Site& s : motif.get_hits()) {
    s.matIdx = static_cast<int>(sites.size());
    sites.push_back(&s);
  }
  for (unsigned i = 0; i < N; ++i)
    for (unsigned j = 0; j < N; ++j)
      (*dist)(i, j) = i < j ? static_cast<float>(hammingDist(sites[i]->text, sites[j]->text, L)) : -1.0f;
  return dist;
}

namespace {

float lookup(math::matrix<float>& dist, int a, int b) {
  return a < b ? dist(static_cast<unsigned>(a), static_cast<unsigned>(b))
               : dist(static_cast<unsigned>(b), static_cast<unsigned>(a));
}

}  // namespace

std::vector<float> averageHamming(const aCluster& group, math::matrix<float>& dist) {
  const std::vector<int>& m = group.lstObj;
  std::vector<float> avg;
  for (std::size_t x = 0; x < m.size(); ++x) {
    float sum = 0.0f;
    for (std::size_t y = 0; y < m.size(); ++y)
      if (y != x) sum += lookup(dist, m[x], m[y]);
    avg.push_back(sum / static_cast<float>(m.size() - 1));
  }
  return avg;
}

std::vector<float> crossGroupDist(const aCluster& from, const aCluster& to, math::matrix<float>& dist) {
  std::vector<float> cross;
  for (int x : from.lstObj) {
    float sum = 0.0f;
    for (int y : to.lstObj) sum += lookup(dist, x, y);
    cross.push_back(sum / static_cast<float>(to.lstObj.size()));
  }
  return cross;
}

namespace {

// Letter counts per position of a group of sites made of A, C, G, T.
void countLetters(const std::vector<int>& members, const std::vector<const Site*>& sites, int L,
                  int counts[NUM_BASES][MAX_K]) {
  for (int m : members)
    for (int i = 0; i < L; ++i) ++counts[words::baseAt(sites[m]->code, L, i)][i];
}

// Letter counts per position of a group of sites made of A, C, G, T. The
// Hamming distance from a word x to every member is the sum over positions of
// (members - members sharing x's letter there), so the mean distances of the
// splitting come out of the counts without a pairwise table. The sums are
// whole numbers, which single precision holds exactly below 2^24, so they equal
// the sums of single-precision distances added one by one.
class GroupProfile {
 public:
  GroupProfile(const std::vector<int>& members, const std::vector<const Site*>& sites, int L)
      : L_(L), size_(static_cast<long long>(members.size())) {
    countLetters(members, sites, L, counts_);
  }
  long long distanceSum(words::Code code) const {
    long long sum = 0;
    for (int i = 0; i < L_; ++i) sum += size_ - counts_[words::baseAt(code, L_, i)][i];
    return sum;
  }

 private:
  int L_;
  long long size_;
  int counts_[NUM_BASES][MAX_K] = {};
};

// Mean distance of each member of the group to the other members, in list order.
std::vector<float> meanDistanceWithin(const std::vector<int>& group, const std::vector<const Site*>& sites, int L) {
  const GroupProfile profile(group, sites, L);
  std::vector<float> avg;
  avg.reserve(group.size());
  const float others = static_cast<float>(group.size() - 1);
  for (int m : group) avg.push_back(static_cast<float>(profile.distanceSum(sites[m]->code)) / others);
  return avg;
}


}  // namespace

NodePtr zelkova::createNode(const aCluster& group, const std::vector<const Site*>& sites) const {
  std::vector<char> member(sites.size(), 0);
  for (int m : group.lstObj) member[static_cast<std::size_t>(m)] = 1;
  auto motif = std::make_unique<node>();
  motif->get_hits().reserve(group.lstObj.size());
  for (std::size_t i = 0; i < sites.size(); ++i)
    if (member[i]) motif->addSite(*sites[i]);
  return motif;
}

std::unique_ptr<aCluster> zelkova::splitCluster(aCluster& parentClust, const std::vector<const Site*>& sites) {
  const int L = util->GetL();
  const aCluster copy = parentClust;
  std::vector<int> perSeq(static_cast<std::size_t>(util->GetNumSeq()), 0);
  for (int m : parentClust.lstObj) ++perSeq[sites[m]->seqIdx];
  std::unique_ptr<aCluster> splinter;
  std::vector<int>& parent = parentClust.lstObj;
  for (;;) {
    // The seed is the lowest-scoring member whose sequence keeps another site.
    float best = 100.0f;
    std::ptrdiff_t seedAt = -1;
    for (std::size_t k = 0; k < parent.size(); ++k) {
      const Site& s = *sites[parent[k]];
      if (s.score < static_cast<double>(best) && perSeq[s.seqIdx] > 1) {
        seedAt = static_cast<std::ptrdiff_t>(k);
        best = static_cast<float>(s.score);
      }
    }
    if (seedAt < 0) return nullptr;
    splinter = std::make_unique<aCluster>();
    const int seed = parent[static_cast<std::size_t>(seedAt)];
    splinter->lstObj.push_back(seed);
    parent.erase(parent.begin() + seedAt);
    --perSeq[sites[seed]->seqIdx];

    const std::vector<float> avg = meanDistanceWithin(parent, sites, L);
    std::vector<int> kept;
    kept.reserve(parent.size());
    bool moved = false;
    for (std::size_t k = 0; k < parent.size(); ++k) {
      const Site& s = *sites[parent[k]];
      const float cross = static_cast<float>(words::hamming(s.code, sites[seed]->code)) / 1.0f;
      if (avg[k] - cross > 0 && perSeq[s.seqIdx] > 1) {
        splinter->lstObj.push_back(parent[k]);
        --perSeq[s.seqIdx];
        moved = true;
      } else {
        kept.push_back(parent[k]);
      }
    }
    parent.swap(kept);
    if (!moved) break;
  }

  // Refinement: every site the parent held at the start goes to the motif it
  // fits better, ties to the parent, twenty times over. The two motifs are
  // only ever used through their matrices, so they are kept as letter counts of
  // their groups rather than as copies of the sites. Once an assignment equals
  // the one before, the matrices and hence every later assignment stay the
  // same, so the remaining iterations are skipped.
  node splitModel;
  node parentModel;
  countLetters(splinter->lstObj, sites, L, splitModel.posCMatrix);
  countLetters(parent, sites, L, parentModel.posCMatrix);
  int allCounts[NUM_BASES][MAX_K] = {};
  countLetters(copy.lstObj, sites, L, allCounts);
  std::vector<int> previous;
  for (int iteration = 0; iteration < 20; ++iteration) {
    splitModel.computeMatrices(util, static_cast<int>(splinter->lstObj.size()));
    parentModel.computeMatrices(util, static_cast<int>(parent.size()));
    previous.swap(splinter->lstObj);
    splinter->lstObj.clear();
    parent.clear();
    int splitCounts[NUM_BASES][MAX_K] = {};
    for (int m : copy.lstObj) {
      const words::Code code = sites[m]->code;
      if (parentModel.miSscoreCode(code) > splitModel.miSscoreCode(code)) {
        splinter->lstObj.push_back(m);
        for (int i = 0; i < L; ++i) ++splitCounts[words::baseAt(code, L, i)][i];
      } else {
        parent.push_back(m);
      }
    }
    for (int b = 0; b < NUM_BASES; ++b) {
      for (int i = 0; i < L; ++i) {
        splitModel.posCMatrix[b][i] = splitCounts[b][i];
        parentModel.posCMatrix[b][i] = allCounts[b][i] - splitCounts[b][i];
      }
    }
    if (iteration > 0 && splinter->lstObj == previous) break;
  }
  return splinter;
}

NodePtr zelkova::divisiveCluster(node& clusterNode, const node& coreNode) {
  std::vector<const Site*> sites;
  aCluster parent;
  for (Site& s : clusterNode.get_hits()) {
    ZK_ASSERT(s.acgt);  // the cluster's matrices were computed, so its sites are A, C, G, T
    s.matIdx = static_cast<int>(sites.size());
    s.score = std::log(coreNode.pKmer(s.text)) - static_cast<double>(util->siteBackground(s.seqIdx, s.pos));
    sites.push_back(&s);
    parent.lstObj.push_back(s.matIdx);
  }
  for (;;) {
    NodePtr root = createNode(parent, sites);
    ZK_ASSERT(root->getHitCount() == static_cast<int>(parent.lstObj.size()));
    root->computeInformation(util);
    root->computeMAP(util);
    const std::vector<int> before = parent.lstObj;
    const std::unique_ptr<aCluster> splinter = splitCluster(parent, sites);
    bool stop = !splinter;
    if (splinter) {
      NodePtr after = createNode(parent, sites);
      after->computeInformation(util);
      after->computeMAP(util);
      stop = root->getMAP() > after->getMAP();
    }
    // A repetition that leaves the parent group as it was would repeat forever.
    if (parent.lstObj == before) stop = true;
    if (stop) break;
  }
  return createNode(parent, sites);
}
