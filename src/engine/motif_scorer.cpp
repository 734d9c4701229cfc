#include "engine/motif_scorer.h"

#include "engine/node.h"

MotifScorer::MotifScorer(const std::vector<std::array<long long, 4>>& counts)
    : context_(std::make_unique<MotifContext>()) {
  const int width = static_cast<int>(counts.size());
  ZK_ASSERT(width >= 1 && width <= MAX_MOTIF_LEN);
  context_->K = width;
  motif_ = std::make_unique<node>(*context_);
  long long sites = 0;
  for (long long c : counts.front()) sites += c;
  for (int i = 0; i < width; ++i)
    for (int b = 0; b < NUM_BASES; ++b) {
      const long long c = counts[static_cast<std::size_t>(i)][static_cast<std::size_t>(b)];
      ZK_ASSERT(c >= 0 && c <= sites);
      motif_->posCMatrix[b][i] = static_cast<int>(c);
    }
  // The scores depend on the frequencies only, not on the background.
  motif_->computeMatrices(static_cast<int>(sites));
}

MotifScorer::~MotifScorer() = default;
MotifScorer::MotifScorer(MotifScorer&&) noexcept = default;
MotifScorer& MotifScorer::operator=(MotifScorer&&) noexcept = default;

int MotifScorer::width() const { return motif_->K(); }

double MotifScorer::score(const char* word) const { return motif_->miSscoreNorm(word); }

double MotifScorer::scoreCode(base::WordCode code) const { return motif_->miSscoreNormCode(code); }
