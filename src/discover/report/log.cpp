#include "discover/report/log.h"

#include <fstream>
#include <sstream>

#include "base/version.h"
#include "discover/report/genome_log.h"
#include "discover/report/known_text.h"
#include "discover/report/run_summary.h"
#include "discover/report/site_outputs.h"
#include "discover/search/plan.h"
#include "discover/search/refine.h"
#include "discover/testing/refinement.h"
#include "formats/command_files.h"
#include "formats/enrichment_table.h"
#include "formats/numbers.h"
#include "formats/text_lines.h"

namespace discover {

using formats::fixedPoint;

std::string conditionalDescription(const ConditionalTest& t) {
  return "log10 E " + formats::log10Text(t.log10E) + " with the sites of the better motifs masked; " +
         std::to_string(t.primaryHitsLeft) + " of " + std::to_string(t.primaryHits) +
         " primary sequences with a site keep one";
}

namespace {

// The first line, versionLine("zelkova-discover", VERSION), up to the version.
const std::string kFirstLineStart = versionLine("zelkova-discover", "");

void writeSizes(std::ostream& out, const std::string& label, const SetSizes& s) {
  out << label << ": " << s.primarySearched << " sequences searched, " << s.primaryTested << " tested; control "
      << s.controlSearched << " searched, " << s.controlTested << " tested\n";
}

void writeConditionalTests(std::ostream& out, const Discovery& d) {
  out << "\none motif, one rank (each motif tested with the sites of the better ones masked):\n";
  for (const ReportedMotif& m : d.motifs) {
    out << "  " << m.id << " (" << d.candidateOf(m).motif.consensus << "): " << conditionalDescription(m.conditional)
        << "\n";
    for (const DependentMotif& dependent : m.dependents) {
      const Candidate& c = d.candidates[dependent.group.representative];
      out << "    explains " << d.searchOf(c).name << "-" << c.motif.rank << " (" << c.motif.consensus << ", log10 E "
          << formats::log10Text(c.test.log10E) << "): " << conditionalDescription(dependent.test) << "\n";
    }
  }
}

void writeSimpleRepeats(std::ostream& out, const Discovery& d) {
  if (!d.options.dust) return;
  out << "\nsimple repeats set apart (no rank):" << (d.simpleRepeats.empty() ? " none" : "") << "\n";
  for (const MergedMotif& group : d.simpleRepeats) {
    const Candidate& c = d.candidates[group.representative];
    out << "  " << d.searchOf(c).name << "-" << c.motif.rank << " (" << c.motif.consensus << "): log10 E "
        << formats::log10Text(c.test.log10E) << "\n";
  }
}

// Each refined motif of the primary set kept in place of its search's matrix.
void writeRefined(std::ostream& out, const Discovery& d) {
  out << "\nrefined:\n";
  for (const Candidate& c : d.candidates) {
    if (!c.engine) continue;
    out << "  " << d.searchOf(c).name << "-" << c.motif.rank << ": " << c.engine->motif.consensus << " (log10 E "
        << formats::log10Text(c.engine->test.log10E) << ") -> " << c.motif.consensus << " (log10 E "
        << formats::log10Text(c.test.log10E) << ")\n";
  }
}

void writeSearches(std::ostream& out, const Discovery& d) {
  out << "\nsearches:\n";
  for (std::size_t i = 0; i < d.plan.searches.size(); ++i) {
    const Search& s = d.plan.searches[i];
    out << "  " << s.name << ": " << d.plan.setNames[static_cast<std::size_t>(s.set)] << " sequences, "
        << searchDescription(s) << ", estimated cost " << static_cast<long long>(s.cost) << ", "
        << d.outcomes[i].report.motifs.size() << " motifs (" << fixedPoint(d.outcomes[i].seconds, 2) << " s)\n";
  }
  for (const Search& s : d.plan.skipped)
    out << "  skipped " << s.name << ": estimated cost " << static_cast<long long>(s.cost) << " above the budget "
        << static_cast<long long>(kDefaultAllowanceBudget) << '\n';
}

// The run summary with the log's details between its lines: the genome, the
// notes on the letters read, the sets' sizes and models, the searches'
// settings, the decoy sets and the known motifs.
void writeHead(std::ostream& out, const Discovery& d, const RunSummary& s) {
  const Options& o = d.options;
  out << kFirstLineStart << s.version << "\n";
  out << "started: " << s.started << "\n";
  out << "command line: " << s.commandLine << "\n\n";
  writeGenomeLog(out, d);
  out << "primary: " << s.primaryName << ", " << s.primarySequences << " sequences, " << s.primaryLetters
      << " letters\n";
  out << "trim: " << (s.trim > 0 ? "central " + std::to_string(s.trim) + " letters" : "none") << "\n";
  out << "lower-case letters: " << (s.lowerCaseMasked ? "masked as N" : "read as upper case") << "\n";
  out << "low-complexity DNA: " << s.lowComplexity << "\n";
  out << "control: " << s.control << ", " << s.controlSequences << " sequences, " << s.controlLetters << " letters\n";
  for (const std::string& note : d.inputNotes)
    if (!note.empty()) out << "note: " << note << "\n";
  out << "holdout: " << s.holdout << " (seed " << s.seed << ")\n";
  writeSizes(out, "primary set", s.sizes);
  out << "models: foreground order " << kForegroundOrder << " from the searched primary sequences, background order "
      << s.backgroundOrder << " from the searched control sequences\n";
  out << "lengths: " << lengthsText(s.lengths) << "\n";
  out << "mismatches: "
      << (o.mismatches ? std::to_string(*o.mismatches) + " at every length"
                       : "a quarter of the length; half of it too within the budget")
      << "\n";
  out << "search threshold: " << d.plan.settings.threshold << "\nstrands: " << (o.bothStrands ? "both" : "+ only")
      << "\n";
  out << "refinement: the " << kRefinedCandidates << " best motifs of each set by ZOOPS EM on at most "
      << kRefinementLetters << " letters of the sequences searched, flanks below " << kCoreBits
      << " bits cut; matrices tested: " << d.motifsTested << "\n";
  out << "decoy: " << s.decoyMode << ", " << (s.decoyRun ? "run on " + s.decoySets : "not run") << "\n";
  for (std::size_t r = 0; r < d.decoySizes.size(); ++r) {
    writeSizes(out, "decoy set " + std::to_string(r + 1) + " (shuffle seed " + std::to_string(o.seed + 1 + r) + ")",
               d.decoySizes[r]);
    out << "decoy set " << r + 1 << " background order: " << d.decoyBackgroundOrders[r] << "\n";
  }
  if (s.decoyRun) out << "decoy best E: " << s.decoyBest << "\n";
  out << "database: ";
  if (s.databaseGiven.empty()) out << "the bundled JASPAR collection, ";
  for (std::size_t i = 0; i < s.databaseFiles.size(); ++i) out << (i ? ", " : "") << s.databaseFiles[i];
  out << "; " << s.knownMotifs << " known motifs\n";
  writeKnownLog(out, d);
  out << "top: " << o.top << "\nthreads: " << o.threads << "\n";
  out << "sites.bed: " << s.sitesBed << "\n";
}

}  // namespace

std::string logText(const Discovery& d) {
  const RunSummary s = runSummary(d);
  std::ostringstream out;
  writeHead(out, d, s);
  writeSiteLog(out, d);
  if (!s.warnings.empty()) out << "\nwarnings:\n";
  for (const std::string& w : s.warnings) out << "  " << w << "\n";
  writeSearches(out, d);
  writeRefined(out, d);
  writeConditionalTests(out, d);
  writeSimpleRepeats(out, d);
  out << "\nsteps:\n";
  for (const StepTime& step : s.steps)
    out << "  " << step.step << ": " << step.summary << " (" << fixedPoint(step.seconds, 2) << " s)\n";
  out << "total: " << fixedPoint(s.totalSeconds, 2) << " s\n";
  return out.str();
}

std::string logVersion(std::istream& in, const std::string& source) {
  std::string first;
  std::getline(in, first);
  if (!first.empty() && first.back() == '\r') first.pop_back();
  const std::string version =
      formats::startsWith(first, kFirstLineStart) ? first.substr(kFirstLineStart.size()) : std::string();
  if (version.empty() || version.find_first_of(" \t") != std::string::npos)
    throw ReadError(source, 1, "expected \"" + kFirstLineStart + "VERSION\", found " + formats::quoted(first));
  return version;
}

std::string logVersionOfFile(const std::string& path) {
  std::ifstream in = formats::openFile(path);
  return logVersion(in, path);
}

}  // namespace discover
