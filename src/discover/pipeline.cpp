#include "discover/pipeline.h"

#include <utility>

#include "base/local_time.h"
#include "base/version.h"
#include "discover/inputs/read_inputs.h"
#include "discover/naming/known.h"
#include "discover/naming/names.h"
#include "discover/ranking/ranked_motifs.h"
#include "discover/report/file_names.h"
#include "discover/report/files.h"
#include "discover/report/run_page.h"
#include "discover/search/prepared_sets.h"
#include "discover/search/run_plan.h"
#include "discover/sites/site_details.h"
#include "discover/testing/tested_motifs.h"
#include "formats/motif_files.h"
#include "formats/output_file.h"
#include "formats/report_writer.h"

namespace discover {

namespace {

// The files of one search under runs/, once it has ended.
void writeSearchFiles(const OutputDirectory& directory, const Search& search, const SearchOutcome& outcome) {
  formats::OutputFile report(directory.stagedFile(searchReportName(search)));
  formats::writeReport(report.stream(), outcome.report);
  report.commit();
  directory.stageFiles({{searchPageName(search), searchPage(search, outcome.report)}});
}

// Every input of the run, for the check that no output is one of them.
std::vector<std::string> inputFiles(const Options& o) {
  std::vector<std::string> inputs{primarySource(o)};
  for (const std::string* file :
       {&o.controlFile, &o.genome.genomeFile, &o.genome.excludeFile, &o.genome.controlPeaksFile})
    if (!file->empty()) inputs.push_back(*file);
  inputs.insert(inputs.end(), o.databaseFiles.begin(), o.databaseFiles.end());
  return inputs;
}

// Creates the directory once it is clear that none of the files the run
// writes there is one of its inputs.
void createDirectory(const Options& o, const Plan& plan, OutputDirectory& directory) {
  std::vector<std::string> outputs = resultFileNames();
  for (std::string& name : searchFileNames(plan, o.keepSideFiles)) outputs.push_back(std::move(name));
  directory.refuseInputs(outputs, inputFiles(o));
  directory.create();
}

// The ranked motifs with their sites and names.
std::vector<ReportedMotif> reportedMotifsOf(const Ranking& ranking, ReportedSites sites, Names names) {
  std::vector<ReportedMotif> motifs;
  for (std::size_t i = 0; i < ranking.motifs.size(); ++i)
    motifs.push_back(
        {ranking.motifs[i], std::move(names[i]), std::move(sites.motifs[i].sites), std::move(sites.motifs[i].log10P)});
  return motifs;
}

// A discovery of the options so far: its inputs and the sets made of them.
Discovery withInputs(const Options& o, Inputs inputs, const PreparedSets& sets) {
  Discovery d;
  d.options = o;
  d.version = kZelkovaVersion;
  d.genome = std::move(inputs.genome);
  d.primary = std::move(inputs.primary);
  d.controlSequences = inputs.control.size();
  d.primaryLetters = inputs.primaryLetters;
  d.controlLetters = inputs.controlLetters;
  d.primaryDusted = inputs.primaryDusted;
  d.controlDusted = inputs.controlDusted;
  d.warnings = std::move(inputs.warnings);
  d.inputNotes = std::move(inputs.inputNotes);
  d.controlBases = inputs.controlBases;
  d.siteBackground = inputs.siteBackground;
  d.regions = std::move(inputs.regions);
  d.regionsMissing = std::move(inputs.regionsMissing);
  d.databaseFiles = std::move(inputs.databaseFiles);
  d.knownMotifs = std::move(inputs.knownMotifs);
  d.sizes = sizesOf(sets.primary);
  d.backgroundOrder = sets.backgroundOrders.front();
  d.decoyRun = sets.decoyRun;
  for (std::size_t r = 0; r < sets.decoys.size(); ++r) {
    d.decoySizes.push_back(sizesOf(sets.decoys[r]));
    d.decoyBackgroundOrders.push_back(sets.backgroundOrders[r + 1]);
  }
  return d;
}

}  // namespace

Discovery runDiscovery(const Options& o, OutputDirectory& directory, const formats::ScratchNotice& indexNotice,
                       StepProgress& progress) {
  const std::string started = localDateTime();
  Inputs inputs = readInputs(o, indexNotice, progress);
  PreparedSets sets = prepareSets(o, inputs.primary.records, inputs.control, progress);
  Plan plan = planFor(o, sets);
  createDirectory(o, plan, directory);
  const SideFileFolder sideFiles = o.keepSideFiles ? SideFileFolder(directory.stagedFile("runs")) : SideFileFolder();
  auto writeSearch = [&directory](const Search& s, const SearchOutcome& outcome) {
    writeSearchFiles(directory, s, outcome);
  };
  std::vector<SearchOutcome> outcomes = runPlan(o, plan, sets, sideFiles, writeSearch, progress);
  TestedMotifs tested = testMotifs(o, plan, outcomes, sets, std::move(sets.searched), progress);
  Ranking ranking = rankMotifs(o, plan, tested, sets.primary, sets.decoyRun, progress);
  const std::vector<formats::Motif> reported = formats::fromReport(
      rankedReport(ranking.motifs, tested.candidates, inputs.primary.records.size(), inputs.primaryLetters),
      "the reported motifs");
  ReportedSites sites = describeReportedSites(o, inputs.primary.records, inputs.siteBackground, ranking.motifs,
                                              tested.candidates, reported);
  Names names = nameMotifs(reported, inputs.knownMotifs, progress);
  KnownMotifs known = testKnownMotifs(o, inputs.primary.records, inputs.control, inputs.knownMotifs,
                                      {ranking.motifs, tested.candidates, sites}, inputs.siteBackground, progress);

  Discovery d = withInputs(o, std::move(inputs), sets);
  d.started = started;
  d.plan = std::move(plan);
  d.outcomes = std::move(outcomes);
  d.candidates = std::move(tested.candidates);
  d.motifsTested = tested.motifsTested;
  d.decoyBestLog10E = tested.decoyBestLog10E;
  d.central = {sites.central, sites.centrality, std::move(known.centrality)};
  d.motifs = reportedMotifsOf(ranking, std::move(sites), std::move(names));
  d.simpleRepeats = std::move(ranking.simpleRepeats);
  d.knownRun = known.run;
  d.knownStep = known.step;
  d.known = std::move(known.results);
  d.steps = progress.steps();
  d.totalSeconds = progress.totalSeconds();
  return d;
}

void writeDiscovery(const Discovery& d, OutputDirectory& directory) { directory.commit(resultFiles(d)); }

void writeDiscoveryInto(const Discovery& d, OutputDirectory& directory) {
  createDirectory(d.options, d.plan, directory);
  for (std::size_t i = 0; i < d.plan.searches.size(); ++i)
    writeSearchFiles(directory, d.plan.searches[i], d.outcomes[i]);
  writeDiscovery(d, directory);
}

}  // namespace discover
