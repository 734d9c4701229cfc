#include "discover/pipeline.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "base/local_time.h"
#include "base/version.h"
#include "base/words.h"
#include "discover/report/files.h"
#include "discover/report/genome_log.h"
#include "discover/naming/known.h"
#include "discover/ranking/core_ranking.h"
#include "discover/inputs/low_complexity.h"
#include "discover/inputs/record_checks.h"
#include "discover/search/refine.h"
#include "discover/report/run_page.h"
#include "discover/sites/site_details.h"
#include "discover/sites/site_pvalues.h"
#include "formats/command_files.h"
#include "formats/motif_export.h"
#include "formats/motif_files.h"
#include "formats/output_file.h"
#include "formats/report_writer.h"
#include "stats/background_summary.h"
#include "stats/match_rows.h"
#include "stats/motif_database.h"
#include "stats/shuffle.h"
#include "stats/simple_repeat.h"
#include "zelkova.h"

namespace discover {

namespace {

SearchSettings searchSettings(const Options& o) {
  SearchSettings settings;
  settings.mismatches = o.mismatches;
  if (o.threshold) settings.threshold = *o.threshold;
  settings.forwardOnly = !o.bothStrands;
  return settings;
}

TestSettings testSettings(const Options& o) { return {o.threads, o.bothStrands}; }

// A primary set with its control, each split into the part searched and the
// part tested.
struct SetPair {
  Split primary;
  Split control;
};

// Seeds derived from the user's: one stream for each use, so that changing
// one use never changes another's sequences.
constexpr std::uint64_t kControlHoldoutStream = 0x9e3779b97f4a7c15ULL;

SetPair splitPair(const std::vector<FastaRecord>& primary, const std::vector<FastaRecord>& control, double holdout,
                  std::uint64_t seed, const std::string& what) {
  return {splitForHoldout(primary, holdout, seed, what),
          splitForHoldout(control, holdout, seed ^ kControlHoldoutStream, "the control of " + what)};
}

SearchSet searchSetOf(const SetPair& pair) {
  SearchSet set;
  set.sequences = thinnedToLetters(pair.primary.search, kSearchLetters);
  set.control = thinnedToLetters(pair.control.search, kShuffledCopies * kSearchLetters);
  set.foreground = buildMarkovModel(set.sequences, kForegroundOrder);
  set.backgroundOrder = supportedOrder(pair.control.search, kMaxBackgroundOrder, kCountsPerWord);
  set.background = buildMarkovModel(pair.control.search, set.backgroundOrder);
  return set;
}

SetSizes sizesOf(const SetPair& pair) {
  return {pair.primary.search.size(), pair.primary.test.size(), pair.control.search.size(), pair.control.test.size()};
}

long long letters(const std::vector<FastaRecord>& records) {
  long long total = 0;
  for (const FastaRecord& r : records) total += static_cast<long long>(r.letters.size());
  return total;
}

// Frequencies of A, C, G, T over both strands.
std::array<double, report::kBases> baseFrequencies(const std::vector<FastaRecord>& records) {
  std::array<double, report::kBases> counts{};
  for (const FastaRecord& r : records)
    for (char c : r.letters) {
      const int b = words::baseIndex(c);
      if (b < 0) continue;
      counts[static_cast<std::size_t>(b)] += 1;
      counts[static_cast<std::size_t>(3 - b)] += 1;  // its complement on the other strand
    }
  double total = 0;
  for (double c : counts) total += c;
  for (double& c : counts) c = total > 0 ? c / total : 0.25;
  return counts;
}

std::string plural(std::size_t n, const std::string& word) {
  if (n == 1) return "1 " + word;
  const char last = word.back();
  return std::to_string(n) + " " + word + (last == 's' || last == 'h' ? "es" : "s");
}

// The files of one search under runs/, once it has ended.
void writeSearchFiles(const OutputDirectory& directory, const Search& search, const SearchOutcome& outcome) {
  output_file::OutputFile report(directory.stagedFile(searchReportName(search)));
  report::writeReport(report.stream(), outcome.report);
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
void createDirectory(const Discovery& d, OutputDirectory& directory) {
  std::vector<std::string> outputs = resultFileNames();
  for (std::string& name : searchFileNames(d.plan, d.options.keepSideFiles)) outputs.push_back(std::move(name));
  directory.refuseInputs(outputs, inputFiles(d.options));
  directory.create();
}

std::string searchLabel(const Discovery& d, const Search& s) {
  return d.plan.setNames[static_cast<std::size_t>(s.set)] + " set, " + searchDescription(s);
}

// Runs the searches, telling the progress the share of the plan's expected
// work done, searches under way counted by their clusters refined.
std::vector<SearchOutcome> runPlan(const Discovery& d, const std::vector<SearchSet>& sets,
                                   const OutputDirectory& directory, StepProgress& progress) {
  const std::vector<Search>& searches = d.plan.searches;
  std::vector<double> done(searches.size(), 0.0);  // of each search
  auto planDone = [&] {
    double total = 0, sum = 0;
    for (std::size_t i = 0; i < searches.size(); ++i) {
      const double weight = expectedWork(searches[i]);
      total += weight;
      sum += weight * done[i];
    }
    return total > 0 ? sum / total : 1.0;
  };
  SearchCallbacks callbacks;
  callbacks.started = [&](std::size_t i) { progress.update(searchLabel(d, searches[i]), planDone()); };
  callbacks.progressed = [&](std::size_t i, double fraction) {
    done[i] = fraction;
    progress.update(searchLabel(d, searches[i]), planDone());
  };
  callbacks.finished = [&](std::size_t i, const SearchOutcome& outcome) {
    writeSearchFiles(directory, searches[i], outcome);
    done[i] = 1.0;
    progress.update(searchLabel(d, searches[i]) + " done", planDone());
  };
  const SideFileFolder sideFiles =
      d.options.keepSideFiles ? SideFileFolder(directory.stagedFile("runs")) : SideFileFolder();
  return runSearches(d.plan, sets, d.options.threads, sideFiles, callbacks);
}

void warn(Discovery& d, StepProgress& progress, const std::vector<std::string>& warnings) {
  for (const std::string& w : warnings) {
    progress.say(w);
    d.warnings.push_back(w);
  }
}

// The note about the IUPAC letters of an input read as N (none when there
// were none), on standard error now and in the log later.
void noteLetters(Discovery& d, StepProgress& progress, const std::string& file, std::uint64_t iupacLetters) {
  const std::string note = iupacNote(command_files::inputName(file), iupacLetters);
  if (note.empty()) return;
  progress.say(note);
  d.inputNotes.push_back(note);
}

// The control as read from --control (its records checked like the primary
// ones), or shuffled copies of the primary sequences as they are searched.
std::vector<FastaRecord> readControl(Discovery& d, StepProgress& progress) {
  const Options& o = d.options;
  if (o.controlFile.empty())
    return shuffle::shuffledCopies(d.primary.records, kShuffleWordLength, kShuffledCopies, o.seed, o.threads);
  SequenceFile control = readSequenceFile(o.controlFile, o.trim, o.maskLowercase, o.maxLetters);
  noteLetters(d, progress, o.controlFile, control.iupacLetters);
  warn(d, progress, checkRecords(control, o.controlFile));
  return std::move(control.records);
}

// The reported motifs: the groups in ranking order, each tested again with
// the sites of the better ones masked, those the better ones explain listed
// under them (discover/ranking/conditional.h).
std::vector<ReportedMotif> rankedMotifs(const Discovery& d, const std::vector<MergedMotif>& groups,
                                        const SetPair& tested) {
  std::vector<ReportedMotif> motifs;
  for (IndependentMotif& independent : rankConditionally(d.candidates, groups, tested.primary.test, tested.control.test,
                                                         d.options.top, d.motifsTested, testSettings(d.options))) {
    ReportedMotif m;
    m.rank = static_cast<int>(motifs.size()) + 1;
    m.id = d.options.motifPrefix + "-" + std::to_string(m.rank);
    m.group = independent.group;
    m.conditional = independent.test;
    m.dependents = std::move(independent.dependents);
    const Candidate& c = d.candidates[m.group.representative];
    if (d.decoyRun) m.beatsDecoy = beatsDecoyBest(d, c.test.log10E);
    m.lowComplexity = simple_repeat::isSimpleRepeat(c.motif.consensus);
    m.sites = enrichment::sitesAtThreshold(c.test.motif.frequencies, d.primary.records, enrichment::SequenceSet::Primary,
                                           c.test.choice.threshold, d.options.bothStrands, d.options.threads);
    motifs.push_back(std::move(m));
  }
  return motifs;
}

void nameMotifs(Discovery& d) {
  const compare::Settings settings;
  const compare::Database database(d.knownMotifs, settings.pseudocount);
  const std::vector<motif::Motif> queries = motif_files::fromReport(reportedMotifs(d), "the motifs");
  for (std::size_t i = 0; i < d.motifs.size(); ++i)
    d.motifs[i].matches = compare::bestMatchRows(queries[i], database, settings, kKnownMatchesShown, kKnownMatchMaxE);
}

// The sets of a discovery: the primary set and the decoys with their
// controls, and each as its searches read it.
struct Sets {
  SetPair primary;
  std::vector<SetPair> decoys;
  std::vector<SearchSet> searched;  // the primary set first
};

// How the control was made, for its step's line.
std::string controlSummary(const Discovery& d, ControlSource source) {
  switch (source) {
    case ControlSource::Shuffled: return "shuffled";
    case ControlSource::File: return "from " + command_files::inputName(d.options.controlFile);
    case ControlSource::GenomicBackground: return "GC-matched genomic windows";
    case ControlSource::ControlPeaks: return "windows of the control peaks " + d.options.genome.controlPeaksFile;
  }
  return "";
}

// Genome (with --peaks): the genome opened, the peaks read and their windows
// cut; nothing without --peaks.
std::optional<GenomeInput> cutFromGenome(const Discovery& d, const genome::ScratchNotice& indexNotice,
                                         StepProgress& progress) {
  if (d.options.genome.peaksFile.empty()) return std::nullopt;
  progress.begin("Genome");
  std::optional<GenomeInput> genome(std::in_place, d.options, progress, indexNotice);
  genome->cutPeakWindows();
  const GenomeRun& run = genome->run();
  progress.end(plural(run.chromosomes, "chromosome") + ", " + std::to_string(run.genomeLetters) + " letters, " +
               indexOriginText(run) + "; " + windowCountsText(run.windows));
  return genome;
}

// Reading: the primary sequences (the peak windows with a genome), checked
// and masked for low complexity.
void readPrimary(Discovery& d, const std::optional<GenomeInput>& genome, StepProgress& progress) {
  const Options& o = d.options;
  const std::string source = command_files::inputName(primarySource(o));
  progress.begin("Reading");
  if (genome) {
    d.primary = wholeRecords(genome->run().peakRecords);
  } else {
    d.primary = readSequenceFile(o.primaryFile, o.trim, o.maskLowercase, o.maxLetters);
    noteLetters(d, progress, o.primaryFile, d.primary.iupacLetters);
  }
  warn(d, progress, checkRecords(d.primary, source));
  requireSeveralSequences(d.primary.records, *std::min_element(o.lengths.begin(), o.lengths.end()), source);
  d.primaryLetters = letters(d.primary.records);
  d.siteBackground = siteBackground(d.primary.records);
  HeaderRegions regions = regionsOfRecords(d.primary.records, d.primary.givenLength);
  d.regions = std::move(regions.regions);
  d.regionsMissing = std::move(regions.whyNot);
  d.primaryDusted = maskLowComplexity(o, d.primary.records);
  progress.end(plural(d.primary.records.size(), "sequence") + ", " + std::to_string(d.primaryLetters) + " letters" +
               maskedShareText(o, d.primaryDusted, d.primaryLetters));
}

// The control cut from the genome, its records checked as a file's are.
std::vector<FastaRecord> cutGenomeControl(Discovery& d, GenomeInput& genome, StepProgress& progress) {
  genome.cutControl(progress);
  const GenomeRun& run = genome.run();
  if (run.draw)
    for (const std::string& note : background_summary::notes(*run.draw)) progress.say("Note: " + note);
  SequenceFile control = wholeRecords(run.controlRecords);
  warn(d, progress, checkRecords(control, "background.fa"));
  return std::move(control.records);
}

// Reading and Control: returns the control. Both sets are checked, and
// masked for low complexity, before anything is written.
std::vector<FastaRecord> readInputs(Discovery& d, const genome::ScratchNotice& indexNotice, StepProgress& progress) {
  const Options& o = d.options;
  std::vector<std::string> inputs{o.primaryFile, o.controlFile, o.genome.peaksFile, o.genome.controlPeaksFile,
                                  o.genome.excludeFile};
  inputs.insert(inputs.end(), o.databaseFiles.begin(), o.databaseFiles.end());
  command_files::check(inputs, {});  // standard input read once at most
  std::optional<GenomeInput> genome = cutFromGenome(d, indexNotice, progress);
  readPrimary(d, genome, progress);

  progress.begin("Control");
  const ControlSource source = controlSource(o.genome, o.controlFile);
  std::vector<FastaRecord> control =
      controlFromGenome(source) ? cutGenomeControl(d, *genome, progress) : readControl(d, progress);
  d.controlSequences = control.size();
  d.controlLetters = letters(control);
  d.controlDusted = maskLowComplexity(o, control);
  d.controlBases = baseFrequencies(control);
  d.databaseFiles = motif_database::resolveFiles(o.databaseFiles);
  d.knownMotifs = motif_database::load(d.databaseFiles);
  progress.end(plural(control.size(), "sequence") + ", " + controlSummary(d, source) +
               maskedShareText(o, d.controlDusted, d.controlLetters));
  if (genome) d.genome = std::move(genome->run());
  return control;
}

// Models: the holdouts, the decoy sets and every set's models.
Sets prepareSets(Discovery& d, const std::vector<FastaRecord>& control, StepProgress& progress) {
  const Options& o = d.options;
  progress.begin("Models");
  Sets sets;
  sets.primary = splitPair(d.primary.records, control, o.holdout, o.seed, "the primary set");
  d.sizes = sizesOf(sets.primary);
  sets.searched.push_back(searchSetOf(sets.primary));
  d.backgroundOrder = sets.searched.front().backgroundOrder;
  d.decoyRun = decoyRuns(o.decoy, d.primary.records.size());
  if (d.decoyRun) {
    const std::vector<std::vector<FastaRecord>> decoys = decoySets(control, d.primary.records.size(), kDecoyReplicates);
    for (std::size_t r = 0; r < decoys.size(); ++r) {
      const std::uint64_t seed = o.seed + 1 + r;
      std::vector<FastaRecord> fresh =
          shuffle::shuffledCopies(decoys[r], kShuffleWordLength, kShuffledCopies, seed, o.threads);
      maskLowComplexity(o, fresh);  // as the primary set's control is
      sets.decoys.push_back(splitPair(decoys[r], fresh, o.holdout, seed, "decoy set " + std::to_string(r + 1)));
      sets.searched.push_back(searchSetOf(sets.decoys.back()));
      d.decoySizes.push_back(sizesOf(sets.decoys.back()));
      d.decoyBackgroundOrders.push_back(sets.searched.back().backgroundOrder);
    }
  }
  progress.end("foreground order " + std::to_string(kForegroundOrder) + ", background order " +
               std::to_string(d.backgroundOrder));
  return sets;
}

// Discovery: plans the searches, creates the directory and runs them.
void searchAll(Discovery& d, Sets& sets, OutputDirectory& directory, StepProgress& progress) {
  const Options& o = d.options;
  std::vector<const std::vector<FastaRecord>*> searched;
  for (const SearchSet& s : sets.searched) searched.push_back(&s.sequences);
  d.plan = planSearches(o.lengths, searched, searchSettings(o));
  createDirectory(d, directory);

  progress.begin("Discovery");
  d.outcomes = runPlan(d, sets.searched, directory, progress);
  std::size_t found = 0;
  for (const SearchOutcome& outcome : d.outcomes) found += outcome.report.motifs.size();
  progress.end(plural(d.plan.searches.size(), "search") + ", " + plural(found, "motif") +
               (d.plan.skipped.empty() ? "" : ", " + plural(d.plan.skipped.size(), "search") + " skipped for cost"));
}

// The motifs of the searches of set `s` (0 the primary set) as their
// searches reported them, tested.
std::vector<Candidate> testedCandidates(const Discovery& d, std::size_t s, const SetPair& pair) {
  return testSearchMotifs(d.plan, d.outcomes, static_cast<int>(s), pair.primary.test, pair.control.test,
                          testSettings(d.options));
}

// The best of `candidates` refined on the sequences searched, against their
// control's background model, and tested again; returns the matrices tested.
std::size_t refineCandidates(const Discovery& d, const SetPair& pair, const SearchSet& searched,
                             std::vector<Candidate>& candidates) {
  const TestSettings settings = testSettings(d.options);
  const EmSample sample =
      emSample(searched.sequences, searched.background, searched.backgroundOrder, kRefinementLetters);
  const std::vector<std::optional<report::Motif>> refined =
      refineBest(candidates, kRefinedCandidates, sample, searched.sequences.size(), settings.bothStrands,
                 settings.threads);
  return keepRefined(candidates, refined, d.plan, pair.primary.test, pair.control.test, settings);
}

// Significance, Refinement and Decoy.
void testAll(Discovery& d, Sets& sets, StepProgress& progress) {
  progress.begin("Significance");
  d.candidates = testedCandidates(d, 0, sets.primary);
  progress.end(plural(d.candidates.size(), "motif") + " tested");
  progress.begin("Refinement");
  d.motifsTested = refineCandidates(d, sets.primary, sets.searched.front(), d.candidates);
  std::size_t refined = 0;
  for (const Candidate& c : d.candidates) refined += c.engine ? 1 : 0;
  progress.end(std::to_string(d.motifsTested - d.candidates.size()) + " refined and tested, " +
               std::to_string(refined) + " kept");
  if (d.decoyRun) {
    progress.begin("Decoy");
    d.decoyBestLog10E = bestLog10E({});
    for (std::size_t r = 0; r < sets.decoys.size(); ++r) {
      std::vector<Candidate> found = testedCandidates(d, r + 1, sets.decoys[r]);
      refineCandidates(d, sets.decoys[r], sets.searched[r + 1], found);
      d.decoyBestLog10E = std::min(d.decoyBestLog10E, bestRankableLog10E(d.options, found));
    }
    progress.end("best E of the decoy set " + decoyBestText(d));
  }
  sets.searched.clear();  // the models and copies are no longer needed
}

// Ranking: simple repeats set apart, then one motif, one rank.
void rankAll(Discovery& d, const std::vector<MergedMotif>& groups, const Sets& sets, StepProgress& progress) {
  progress.begin("Ranking");
  RankableGroups parts = partSimpleRepeats(d.options, d.candidates, groups);
  d.simpleRepeats = std::move(parts.simpleRepeats);
  d.motifs = rankedMotifs(d, parts.rankable, sets.primary);
  std::size_t explained = 0;
  for (const ReportedMotif& m : d.motifs) explained += m.dependents.size();
  progress.end(plural(d.motifs.size(), "motif") + " reported, " + std::to_string(explained) +
               " explained by better ones" +
               (d.options.dust ? ", " + plural(d.simpleRepeats.size(), "simple repeat") + " set apart" : ""));
}

}  // namespace

Discovery runDiscovery(const Options& o, OutputDirectory& directory, const genome::ScratchNotice& indexNotice,
                       StepProgress& progress) {
  Discovery d;
  d.options = o;
  d.version = kZelkovaVersion;
  d.started = localDateTime();
  const std::vector<FastaRecord> control = readInputs(d, indexNotice, progress);
  Sets sets = prepareSets(d, control, progress);
  searchAll(d, sets, directory, progress);
  testAll(d, sets, progress);

  progress.begin("Redundancy");
  const std::vector<std::size_t> order =
      rankingOrder(d.candidates, sets.primary.primary.test, o.bothStrands, o.threads);
  const std::vector<MergedMotif> groups = mergeRedundant(d.candidates, order, d.plan, kRedundancyE);
  progress.end(plural(d.candidates.size(), "motif") + " in " + plural(groups.size(), "group"));
  rankAll(d, groups, sets, progress);
  describeReportedSites(d);
  progress.begin("Names");
  nameMotifs(d);
  progress.end(plural(d.knownMotifs.size(), "known motif") + " compared");
  if (o.knownEnrichment) testKnownMotifs(d, control, progress);
  d.steps = progress.steps();
  d.totalSeconds = progress.totalSeconds();
  return d;
}

void writeDiscovery(const Discovery& d, OutputDirectory& directory) { directory.commit(resultFiles(d)); }

void writeDiscoveryInto(const Discovery& d, OutputDirectory& directory) {
  createDirectory(d, directory);
  for (std::size_t i = 0; i < d.plan.searches.size(); ++i) writeSearchFiles(directory, d.plan.searches[i], d.outcomes[i]);
  writeDiscovery(d, directory);
}

}  // namespace discover
