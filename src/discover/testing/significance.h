// The significance of every motif the searches of one sequence set found: the
// enrichment test of zelkova-enrich (threshold chosen per motif, p corrected
// for the choice) of its matrix as the search reported it and, for the best
// ones, as refined (discover/search/refine.h), the better of the two kept, with the
// E-value taken over all matrices tested for the set.
#pragma once

#include <cstddef>
#include <limits>
#include <optional>
#include <vector>

#include "discover/search/plan.h"
#include "discover/search/search.h"
#include "formats/fasta.h"
#include "stats/enrichment.h"

namespace discover {

// A motif's matrix as its search reported it, with its test.
struct EngineMatrix {
  formats::ReportMotif motif;
  stats::MotifResult test;
};

// One motif of one search with its test.
struct Candidate {
  std::size_t search = 0;      // in the plan
  formats::ReportMotif motif;  // the matrix kept: refined, or as its search reported it (rank within the search)
  stats::MotifResult test;
  std::optional<EngineMatrix> engine;  // set when the refined matrix replaced the search's
};

// How the motifs are tested: the threads, and both strands or the given one.
struct TestSettings {
  int threads = 1;
  bool bothStrands = true;
};

// Every motif of the searches of `set`, in the plan's order, tested on
// `primary` against `control` as its search reported it.
std::vector<Candidate> testSearchMotifs(const Plan& plan, const std::vector<SearchOutcome>& outcomes, int set,
                                        const std::vector<FastaRecord>& primary,
                                        const std::vector<FastaRecord>& control, const TestSettings& settings);

// Tests the refined matrices (`refined`: one per candidate, nothing where
// none was made) the same way and keeps each one whose corrected p is smaller
// than the search's matrix's; every E-value is then taken over all matrices
// tested, the candidates' and the refined ones. Returns that number.
std::size_t keepRefined(std::vector<Candidate>& candidates,
                        const std::vector<std::optional<formats::ReportMotif>>& refined, const Plan& plan,
                        const std::vector<FastaRecord>& primary, const std::vector<FastaRecord>& control,
                        const TestSettings& settings);

// Whether the refined matrix kept differs much from the search's, so that the
// page shows both: another width (its flanks cut), another consensus, or an
// E-value at least ten times smaller. False when the search's was kept.
bool refinementChangedMuch(const Candidate& candidate);

// The smallest log10 E of `candidates`; +infinity when there are none.
double bestLog10E(const std::vector<Candidate>& candidates);

// Whether candidate a ranks before b: smaller E, then higher MAP score, then
// the earlier search and rank.
bool ranksBefore(const Candidate& a, const Candidate& b);

}  // namespace discover
