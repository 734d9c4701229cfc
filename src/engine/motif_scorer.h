// The normalised window score zelkova prints for a site, from a motif's count
// matrix alone: a reported motif scores any word exactly as the run that found
// it scored its sites.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "base/words.h"

class node;
struct MotifContext;

class MotifScorer {
 public:
  // counts[i] holds the counts of A, C, G, T at position i (a report's count
  // matrix); the number of sites is the sum of a column. Widths of 1 to 20.
  explicit MotifScorer(const std::vector<std::array<long long, 4>>& counts);
  ~MotifScorer();
  MotifScorer(MotifScorer&&) noexcept;
  MotifScorer& operator=(MotifScorer&&) noexcept;

  int width() const;
  // The score of the width() letters at `word` (upper case; a letter other than
  // A, C, G counts as T, as in the engine). 1 is the best word the motif
  // allows; a motif without sites scores every word 0.
  double score(const char* word) const;
  // The same for a word of A, C, G, T packed by base::pack.
  double scoreCode(base::WordCode code) const;

 private:
  std::unique_ptr<MotifContext> context_;
  std::unique_ptr<node> motif_;
};
