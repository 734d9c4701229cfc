#include "discover/testing/tested_motifs.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "discover/search/refine.h"
#include "discover/setup/plural.h"
#include "discover/testing/refinement.h"
#include "discover/testing/set_apart.h"
#include "formats/numbers.h"

namespace discover {

namespace {

// The motifs of the searches of set `s` (0 the primary set) as their
// searches reported them, tested.
std::vector<Candidate> testedCandidates(const Options& o, const Plan& plan, const std::vector<SearchOutcome>& outcomes,
                                        std::size_t s, const SetPair& pair) {
  return testSearchMotifs(plan, outcomes, static_cast<int>(s), pair.primary.test, pair.control.test, testSettings(o));
}

// The best of `candidates` refined on the sequences searched, against their
// control's background model, and tested again; returns the matrices tested.
std::size_t refineCandidates(const Options& o, const Plan& plan, const SetPair& pair, const SearchSet& searched,
                             std::vector<Candidate>& candidates) {
  const TestSettings settings = testSettings(o);
  const EmSample sample =
      emSample(searched.sequences, searched.background, searched.backgroundOrder, kRefinementLetters);
  const std::vector<std::optional<formats::ReportMotif>> refined = refineBest(
      candidates, kRefinedCandidates, sample, searched.sequences.size(), settings.bothStrands, settings.threads);
  return keepRefined(candidates, refined, plan, pair.primary.test, pair.control.test, settings);
}

// The best E-value the motifs of the decoy sets reach, tested and refined as
// the primary set's are.
double decoyBest(const Options& o, const Plan& plan, const std::vector<SearchOutcome>& outcomes,
                 const PreparedSets& sets, const std::vector<SearchSet>& searched) {
  double best = bestLog10E({});
  for (std::size_t r = 0; r < sets.decoys.size(); ++r) {
    std::vector<Candidate> found = testedCandidates(o, plan, outcomes, r + 1, sets.decoys[r]);
    refineCandidates(o, plan, sets.decoys[r], searched[r + 1], found);
    best = std::min(best, bestRankableLog10E(o, found));
  }
  return best;
}

}  // namespace

TestSettings testSettings(const Options& o) { return {o.threads, o.bothStrands}; }

TestedMotifs testMotifs(const Options& o, const Plan& plan, const std::vector<SearchOutcome>& outcomes,
                        const PreparedSets& sets, std::vector<SearchSet> searched, StepProgress& progress) {
  TestedMotifs tested;
  progress.begin("Significance");
  tested.candidates = testedCandidates(o, plan, outcomes, 0, sets.primary);
  progress.end(plural(tested.candidates.size(), "motif") + " tested");
  progress.begin("Refinement");
  tested.motifsTested = refineCandidates(o, plan, sets.primary, searched.front(), tested.candidates);
  std::size_t refined = 0;
  for (const Candidate& c : tested.candidates) refined += c.engine ? 1 : 0;
  progress.end(std::to_string(tested.motifsTested - tested.candidates.size()) + " refined and tested, " +
               std::to_string(refined) + " kept");
  if (sets.decoyRun) {
    progress.begin("Decoy");
    tested.decoyBestLog10E = decoyBest(o, plan, outcomes, sets, searched);
    progress.end("best E of the decoy set " + decoyBestText(tested.decoyBestLog10E));
  }
  return tested;
}

std::string decoyBestText(double decoyBestLog10E) {
  return std::isinf(decoyBestLog10E) ? "none" : formats::scientificFromLog10(decoyBestLog10E);
}

bool beatsDecoyBest(double decoyBestLog10E, double log10E) {
  return log10E < decoyBestLog10E - std::log10(kDecoyMargin);
}

}  // namespace discover
