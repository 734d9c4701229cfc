#include "discover/ranking/ranked_motifs.h"

#include <utility>

#include "discover/ranking/core_ranking.h"
#include "discover/ranking/simple_repeats.h"
#include "discover/setup/plural.h"
#include "stats/simple_repeat.h"

namespace discover {

namespace {

// The reported motifs: the groups in ranking order, each tested again with
// the sites of the better ones masked, those the better ones explain listed
// under them (discover/ranking/conditional.h).
std::vector<RankedMotif> rankedGroups(const Options& o, const TestedMotifs& tested,
                                      const std::vector<MergedMotif>& groups, const SetPair& primary, bool decoyRun) {
  std::vector<RankedMotif> motifs;
  for (IndependentMotif& independent :
       rankConditionally(tested.candidates, groups, primary.primary.test, primary.control.test, o.top,
                         tested.motifsTested, testSettings(o))) {
    RankedMotif m;
    m.rank = static_cast<int>(motifs.size()) + 1;
    m.id = o.motifPrefix + "-" + std::to_string(m.rank);
    m.group = independent.group;
    m.conditional = independent.test;
    m.dependents = std::move(independent.dependents);
    const Candidate& c = tested.candidates[m.group.representative];
    if (decoyRun) m.beatsDecoy = beatsDecoyBest(tested.decoyBestLog10E, c.test.log10E);
    m.lowComplexity = stats::isSimpleRepeat(c.motif.consensus);
    motifs.push_back(std::move(m));
  }
  return motifs;
}

}  // namespace

Ranking rankMotifs(const Options& o, const Plan& plan, const TestedMotifs& tested, const SetPair& primary,
                   bool decoyRun, StepProgress& progress) {
  progress.begin("Redundancy");
  const std::vector<std::size_t> order =
      rankingOrder(tested.candidates, primary.primary.test, o.bothStrands, o.threads);
  const std::vector<MergedMotif> groups = mergeRedundant(tested.candidates, order, plan, kRedundancyE);
  progress.end(plural(tested.candidates.size(), "motif") + " in " + plural(groups.size(), "group"));

  progress.begin("Ranking");
  RankableGroups parts = partSimpleRepeats(o, tested.candidates, groups);
  Ranking ranking;
  ranking.simpleRepeats = std::move(parts.simpleRepeats);
  ranking.motifs = rankedGroups(o, tested, parts.rankable, primary, decoyRun);
  std::size_t explained = 0;
  for (const RankedMotif& m : ranking.motifs) explained += m.dependents.size();
  progress.end(plural(ranking.motifs.size(), "motif") + " reported, " + std::to_string(explained) +
               " explained by better ones" +
               (o.dust ? ", " + plural(ranking.simpleRepeats.size(), "simple repeat") + " set apart" : ""));
  return ranking;
}

formats::Report rankedReport(const std::vector<RankedMotif>& motifs, const std::vector<Candidate>& candidates,
                             std::size_t sequences, long long letters) {
  formats::Report report;
  report.parameters.forwardOnly = false;
  report.parameters.sequences = static_cast<int>(sequences);
  report.parameters.totalLength = letters;
  for (const RankedMotif& m : motifs) {
    formats::ReportMotif motif = candidates[m.group.representative].motif;
    motif.rank = m.rank;
    motif.id = m.id;
    report.motifs.push_back(std::move(motif));
  }
  return report;
}

}  // namespace discover
