#include "export/export_command.h"

#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/companion_parser.h"
#include "formats/command_files.h"
#include "formats/enrichment_table.h"
#include "formats/known_table.h"
#include "formats/match_table.h"
#include "formats/motif_files.h"
#include "formats/output_file.h"
#include "pages/enrichment_section.h"
#include "pages/matches_section.h"
#include "pages/motif_page.h"
#include "pages/report_page.h"
#include "stats/enrichment.h"
#include "stats/matrix_text.h"
#include "stats/motif_database.h"

namespace exporter {

namespace {

const char* const kDescription =
    "Reads the motifs of MOTIFS, a report written by zelkova or a MEME, JASPAR,\n"
    "TRANSFAC or HOMER file (the format is told from the content), and writes\n"
    "them in FORMAT:\n"
    "  meme      MEME motif format, version 4 (letter probabilities)\n"
    "  jaspar    JASPAR count matrices\n"
    "  transfac  TRANSFAC count matrices\n"
    "  homer     HOMER .motif files, with a log-odds detection threshold per\n"
    "            motif: the score random DNA reaches with probability 1e-4\n"
    "  html      one self-contained HTML page: per motif its logos of both\n"
    "            strands and its matrix; for a report also the run parameters,\n"
    "            scores and sites\n"
    "Several MOTIFS files are written as one set; identifiers must be unique.\n"
    "A report's motifs are named ZELKOVA-1, ZELKOVA-2, ... by their rank.\n"
    "With --enrichment the page also shows what zelkova-enrich found: per motif\n"
    "the threshold, the counts, the enrichment and the E-value; or, for a table\n"
    "of zelkova-enrich --db (or zelkova-discover's known.tsv) with the database\n"
    "as MOTIFS, the best known motifs with their logos.\n"
    "With --matches, the page of a report shows in each motif's section the\n"
    "known motifs zelkova-compare matched to it, their logos aligned under the\n"
    "motif's.\n";

bool knownFormat(const std::string& format) { return format == "html" || stats::isMatrixFormat(format); }

}  // namespace

std::optional<Options> parseArguments(int argc, const char* const* argv) {
  Options options;
  cli::Parser parser("zelkova-export", "--format FORMAT [-o FILE] MOTIFS...", kDescription);
  parser.value("-f", "--format", "FORMAT", "meme, jaspar, transfac, homer or html (required)",
               [&](const std::string& value) {
                 if (!knownFormat(value))
                   throw UsageError("unknown format \"" + value + "\"; use meme, jaspar, transfac, homer or html.");
                 options.format = value;
               });
  parser.value("-o", "--output", "FILE", "write to FILE (default, or \"-\": standard output)", options.outputFile);
  parser.value("-e", "--enrichment", "FILE",
               "html only: show the enrichment from FILE, a table written by\n"
               "zelkova-enrich for MOTIFS (or by zelkova-enrich --db for the\n"
               "database MOTIFS)",
               options.enrichmentFile);
  parser.value("-m", "--matches", "FILE", "html of a report: show the matches zelkova-compare wrote to FILE",
               options.matchesFile);
  parser.repeatable("-d", "--db", "FILE",
                    "with --matches: the database the matches came from (default:\n"
                    "the bundled JASPAR collection); may be given more than once",
                    options.databaseFiles);
  const std::optional<std::vector<std::string>> files = parser.parse(argc, argv);
  if (!files) return std::nullopt;
  if (options.format.empty()) throw UsageError("no format given (--format meme|jaspar|transfac|homer|html).");
  if (files->empty()) throw UsageError("no MOTIFS file given.");
  if (!options.enrichmentFile.empty() && options.format != "html")
    throw UsageError("--enrichment goes with --format html only.");
  if (!options.matchesFile.empty() && options.format != "html")
    throw UsageError("--matches is for --format html only.");
  if (!options.databaseFiles.empty() && options.matchesFile.empty())
    throw UsageError("--db names where the motifs of --matches are; give --matches too.");
  options.motifFiles = *files;
  return options;
}

namespace {

std::string baseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string namesOf(const std::vector<std::string>& paths) {
  std::string names;
  for (const std::string& p : paths) names += (names.empty() ? "" : ", ") + baseName(p);
  return names;
}

// What the files hold: their motifs as one set, and the report when the only
// file is one.
struct Inputs {
  std::vector<formats::Motif> motifs;
  std::optional<formats::Report> report;
};

Inputs readInputs(const std::vector<std::string>& paths) {
  if (paths.size() == 1) {
    formats::MotifFile file = formats::readWholeFile(paths.front());
    return {std::move(file.motifs), std::move(file.report)};
  }
  return {formats::readFiles(paths), std::nullopt};
}

bool firstLineIsKnownHeader(const std::string& path) {
  std::ifstream in = formats::openFile(path);
  std::string first;
  std::getline(in, first);
  return formats::isKnownHeader(first);
}

std::string reportPage(const Options& options, const formats::Report& report) {
  std::vector<pages::PageAddition> additions;
  std::vector<formats::EnrichmentRow> rows;
  std::vector<const formats::EnrichmentRow*> enrichment;
  if (!options.enrichmentFile.empty()) {
    rows = formats::readEnrichmentTableFile(options.enrichmentFile);
    enrichment = pages::matchEnrichment(report, rows, options.enrichmentFile);
    additions.push_back(pages::enrichmentAddition(report, enrichment));
  }
  if (!options.matchesFile.empty())
    additions.push_back(pages::matchesAddition(formats::readMatchTableFile(options.matchesFile), options.matchesFile,
                                               report, stats::loadMotifDatabase(options.databaseFiles)));
  std::ostringstream out;
  pages::writeHtml(out, report, baseName(options.motifFiles.front()), "zelkova-export", additions);
  return out.str();
}

std::string motifPage(const Options& options, const std::vector<formats::Motif>& motifs) {
  std::ostringstream out;
  const std::string names = namesOf(options.motifFiles);
  if (options.enrichmentFile.empty()) {
    pages::writeMotifPage(out, motifs, names, "zelkova-export");
    return out.str();
  }
  const std::vector<formats::EnrichmentRow> rows = formats::readEnrichmentTableFile(options.enrichmentFile);
  std::vector<std::string> ids, consensus;
  for (const stats::MotifMatrix& m : stats::motifsOf(motifs)) {
    ids.push_back(m.id);
    consensus.push_back(m.consensus);
  }
  pages::writeMotifPage(out, motifs, names, "zelkova-export",
                        pages::matchEnrichment(ids, consensus, rows, options.enrichmentFile));
  return out.str();
}

std::string htmlText(const Options& options, const Inputs& inputs) {
  if (!options.enrichmentFile.empty() && firstLineIsKnownHeader(options.enrichmentFile)) {
    std::ostringstream out;
    pages::writeKnownPage(out, formats::readKnownTableFile(options.enrichmentFile), options.enrichmentFile,
                          inputs.motifs, namesOf(options.motifFiles), "zelkova-export");
    return out.str();
  }
  if (inputs.report) return reportPage(options, *inputs.report);
  if (!options.matchesFile.empty()) throw UsageError("--matches goes with a single zelkova report as MOTIFS.");
  return motifPage(options, inputs.motifs);
}

std::string exportText(const Options& options, const Inputs& inputs) {
  if (options.format == "html") return htmlText(options, inputs);
  return stats::matrixText(options.format, inputs.motifs, inputs.report ? &*inputs.report : nullptr);
}

}  // namespace

int run(const Options& options) {
  std::vector<std::string> inputs = options.motifFiles;
  for (const std::string* file : {&options.enrichmentFile, &options.matchesFile})
    if (!file->empty()) inputs.push_back(*file);
  inputs.insert(inputs.end(), options.databaseFiles.begin(), options.databaseFiles.end());
  formats::checkCommandFiles(inputs, {{options.outputFile, "output"}});
  const Inputs read = readInputs(options.motifFiles);
  formats::writeWholeFile(options.outputFile, exportText(options, read));
  return 0;
}

}  // namespace exporter
