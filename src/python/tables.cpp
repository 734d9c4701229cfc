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

namespace python_bindings {

namespace py = pybind11;

namespace {

using Motifs = std::optional<std::vector<motif::Motif>>;

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
        const std::vector<motif::Motif> scanned = motifs ? *motifs : motif_files::readFiles(options.motifFiles);
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

std::string siteTableText(const std::string& layout, const std::vector<site_table::SiteRow>& rows) {
  const site_table::Layout chosen = layout == "bed"    ? site_table::Layout::Bed
                                    : layout == "gff3" ? site_table::Layout::Gff3
                                                       : site_table::Layout::Tsv;
  if (layout != "tsv" && layout != "bed" && layout != "gff3")
    throw py::value_error("--format \"" + layout + "\" is not one of tsv, bed, gff3.");
  return site_table::headerText(chosen) + site_table::rowsText(chosen, rows);
}

struct EnrichTables {
  enrich_command::Tables tables;
  std::vector<std::string> notes;  // about IUPAC letters read as N
};

// With `motifs`, they are the MOTIFS (or, `asDatabase`, the --db) of the run.
EnrichTables runEnrich(const std::vector<std::string>& words, const Motifs& motifs, bool asDatabase,
                       const py::object& progress, const py::object& cancel) {
  const enrich_command::Options options = parseWords(words, enrich_command::parseArguments);
  EnrichTables result;
  runInterruptibly(
      [&](RunControl& control) {
        enrich_command::Motifs tested;
        if (!motifs)
          tested = enrich_command::readMotifs(options);
        else if (asDatabase)
          tested.database = *motifs;
        else
          tested.file.motifs = *motifs;
        result.tables = enrich_command::tables(
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

std::vector<match_table::Row> runCompare(const std::vector<std::string>& words, const Motifs& queries,
                                         const Motifs& database) {
  const compare_command::Options options = parseWords(words, compare_command::parseArguments);
  py::gil_scoped_release released;
  const std::vector<motif::Motif> query = queries ? *queries : motif_files::readFile(options.motifFile);
  return compare_command::bestMatches(query, database ? *database : motif_database::load(options.databaseFiles),
                                      options);
}

std::string matchTableText(const std::vector<match_table::Row>& rows) {
  std::ostringstream out;
  match_table::write(out, rows);
  return out.str();
}

void bindRows(py::module_& module) {
  py::class_<site_table::GenomePlace>(module, "_GenomePlace")
      .def_readonly("chrom", &site_table::GenomePlace::chrom)
      .def_readonly("start", &site_table::GenomePlace::start)
      .def_readonly("end", &site_table::GenomePlace::end)
      .def_readonly("strand", &site_table::GenomePlace::strand);
  py::class_<site_table::SiteRow>(module, "_SiteRow")
      .def_readonly("motif_id", &site_table::SiteRow::motifId)
      .def_readonly("motif_alt_id", &site_table::SiteRow::motifAlt)
      .def_readonly("sequence", &site_table::SiteRow::sequence)
      .def_readonly("start", &site_table::SiteRow::start)
      .def_readonly("end", &site_table::SiteRow::end)
      .def_readonly("strand", &site_table::SiteRow::strand)
      .def_readonly("score", &site_table::SiteRow::score)
      .def_readonly("p", &site_table::SiteRow::p)
      .def_readonly("q", &site_table::SiteRow::q)
      .def_readonly("matched", &site_table::SiteRow::matched)
      .def_readonly("place", &site_table::SiteRow::place);
  py::class_<scan::SiteTable>(module, "_SiteTable")
      .def_readonly("rows", &scan::SiteTable::rows)
      .def_readonly("warnings", &scan::SiteTable::warnings);
  py::class_<match_table::Row>(module, "_MatchRow")
      .def_readonly("query", &match_table::Row::query)
      .def_readonly("query_consensus", &match_table::Row::queryConsensus)
      .def_readonly("target_id", &match_table::Row::targetId)
      .def_readonly("target_name", &match_table::Row::targetName)
      .def_readonly("reverse", &match_table::Row::reverse)
      .def_readonly("offset", &match_table::Row::offset)
      .def_readonly("overlap", &match_table::Row::overlap)
      .def_readonly("p", &match_table::Row::p)
      .def_readonly("e", &match_table::Row::e)
      .def_readonly("q", &match_table::Row::q)
      .def_readonly("target_consensus", &match_table::Row::targetConsensus);
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

}  // namespace python_bindings
