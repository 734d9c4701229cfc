// Initial clusters: the seed motifs become core motifs, and a scan of every
// input window around their sites gives each its cluster motif.
#include <cstring>

#include "clust.h"
#include "parallel.h"

namespace {

// A side file that cannot be created, or fails part-way, is reported once and
// skipped: the report is the run's main output. Like the report, it keeps
// what was written when the run stops part-way.
class SideFile {
 public:
  explicit SideFile(const char* name) : name_(name) {
    try {
      file_.emplace(name);
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
  void warn() const { std::printf("Warning: cannot write %s.\n", name_); }

  const char* name_;
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
std::vector<std::pair<int, int>> sequenceBlocks(const Utilities& util, int windows) {
  std::vector<std::pair<int, int>> blocks;
  int first = 0;
  int count = 0;
  for (int s = 0; s < util.GetNumSeq(); ++s) {
    count += util.seqs[static_cast<std::size_t>(s)].numWindows(util.GetL());
    if (count >= windows) {
      blocks.emplace_back(first, s + 1);
      first = s + 1;
      count = 0;
    }
  }
  if (first < util.GetNumSeq()) blocks.emplace_back(first, util.GetNumSeq());
  return blocks;
}

}  // namespace

// Every window is tested against every core motif. The input is cut into
// blocks of sequences that are scanned in parallel, each block against all core
// motifs while its windows are in the cache; each cluster then takes the sites
// found in the blocks in block order, which is the order of a scan of the
// whole input window by window.
void zelkova::scanClusters(const NodeList& cores, NodeList& clusters) const {
  const int L = util->GetL();
  std::vector<CoreWords> coreWords;
  for (const NodePtr& core : cores) coreWords.emplace_back(*core);
  const std::vector<std::pair<int, int>> blocks = sequenceBlocks(*util, 1 << 15);
  std::vector<std::vector<std::vector<Site>>> found(blocks.size(), std::vector<std::vector<Site>>(cores.size()));
  parallelFor(numThreads, blocks.size(), [&](std::size_t b) {
    for (int s = blocks[b].first; s < blocks[b].second; ++s) {
      const seqRecord& rec = util->seqs[static_cast<std::size_t>(s)];
      const int W = rec.numWindows(L);
      for (int p = 0; p < W; ++p) {
        if (util->maskingLow && !rec.fwdValid[p]) continue;
        const int r = W - 1 - p;  // the same stretch on the reverse strand
        for (std::size_t c = 0; c < cores.size(); ++c) {
          if (coreWords[c].matches(rec.fwdAcgt[p], rec.fwdCode[p], rec.seq.data() + p, L, maxMismatch))
            found[b][c].push_back(util->siteAt(s, p, true));
          if (!forwardOnly &&
              coreWords[c].matches(rec.revAcgt[r], rec.revCode[r], rec.revSeq.data() + r, L, maxMismatch))
            found[b][c].push_back(util->siteAt(s, r, false));
        }
      }
    }
  });
  parallelFor(numThreads, clusters.size(), [&](std::size_t c) {
    node& cluster = *clusters[c];
    std::size_t total = 0;
    for (const auto& block : found) total += block[c].size();
    cluster.get_hits().reserve(total);
    for (auto& block : found) {
      for (const Site& site : block[c]) cluster.addSite(site);
      std::vector<Site>().swap(block[c]);
    }
    cluster.computeInformation(util);
    cluster.computeMAP(util);
  });
}

void zelkova::writeSideFiles(const InitialClusters& init, std::FILE* coreFile, std::FILE* clusterFile) const {
  for (std::size_t c = 0; c < init.cores.size(); ++c) {
    if (clusterFile) {
      node& cluster = *init.clusters[c];
      std::fprintf(clusterFile, "Number of sites %d\n", cluster.getHitCount());
      std::fprintf(clusterFile, "MAP score %.6lf\n", cluster.getMAP());
      cluster.showHits(clusterFile, util);
      std::fputs("====================", clusterFile);
    }
    if (coreFile) {
      init.cores[c]->showHits(coreFile, util);
      std::fputs("===================\n", coreFile);
    }
  }
}

InitialClusters zelkova::initializeClusters(int clusterCount) {
  InitialClusters init;
  std::printf("Initializing %d clusters...", clusterCount);
  std::fflush(stdout);
  SideFile coreFile(kInitCoreFile);
  for (int i = 0; i < numSeedSeqs; ++i) {
    if (initMethod == 1) {
      enumerateSeed(seedSeqs[i], init.cores, clusterCount, true);
      if (!forwardOnly) enumerateSeed(seedSeqs[i], init.cores, clusterCount, false);
    } else if (initMethod == 2) {
      enumerateSeedMismatch(seedSeqs[i], init.cores, clusterCount, true);
      if (!forwardOnly) enumerateSeedMismatch(seedSeqs[i], init.cores, clusterCount, false);
    }
  }
  for (std::size_t c = 0; c < init.cores.size(); ++c) init.clusters.push_back(std::make_unique<node>());
  std::printf("Scanning remaining sequences...");
  std::fflush(stdout);
  if (numSeedSeqs < util->GetNumSeq()) scanClusters(init.cores, init.clusters);
  std::printf("DONE.\n");
  SideFile clusterFile(kInitClusterFile);
  writeSideFiles(init, coreFile.stream(), clusterFile.stream());
  clusterFile.close();
  coreFile.close();
  return init;
}
