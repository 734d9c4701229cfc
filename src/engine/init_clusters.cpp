// Initial clusters: the seed motifs become core motifs, and a scan of every
// input window around their sites gives each its cluster motif.
#include <algorithm>
#include <cmath>

#include "base/parallel.h"
#include "engine/clust.h"
#include "engine/stretch_index.h"

namespace {

// A side file that cannot be created, or fails part-way, is reported once and
// skipped: the report is the run's main output. Like the report, it keeps
// what was written when the run stops part-way. An unnamed side file is not
// written.
class SideFile {
 public:
  SideFile(const std::optional<std::string>& name, const ProgressSink& progress) : progress_(progress) {
    if (!name) return;
    name_ = *name;
    try {
      file_.emplace(name_);
    } catch (const WriteError&) {
      warn();
    }
  }
  SideFile(const SideFile&) = delete;
  SideFile& operator=(const SideFile&) = delete;
  ~SideFile() { close(); }

  std::FILE* stream() const { return file_ ? file_->stream() : nullptr; }
  void close() {
    if (!file_) return;
    try {
      file_->commit();
    } catch (const WriteError&) {
      warn();
    }
    file_.reset();
  }

 private:
  void warn() const { progress_.print("Warning: cannot write %s.\n", name_.c_str()); }

  const ProgressSink& progress_;
  std::string name_;
  std::optional<formats::OutputFile> file_;
};

// The sites of a core motif prepared for the distance test of the scan. The
// test asks whether any site lies within the allowance, so the order of the
// sites does not matter.
struct CoreWords {
  std::vector<base::WordCode> codes;  // sites made of A, C, G, T
  std::vector<const char*> others;    // sites holding other letters

  explicit CoreWords(const node& core) {
    for (const Site& s : core.get_hits()) {
      if (s.acgt)
        codes.push_back(s.code);
      else
        others.push_back(s.text);
    }
  }

  // Whether any site lies within maxMismatch of the word (matchOne).
  bool matches(bool acgt, base::WordCode code, const char* text, int L, int maxMismatch) const {
    if (acgt) {
      for (base::WordCode c : codes)
        if (base::hamming(c, code) <= maxMismatch) return true;
    } else {
      char word[MAX_MOTIF_LEN + 1];
      for (base::WordCode c : codes) {
        base::unpack(c, L, word);
        if (hammingDist(word, text, L) <= maxMismatch) return true;
      }
    }
    for (const char* other : others)
      if (hammingDist(other, text, L) <= maxMismatch) return true;
    return false;
  }
};

// Scan order of a window: stretch by stretch, the forward window first.
std::uint64_t scanKey(int seqIdx, int pos, bool forward) {
  return (static_cast<std::uint64_t>(seqIdx) << 33) | (static_cast<std::uint64_t>(pos) << 1) | (forward ? 0u : 1u);
}

// Grows clusters around core motifs: the windows of the whole input within
// the allowance of a core site, in scan order (sequence by sequence, stretch
// by stretch, the forward window before the reverse-strand window of the same
// stretch). Either every window is tested against the core's sites, or the
// neighbours of the sites are looked up in an index of the input's words,
// whichever the estimated costs favour for the run. Stretches holding letters
// other than A, C, G, T (not N) are tested letter by letter either way.
class ClusterScan {
 public:
  ClusterScan(const Utilities& util, bool forwardOnly, int maxMismatch, const NodeList& cores, int threads)
      : util_(util), forwardOnly_(forwardOnly), m_(maxMismatch) {
    for (const seqRecord& rec : util.seqs.records()) windows_ += rec.numWindows(util.GetL());
    if (!forwardOnly) windows_ *= 2;
    std::vector<int> all(static_cast<std::size_t>(util.GetNumSeq()));
    for (std::size_t s = 0; s < all.size(); ++s) all[s] = static_cast<int>(s);
    if (indexPays(cores)) index_ = std::make_unique<StretchIndex>(util.seqs, all, threads);
    for (int s = 0; s < util.GetNumSeq(); ++s) {
      const seqRecord& rec = util.seqs[static_cast<std::size_t>(s)];
      forEachValidStretch(rec, util.GetL(), [&](int p, int) {
        if (!rec.fwdAcgt[p]) others_.push_back({s, p, true});
      });
    }
  }

  // Adds the core's windows to the cluster.
  void grow(const node& core, node& cluster) const {
    const CoreWords words(core);
    std::vector<std::uint64_t> keys = index_ ? lookUp(words) : testAll(words);
    for (const StretchHit& h : others_) {
      const seqRecord& rec = util_.seqs[static_cast<std::size_t>(h.list)];
      const int r = rec.numWindows(util_.GetL()) - 1 - h.pos;
      if (matches(words, rec, h.pos, true)) keys.push_back(scanKey(h.list, h.pos, true));
      if (!forwardOnly_ && matches(words, rec, r, false)) keys.push_back(scanKey(h.list, h.pos, false));
    }
    std::sort(keys.begin(), keys.end());
    cluster.get_hits().reserve(cluster.get_hits().size() + keys.size());
    for (std::uint64_t key : keys) {
      const int s = static_cast<int>(key >> 33);
      const int p = static_cast<int>((key >> 1) & 0xffffffffu);
      const bool forward = (key & 1u) == 0;
      const int W = util_.seqs[static_cast<std::size_t>(s)].numWindows(util_.GetL());
      cluster.addSite(util_.seqs.siteAt(s, forward ? p : W - 1 - p, forward));
    }
  }

  // The number of sites a core's cluster is expected to hold: all windows
  // times the fraction of words near one of its sites.
  double expectedSites(const node& core) const {
    const double nearFraction = engine::neighbourhoodSize(util_.GetL(), m_) / std::pow(4.0, util_.GetL());
    return windows_ * std::min(1.0, core.getHitCount() * nearFraction);
  }

  // Whether the cluster of the core would hold a window with a letter other
  // than A, C, G, T, which its counting refuses.
  bool holdsOtherLetters(const node& core) const {
    const CoreWords words(core);
    for (const StretchHit& h : others_) {
      const seqRecord& rec = util_.seqs[static_cast<std::size_t>(h.list)];
      const int r = rec.numWindows(util_.GetL()) - 1 - h.pos;
      if (matches(words, rec, h.pos, true) || (!forwardOnly_ && matches(words, rec, r, false))) return true;
    }
    return false;
  }

 private:
  bool matches(const CoreWords& words, const seqRecord& rec, int strandPos, bool forward) const {
    const int L = util_.GetL();
    return forward
               ? words.matches(rec.fwdAcgt[strandPos], rec.fwdCode[strandPos], rec.seq.data() + strandPos, L, m_)
               : words.matches(rec.revAcgt[strandPos], rec.revCode[strandPos], rec.revSeq.data() + strandPos, L, m_);
  }

  // The windows of A, C, G, T near a site, by testing each.
  std::vector<std::uint64_t> testAll(const CoreWords& words) const {
    std::vector<std::uint64_t> keys;
    const int L = util_.GetL();
    for (int s = 0; s < util_.GetNumSeq(); ++s) {
      const seqRecord& rec = util_.seqs[static_cast<std::size_t>(s)];
      forEachValidStretch(rec, L, [&](int p, int r) {
        if (!rec.fwdAcgt[p]) return;  // tested with the other letters
        if (words.matches(true, rec.fwdCode[p], nullptr, L, m_)) keys.push_back(scanKey(s, p, true));
        if (!forwardOnly_ && words.matches(true, rec.revCode[r], nullptr, L, m_)) keys.push_back(scanKey(s, p, false));
      });
    }
    return keys;
  }

  // The same windows by looking up the neighbours of every site.
  std::vector<std::uint64_t> lookUp(const CoreWords& words) const {
    ZK_ASSERT(words.others.empty());  // a core motif is counted, so its sites are A, C, G, T
    std::vector<base::WordCode> near;
    for (base::WordCode code : words.codes)
      engine::forEachNeighbour(code, util_.GetL(), m_, [&near](base::WordCode w) { near.push_back(w); });
    std::sort(near.begin(), near.end());
    near.erase(std::unique(near.begin(), near.end()), near.end());
    std::vector<std::uint64_t> keys;
    for (base::WordCode w : near)
      index_->forEachEqual(w, forwardOnly_,
                           [&keys](const StretchHit& h) { keys.push_back(scanKey(h.list, h.pos, h.forward)); });
    return keys;
  }

  // Testing tries the sites until one is near enough; the index looks up
  // every neighbour of every site and sorts what it finds. Each cost is
  // estimated from the fraction of all words near one site.
  bool indexPays(const NodeList& cores) const {
    const int L = util_.GetL();
    double stretches = 0.0;
    for (const seqRecord& rec : util_.seqs.records()) stretches += rec.numWindows(L);
    const double windows = stretches * (forwardOnly_ ? 1.0 : 2.0);
    const double nearFraction = engine::neighbourhoodSize(L, m_) / std::pow(4.0, L);
    const double lookup = StretchIndex::lookupCost(L, m_, static_cast<std::size_t>(stretches));
    double scanCost = 0.0;
    double indexCost = stretches * 4.0;  // building the index
    for (const NodePtr& core : cores) {
      const double sites = core->getHitCount();
      const double found = windows * std::min(1.0, sites * nearFraction);
      scanCost += windows * std::min(sites, 1.0 / nearFraction);
      indexCost += sites * lookup + found * std::log2(found + 2.0);
    }
    return indexCost < scanCost;
  }

  const Utilities& util_;
  bool forwardOnly_;
  int m_;
  double windows_ = 0.0;  // windows of both strands (the given one with -r)
  std::unique_ptr<StretchIndex> index_;
  std::vector<StretchHit> others_;  // valid stretches with other letters, in scan order
};

// How many clusters may be grown ahead of the one offered: enough to keep
// every thread busy when clusters differ in size, few enough that the
// clusters held at once fit in about half a gigabyte.
std::size_t clustersAhead(const ClusterScan* scan, const NodeList& cores, int threads) {
  const std::size_t fewest = static_cast<std::size_t>(threads);
  if (!scan) return 4 * fewest;
  double largest = 1.0;
  for (const NodePtr& core : cores) largest = std::max(largest, scan->expectedSites(*core));
  constexpr double kBytesPerSite = sizeof(Site) + 48.0;  // the site and its side-file line
  const double fitting = (512.0 * 1024 * 1024) / (largest * kBytesPerSite);
  return std::max(fewest, std::min(4 * fewest, static_cast<std::size_t>(fitting)));
}

}  // namespace

void zelkova::scanClusters(const NodeList& cores, NodeList& clusters) const {
  const ClusterScan scan(util, cfg.forwardOnly, maxMismatch, cores, *cfg.numThreads);
  parallelFor(*cfg.numThreads, clusters.size(), [&](std::size_t c) {
    scan.grow(*cores[c], *clusters[c]);
    clusters[c]->computeInformation();
    clusters[c]->computeMAP();
  });
}

// One cluster's entry in initcluster.txt and its core motif's in initcore.txt,
// every site with its normalised score against its own motif.
zelkova::SideEntries zelkova::sideEntries(const node& core, const node& cluster, bool coreWanted,
                                          bool clusterWanted) const {
  SideEntries entries;
  if (clusterWanted) {
    char head[96];
    std::snprintf(head, sizeof head, "Number of sites %d\nMAP score %.6lf\n", cluster.getHitCount(), cluster.getMAP());
    entries.cluster = head;
    cluster.appendHits(entries.cluster, util.seqs);
    entries.cluster += "====================";
  }
  if (coreWanted) {
    core.appendHits(entries.core, util.seqs);
    entries.core += "===================\n";
  }
  return entries;
}

void zelkova::writeSideEntries(const SideEntries& entries, std::FILE* coreFile, std::FILE* clusterFile) {
  if (clusterFile) std::fwrite(entries.cluster.data(), 1, entries.cluster.size(), clusterFile);
  if (coreFile) std::fwrite(entries.core.data(), 1, entries.core.size(), coreFile);
}

NodeList zelkova::seedCores(int clusterCount) {
  NodeList cores;
  for (int i = 0; i < numSeedSeqs; ++i) {
    if (initMethod == 1) {
      enumerateSeed(seedSeqs[i], cores, clusterCount, true);
      if (!cfg.forwardOnly) enumerateSeed(seedSeqs[i], cores, clusterCount, false);
    } else if (initMethod == 2) {
      enumerateSeedMismatch(seedSeqs[i], cores, clusterCount, true);
      if (!cfg.forwardOnly) enumerateSeedMismatch(seedSeqs[i], cores, clusterCount, false);
    }
  }
  seedIndex.reset();
  return cores;
}

InitialClusters zelkova::initializeClusters(int clusterCount) {
  InitialClusters init;
  progress.print("Initializing %d clusters...", clusterCount);
  progress.flush();
  SideFile coreFile(cfg.initCoreFile, progress);
  init.cores = seedCores(clusterCount);
  for (std::size_t c = 0; c < init.cores.size(); ++c) init.clusters.push_back(newMotif());
  progress.print("Scanning remaining sequences...");
  progress.flush();
  if (numSeedSeqs < util.GetNumSeq()) scanClusters(init.cores, init.clusters);
  progress.print("DONE.\n");
  SideFile clusterFile(cfg.initClusterFile, progress);
  for (std::size_t c = 0; c < init.cores.size(); ++c)
    writeSideEntries(sideEntries(*init.cores[c], *init.clusters[c], coreFile.stream(), clusterFile.stream()),
                     coreFile.stream(), clusterFile.stream());
  clusterFile.close();
  coreFile.close();
  return init;
}

// The clusters are grown, written to the side files, refined and offered to
// the candidate list a few at a time, so that only as many clusters as there
// are threads are held at once: grown and refined in parallel, written and
// offered in cluster order, which gives the files and the candidate list of
// building every cluster first. A cluster whose counting would stop the run
// (a window with other letters) stops it, as building them all first would,
// before "DONE." and before initcluster.txt exists: then they are all built
// first.
void zelkova::growAndRefineClusters(int clusterCount) {
  progress.print("Initializing %d clusters...", clusterCount);
  progress.flush();
  SideFile coreFile(cfg.initCoreFile, progress);
  NodeList cores = seedCores(clusterCount);
  progress.print("Scanning remaining sequences...");
  progress.flush();
  const bool scanned = numSeedSeqs < util.GetNumSeq();
  std::unique_ptr<ClusterScan> scan;
  if (scanned) {
    scan = std::make_unique<ClusterScan>(util, cfg.forwardOnly, maxMismatch, cores, *cfg.numThreads);
    for (const NodePtr& core : cores)
      if (scan->holdsOtherLetters(*core)) {
        NodeList clusters;
        for (std::size_t c = 0; c < cores.size(); ++c) clusters.push_back(newMotif());
        scanClusters(cores, clusters);  // stops the run at the first such cluster
        ZK_ASSERT(false);
      }
  }
  progress.print("DONE.\n");
  SideFile clusterFile(cfg.initClusterFile, progress);
  std::vector<SideEntries> entries(cores.size());
  std::vector<NodePtr> refined(cores.size());
  auto grow = [&](std::size_t c) {
    NodePtr cluster = newMotif();
    if (scanned) scan->grow(*cores[c], *cluster);
    cluster->computeInformation();
    cluster->computeMAP();
    entries[c] = sideEntries(*cores[c], *cluster, coreFile.stream(), clusterFile.stream());
    refined[c] = divisiveCluster(*cluster, *cores[c]);
    refined[c]->computeInformation();
    refined[c]->computeMAP();
  };
  auto offer = [&](std::size_t c) {
    writeSideEntries(entries[c], coreFile.stream(), clusterFile.stream());
    // Assigning an empty string would keep the buffer; swapping frees it.
    std::string().swap(entries[c].core);
    std::string().swap(entries[c].cluster);
    cores[c].reset();
    progress.print("Branching cluster #%d\n", static_cast<int>(c + 1));
    progress.clusterDone(static_cast<int>(c + 1), static_cast<int>(cores.size()));
    saveCandidateMotif(std::move(refined[c]));
  };
  parallelPipeline(*cfg.numThreads, cores.size(), grow, offer, clustersAhead(scan.get(), cores, *cfg.numThreads));
  clusterFile.close();
  coreFile.close();
}
