// Post-screening: every candidate gains all input windows that reach the
// scanning threshold, then loses every site that no longer does.
#include "clust.h"
#include "parallel.h"

namespace {

// Normalised score of a window's word against a motif.
double windowScore(const node& motif, bool acgt, words::Code code, const char* text) {
  return acgt ? motif.miSscoreNormCode(code) : motif.miSscoreNorm(text);
}

}  // namespace

void zelkova::extendByScan(node& motif) const {
  const int L = util->GetL();
  for (int s = 0; s < util->GetNumSeq(); ++s) {
    const seqRecord& rec = util->seqs[static_cast<std::size_t>(s)];
    const int W = rec.numWindows(L);
    for (int p = 0; p < W; ++p) {
      if (util->maskingLow && !rec.fwdValid[p]) continue;
      const float fwd = static_cast<float>(windowScore(motif, rec.fwdAcgt[p], rec.fwdCode[p], rec.seq.data() + p));
      if (fwd >= scanThreshold) motif.addSite(util->siteAt(s, p, true));
      if (forwardOnly) continue;
      const int r = W - 1 - p;  // the same stretch on the reverse strand
      const float rev =
          static_cast<float>(windowScore(motif, rec.revAcgt[r], rec.revCode[r], rec.revSeq.data() + r));
      if (rev >= scanThreshold) motif.addSite(util->siteAt(s, r, false));
    }
  }
}

// Each motif is extended and pruned on its own, so the motifs are processed in
// parallel; the extension of every motif ends before any pruning starts.
void zelkova::postScreen() {
  parallelFor(numThreads, candMotifs.size(), [this](std::size_t i) {
    node& m = *candMotifs[i];
    // A motif that never held a site has no model to score windows against.
    if (m.getHitCount() == 0) return;
    m.computeInformation(util);
    extendByScan(m);
    m.computeInformation(util);
    m.computeMAP(util);
  });
  parallelFor(numThreads, candMotifs.size(), [this](std::size_t i) {
    node& m = *candMotifs[i];
    for (Site& s : m.get_hits()) s.score = windowScore(m, s.acgt, s.code, s.text);
    m.get_hits().remove_if([this](const Site& s) { return s.score < scanThreshold; });
    m.computeInformation(util);
    m.computeMAP(util);
  });
  std::printf("DONE.\n");
}
