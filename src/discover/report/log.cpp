#include "discover/report/log.h"

#include <fstream>
#include <sstream>

#include "base/version.h"
#include "discover/naming/known.h"
#include "discover/report/genome_log.h"
#include "discover/report/site_outputs.h"
#include "discover/search/plan.h"
#include "discover/search/refine.h"
#include "formats/command_files.h"
#include "formats/enrichment_table.h"
#include "formats/numbers.h"
#include "formats/text_lines.h"

namespace discover {

using numbers::fixedPoint;

std::string controlDescription(const Discovery& d) {
  switch (controlSource(d.options.genome, d.options.controlFile)) {
    case ControlSource::File: return command_files::inputName(d.options.controlFile);
    case ControlSource::Shuffled: break;
    case ControlSource::GenomicBackground:
    case ControlSource::ControlPeaks: return genomeControlText(d);
  }
  return std::to_string(kShuffledCopies) + " dinucleotide-shuffled copies of each primary sequence (seed " +
         std::to_string(d.options.seed) + ")";
}

namespace {

// What the decoy sets are drawn from.
std::string decoySource(const Discovery& d) {
  switch (controlSource(d.options.genome, d.options.controlFile)) {
    case ControlSource::File: return "the control " + d.options.controlFile;
    case ControlSource::Shuffled: break;
    case ControlSource::GenomicBackground: return "the genomic background";
    case ControlSource::ControlPeaks: return "the windows of the control peaks";
  }
  return "the shuffled copies of the primary sequences";
}

}  // namespace

std::string decoyDescription(const Discovery& d) {
  std::size_t size = 0;  // sequences in each set: searched and, with a holdout, held out
  if (!d.decoySizes.empty()) {
    const SetSizes& s = d.decoySizes.front();
    size = d.options.holdout > 0 ? s.primarySearched + s.primaryTested : s.primarySearched;
  }
  const std::size_t sets = d.decoySizes.size();
  return std::to_string(sets) + (sets == 1 ? " set of " : " sets of ") + std::to_string(size) +
         " sequences drawn from " + decoySource(d);
}

std::string lowComplexityDescription(const Discovery& d) {
  if (!d.options.dust) return "not masked (--no-dust)";
  return "masked as N by DUST (window " + std::to_string(kDustWindow) + ", level " + std::to_string(d.options.dustLevel) +
         "): " + numbers::percentOf(d.primaryDusted, d.primaryLetters) + " of the primary letters, " +
         numbers::percentOf(d.controlDusted, d.controlLetters) + " of the control letters";
}

std::string siteBedDescription(const Discovery& d) {
  if (d.genome) return "written, in the coordinates of the genome";
  if (d.regions) return "written, in the genome coordinates the headers name";
  return "not written: " + d.regionsMissing;
}

std::string conditionalDescription(const ConditionalTest& t) {
  return "log10 E " + enrichment_table::log10Text(t.log10E) + " with the sites of the better motifs masked; " +
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
          << enrichment_table::log10Text(c.test.log10E) << "): " << conditionalDescription(dependent.test) << "\n";
    }
  }
}

void writeSimpleRepeats(std::ostream& out, const Discovery& d) {
  if (!d.options.dust) return;
  out << "\nsimple repeats set apart (no rank):" << (d.simpleRepeats.empty() ? " none" : "") << "\n";
  for (const MergedMotif& group : d.simpleRepeats) {
    const Candidate& c = d.candidates[group.representative];
    out << "  " << d.searchOf(c).name << "-" << c.motif.rank << " (" << c.motif.consensus << "): log10 E "
        << enrichment_table::log10Text(c.test.log10E) << "\n";
  }
}

// Each refined motif of the primary set kept in place of its search's matrix.
void writeRefined(std::ostream& out, const Discovery& d) {
  out << "\nrefined:\n";
  for (const Candidate& c : d.candidates) {
    if (!c.engine) continue;
    out << "  " << d.searchOf(c).name << "-" << c.motif.rank << ": " << c.engine->motif.consensus << " (log10 E "
        << enrichment_table::log10Text(c.engine->test.log10E) << ") -> " << c.motif.consensus << " (log10 E "
        << enrichment_table::log10Text(c.test.log10E) << ")\n";
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

}  // namespace

std::string logText(const Discovery& d) {
  const Options& o = d.options;
  std::ostringstream out;
  out << kFirstLineStart << d.version << "\n";
  out << "started: " << d.started << "\n";
  out << "command line: " << o.commandLine << "\n\n";
  writeGenomeLog(out, d);
  out << "primary: " << command_files::inputName(primarySource(o)) << ", " << d.primary.records.size() << " sequences, " << d.primaryLetters
      << " letters\n";
  out << "trim: " << (o.trim > 0 ? "central " + std::to_string(o.trim) + " letters" : "none") << "\n";
  out << "lower-case letters: " << (o.maskLowercase ? "masked as N" : "read as upper case") << "\n";
  out << "low-complexity DNA: " << lowComplexityDescription(d) << "\n";
  out << "control: " << controlDescription(d) << ", " << d.controlSequences << " sequences, " << d.controlLetters
      << " letters\n";
  for (const std::string& note : d.inputNotes)
    if (!note.empty()) out << "note: " << note << "\n";
  out << "holdout: " << o.holdout << " (seed " << o.seed << ")\n";
  writeSizes(out, "primary set", d.sizes);
  out << "models: foreground order " << kForegroundOrder << " from the searched primary sequences, background order "
      << d.backgroundOrder << " from the searched control sequences\n";
  out << "lengths: " << lengthsText(o.lengths) << "\n";
  out << "mismatches: "
      << (o.mismatches ? std::to_string(*o.mismatches) + " at every length"
                       : "a quarter of the length; half of it too within the budget")
      << "\n";
  out << "search threshold: " << d.plan.settings.threshold << "\nstrands: " << (o.bothStrands ? "both" : "+ only")
      << "\n";
  out << "refinement: the " << kRefinedCandidates << " best motifs of each set by ZOOPS EM on at most "
      << kRefinementLetters << " letters of the sequences searched, flanks below " << kCoreBits
      << " bits cut; matrices tested: " << d.motifsTested << "\n";
  out << "decoy: " << decoyModeName(o.decoy) << ", " << (d.decoyRun ? "run on " + decoyDescription(d) : "not run")
      << "\n";
  for (std::size_t r = 0; r < d.decoySizes.size(); ++r) {
    writeSizes(out, "decoy set " + std::to_string(r + 1) + " (shuffle seed " + std::to_string(o.seed + 1 + r) + ")",
               d.decoySizes[r]);
    out << "decoy set " << r + 1 << " background order: " << d.decoyBackgroundOrders[r] << "\n";
  }
  if (d.decoyRun) out << "decoy best E: " << decoyBestText(d) << "\n";
  out << "database: ";
  if (o.databaseFiles.empty()) out << "the bundled JASPAR collection, ";
  for (std::size_t i = 0; i < d.databaseFiles.size(); ++i) out << (i ? ", " : "") << d.databaseFiles[i];
  out << "; " << d.knownMotifs.size() << " known motifs\n";
  writeKnownLog(out, d);
  out << "top: " << o.top << "\nthreads: " << o.threads << "\n";
  out << "sites.bed: " << siteBedDescription(d) << "\n";
  writeSiteLog(out, d);
  if (!d.warnings.empty()) out << "\nwarnings:\n";
  for (const std::string& w : d.warnings) out << "  " << w << "\n";
  writeSearches(out, d);
  writeRefined(out, d);
  writeConditionalTests(out, d);
  writeSimpleRepeats(out, d);
  out << "\nsteps:\n";
  for (const StepTime& step : d.steps)
    out << "  " << step.step << ": " << step.summary << " (" << fixedPoint(step.seconds, 2) << " s)\n";
  out << "total: " << fixedPoint(d.totalSeconds, 2) << " s\n";
  return out.str();
}

std::string logVersion(std::istream& in, const std::string& source) {
  std::string first;
  std::getline(in, first);
  if (!first.empty() && first.back() == '\r') first.pop_back();
  const std::string version =
      textio::startsWith(first, kFirstLineStart) ? first.substr(kFirstLineStart.size()) : std::string();
  if (version.empty() || version.find_first_of(" \t") != std::string::npos)
    throw ReadError(source, 1, "expected \"" + kFirstLineStart + "VERSION\", found " +
                                           textio::quoted(first));
  return version;
}

std::string logVersionOfFile(const std::string& path) {
  std::ifstream in = textio::openFile(path);
  return logVersion(in, path);
}

}  // namespace discover
