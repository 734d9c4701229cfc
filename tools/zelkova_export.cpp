// zelkova-export: writes the motifs of a zelkova report as MEME, JASPAR or
// TRANSFAC matrices or as an HTML page with sequence logos.
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/companion_parser.h"
#include "formats/command_files.h"
#include "formats/match_table.h"
#include "formats/motif_export.h"
#include "formats/output_file.h"
#include "formats/report_reader.h"
#include "pages/enrichment_section.h"
#include "pages/matches_section.h"
#include "pages/report_page.h"
#include "stats/enrichment_table.h"
#include "stats/motif_database.h"

namespace {

const char* const kDescription =
    "Reads REPORT, a report written by zelkova, and writes its motifs in FORMAT:\n"
    "  meme      MEME motif format, version 4 (letter probabilities)\n"
    "  jaspar    JASPAR count matrices\n"
    "  transfac  TRANSFAC count matrices\n"
    "  html      one self-contained HTML page: run parameters, and per motif its\n"
    "            scores, sequence logos of both strands, count matrix and sites\n"
    "Motifs are named ZELKOVA-1, ZELKOVA-2, ... by their rank in the report.\n"
    "With --enrichment the page also shows, per motif, the threshold, the\n"
    "counts, the enrichment and the E-value that zelkova-enrich found.\n"

    "With --matches, the page shows in each motif's section the known motifs\n"
    "zelkova-compare matched to it, their logos aligned under the motif's.\n";

struct ExportOptions {
  std::string format;
  std::string outputFile;  // empty: standard output
  std::string reportFile;
  std::string enrichmentFile;  // empty: none
  std::string matchesFile;                 // html only; empty: no matches section
  std::vector<std::string> databaseFiles;  // where the matched motifs are; empty: the bundled one
};

bool knownFormat(const std::string& format) {
  return format == "meme" || format == "jaspar" || format == "transfac" || format == "html";
}

// Nothing when --help or --version was answered.
std::optional<ExportOptions> parseArguments(int argc, const char* const* argv) {
  ExportOptions options;
  cli::Parser parser("zelkova-export", "--format FORMAT [-o FILE] REPORT", kDescription);
  parser.value("-f", "--format", "FORMAT", "meme, jaspar, transfac or html (required)",
               [&](const std::string& value) {
                 if (!knownFormat(value))
                   throw cli::UsageError("unknown format \"" + value + "\"; use meme, jaspar, transfac or html.");
                 options.format = value;
               });
  parser.value("-o", "--output", "FILE", "write to FILE (default, or \"-\": standard output)", options.outputFile);
  parser.value("-e", "--enrichment", "FILE",
               "html only: show the enrichment of each motif from FILE,\na table written by zelkova-enrich for REPORT",
               options.enrichmentFile);
  parser.value("-m", "--matches", "FILE", "html: show the matches zelkova-compare wrote to FILE",
               options.matchesFile);
  parser.repeatable("-d", "--db", "FILE",
                    "with --matches: the database the matches came from (default:\n"
                    "the bundled JASPAR collection); may be given more than once",
                    options.databaseFiles);
  const std::optional<std::vector<std::string>> reports = parser.parse(argc, argv);
  if (!reports) return std::nullopt;
  if (reports->size() > 1)
    throw cli::UsageError("more than one report given (" + (*reports)[0] + ", " + (*reports)[1] + ").");
  if (options.format.empty()) throw cli::UsageError("no format given (--format meme|jaspar|transfac|html).");
  if (reports->empty()) throw cli::UsageError("no report given.");
  if (!options.enrichmentFile.empty() && options.format != "html")
    throw cli::UsageError("--enrichment goes with --format html only.");
  if (!options.matchesFile.empty() && options.format != "html")
    throw cli::UsageError("--matches is for --format html only.");
  if (!options.databaseFiles.empty() && options.matchesFile.empty())
    throw cli::UsageError("--db names where the motifs of --matches are; give --matches too.");
  options.reportFile = reports->front();
  return options;
}

std::string baseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string exportText(const ExportOptions& options, const report::Report& report) {
  std::ostringstream out;
  if (options.format == "meme") export_formats::writeMeme(out, report);
  if (options.format == "jaspar") export_formats::writeJaspar(out, report);
  if (options.format == "transfac") export_formats::writeTransfac(out, report);
  if (options.format == "html") {
    std::vector<export_html::PageAddition> additions;
    std::vector<enrichment_table::Row> rows;
    std::vector<const enrichment_table::Row*> enrichment;
    if (!options.enrichmentFile.empty()) {
      rows = enrichment_table::readFile(options.enrichmentFile);
      enrichment = export_html::matchEnrichment(report, rows, options.enrichmentFile);
      additions.push_back(export_html::enrichmentAddition(report, enrichment));
    }
    if (!options.matchesFile.empty())
      additions.push_back(export_html::matchesAddition(match_table::readFile(options.matchesFile),
                                                       options.matchesFile, report,
                                                       motif_database::load(options.databaseFiles)));
    export_html::writeHtml(out, report, baseName(options.reportFile), "zelkova-export", additions);
  }
  return out.str();
}

}  // namespace

int main(int argc, char** argv) {
  return cli::runProgram("zelkova-export", [&] {
    const std::optional<ExportOptions> options = parseArguments(argc, argv);
    if (!options) return 0;
    std::vector<std::string> inputs{options->reportFile};
    for (const std::string* file : {&options->enrichmentFile, &options->matchesFile})
      if (!file->empty()) inputs.push_back(*file);
    inputs.insert(inputs.end(), options->databaseFiles.begin(), options->databaseFiles.end());
    command_files::check(inputs, {{options->outputFile, "output"}});
    const report::Report report = report::readFile(options->reportFile);
    output_file::writeWholeFile(options->outputFile, exportText(*options, report));
    return 0;
  });
}
