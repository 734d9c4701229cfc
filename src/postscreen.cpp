// Post-screening: every candidate gains all input windows that reach the
// scanning threshold, then loses every site that no longer does.
#include "clust.h"
#include "window_threshold.h"
#include "parallel.h"


// The windows found are noted compactly first and turned into sites once
// their number is known, so the site list grows only once.
void zelkova::extendByScan(node& motif) const {
  const int L = util.GetL();
  const WindowThreshold test(motif, scanThreshold);
  std::vector<std::uint64_t> found;  // sequence, strand position, strand, in scan order
  auto note = [&found](int s, int pos, bool forward) {
    found.push_back((static_cast<std::uint64_t>(s) << 33) | (static_cast<std::uint64_t>(pos) << 1) |
                    (forward ? 1u : 0u));
  };
  for (int s = 0; s < util.GetNumSeq(); ++s) {
    const seqRecord& rec = util.seqs[static_cast<std::size_t>(s)];
    forEachValidStretch(rec, L, [&](int p, int r) {
      if (rec.fwdAcgt[p] ? test.passes(rec.fwdCode[p])
                         : static_cast<float>(motif.miSscoreNorm(rec.seq.data() + p)) >= scanThreshold)
        note(s, p, true);
      if (cfg.forwardOnly) return;
      if (rec.revAcgt[r] ? test.passes(rec.revCode[r])
                         : static_cast<float>(motif.miSscoreNorm(rec.revSeq.data() + r)) >= scanThreshold)
        note(s, r, false);
    });
  }
  motif.get_hits().reserve(motif.get_hits().size() + found.size());
  for (std::uint64_t f : found)
    motif.addSite(util.seqs.siteAt(static_cast<int>(f >> 33), static_cast<int>((f >> 1) & 0xffffffffu), (f & 1u) != 0));
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
