// Refinement of the best motifs of a set's searches (docs/zelkova-discover.md,
// "Refinement"): the matrices of the best candidates refined by ZOOPS EM on
// the sequences searched (discover/search/refine.h); the significance step
// then tests both matrices and keeps the better one.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "discover/search/refine.h"
#include "discover/testing/significance.h"
#include "formats/report_data.h"

namespace discover {

// The candidates of each set refined: the best by the test of their search's
// matrix. The planted motif of a set is among them whenever it is found at
// all; refining every candidate would cost up to ten times as much.
constexpr std::size_t kRefinedCandidates = 20;

// The `count` best of `candidates` (ranksBefore) refined on `sample`, which
// holds `searchedSequences` sequences' worth of the searched set; one entry
// per candidate, nothing for the others. Each on its own, so that threads
// change nothing.
std::vector<std::optional<formats::ReportMotif>> refineBest(const std::vector<Candidate>& candidates, std::size_t count,
                                                            const EmSample& sample, std::size_t searchedSequences,
                                                            bool bothStrands, int threads);

}  // namespace discover
