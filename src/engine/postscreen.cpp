// Post-screening: every candidate gains all input windows that reach the
// scanning threshold, then loses every site that no longer does.
#include <algorithm>

#include "base/parallel.h"
#include "engine/clust.h"
#include "engine/window_threshold.h"

namespace {

// A window noted while scanning: sequence, stretch (forward position), strand,
// ordered as the scan meets them.
std::uint64_t stretchKey(int seqIdx, int stretch, bool forward) {
  return (static_cast<std::uint64_t>(seqIdx) << 33) | (static_cast<std::uint64_t>(stretch) << 1) | (forward ? 0u : 1u);
}

}  // namespace

// The windows found are noted compactly first and turned into sites once
// their number is known, so the site list grows only once.
void zelkova::extendByScan(node& motif, const StretchIndex* index) const {
  const int L = util.GetL();
  const WindowThreshold test(motif, scanThreshold);
  std::vector<std::uint64_t> found;
  if (!index || !findPassingWindows(motif, test, *index, found)) {
    for (int s = 0; s < util.GetNumSeq(); ++s) {
      const seqRecord& rec = util.seqs[static_cast<std::size_t>(s)];
      forEachValidStretch(rec, L, [&](int p, int r) {
        if (rec.fwdAcgt[p] ? test.passes(rec.fwdCode[p])
                           : static_cast<float>(motif.miSscoreNorm(rec.seq.data() + p)) >= scanThreshold)
          found.push_back(stretchKey(s, p, true));
        if (cfg.forwardOnly) return;
        if (rec.revAcgt[r] ? test.passes(rec.revCode[r])
                           : static_cast<float>(motif.miSscoreNorm(rec.revSeq.data() + r)) >= scanThreshold)
          found.push_back(stretchKey(s, p, false));
      });
    }
  }
  motif.get_hits().reserve(motif.get_hits().size() + found.size());
  for (std::uint64_t f : found) {
    const int s = static_cast<int>(f >> 33);
    const int p = static_cast<int>((f >> 1) & 0xffffffffu);
    const bool forward = (f & 1u) == 0;
    motif.addSite(
        util.seqs.siteAt(s, forward ? p : util.seqs[static_cast<std::size_t>(s)].numWindows(L) - 1 - p, forward));
  }
}

// The windows that reach the threshold, found from the other side: every word
// of A, C, G, T that passes, looked up in the index of the input's words, and
// the few stretches with other letters tested as the scan tests them; sorted
// into scan order. False, with nothing found, when there are too many
// passing words for this to pay.
bool zelkova::findPassingWindows(const node& motif, const WindowThreshold& test, const StretchIndex& index,
                                 std::vector<std::uint64_t>& found) const {
  const int L = util.GetL();
  std::size_t windows = 0;
  for (const seqRecord& rec : util.seqs.records()) windows += static_cast<std::size_t>(rec.numWindows(L));
  const bool complete = test.forEachPassingWord(windows / 16 + 1024, [&](base::WordCode w) {
    index.forEachEqual(w, cfg.forwardOnly,
                       [&found](const StretchHit& h) { found.push_back(stretchKey(h.list, h.pos, h.forward)); });
  });
  if (!complete) {
    found.clear();
    return false;
  }
  for (const StretchHit& h : index.others()) {
    const seqRecord& rec = util.seqs[static_cast<std::size_t>(h.list)];
    const int r = rec.numWindows(L) - 1 - h.pos;
    if (static_cast<float>(motif.miSscoreNorm(rec.seq.data() + h.pos)) >= scanThreshold)
      found.push_back(stretchKey(h.list, h.pos, true));
    if (!cfg.forwardOnly && static_cast<float>(motif.miSscoreNorm(rec.revSeq.data() + r)) >= scanThreshold)
      found.push_back(stretchKey(h.list, h.pos, false));
  }
  std::sort(found.begin(), found.end());
  return true;
}

// Each motif is extended and pruned on its own, so the motifs are processed in
// parallel; the extension of every motif ends before any pruning starts.
// The windows reaching a motif's threshold are looked up in an index of the
// input's words, when it is one of direct lookups, rather than tested one by
// one: building it costs one pass over the input, testing one pass per motif.
void zelkova::postScreen() {
  std::unique_ptr<StretchIndex> index;
  if (engine::WordIndex::denseFor(util.GetL(), static_cast<std::size_t>(util.GetFullDP()))) {
    std::vector<int> all(static_cast<std::size_t>(util.GetNumSeq()));
    for (std::size_t s = 0; s < all.size(); ++s) all[s] = static_cast<int>(s);
    index = std::make_unique<StretchIndex>(util.seqs, all, *cfg.numThreads);
  }
  parallelFor(*cfg.numThreads, candMotifs.size(), [&](std::size_t i) {
    node& m = *candMotifs[i];
    // A motif that never held a site has no model to score windows against.
    if (m.getHitCount() == 0) return;
    m.computeInformation();
    extendByScan(m, index.get());
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
