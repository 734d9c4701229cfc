// Initial clusters: the seed motifs become core motifs, and a scan of every
// input window around their sites gives each its cluster motif.
#include <algorithm>
#include <cmath>

#include "clust.h"
#include "parallel.h"
#include "stretch_index.h"

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
    } catch (const output_file::WriteError&) {
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
    } catch (const output_file::WriteError&) {
      warn();
    }
    file_.reset();
  }

 private:
  void warn() const { progress_.print("Warning: cannot write %s.\n", name_.c_str()); }

  const ProgressSink& progress_;
  std::string name_;
  std::optional<output_file::OutputFile> file_;
};

// The sites of a core motif prepared for the distance test of the scan. The
// test asks whether any site lies within the allowance, so the order of the
// sites does not matter.
struct CoreWords {
  std::vector<words::Code> codes;     // sites made of A, C, G, T
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
  bool matches(bool acgt, words::Code code, const char* text, int L, int maxMismatch) const {
    if (acgt) {
      for (words::Code c : codes)
        if (words::hamming(c, code) <= maxMismatch) return true;
    } else {
      char word[MAX_MOTIF_LEN + 1];
      for (words::Code c : codes) {
        words::unpack(c, L, word);
        if (hammingDist(word, text, L) <= maxMismatch) return true;
      }
    }
    for (const char* other : others)
      if (hammingDist(other, text, L) <= maxMismatch) return true;
    return false;
  }
};

// Groups of whole sequences holding about `windows` windows each.
std::vector<std::pair<int, int>> sequenceBlocks(const SequenceSet& seqs, int windows) {
  std::vector<std::pair<int, int>> blocks;
  int first = 0;
  int count = 0;
  for (int s = 0; s < seqs.numSeq(); ++s) {
    count += seqs[static_cast<std::size_t>(s)].numWindows(seqs.L());
    if (count >= windows) {
      blocks.emplace_back(first, s + 1);
      first = s + 1;
      count = 0;
    }
  }
  if (first < seqs.numSeq()) blocks.emplace_back(first, seqs.numSeq());
  return blocks;
}

}  // namespace

// Every window is tested against every core motif. The input is cut into
// blocks of sequences that are scanned in parallel, each block against all core
// motifs while its windows are in the cache; each cluster then takes the sites
// found in the blocks in block order, which is the order of a scan of the
// whole input window by window.
void zelkova::scanClustersByBlocks(const NodeList& cores, NodeList& clusters) const {
  const int L = util.GetL();
  std::vector<CoreWords> coreWords;
  for (const NodePtr& core : cores) coreWords.emplace_back(*core);
  const std::vector<std::pair<int, int>> blocks = sequenceBlocks(util.seqs, 1 << 15);
  std::vector<std::vector<std::vector<Site>>> found(blocks.size(), std::vector<std::vector<Site>>(cores.size()));
  parallelFor(*cfg.numThreads, blocks.size(), [&](std::size_t b) {
    for (int s = blocks[b].first; s < blocks[b].second; ++s) {
      const seqRecord& rec = util.seqs[static_cast<std::size_t>(s)];
      forEachValidStretch(rec, L, [&](int p, int r) {
        for (std::size_t c = 0; c < cores.size(); ++c) {
          if (coreWords[c].matches(rec.fwdAcgt[p], rec.fwdCode[p], rec.seq.data() + p, L, maxMismatch))
            found[b][c].push_back(util.seqs.siteAt(s, p, true));
          if (!cfg.forwardOnly &&
              coreWords[c].matches(rec.revAcgt[r], rec.revCode[r], rec.revSeq.data() + r, L, maxMismatch))
            found[b][c].push_back(util.seqs.siteAt(s, r, false));
        }
      });
    }
  });
  parallelFor(*cfg.numThreads, clusters.size(), [&](std::size_t c) {
    node& cluster = *clusters[c];
    std::size_t total = 0;
    for (const auto& block : found) total += block[c].size();
    cluster.get_hits().reserve(total);
    for (auto& block : found) {
      for (const Site& site : block[c]) cluster.addSite(site);
      std::vector<Site>().swap(block[c]);
    }
  });
}

namespace {

// Scan order of a window: stretch by stretch, the forward window first.
std::uint64_t scanKey(int seqIdx, int pos, bool forward) {
  return (static_cast<std::uint64_t>(seqIdx) << 33) | (static_cast<std::uint64_t>(pos) << 1) | (forward ? 0u : 1u);
}

}  // namespace

// The windows of a cluster are the windows within the allowance of a core
// site: for words of A, C, G, T the neighbours of the sites, looked up in the
// index; the few stretches holding other letters are tested as the scan tests
// them. Sorted into scan order, they are the sites the scan finds.
void zelkova::scanClustersByIndex(const NodeList& cores, NodeList& clusters) const {
  std::vector<int> all(static_cast<std::size_t>(util.GetNumSeq()));
  for (std::size_t s = 0; s < all.size(); ++s) all[s] = static_cast<int>(s);
  const StretchIndex index(util.seqs, all);
  const int L = util.GetL();
  parallelFor(*cfg.numThreads, cores.size(), [&](std::size_t c) {
    const CoreWords core(*cores[c]);
    ZK_ASSERT(core.others.empty());  // a core motif is counted, so its sites are A, C, G, T
    std::vector<words::Code> near;
    for (words::Code code : core.codes)
      word_index::forEachNeighbour(code, L, maxMismatch, [&near](words::Code w) { near.push_back(w); });
    std::sort(near.begin(), near.end());
    near.erase(std::unique(near.begin(), near.end()), near.end());
    std::vector<std::uint64_t> keys;
    for (words::Code w : near)
      index.forEachEqual(w, cfg.forwardOnly, [&keys](const StretchHit& h) { keys.push_back(scanKey(h.list, h.pos, h.forward)); });
    for (const StretchHit& h : index.others()) {
      const seqRecord& rec = util.seqs[static_cast<std::size_t>(h.list)];
      const int r = rec.numWindows(L) - 1 - h.pos;
      if (core.matches(rec.fwdAcgt[h.pos], rec.fwdCode[h.pos], rec.seq.data() + h.pos, L, maxMismatch))
        keys.push_back(scanKey(h.list, h.pos, true));
      if (!cfg.forwardOnly && core.matches(rec.revAcgt[r], rec.revCode[r], rec.revSeq.data() + r, L, maxMismatch))
        keys.push_back(scanKey(h.list, h.pos, false));
    }
    std::sort(keys.begin(), keys.end());
    node& cluster = *clusters[c];
    cluster.get_hits().reserve(keys.size());
    for (std::uint64_t key : keys) {
      const int s = static_cast<int>(key >> 33);
      const int p = static_cast<int>((key >> 1) & 0xffffffffu);
      const bool forward = (key & 1u) == 0;
      const int W = util.seqs[static_cast<std::size_t>(s)].numWindows(L);
      cluster.addSite(util.seqs.siteAt(s, forward ? p : W - 1 - p, forward));
    }
  });
}

// The scan tests every window against the sites until one is near enough; the
// index looks up every neighbour of every site and sorts what it finds. Each
// cost is estimated from the fraction of all words near one site.
bool zelkova::clustersByIndex(const NodeList& cores) const {
  const int L = util.GetL();
  double stretches = 0.0;
  for (const seqRecord& rec : util.seqs.records()) stretches += rec.numWindows(L);
  const double windows = stretches * (cfg.forwardOnly ? 1.0 : 2.0);
  const double nearFraction = word_index::neighbourhoodSize(L, maxMismatch) / std::pow(4.0, L);
  const double lookup = StretchIndex::lookupCost(L, maxMismatch, static_cast<std::size_t>(stretches));
  double scanCost = 0.0;
  double indexCost = stretches * std::log2(stretches + 2.0);  // building the index
  for (const NodePtr& core : cores) {
    const double sites = core->getHitCount();
    const double found = windows * std::min(1.0, sites * nearFraction);
    scanCost += windows * std::min(sites, 1.0 / nearFraction);
    indexCost += sites * lookup + found * std::log2(found + 2.0);
  }
  return indexCost < scanCost;
}

void zelkova::scanClusters(const NodeList& cores, NodeList& clusters) const {
  if (clustersByIndex(cores))
    scanClustersByIndex(cores, clusters);
  else
    scanClustersByBlocks(cores, clusters);
  parallelFor(*cfg.numThreads, clusters.size(), [&](std::size_t c) {
    clusters[c]->computeInformation();
    clusters[c]->computeMAP();
  });
}

void zelkova::writeSideFiles(const InitialClusters& init, std::FILE* coreFile, std::FILE* clusterFile) const {
  for (std::size_t c = 0; c < init.cores.size(); ++c) {
    if (clusterFile) {
      const node& cluster = *init.clusters[c];
      std::fprintf(clusterFile, "Number of sites %d\n", cluster.getHitCount());
      std::fprintf(clusterFile, "MAP score %.6lf\n", cluster.getMAP());
      cluster.showHits(clusterFile, util.seqs);
      std::fputs("====================", clusterFile);
    }
    if (coreFile) {
      init.cores[c]->showHits(coreFile, util.seqs);
      std::fputs("===================\n", coreFile);
    }
  }
}

InitialClusters zelkova::initializeClusters(int clusterCount) {
  InitialClusters init;
  progress.print("Initializing %d clusters...", clusterCount);
  progress.flush();
  SideFile coreFile(cfg.initCoreFile, progress);
  for (int i = 0; i < numSeedSeqs; ++i) {
    if (initMethod == 1) {
      enumerateSeed(seedSeqs[i], init.cores, clusterCount, true);
      if (!cfg.forwardOnly) enumerateSeed(seedSeqs[i], init.cores, clusterCount, false);
    } else if (initMethod == 2) {
      enumerateSeedMismatch(seedSeqs[i], init.cores, clusterCount, true);
      if (!cfg.forwardOnly) enumerateSeedMismatch(seedSeqs[i], init.cores, clusterCount, false);
    }
  }
  seedIndex.reset();
  for (std::size_t c = 0; c < init.cores.size(); ++c) init.clusters.push_back(newMotif());
  progress.print("Scanning remaining sequences...");
  progress.flush();
  if (numSeedSeqs < util.GetNumSeq()) scanClusters(init.cores, init.clusters);
  progress.print("DONE.\n");
  SideFile clusterFile(cfg.initClusterFile, progress);
  // The side files list every site with its score against its own motif.
  if (coreFile.stream())
    for (NodePtr& core : init.cores) core->scoreSites();
  if (clusterFile.stream())
    for (NodePtr& cluster : init.clusters) cluster->scoreSites();
  writeSideFiles(init, coreFile.stream(), clusterFile.stream());
  clusterFile.close();
  coreFile.close();
  return init;
}
