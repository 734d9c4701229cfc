#include "discover/report/page.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <ostream>
#include <sstream>

#include "base/version.h"
#include "discover/report/file_names.h"
#include "discover/report/genome_page.h"
#include "discover/report/known_text.h"
#include "discover/report/log.h"
#include "discover/report/run_summary.h"
#include "discover/report/site_outputs.h"
#include "discover/search/refine.h"
#include "discover/testing/refinement.h"
#include "formats/command_files.h"
#include "formats/numbers.h"
#include "pages/enrichment_section.h"
#include "pages/html_table.h"
#include "pages/matches_section.h"
#include "pages/report_page.h"
#include "stats/enrichment_rows.h"

namespace fs = std::filesystem;

namespace discover {

using formats::fixedPoint;
using formats::scientificFromLog10;
using pages::colouredWord;
using pages::escape;
using pages::writeRow;

namespace {

const char* const kStyle = R"(
.verdict { font-size: 1.1em; padding: 0.6em 1em; border-left: 5px solid #2166ac; background: #eef4fb; }
.verdict.warning { border-color: #d7191c; background: #fdeeee; }
table.summary td { vertical-align: middle; }
table.summary svg.logo { height: 64px; width: auto; }
table.summary figure.match figcaption { display: none; }
table.summary .aligned { display: flex; flex-direction: column; }
table.summary td.num { white-space: nowrap; }
table.summary figure.match svg.logo { height: 36px; }
table.summary .word { font-size: 0.85em; }
.note { color: #555; font-size: 0.9em; }
.tag { display: inline-block; font-size: 0.8em; padding: 0 0.4em; border-radius: 3px; background: #fdeeee; color: #a50f15; }
tr.warning td { color: #a50f15; }
)";

std::string evalueText(double log10E) { return scientificFromLog10(log10E); }

// "7 of 18 (38.9 %)".
std::string hitsText(long long hits, long long total) {
  return std::to_string(hits) + " of " + std::to_string(total) + " (" + formats::percentOf(hits, total) + ")";
}

std::string decoyText(const ReportedMotif& m) {
  if (!m.beatsDecoy) return "not run";
  return *m.beatsDecoy ? "yes" : "no";
}

std::string searchLink(const Search& s, const std::string& text) {
  return "<a href=\"" + escape(searchPageName(s)) + "\">" + escape(text) + "</a>";
}

void writeSummary(std::ostream& out, const Discovery& d, const RunSummary& s) {
  out << "<section id=\"run\">\n<h2>Run summary</h2>\n<table class=\"parameters\">\n";
  writeRow(out, "Primary sequences",
           "<code>" + escape(s.primaryName) + "</code>: " + std::to_string(s.primarySequences) + " sequences, " +
               std::to_string(s.primaryLetters) + " letters" +
               (s.trim > 0 ? ", the central " + std::to_string(s.trim) + " letters of each" : "") +
               (s.lowerCaseMasked ? ", lower-case letters masked as N" : ""));
  writeGenomeRows(out, d);
  writeRow(out, "Control", escape(s.control) + ": " + std::to_string(s.controlSequences) + " sequences");
  writeRow(out, "Low-complexity DNA", escape(s.lowComplexity));
  writeRow(out, "Held out for testing",
           s.holdout > 0 ? formats::percent(s.holdout) + ": " + std::to_string(s.sizes.primaryTested) +
                               " primary and " + std::to_string(s.sizes.controlTested) + " control sequences"
                         : "none (the motifs are tested on the sequences they were found in)");
  writeRow(out, "Markov models",
           "foreground order " + std::to_string(kForegroundOrder) + " (primary), background order " +
               std::to_string(s.backgroundOrder) + " (control)");
  std::string lengths;
  for (int l : s.lengths) lengths += (lengths.empty() ? "" : ", ") + std::to_string(l);
  writeRow(out, "Motif lengths", lengths);
  writeRow(out, "Searches",
           std::to_string(s.searches) + " run, " + std::to_string(s.searchesSkipped) +
               " skipped for their cost (<a href=\"#searches\">list</a>)");
  writeRow(out, "Decoy",
           s.decoyRun ? "run on " + escape(s.decoySets) + ", each searched against " + std::to_string(kShuffledCopies) +
                            " dinucleotide shuffles of itself; best E-value reached: " + s.decoyBest
                      : "not run (--decoy " + s.decoyMode + ")");
  writeRow(
      out, "Known motifs",
      (s.databaseGiven.empty() ? std::string("the bundled JASPAR collection")
                               : escape(s.databaseGiven.front()) + (s.databaseGiven.size() > 1 ? " and others" : "")) +
          ", " + std::to_string(s.knownMotifs) + " motifs");
  writeRow(out, "sites.bed", escape(s.sitesBed));
  for (const std::string& w : s.warnings)
    out << "<tr class=\"warning\">" << pages::cell({"Warning"}, pages::Kind::Heading) << pages::cell(pages::text(w))
        << "</tr>\n";
  writeRow(out, "Command line", "<code>" + escape(s.commandLine) + "</code>");
  writeRow(out, "Program", escape(versionLine("zelkova-discover", s.version)));
  writeRow(out, "Started", escape(s.started));
  std::string steps;
  for (const StepTime& t : s.steps)
    steps += (steps.empty() ? "" : "; ") + escape(t.step) + " " + fixedPoint(t.seconds, 1) + " s";
  writeRow(out, "Time", fixedPoint(s.totalSeconds, 1) + " s (" + steps + ")");
  out << "</table>\n</section>\n";
}

std::string bestMatchCell(const ReportedMotif& m, const formats::ReportMotif& motif,
                          const std::map<std::string, const formats::Motif*>& known) {
  if (m.matches.empty()) return pages::cell({"none", ""});
  const formats::MatchRow& best = m.matches.front();
  std::ostringstream cell;
  const bool convincing = convincingMatch(best);
  cell << (convincing ? "" : "no convincing match (best: ") << "<a href=\"#" << m.id << "-matches\">"
       << escape(best.targetId) << "</a> " << escape(best.targetName) << (convincing ? " (" : ", ")
       << "E = " << formats::formatMatchValue(best.e) << ")";
  const auto target = known.find(best.targetId);
  if (convincing && target != known.end()) pages::writeAlignedLogos(cell, motif, best, *target->second);
  return pages::cell({cell.str(), ""});
}

void writeMotifTable(std::ostream& out, const Discovery& d, const formats::Report& reported,
                     const std::vector<formats::EnrichmentRow>& rows,
                     const std::map<std::string, const formats::Motif*>& known) {
  out << "<section id=\"motifs\">\n<h2>Motifs</h2>\n";
  if (d.motifs.empty()) {
    out << "<p class=\"empty\">No motif was found.</p>\n</section>\n";
    return;
  }
  out << "<table class=\"summary\">\n"
      << pages::head({{"Rank", "num"},
                      {"Motif"},
                      {"Logo"},
                      {"E-value", "num"},
                      {"E-value given the better motifs", "num"},
                      {"Primary sequences", "num"},
                      {"Control sequences", "num"},
                      {"Beats the decoy"},
                      {"Best known match"}})
      << "<tbody>\n";
  for (std::size_t i = 0; i < d.motifs.size(); ++i) {
    const ReportedMotif& m = d.motifs[i];
    const formats::ReportMotif& motif = reported.motifs[i];
    const stats::HitTable& t = d.candidateOf(m).test.choice.table;
    out << "<tr>"
        << pages::cells(
               {{std::to_string(m.rank), "num"},
                {"<a href=\"#" + m.id + "\">" + m.id + "</a>" +
                 (m.lowComplexity ? "<br><span class=\"tag\">simple repeat</span>" : "")},
                {pages::logoSvg(motif.counts, "Sequence logo of " + m.id) + "<br>" + colouredWord(motif.consensus)},
                {pages::fromLog10(rows[i].log10E), "num evalue"},
                {pages::fromLog10(formats::log10Text(m.conditional.log10E)), "num"},
                {hitsText(t.primaryHits, t.primaryTotal), "num"},
                {hitsText(t.controlHits, t.controlTotal), "num"},
                {decoyText(m)}})
        << bestMatchCell(m, motif, known) << "</tr>\n";
  }
  out << "</tbody>\n</table>\n</section>\n";
}

// The head cells and the row cells the tables of other searches' motifs
// (merged, explained, set apart) begin with.
std::vector<pages::Cell> candidateHeads() {
  return {{"Search"}, {"Rank there", "num"}, {"Consensus"}, {"E-value", "num"}};
}

std::vector<pages::Cell> candidateCells(const Discovery& d, const Candidate& c) {
  const Search& s = d.searchOf(c);
  return {{searchLink(s, s.name)},
          {std::to_string(c.motif.rank), "num"},
          {colouredWord(c.motif.consensus)},
          {evalueText(c.test.log10E), "num"}};
}

// `cells` and then `more`.
std::vector<pages::Cell> followed(std::vector<pages::Cell> cells, const std::vector<pages::Cell>& more) {
  cells.insert(cells.end(), more.begin(), more.end());
  return cells;
}

void writeSimpleRepeats(std::ostream& out, const Discovery& d) {
  if (!d.options.dust) return;
  out << "<section id=\"simple-repeats\">\n<h2>Simple repeats set apart</h2>\n";
  if (d.simpleRepeats.empty()) {
    out << "<p class=\"empty\">No search found a simple repeat.</p>\n</section>\n";
    return;
  }
  out << "<p class=\"note\">Motifs whose consensus repeats a word of 1 to 3 letters. Low-complexity DNA was "
         "masked before the searches, but short repeats and the three-letter rhythm of coding DNA remain, and a "
         "shuffled control lacks them: against it such motifs look enriched however little they mean. They take "
         "no rank; <code>--no-dust</code> ranks them with the others.</p>\n"
      << "<table class=\"repeats\">\n"
      << pages::head(candidateHeads()) << "<tbody>\n";
  for (const MergedMotif& group : d.simpleRepeats)
    out << pages::row(candidateCells(d, d.candidates[group.representative]));
  out << "</tbody>\n</table>\n</section>\n";
}

void writeMerged(std::ostream& out, const Discovery& d, const ReportedMotif& m) {
  out << "<h3>Similar motifs merged into it</h3>\n";
  if (m.group.merged.empty()) {
    out << "<p class=\"empty\">No other search found a motif that matches it.</p>\n";
    return;
  }
  out << "<table class=\"merged\">\n"
      << pages::head(followed(candidateHeads(), {{"Match E-value", "num"}})) << "<tbody>\n";
  for (std::size_t k = 0; k < m.group.merged.size(); ++k)
    out << pages::row(followed(candidateCells(d, d.candidates[m.group.merged[k]]),
                               {{formats::formatMatchValue(m.group.mergedE[k]), "num"}}));
  out << "</tbody>\n</table>\n";
}

void writeDependents(std::ostream& out, const Discovery& d, const ReportedMotif& m) {
  out << "<h3>Motifs it explains</h3>\n";
  if (m.dependents.empty()) {
    out << "<p class=\"empty\">No lower-ranked motif depends on its sites.</p>\n";
    return;
  }
  out << "<p class=\"note\">Found on their own, but no longer significant, or left with fewer than half of their "
         "primary sequences with a site, once the sites of the better motifs are masked: the same factor again "
         "(shifted, degenerate), not another one. They take no rank.</p>\n"
      << "<table class=\"dependents\">\n"
      << pages::head(followed(candidateHeads(), {{"E-value given the better motifs", "num"},
                                                 {"Primary sequences keeping a site", "num"}}))
      << "<tbody>\n";
  for (const DependentMotif& dependent : m.dependents)
    out << pages::row(followed(candidateCells(d, d.candidates[dependent.group.representative]),
                               {{evalueText(dependent.test.log10E), "num"},
                                {hitsText(dependent.test.primaryHitsLeft, dependent.test.primaryHits), "num"}}));
  out << "</tbody>\n</table>\n";
}

void writeSites(std::ostream& out, const Discovery& d, const ReportedMotif& m) {
  out << "<h3>Sites in the primary sequences</h3>\n";
  if (m.sites.empty()) {
    out << "<p class=\"empty\">No window of the primary sequences reaches the threshold.</p>\n";
    return;
  }
  const std::size_t shown = std::min(m.sites.size(), static_cast<std::size_t>(kPageSitesShown));
  out << "<p class=\"note\">Every window scoring at least the threshold, " << m.sites.size() << " in "
      << "all, of overlapping ones only the best; positions on the sequences as given"
      << (d.regions ? ", and in the genome" : "") << "; the p-value is zelkova-scan's.";
  if (shown < m.sites.size()) out << " The table lists the first " << shown << "; sites.tsv holds all.";
  out << "</p>\n";
  const long long width = d.candidateOf(m).motif.width();
  std::vector<formats::ReportSite> sites;
  std::vector<std::string> genomeCells;
  for (std::size_t i = 0; i < shown; ++i) {
    const stats::EnrichmentSite& s = m.sites[i];
    sites.push_back({d.primary.records[s.sequence].name, s.word, s.forward, givenStart(d, s), s.score,
                     static_cast<int>(s.sequence)});
    if (const std::optional<stats::Interval> at = siteInGenome(d, s, width))
      genomeCells.push_back(genomePositionLink(*at));
  }
  const std::vector<double> log10P(m.siteLog10P.begin(), m.siteLog10P.begin() + static_cast<std::ptrdiff_t>(shown));
  pages::writeSiteTable(out, sites, genomeCells, log10P);
}

// Which matrix a motif is: refined (with the search's for comparison) or the
// search's own.
std::string matrixDescription(const Candidate& c) {
  if (!c.engine)
    return "the search's count matrix (refinement did not make it more significant, or it was not "
           "among the " +
           std::to_string(kRefinedCandidates) + " refined)";
  return "refined by EM on the sequences (counts: the expected letters of the sites), " +
         std::to_string(c.motif.width()) + " of the search's " + std::to_string(c.engine->motif.width()) +
         " columns kept; the search's matrix: E = " + evalueText(c.engine->test.log10E) + ", consensus " +
         colouredWord(c.engine->motif.consensus);
}

void writeMotifSection(std::ostream& out, const Discovery& d, const ReportedMotif& m, const formats::ReportMotif& motif,
                       const formats::EnrichmentRow& row, const pages::PageAddition& matches) {
  const Candidate& c = d.candidateOf(m);
  const Search& s = d.searchOf(c);
  out << "<section class=\"motif\" id=\"" << m.id << "\">\n<h2>Motif rank #" << m.rank << ": " << m.id << "</h2>\n";
  out << "<table class=\"scores\">\n";
  writeRow(out, "Found by",
           searchLink(s, s.name) + " (" + searchDescription(s) + "), its motif #" + std::to_string(c.motif.rank) +
               ", " + std::to_string(c.motif.siteCount) + " sites");
  writeRow(out, "E-value", evalueText(c.test.log10E));
  writeRow(out, "E-value given the better motifs",
           evalueText(m.conditional.log10E) + " (their sites masked; " + std::to_string(m.conditional.primaryHitsLeft) +
               " of the " + std::to_string(m.conditional.primaryHits) + " primary sequences with a site keep one)");
  writeRow(out, "Simple repeat",
           m.lowComplexity ? "yes: its consensus repeats a word of 1 to 3 letters; low-complexity DNA rather than a "
                             "binding site"
                           : "no");
  writeRow(out, "Beats the decoy", decoyText(m));
  writeRow(out, "Matrix", matrixDescription(c));
  writeRow(out, "MAP score", fixedPoint(c.motif.mapScore, 6));
  writeRow(out, "Consensus", colouredWord(c.motif.consensus));
  writeRow(out, "Degenerate consensus", colouredWord(c.motif.degenerateConsensus));
  writeRow(out, "Reverse complement", colouredWord(c.motif.reverseConsensus));
  out << "</table>\n";
  pages::writeStrandLogos(out, motif.counts, m.id);
  if (refinementChangedMuch(c)) {
    out << "<p class=\"note\">The search's matrix before refinement (" << c.engine->motif.width()
        << " columns, E = " << evalueText(c.engine->test.log10E) << "):</p>\n"
        << pages::logoSvg(c.engine->motif.counts, "Sequence logo of the search's matrix of " + m.id) << "<br>"
        << colouredWord(c.engine->motif.consensus) << "\n";
  }
  pages::writeEnrichmentSection(out, &row);
  writeMerged(out, d, m);
  writeDependents(out, d, m);
  out << "<div id=\"" << m.id << "-matches\">\n";
  matches.inMotifSection(out, motif);
  out << "</div>\n";
  pages::writeCountMatrix(out, motif.counts);
  writeCentralFigure(out, d, static_cast<std::size_t>(m.rank - 1));
  writeSites(out, d, m);
  out << "</section>\n";
}

void writeSearches(std::ostream& out, const Discovery& d) {
  out << "<section id=\"searches\">\n<h2>Searches</h2>\n<table class=\"searches\">\n"
      << pages::head({{"Search"},
                      {"Sequences"},
                      {"Length", "num"},
                      {"Mismatches", "num"},
                      {"Motifs", "num"},
                      {"Seconds", "num"},
                      {"Files"}})
      << "<tbody>\n";
  for (std::size_t i = 0; i < d.plan.searches.size(); ++i) {
    const Search& s = d.plan.searches[i];
    out << pages::row({pages::text(s.name),
                       pages::text(d.plan.setNames[static_cast<std::size_t>(s.set)]),
                       {std::to_string(s.length), "num"},
                       {std::to_string(s.mismatches), "num"},
                       {std::to_string(d.outcomes[i].report.motifs.size()), "num"},
                       {fixedPoint(d.outcomes[i].seconds, 1), "num seconds"},
                       {searchLink(s, "page") + ", <a href=\"" + escape(searchReportName(s)) + "\">report</a>"}});
  }
  out << "</tbody>\n</table>\n";
  if (!d.plan.skipped.empty()) {
    out << "<p class=\"note\">Skipped for their estimated cost (windows on both strands times initial clusters "
           "above "
        << static_cast<long long>(kDefaultAllowanceBudget) << "):";
    for (const Search& s : d.plan.skipped) out << ' ' << escape(s.name);
    out << ".</p>\n";
  }
  out << "</section>\n";
}

}  // namespace

std::string verdict(const Discovery& d) {
  std::string text;
  // What the decoy sets were drawn from, as the subject of "reaches".
  const bool shuffled = controlSource(d.options.genome, d.options.controlFile) == ControlSource::Shuffled;
  const std::string decoy = shuffled ? "shuffled DNA" : "DNA drawn from the control";
  if (d.motifs.empty()) {
    text = "No motif was found. ";
  } else if (d.decoyRun) {
    const std::string best = evalueText(d.candidateOf(d.motifs.front()).test.log10E);
    const std::string reached = decoyBestText(d.decoyBestLog10E);
    const std::string margin = std::to_string(static_cast<int>(kDecoyMargin));
    if (reached == "none")
      text = "The best motif (E = " + best + ") beats the decoy: the same searches found no motif in " + decoy + ". ";
    else if (*d.motifs.front().beatsDecoy)
      text = "The best motif (E = " + best + ") beats the decoy: " + decoy +
             " searched the same way reaches E = " + reached + " at best, and the best motif is more than " + margin +
             " times below that. ";
    else
      text = "The best motif (E = " + best + ") does not beat the decoy: " + decoy +
             " searched the same way reaches E = " + reached + " (beating it takes an E-value " + margin +
             " times smaller), so nothing found here is distinguishable from " + decoy + ". ";
  } else {
    text = std::string("No decoy was run (--decoy ") + decoyModeName(d.options.decoy) + "). ";
  }
  text += centralSentence(d);
  if (d.options.holdout > 0)
    text += "E-values were computed on the " + formats::percent(d.options.holdout) +
            " of the sequences held out of the searches (" + std::to_string(d.sizes.primaryTested) + " primary, " +
            std::to_string(d.sizes.controlTested) + " control): unbiased, at some loss of power.";
  else
    text +=
        "E-values were computed on the sequences the motifs were found in, which makes them optimistic, the "
        "more so the smaller the set.";
  return text;
}

std::string indexPage(const Discovery& d) {
  const formats::Report reported = reportedMotifs(d);
  std::vector<formats::MatchRow> allMatches;
  std::vector<formats::EnrichmentRow> rows;
  for (std::size_t i = 0; i < d.motifs.size(); ++i) {
    allMatches.insert(allMatches.end(), d.motifs[i].matches.begin(), d.motifs[i].matches.end());
    formats::EnrichmentRow row = stats::rowOf(d.candidateOf(d.motifs[i]).test);
    row.id = d.motifs[i].id;
    rows.push_back(std::move(row));
  }
  const pages::PageAddition matches = pages::matchesAddition(allMatches, "the known matches", reported, d.knownMotifs);
  std::map<std::string, const formats::Motif*> known;
  for (const formats::Motif& t : d.knownMotifs) known.emplace(t.id, &t);

  const bool warning = d.decoyRun && (d.motifs.empty() || !*d.motifs.front().beatsDecoy);
  std::ostringstream out;
  const std::string name = escape(fs::path(formats::inputName(primarySource(d.options))).filename().string());
  out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      << "<title>ZELKOVA motifs of " << name << "</title>\n<style>" << pages::kPageStyle << matches.style << kStyle
      << knownSectionStyle() << kGenomePageStyle << "</style>\n</head>\n<body>\n<header>\n<h1>Motifs of " << name
      << "</h1>\n"
      << "<p class=\"verdict" << (warning ? " warning" : "") << "\">" << escape(verdict(d)) << "</p>\n</header>\n";
  writeSummary(out, d, runSummary(d));
  writeGenomeControlSection(out, d);
  writeMotifTable(out, d, reported, rows, known);
  writeSimpleRepeats(out, d);
  writeKnownSection(out, d);
  writeCentralSection(out, d);
  for (std::size_t i = 0; i < d.motifs.size(); ++i)
    writeMotifSection(out, d, d.motifs[i], reported.motifs[i], rows[i], matches);
  writeSearches(out, d);
  out << "<script>" << pages::kSortScript << "</script>\n</body>\n</html>\n";
  return out.str();
}

}  // namespace discover
