#include "stats/matrix_scanner.h"

#include <algorithm>
#include <numeric>

namespace stats {

namespace {

// Letter k (0 = first) of a code of four letters, the first most significant
// (the codes of stats::CodedSequences::quads).
int letterOfQuad(std::size_t code, int k) { return static_cast<int>((code >> (2 * (3 - k))) & 3u); }

struct Block {
  int offset = 0;
  std::vector<int> table;  // by the code of its four letters
  int best = 0;
  double expected = 0;
};

// The block of four columns from `offset`; the columns before `firstNew`
// belong to an earlier block and count 0 here.
Block blockAt(const ScoringMatrix& matrix, const Background& background, int offset, int firstNew) {
  Block block;
  block.offset = offset;
  block.table.assign(256, 0);
  for (int k = firstNew - offset; k < 4; ++k) {
    int top = matrix.cell(offset + k, 0);
    for (int b = 0; b < formats::kBases; ++b) {
      top = std::max(top, matrix.cell(offset + k, b));
      block.expected += background[b] * matrix.cell(offset + k, b);
    }
    block.best += top;
  }
  for (std::size_t code = 0; code < block.table.size(); ++code)
    for (int k = firstNew - offset; k < 4; ++k) block.table[code] += matrix.cell(offset + k, letterOfQuad(code, k));
  return block;
}

}  // namespace

MatrixScanner::MatrixScanner(const ScoringMatrix& matrix, const Background& background) : matrix_(matrix) {
  const int w = matrix.width();
  if (w < kBlock) return;
  std::vector<Block> blocks;
  for (int offset = 0; offset + kBlock <= w; offset += kBlock)
    blocks.push_back(blockAt(matrix, background, offset, offset));
  if (w % kBlock != 0) blocks.push_back(blockAt(matrix, background, w - kBlock, w - w % kBlock));
  // The blocks that tell most first: they give windows up soonest.
  std::stable_sort(blocks.begin(), blocks.end(),
                   [](const Block& a, const Block& b) { return a.best - a.expected > b.best - b.expected; });
  int after = 0;
  bestAfter_.assign(blocks.size(), 0);
  for (std::size_t k = blocks.size(); k-- > 0;) {
    bestAfter_[k] = after;
    after += blocks[k].best;
  }
  for (const Block& block : blocks) {
    offsets_.push_back(block.offset);
    tables_.insert(tables_.end(), block.table.begin(), block.table.end());
  }
}

std::optional<MatrixScanner::Window> MatrixScanner::best(const stats::CodedSequences& sequences, std::size_t s,
                                                         int threshold) const {
  std::optional<Window> found;
  const std::uint8_t* letters = sequences.letters(s);
  const std::uint8_t* quads = sequences.quads(s);
  const std::size_t w = static_cast<std::size_t>(width());
  for (const stats::CodedSequences::Run* run = sequences.runsBegin(s); run != sequences.runsBegin(s + 1); ++run) {
    if (run->length < w) continue;
    for (std::size_t start = run->start; start + w <= run->start + run->length; ++start) {
      // The bar rises to one above the best so far: a later window of equal
      // score does not replace the first, and the look-ahead gets stricter.
      const int bar = found ? found->score + 1 : threshold;
      int score = 0;
      if (offsets_.empty() ? (score = matrix_.score(letters + start)) >= bar : reaches(quads + start, bar, score))
        found = Window{start, score};
    }
  }
  return found;
}

std::size_t MatrixScanner::windowCount(const stats::CodedSequences& sequences, std::size_t s,
                                       std::size_t startLimit) const {
  const std::size_t w = static_cast<std::size_t>(width());
  std::size_t count = 0;
  for (const stats::CodedSequences::Run* run = sequences.runsBegin(s); run != sequences.runsBegin(s + 1); ++run)
    if (run->length >= w && run->start < startLimit)
      count += std::min(run->start + run->length - w + 1, startLimit) - run->start;
  return count;
}

}  // namespace stats
