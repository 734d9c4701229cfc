#include "discover/search/run_plan.h"

#include <string>

#include "discover/setup/plural.h"

namespace discover {

namespace {

SearchSettings searchSettings(const Options& o) {
  SearchSettings settings;
  settings.mismatches = o.mismatches;
  if (o.threshold) settings.threshold = *o.threshold;
  settings.forwardOnly = !o.bothStrands;
  return settings;
}

std::string searchLabel(const Plan& plan, const Search& s) {
  return plan.setNames[static_cast<std::size_t>(s.set)] + " set, " + searchDescription(s);
}

// The callbacks that tell the progress the share of the plan's expected work
// done, searches under way counted by their clusters refined.
SearchCallbacks progressCallbacks(const Plan& plan, std::vector<double>& done, const SearchEnded& ended,
                                  StepProgress& progress) {
  auto planDone = [&plan, &done] {
    double total = 0, sum = 0;
    for (std::size_t i = 0; i < plan.searches.size(); ++i) {
      const double weight = expectedWork(plan.searches[i]);
      total += weight;
      sum += weight * done[i];
    }
    return total > 0 ? sum / total : 1.0;
  };
  SearchCallbacks callbacks;
  callbacks.started = [&, planDone](std::size_t i) {
    progress.update(searchLabel(plan, plan.searches[i]), planDone());
  };
  callbacks.progressed = [&, planDone](std::size_t i, double fraction) {
    done[i] = fraction;
    progress.update(searchLabel(plan, plan.searches[i]), planDone());
  };
  callbacks.finished = [&, planDone](std::size_t i, const SearchOutcome& outcome) {
    ended(plan.searches[i], outcome);
    done[i] = 1.0;
    progress.update(searchLabel(plan, plan.searches[i]) + " done", planDone());
  };
  return callbacks;
}

}  // namespace

Plan planFor(const Options& o, const PreparedSets& sets) {
  std::vector<const std::vector<FastaRecord>*> searched;
  for (const SearchSet& s : sets.searched) searched.push_back(&s.sequences);
  return planSearches(o.lengths, searched, searchSettings(o));
}

std::vector<SearchOutcome> runPlan(const Options& o, const Plan& plan, const PreparedSets& sets,
                                   const SideFileFolder& sideFiles, const SearchEnded& ended, StepProgress& progress) {
  progress.begin("Discovery");
  std::vector<double> done(plan.searches.size(), 0.0);  // of each search
  std::vector<SearchOutcome> outcomes =
      runSearches(plan, sets.searched, o.threads, sideFiles, progressCallbacks(plan, done, ended, progress));
  std::size_t found = 0;
  for (const SearchOutcome& outcome : outcomes) found += outcome.report.motifs.size();
  progress.end(plural(plan.searches.size(), "search") + ", " + plural(found, "motif") +
               (plan.skipped.empty() ? "" : ", " + plural(plan.skipped.size(), "search") + " skipped for cost"));
  return outcomes;
}

}  // namespace discover
