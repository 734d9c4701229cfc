// Initial clusters: the seed motifs become core motifs, and a scan of every
// input window around their sites gives each its cluster motif.
#include <cstring>

#include "clust.h"
#include "parallel.h"

namespace {

// A side file that cannot be created is reported once and skipped: the report
// is the run's main output.
std::FILE* openSideFile(const char* name) {
  std::FILE* f = std::fopen(name, "w");
  if (!f) std::printf("Warning: cannot write %s.\n", name);
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

}  // namespace

void zelkova::scanCluster(const node& core, node& cluster) const {
  const int L = util->GetL();
  const CoreWords coreWords(core);
  for (int s = 0; s < util->GetNumSeq(); ++s) {
    const seqRecord& rec = util->seqs[static_cast<std::size_t>(s)];
    const int W = rec.numWindows(L);
    for (int p = 0; p < W; ++p) {
      if (util->maskingLow && !rec.fwdValid[p]) continue;
      if (coreWords.matches(rec.fwdAcgt[p], rec.fwdCode[p], rec.seq.data() + p, L, maxMismatch))
        cluster.addSite(util->siteAt(s, p, true));
      const int r = W - 1 - p;  // the same stretch on the reverse strand
      if (!forwardOnly &&
          coreWords.matches(rec.revAcgt[r], rec.revCode[r], rec.revSeq.data() + r, L, maxMismatch))
        cluster.addSite(util->siteAt(s, r, false));
    }
  }
  cluster.computeInformation(util);
  cluster.computeMAP(util);
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
  std::FILE* coreFile = openSideFile("initcore.txt");
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
  if (numSeedSeqs < util->GetNumSeq()) {
    parallelFor(numThreads, init.cores.size(),
                [&](std::size_t c) { scanCluster(*init.cores[c], *init.clusters[c]); });
  }
  std::printf("DONE.\n");
  std::FILE* clusterFile = openSideFile("initcluster.txt");
  writeSideFiles(init, coreFile, clusterFile);
  if (clusterFile) std::fclose(clusterFile);
  if (coreFile) std::fclose(coreFile);
  return init;
}
