// Post-screening: every candidate gains all input windows that reach the
// scanning threshold, then loses every site that no longer does.
#include "clust.h"
#include "parallel.h"

void zelkova::extendByScan(node& motif) const {
  const int L = util.GetL();
  for (int s = 0; s < util.GetNumSeq(); ++s) {
    const seqRecord& rec = util.seqs[static_cast<std::size_t>(s)];
    forEachValidStretch(rec, L, [&](int p, int r) {
      const float fwd = static_cast<float>(
          rec.fwdAcgt[p] ? motif.miSscoreNormCode(rec.fwdCode[p]) : motif.miSscoreNorm(rec.seq.data() + p));
      if (fwd >= scanThreshold) motif.addSite(util.seqs.siteAt(s, p, true));
      if (cfg.forwardOnly) return;
      const float rev = static_cast<float>(
          rec.revAcgt[r] ? motif.miSscoreNormCode(rec.revCode[r]) : motif.miSscoreNorm(rec.revSeq.data() + r));
      if (rev >= scanThreshold) motif.addSite(util.seqs.siteAt(s, r, false));
    });
  }
}

// Each motif is extended and pruned on its own, so the motifs are processed in
// parallel; the extension of every motif ends before any pruning starts.
void zelkova::postScreen() {
  parallelFor(*cfg.numThreads, candMotifs.size(), [this](std::size_t i) {
    node& m = *candMotifs[i];
    // A motif that never held a site has no model to score windows against.
    if (m.getHitCount() == 0) return;
    m.computeInformation();
    extendByScan(m);
    m.computeInformation();
    m.computeMAP();
  });
  parallelFor(*cfg.numThreads, candMotifs.size(), [this](std::size_t i) {
    node& m = *candMotifs[i];
    m.scoreSites();
    m.get_hits().remove_if([this](const Site& s) { return s.score < scanThreshold; });
    m.computeInformation();
    m.computeMAP();
  });
  progress.print("DONE.\n");
}
