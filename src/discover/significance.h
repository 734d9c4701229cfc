// The significance of every motif the searches of one sequence set found: the
// enrichment test of zelkova-enrich (threshold chosen per motif, p corrected
// for the choice), with the E-value taken over all motifs of all searches of
// the set.
#pragma once

#include <cstddef>
#include <limits>
#include <vector>

#include "discover/plan.h"
#include "discover/search.h"
#include "formats/fasta.h"
#include "stats/enrichment.h"

namespace discover {

// One motif of one search with its test.
struct Candidate {
  std::size_t search = 0;   // in the plan
  report::Motif motif;      // as its search reported it (rank within the search)
  enrichment::MotifResult test;
};

// Every motif of the searches of `set`, in the plan's order, tested on
// `primary` against `control`.
std::vector<Candidate> testSearchMotifs(const Plan& plan, const std::vector<SearchOutcome>& outcomes, int set,
                                        const std::vector<FastaRecord>& primary,
                                        const std::vector<FastaRecord>& control, int threads);

// The smallest log10 E of `candidates`; +infinity when there are none.
double bestLog10E(const std::vector<Candidate>& candidates);

// Whether candidate a ranks before b: smaller E, then higher MAP score, then
// the earlier search and rank.
bool ranksBefore(const Candidate& a, const Candidate& b);

}  // namespace discover
