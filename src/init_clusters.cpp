// Initial clusters: the seed motifs become core motifs, and a scan of every
// input window around their sites gives each its cluster motif.
#include "clust.h"
#include "parallel.h"

namespace {

// A side file that cannot be created is reported once and skipped: the report
// is the run's main output.
std::FILE* openSideFile(const std::optional<std::string>& name, const ProgressSink& progress) {
  if (!name) return nullptr;
  std::FILE* f = std::fopen(name->c_str(), "w");
  if (!f) progress.print("Warning: cannot write %s.\n", name->c_str());
  return f;
}

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
void zelkova::scanClusters(const NodeList& cores, NodeList& clusters) const {
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
    cluster.computeInformation();
    cluster.computeMAP();
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
  std::FILE* coreFile = openSideFile(cfg.initCoreFile, progress);
  for (int i = 0; i < numSeedSeqs; ++i) {
    if (initMethod == 1) {
      enumerateSeed(seedSeqs[i], init.cores, clusterCount, true);
      if (!cfg.forwardOnly) enumerateSeed(seedSeqs[i], init.cores, clusterCount, false);
    } else if (initMethod == 2) {
      enumerateSeedMismatch(seedSeqs[i], init.cores, clusterCount, true);
      if (!cfg.forwardOnly) enumerateSeedMismatch(seedSeqs[i], init.cores, clusterCount, false);
    }
  }
  for (std::size_t c = 0; c < init.cores.size(); ++c) init.clusters.push_back(newMotif());
  progress.print("Scanning remaining sequences...");
  progress.flush();
  if (numSeedSeqs < util.GetNumSeq()) scanClusters(init.cores, init.clusters);
  progress.print("DONE.\n");
  std::FILE* clusterFile = openSideFile(cfg.initClusterFile, progress);
  // The side files list every site with its score against its own motif.
  if (coreFile)
    for (NodePtr& core : init.cores) core->scoreSites();
  if (clusterFile)
    for (NodePtr& cluster : init.clusters) cluster->scoreSites();
  writeSideFiles(init, coreFile, clusterFile);
  if (clusterFile) std::fclose(clusterFile);
  if (coreFile) std::fclose(coreFile);
  return init;
}
