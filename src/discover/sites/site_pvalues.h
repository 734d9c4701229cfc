// The p-value of each site a discovery lists, as zelkova-scan gives it: the
// exact upper tail of the site's log-odds score (bits, on the 0.01-bit grid)
// under the scanner's matrix of the same motif (a pseudo-count of 0.1 sites
// spread by the background, stats/scoring_matrix.h), the letters of a window
// drawn from a 0-order background. The background is that of
// `zelkova-scan --bg sequences` on the primary sequences: their letters
// counted on both strands, 1 added to each count. A site on the reverse
// strand gets the tail of the reverse-strand matrix, as the scanner's does,
// so that every p-value is the scanner's to the last bit.
#pragma once

#include <string>
#include <vector>

#include "formats/fasta.h"
#include "formats/motif.h"
#include "stats/scoring_matrix.h"

namespace discover {

class SitePValues {
 public:
  SitePValues(const formats::Motif& motif, const stats::Background& background);

  int width() const { return forward_.width(); }
  // log10 of the p-value of the window that reads `word` on its strand
  // (`forward`: the sequence's own); the word holds width() letters of A, C,
  // G and T.
  double log10P(const std::string& word, bool forward) const;

 private:
  stats::ScoringMatrix forward_;
  stats::ScoringMatrix reverse_;
  stats::ScoreTail forwardTail_;
  stats::ScoreTail reverseTail_;
};

}  // namespace discover
