// Post-screening: every candidate gains all input windows that reach the
// scanning threshold, then loses every site that no longer does.
#include <algorithm>
#include <cmath>
#include <limits>

#include "clust.h"
#include "parallel.h"

namespace {

// Whether packed words reach the scanning threshold against a motif, decided
// without dividing: the normalised score falls as the mismatch sum grows, and
// subtraction, division by a constant and rounding to single precision all
// keep order, so the words that reach the threshold are exactly those whose
// sum is at most the largest sum that does. The sum itself starts from a table
// of the sums over the first letters: it is built in position order either
// way, and the table holds exactly the partial sums that order produces, so
// every sum equals the one miSscoreCode adds up.
class ThresholdTest {
 public:
  ThresholdTest(const node& motif, double threshold)
      : motif_(motif), K_(motif.K()), head_(std::min(K_, 7)), largestSum_(largestPassingSum(motif, threshold)) {
    partial_.assign(std::size_t{1} << (2 * head_), 0.0);
    for (std::size_t code = 0; code < partial_.size(); ++code) {
      double score = 0.0;
      for (int i = 0; i < head_; ++i) score += motif.mismatchTerm(i, words::baseAt(code, head_, i));
      partial_[code] = score;
    }
  }

  // The terms are never negative, and adding one never lowers a sum, so a
  // partial sum already beyond the largest passing sum decides.
  bool passes(words::Code code) const {
    double sum = partial_[static_cast<std::size_t>(code >> (2 * (K_ - head_)))];
    for (int i = head_; i < K_ && sum <= largestSum_; ++i) sum += motif_.mismatchTerm(i, words::baseAt(code, K_, i));
    return sum <= largestSum_;
  }

 private:
  static bool reaches(const node& motif, double sum, double threshold) {
    return static_cast<float>(motif.normalise(sum)) >= threshold;
  }

  // The largest sum whose score reaches the threshold (-infinity when none
  // does, +infinity when every one does), found by bisection over the ordered
  // doubles between the motif's bounds.
  static double largestPassingSum(const node& motif, double threshold) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    double low = -1.0;  // sums are never negative
    double high = static_cast<double>(motif.K()) + 1.0;  // nor above K
    if (!reaches(motif, low, threshold)) return -inf;
    if (reaches(motif, high, threshold)) return inf;
    while (std::nextafter(low, high) != high) {
      const double mid = low + (high - low) / 2;
      const double probe = (mid > low && mid < high) ? mid : std::nextafter(low, high);
      if (reaches(motif, probe, threshold))
        low = probe;
      else
        high = probe;
    }
    return low;
  }

  const node& motif_;
  int K_;
  int head_;
  double largestSum_;
  std::vector<double> partial_;
};

}  // namespace

// The windows found are noted compactly first and turned into sites once
// their number is known, so the site list grows only once.
void zelkova::extendByScan(node& motif) const {
  const int L = util.GetL();
  const ThresholdTest test(motif, scanThreshold);
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
