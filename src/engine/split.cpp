// Divisive refinement of a cluster motif: the worst-fitting sites are split off
// while the MAP score of what remains does not fall.
#include <algorithm>
#include <cmath>

#include "engine/clust.h"

namespace {

// Letter counts per position of a group of sites made of A, C, G, T.
void countLetters(const std::vector<int>& members, const std::vector<const Site*>& sites, int L,
                  int counts[NUM_BASES][MAX_K]) {
  for (int m : members)
    for (int i = 0; i < L; ++i) ++counts[base::baseAt(sites[m]->code, L, i)][i];
}

// Letter counts per position of a group of sites made of A, C, G, T. The
// Hamming distance from a word x to every member is the sum over positions of
// (members - members sharing x's letter there), so the mean distances of the
// splitting come out of the counts without a pairwise table. The sums are
// whole numbers, which single precision holds exactly below 2^24, so they equal
// the sums of single-precision distances added one by one.
class GroupProfile {
 public:
  // counts: the letters of the group's `size` members at each position.
  GroupProfile(const int counts[NUM_BASES][MAX_K], long long size, int L) : L_(L), size_(size) {
    // Whole numbers add up the same in any grouping, so the shared letters of
    // four positions at a time come from one table lookup.
    for (int first = 0; first < L; first += kChunk) {
      const int width = std::min(kChunk, L - first);
      std::vector<long long> table(std::size_t{1} << (2 * width), 0);
      for (std::size_t combo = 0; combo < table.size(); ++combo)
        for (int i = 0; i < width; ++i) table[combo] += counts[base::baseAt(combo, width, i)][first + i];
      chunks_.push_back({first, width, std::move(table)});
    }
  }
  long long distanceSum(base::WordCode code) const {
    long long shared = 0;
    for (const Chunk& c : chunks_) {
      const int shift = 2 * (L_ - c.first - c.width);
      shared += c.shared[static_cast<std::size_t>((code >> shift) & ((base::WordCode{1} << (2 * c.width)) - 1))];
    }
    return L_ * size_ - shared;
  }

 private:
  static constexpr int kChunk = 4;
  struct Chunk {
    int first;
    int width;
    std::vector<long long> shared;  // members sharing each combination's letters, summed over its positions
  };
  int L_;
  long long size_;
  std::vector<Chunk> chunks_;
};

// The splitting of one group: its members and how many of them each sequence
// holds. A member may leave only while its sequence keeps another site.
struct Splitting {
  Splitting(std::vector<int>& members, const std::vector<const Site*>& siteList, const std::vector<double>& siteScores,
            int numSeq, int length)
      : parent(members), sites(siteList), scores(siteScores), perSeq(static_cast<std::size_t>(numSeq), 0), L(length) {
    for (int m : parent) ++perSeq[static_cast<std::size_t>(sites[m]->seqIdx)];
    countLetters(parent, sites, L, counts);
  }

  std::vector<int>& parent;
  const std::vector<const Site*>& sites;
  const std::vector<double>& scores;
  std::vector<int> perSeq;
  int L;
  int counts[NUM_BASES][MAX_K] = {};  // letters of the parent's members, kept as members leave

  bool mayLeave(const Site& s) const { return perSeq[static_cast<std::size_t>(s.seqIdx)] > 1; }
  void left(const Site& s) {
    --perSeq[static_cast<std::size_t>(s.seqIdx)];
    for (int i = 0; i < L; ++i) --counts[base::baseAt(s.code, L, i)][i];
  }

  // The lowest-scoring member that may leave (the first of equal scores), or -1.
  std::ptrdiff_t seedPosition() const {
    float best = 100.0f;
    std::ptrdiff_t seedAt = -1;
    for (std::size_t k = 0; k < parent.size(); ++k) {
      const Site& s = *sites[parent[k]];
      const double score = scores[static_cast<std::size_t>(parent[k])];
      if (score < static_cast<double>(best) && mayLeave(s)) {
        seedAt = static_cast<std::ptrdiff_t>(k);
        best = static_cast<float>(score);
      }
    }
    return seedAt;
  }

  // Moves to the splinter every member closer to the seed than to the rest of
  // the parent, on average (averageHamming over the parent as it stood before
  // any moved); true if any moved.
  bool moveCloserToSeed(int seed, aCluster& splinter) {
    const GroupProfile profile(counts, static_cast<long long>(parent.size()), L);
    const float others = static_cast<float>(parent.size() - 1);
    std::vector<int> kept;
    kept.reserve(parent.size());
    std::vector<const Site*> leaving;
    for (int m : parent) {
      const Site& s = *sites[m];
      const float avg = static_cast<float>(profile.distanceSum(s.code)) / others;
      const float cross = static_cast<float>(base::hamming(s.code, sites[seed]->code)) / 1.0f;
      if (avg - cross > 0 && mayLeave(s)) {
        splinter.lstObj.push_back(m);
        --perSeq[static_cast<std::size_t>(s.seqIdx)];
        leaving.push_back(&s);
      } else {
        kept.push_back(m);
      }
    }
    for (const Site* s : leaving)
      for (int i = 0; i < L; ++i) --counts[base::baseAt(s->code, L, i)][i];
    parent.swap(kept);
    return !leaving.empty();
  }
};

// Every site the parent held at the start goes to the motif it fits better,
// ties to the parent, twenty times over. The two motifs are only ever used
// through their matrices, so they are kept as letter counts of their groups
// rather than as copies of the sites. Once an assignment equals the one before,
// the matrices and hence every later assignment stay the same, so the remaining
// iterations are skipped.
void reassignByFit(const std::vector<int>& all, std::vector<int>& parent, aCluster& splinter,
                   const std::vector<const Site*>& sites, const MotifContext& context) {
  const int L = context.K;
  node splitModel(context);
  node parentModel(context);
  countLetters(splinter.lstObj, sites, L, splitModel.posCMatrix);
  countLetters(parent, sites, L, parentModel.posCMatrix);
  int allCounts[NUM_BASES][MAX_K] = {};
  countLetters(all, sites, L, allCounts);
  std::vector<int> previous;
  for (int iteration = 0; iteration < 20; ++iteration) {
    splitModel.computeMatrices(static_cast<int>(splinter.lstObj.size()));
    parentModel.computeMatrices(static_cast<int>(parent.size()));
    previous.swap(splinter.lstObj);
    splinter.lstObj.clear();
    parent.clear();
    int splitCounts[NUM_BASES][MAX_K] = {};
    for (int m : all) {
      const base::WordCode code = sites[m]->code;
      if (parentModel.miSscoreCode(code) > splitModel.miSscoreCode(code)) {
        splinter.lstObj.push_back(m);
        for (int i = 0; i < L; ++i) ++splitCounts[base::baseAt(code, L, i)][i];
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
    if (iteration > 0 && splinter.lstObj == previous) break;
  }
}

}  // namespace

// The motif of a group: copies of its sites in site order, each with its
// score and number in the splitting.
NodePtr zelkova::createNode(const aCluster& group, const std::vector<const Site*>& sites,
                            const std::vector<double>& scores) const {
  std::vector<char> member(sites.size(), 0);
  for (int m : group.lstObj) member[static_cast<std::size_t>(m)] = 1;
  NodePtr motif = newMotif();
  motif->get_hits().reserve(group.lstObj.size());
  for (std::size_t i = 0; i < sites.size(); ++i) {
    if (!member[i]) continue;
    Site copy = *sites[i];
    copy.score = scores[i];
    copy.matIdx = static_cast<int>(i);
    motif->addSite(copy);
  }
  return motif;
}

// The MAP score createNode's motif of the group would have, from the group's
// letter counts and its sites' background values, added in the order the
// motif's site list holds them (newest, so highest number, first).
double zelkova::groupMAP(const aCluster& group, const std::vector<const Site*>& sites) const {
  const int L = util.GetL();
  const int N = static_cast<int>(group.lstObj.size());
  node motif = node(util.motifContext());
  std::vector<char> member(sites.size(), 0);
  for (int m : group.lstObj) member[static_cast<std::size_t>(m)] = 1;
  for (std::size_t i = 0; i < sites.size(); ++i)
    if (member[i])
      for (int p = 0; p < L; ++p) ++motif.posCMatrix[base::baseAt(sites[i]->code, L, p)][p];
  motif.computeMatrices(N);
  double backgroundSum = 0.0;
  for (std::size_t i = sites.size(); i-- > 0;)
    if (member[i]) backgroundSum += util.maps.at(sites[i]->seqIdx, sites[i]->pos);
  return node::mapOf(N, L, motif.getEntropy(), backgroundSum);
}

std::unique_ptr<aCluster> zelkova::splitCluster(aCluster& parentClust, const std::vector<const Site*>& sites,
                                                const std::vector<double>& scores) const {
  const std::vector<int> all = parentClust.lstObj;
  Splitting split(parentClust.lstObj, sites, scores, util.GetNumSeq(), util.GetL());
  std::unique_ptr<aCluster> splinter;
  std::vector<int>& parent = parentClust.lstObj;
  for (;;) {
    const std::ptrdiff_t seedAt = split.seedPosition();
    if (seedAt < 0) return nullptr;
    splinter = std::make_unique<aCluster>();
    const int seed = parent[static_cast<std::size_t>(seedAt)];
    splinter->lstObj.push_back(seed);
    parent.erase(parent.begin() + seedAt);
    split.left(*sites[seed]);
    if (!split.moveCloserToSeed(seed, *splinter)) break;
  }
  reassignByFit(all, parent, *splinter, sites, util.motifContext());
  return splinter;
}

// The cluster's sites are read, never changed: each gets its score (its
// likelihood under the core motif against the background) in a list of the
// splitting's own, and the motifs compared along the way are scored from their
// groups without copying sites.
NodePtr zelkova::divisiveCluster(const node& clusterNode, const node& coreNode) const {
  std::vector<const Site*> sites;
  std::vector<double> scores;
  aCluster parent;
  for (const Site& s : clusterNode.get_hits()) {
    ZK_ASSERT(s.acgt);  // the cluster's matrices were computed, so its sites are A, C, G, T
    parent.lstObj.push_back(static_cast<int>(sites.size()));
    scores.push_back(std::log(coreNode.pKmer(s.text)) - static_cast<double>(util.maps.at(s.seqIdx, s.pos)));
    sites.push_back(&s);
  }
  for (;;) {
    const double rootMAP = groupMAP(parent, sites);
    const std::vector<int> before = parent.lstObj;
    const std::unique_ptr<aCluster> splinter = splitCluster(parent, sites, scores);
    bool stop = !splinter;
    if (splinter) stop = rootMAP > groupMAP(parent, sites);
    // A repetition that leaves the parent group as it was would repeat forever.
    if (parent.lstObj == before) stop = true;
    if (stop) break;
  }
  return createNode(parent, sites, scores);
}
