#include "discover/sites/site_pvalues.h"

#include <array>
#include <cmath>

#include "base/errors.h"
#include "base/words.h"

namespace discover {

namespace {

stats::ScoringMatrix forwardMatrix(const formats::Motif& motif, const stats::Background& background) {
  return stats::ScoringMatrix(stats::siteProbabilities(motif, background, stats::kDefaultMatrixPseudocount),
                              background);
}

}  // namespace

SitePValues::SitePValues(const formats::Motif& motif, const stats::Background& background)
    : forward_(forwardMatrix(motif, background)),
      reverse_(forward_.reverseComplement()),
      forwardTail_(forward_, background, forward_.worst()),
      reverseTail_(reverse_, background, reverse_.worst()) {}

double SitePValues::log10P(const std::string& word, bool forward) const {
  ZK_ASSERT(static_cast<int>(word.size()) == width());
  // The word read on the reverse strand scores under the forward matrix what
  // the letters of the sequence score under the reverse one: the same cells,
  // summed in another order.
  int score = 0;
  for (int i = 0; i < width(); ++i) {
    const int base = base::baseIndex(word[static_cast<std::size_t>(i)]);
    ZK_ASSERT(base >= 0);
    score += forward_.cell(i, base);
  }
  return std::log10((forward ? forwardTail_ : reverseTail_).atLeast(score));
}

}  // namespace discover
