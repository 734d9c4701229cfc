// Log-odds scores of words under a motif, as HOMER scores them: the sum over
// positions of ln(p / 0.25), p the motif's probability of the word's letter.
// A HOMER motif file carries a detection threshold on this score; it is
// chosen here from the motif alone, as the score a window of random DNA
// (every letter equally likely) reaches with probability at most 1e-4, the
// usual p-value cut-off of motif scanners.
#pragma once

#include <vector>

#include "formats/motif.h"

namespace stats {

constexpr double kDetectionRate = 1e-4;

// The highest log-odds score any word reaches under `probabilities` (each
// above 0).
double bestScore(const std::vector<formats::Column>& probabilities);

// The smallest score t for which a random window scores at least t with
// probability at most `rate`; the best score when even that is more likely.
// Exact to 0.001 per position (scores are summed on that grid), coarser for
// motifs of more than 28 positions so that the work stays bounded.
double detectionThreshold(const std::vector<formats::Column>& probabilities, double rate = kDetectionRate);

}  // namespace stats
