// zelkova.scan, zelkova.enrich and zelkova.compare: each program's command
// line parsed by its own parser and its run's steps, with motifs read from
// their files as the program reads them or handed over from Python.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/compare_command.h"
#include "cli/enrich_command.h"
#include "formats/match_table.h"
#include "formats/motif_files.h"
#include "formats/site_table.h"
#include "python/bindings.h"
#include "python/runner.h"
#include "scan/options.h"
#include "scan/run.h"
#include "stats/motif_database.h"

namespace python {

namespace py = pybind11;

namespace {

using Motifs = std::optional<std::vector<formats::Motif>>;

// A program's parser over `words` (the program's name first).
template <typename Parse>
auto parseWords(const std::vector<std::string>& words, Parse parse) {
  std::vector<const char*> argv;
  for (const std::string& word : words) argv.push_back(word.c_str());
  auto options = parse(static_cast<int>(argv.size()), argv.data());
  if (!options) throw py::value_error("--help and --version are for the command line");
  return std::move(*options);
}

scan::SiteTable runScan(const std::vector<std::string>& words, const Motifs& motifs, const py::object& progress,
                        const py::object& cancel) {
  const scan::Options options = parseWords(words, scan::parseArguments);
  scan::SiteTable table;
  runInterruptibly(
      [&](RunControl& control) {
        const std::vector<formats::Motif> scanned = motifs ? *motifs : formats::readFiles(options.motifFiles);
        long long letters = 0;
        table = scan::scanMotifs(scanned, options, [&](long long more) {
          control.checkpoint();
          letters += more;
          control.post({"Scanning", -1, std::to_string(letters) + " letters scanned", false});
        });
      },
      progress, cancel);
  return table;
}

std::string siteTableText(const std::string& layout, const std::vector<formats::SiteRow>& rows) {
  const formats::Layout chosen = layout == "bed"    ? formats::Layout::Bed
                                 : layout == "gff3" ? formats::Layout::Gff3
                                                    : formats::Layout::Tsv;
  if (layout != "tsv" && layout != "bed" && layout != "gff3")
    throw py::value_error("--format \"" + layout + "\" is not one of tsv, bed, gff3.");
  return formats::siteHeaderText(chosen) + formats::siteRowsText(chosen, rows);
}

struct EnrichTables {
  cli::EnrichTables tables;
  std::vector<std::string> notes;  // about IUPAC letters read as N
};

// With `motifs`, they are the MOTIFS (or, `asDatabase`, the --db) of the run.
EnrichTables runEnrich(const std::vector<std::string>& words, const Motifs& motifs, bool asDatabase,
                       const py::object& progress, const py::object& cancel) {
  const cli::EnrichOptions options = parseWords(words, cli::parseEnrichArguments);
  EnrichTables result;
  runInterruptibly(
      [&](RunControl& control) {
        cli::EnrichMotifs tested;
        if (!motifs)
          tested = cli::readMotifs(options);
        else if (asDatabase)
          tested.database = *motifs;
        else
          tested.file.motifs = *motifs;
        result.tables = cli::tables(
            options, tested, [&](const std::string& note) { result.notes.push_back(note); },
            [&](std::size_t done, std::size_t total) {
              control.checkpoint();
              control.post({"Enrichment", static_cast<double>(done) / static_cast<double>(total),
                            std::to_string(done) + " of " + std::to_string(total) + " motifs tested", false});
            });
      },
      progress, cancel);
  return result;
}

std::vector<formats::MatchRow> runCompare(const std::vector<std::string>& words, const Motifs& queries,
                                          const Motifs& database) {
  const cli::CompareOptions options = parseWords(words, cli::parseCompareArguments);
  py::gil_scoped_release released;
  const std::vector<formats::Motif> query = queries ? *queries : formats::readMotifFile(options.motifFile);
  return cli::bestMatches(query, database ? *database : stats::loadMotifDatabase(options.databaseFiles), options);
}

std::string matchTableText(const std::vector<formats::MatchRow>& rows) {
  std::ostringstream out;
  formats::writeMatchTable(out, rows);
  return out.str();
}

void bindRows(py::module_& module) {
  py::class_<formats::GenomePlace>(module, "_GenomePlace")
      .def_readonly("chrom", &formats::GenomePlace::chrom)
      .def_readonly("start", &formats::GenomePlace::start)
      .def_readonly("end", &formats::GenomePlace::end)
      .def_readonly("strand", &formats::GenomePlace::strand);
  py::class_<formats::SiteRow>(module, "_SiteRow")
      .def_readonly("motif_id", &formats::SiteRow::motifId)
      .def_readonly("motif_alt_id", &formats::SiteRow::motifAlt)
      .def_readonly("sequence", &formats::SiteRow::sequence)
      .def_readonly("start", &formats::SiteRow::start)
      .def_readonly("end", &formats::SiteRow::end)
      .def_readonly("strand", &formats::SiteRow::strand)
      .def_readonly("score", &formats::SiteRow::score)
      .def_readonly("p", &formats::SiteRow::p)
      .def_readonly("q", &formats::SiteRow::q)
      .def_readonly("matched", &formats::SiteRow::matched)
      .def_readonly("place", &formats::SiteRow::place);
  py::class_<scan::SiteTable>(module, "_SiteTable")
      .def_readonly("rows", &scan::SiteTable::rows)
      .def_readonly("warnings", &scan::SiteTable::warnings);
  py::class_<formats::MatchRow>(module, "_MatchRow")
      .def_readonly("query", &formats::MatchRow::query)
      .def_readonly("query_consensus", &formats::MatchRow::queryConsensus)
      .def_readonly("target_id", &formats::MatchRow::targetId)
      .def_readonly("target_name", &formats::MatchRow::targetName)
      .def_readonly("reverse", &formats::MatchRow::reverse)
      .def_readonly("offset", &formats::MatchRow::offset)
      .def_readonly("overlap", &formats::MatchRow::overlap)
      .def_readonly("p", &formats::MatchRow::p)
      .def_readonly("e", &formats::MatchRow::e)
      .def_readonly("q", &formats::MatchRow::q)
      .def_readonly("target_consensus", &formats::MatchRow::targetConsensus);
  py::class_<EnrichTables>(module, "_EnrichTables")
      .def_property_readonly("table", [](const EnrichTables& t) { return t.tables.table; })
      .def_property_readonly("sites", [](const EnrichTables& t) { return t.tables.sites; })
      .def_readonly("notes", &EnrichTables::notes);
}

}  // namespace

void bindTables(py::module_& module) {
  bindRows(module);
  module.def("_scan", &runScan, py::arg("argv"), py::arg("motifs"), py::arg("progress"), py::arg("cancel"),
             "Runs zelkova-scan's scan with the command line `argv`; motifs None: its MOTIFS files.");
  module.def("_site_table_text", &siteTableText, py::arg("layout"), py::arg("rows"),
             "The rows as zelkova-scan writes them: tsv, bed or gff3.");
  module.def("_enrich", &runEnrich, py::arg("argv"), py::arg("motifs"), py::arg("as_database"), py::arg("progress"),
             py::arg("cancel"), "Runs zelkova-enrich's tests with the command line `argv`.");
  module.def("_compare", &runCompare, py::arg("argv"), py::arg("queries"), py::arg("database"),
             "zelkova-compare's matches with the command line `argv`.");
  module.def("_match_table_text", &matchTableText, py::arg("rows"), "The rows as zelkova-compare writes them.");
}

}  // namespace python
