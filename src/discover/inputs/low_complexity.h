// Low-complexity DNA in a discovery (docs/zelkova-discover.md, "Low-complexity
// DNA"): the sequence sets masked with DUST as the options ask, and the
// simple-repeat motifs set apart from the ranking.
#pragma once

#include <string>
#include <vector>

#include "discover/ranking/merge.h"
#include "discover/setup/options.h"
#include "discover/testing/significance.h"
#include "formats/fasta.h"
#include "stats/dust.h"

namespace discover {

// DUST as the options set it: window kDustWindow, --dust-level, and stretches
// shorter than the shortest motif left alone (no window of a motif lies
// wholly inside them; masking them would only cut good windows around them,
// and DUST calls seven As in a row low-complexity).
dust::Settings dustSettings(const Options& options);

// Masks the low-complexity DNA of `records` as N unless --no-dust; returns
// the letters masked.
long long maskLowComplexity(const Options& options, std::vector<FastaRecord>& records);

// ", 3.1 % masked as low-complexity", or nothing with --no-dust.
std::string maskedShareText(const Options& options, long long masked, long long letters);

// Whether a candidate is set apart as a simple repeat: with masking on,
// low-complexity DNA never takes a rank by being low-complexity. DUST leaves
// short tandem repeats and the three-letter rhythm of coding DNA, which
// shuffled controls lack, so against them such motifs look significant.
bool setApart(const Options& options, const Candidate& candidate);

// The best E-value of the candidates that are not set apart; +infinity when
// there are none.
double bestRankableLog10E(const Options& options, const std::vector<Candidate>& candidates);

// The groups in their order, parted into those that may take a rank and the
// simple repeats set apart (at most `--top` of these).
struct RankableGroups {
  std::vector<MergedMotif> rankable;
  std::vector<MergedMotif> simpleRepeats;
};
RankableGroups partSimpleRepeats(const Options& options, const std::vector<Candidate>& candidates,
                                 const std::vector<MergedMotif>& groups);

}  // namespace discover
