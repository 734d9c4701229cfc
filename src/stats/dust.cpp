#include "stats/dust.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>

#include "base/errors.h"
#include "base/parallel.h"
#include "base/words.h"

namespace stats {

namespace {

// A score r / d kept as its two whole numbers, so that comparisons are exact:
// r = sum of c (c - 1) / 2, d = triplets - 1. A single triplet scores 0 / 1.
struct Score {
  std::int64_t pairs = 0;
  std::int64_t denominator = 1;
};

bool above(const Score& a, const Score& b) { return a.pairs * b.denominator > b.pairs * a.denominator; }

bool aboveLevel(const Score& s, int level) { return 10 * s.pairs > static_cast<std::int64_t>(level) * s.denominator; }

constexpr Score kNone{-1, 1};  // below every score

void checkSettings(const DustSettings& s) {
  ZK_CHECK(s.window >= 4, "the DUST window is at least 4 letters");
  ZK_CHECK(s.level >= 1, "the DUST level is at least 1");
}

// Marks the perfect intervals of one stretch of A, C, G and T letters
// (`codes`: the triplet starting at each letter, as a number below 64) in
// `mask`, whose index 0 is the stretch's first letter.
//
// Triplet intervals are taken by their last triplet i and, for each, by their
// first triplet j from i down to the window's reach. [j, i] is perfect when
// it scores above the level and no perfect interval inside it scores more:
// should any stretch inside [j, i] score more, the best-scoring one is itself
// perfect (it scores above the level and nothing inside it scores more), and
// it either ends at i (met earlier in this pass) or ends before i (met in an
// earlier pass, remembered by its first triplet in bestFrom). So the pass
// needs only the best perfect score seen inside [j, i], never all its parts.
void markStretch(const std::vector<int>& codes, const DustSettings& s, std::vector<bool>& mask, std::size_t offset) {
  const std::size_t triplets = codes.size();
  const std::size_t reach = static_cast<std::size_t>(s.window - 2);  // triplets in a window
  std::vector<Score> bestFrom(triplets, kNone);  // best perfect interval starting at each triplet, so far
  std::array<int, 64> counts{};
  for (std::size_t i = 0; i < triplets; ++i) {
    counts.fill(0);
    Score score{0, 0};
    Score inside = kNone;
    std::size_t widest = triplets;  // first triplet of the longest perfect interval ending at i
    for (std::size_t j = i + 1; j-- > 0 && i - j < reach;) {
      score.pairs += counts[static_cast<std::size_t>(codes[j])]++;
      const Score current{score.pairs, std::max<std::int64_t>(static_cast<std::int64_t>(i - j), 1)};
      if (above(bestFrom[j], inside)) inside = bestFrom[j];
      if (!aboveLevel(current, s.level) || above(inside, current)) continue;
      widest = j;
      inside = current;
      if (above(current, bestFrom[j])) bestFrom[j] = current;
    }
    if (widest == triplets) continue;
    for (std::size_t k = widest; k < i + 3; ++k) mask[offset + k] = true;
  }
}

}  // namespace

std::vector<bool> lowComplexityMask(const std::string& letters, const DustSettings& settings) {
  checkSettings(settings);
  std::vector<bool> mask(letters.size(), false);
  std::size_t start = 0;
  while (start < letters.size()) {
    std::size_t end = start;
    while (end < letters.size() && base::baseIndex(letters[end]) >= 0) ++end;
    if (end - start >= 3) {
      std::vector<int> codes(end - start - 2);
      for (std::size_t k = 0; k < codes.size(); ++k) {
        const std::size_t at = start + k;
        codes[k] =
            16 * base::baseIndex(letters[at]) + 4 * base::baseIndex(letters[at + 1]) + base::baseIndex(letters[at + 2]);
      }
      markStretch(codes, settings, mask, start);
    }
    start = end + 1;
  }
  return mask;
}

long long maskLowComplexity(std::string& letters, const DustSettings& settings) {
  const std::vector<bool> mask = lowComplexityMask(letters, settings);
  long long masked = 0;
  for (std::size_t start = 0; start < mask.size();) {
    if (!mask[start]) {
      ++start;
      continue;
    }
    std::size_t end = start;
    while (end < mask.size() && mask[end]) ++end;
    if (end - start >= static_cast<std::size_t>(std::max(settings.shortestStretch, 1)))
      for (std::size_t k = start; k < end; ++k) {
        if (letters[k] == 'N') continue;
        letters[k] = 'N';
        ++masked;
      }
    start = end;
  }
  return masked;
}

long long maskLowComplexity(std::vector<FastaRecord>& records, const DustSettings& settings, int threads) {
  checkSettings(settings);
  std::vector<long long> masked(records.size(), 0);
  parallelFor(threads, records.size(),
              [&](std::size_t r) { masked[r] = maskLowComplexity(records[r].letters, settings); });
  return std::accumulate(masked.begin(), masked.end(), 0LL);
}

}  // namespace stats
