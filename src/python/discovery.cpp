// zelkova.discover: the zelkova-discover pipeline from its own command line
// (the keywords of the Python call become its options, so that every setting
// is checked with the program's messages), run interruptibly, and its result
// with the program's tables and files.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "discover/pipeline.h"
#include "discover/report/files.h"
#include "discover/report/known_text.h"
#include "discover/report/log.h"
#include "discover/report/result.h"
#include "discover/report/tables.h"
#include "discover/setup/options.h"
#include "discover/setup/output_dir.h"
#include "discover/setup/progress.h"
#include "formats/match_table.h"
#include "formats/motif_files.h"
#include "python/bindings.h"
#include "python/runner.h"

namespace python {

namespace py = pybind11;

namespace {

using Discovery = std::shared_ptr<discover::Discovery>;

discover::Options parseDiscoverArguments(const std::vector<std::string>& words) {
  std::vector<const char*> argv;
  for (const std::string& word : words) argv.push_back(word.c_str());
  std::optional<discover::Options> options = discover::parseArguments(static_cast<int>(argv.size()), argv.data());
  if (!options) throw py::value_error("--help and --version are for the command line");
  return std::move(*options);
}

// Runs the pipeline as the program does, its files written into the output
// directory when `write`; otherwise that directory (a temporary one of the
// caller's) only holds the run while it lasts.
Discovery runDiscovery(const std::vector<std::string>& words, bool write, const py::object& progress,
                       const py::object& cancel) {
  const discover::Options options = parseDiscoverArguments(words);
  if (options.genome.indexOnly) throw py::value_error("--index-genome is for the command line");
  Discovery result;
  runInterruptibly(
      [&](RunControl& control) {
        discover::OutputDirectory directory(options.outputDir, options.force);
        discover::StepProgress steps([&](const discover::StepEvent& event) { control.post(event); });
        const RunControl::StopHook hook(control, [&] { steps.cancel(); });
        // A stop here is an exception, so a genome index being built is
        // removed by its own destructor: no folder needs listing.
        auto discovery = std::make_shared<discover::Discovery>(discover::runDiscovery(options, directory, {}, steps));
        control.checkpoint();
        if (write) discover::writeDiscovery(*discovery, directory);
        result = std::move(discovery);
      },
      progress, cancel);
  return result;
}

void writeInto(const discover::Discovery& d, const std::string& path, bool force) {
  py::gil_scoped_release released;
  discover::OutputDirectory directory(path, force);
  discover::writeDiscoveryInto(d, directory);
}

std::vector<double> log10Evalues(const discover::Discovery& d) {
  std::vector<double> values;
  for (const discover::ReportedMotif& m : d.motifs) values.push_back(d.candidateOf(m).test.log10E);
  return values;
}

std::vector<std::vector<formats::MatchRow>> matchesOf(const discover::Discovery& d) {
  std::vector<std::vector<formats::MatchRow>> matches;
  for (const discover::ReportedMotif& m : d.motifs) matches.push_back(m.matches);
  return matches;
}

}  // namespace

void bindDiscovery(py::module_& module) {
  py::class_<discover::Discovery, std::shared_ptr<discover::Discovery>>(
      module, "_Discovery", "What a discovery found, as zelkova-discover's outputs are written from it.")
      .def(
          "motifs",
          [](const discover::Discovery& d) {
            return formats::fromReport(discover::reportedMotifs(d), "the reported motifs");
          },
          "The reported motifs, best first, with their count matrices (motifs.jaspar's).")
      .def("log10_evalues", &log10Evalues, "log10 of each reported motif's E-value, unrounded.")
      .def("matches", &matchesOf, "Per reported motif, the known motifs it resembles, best first.")
      .def("summary_table", &discover::summaryTable, "summary.tsv.")
      .def("sites_table", &discover::siteTable, "sites.tsv.")
      .def(
          "known_table",
          [](const discover::Discovery& d) -> std::optional<std::string> {
            if (!d.knownRun) return std::nullopt;
            return discover::knownTable(d);
          },
          "known.tsv; None when the known motifs were not tested.")
      .def("log_text", &discover::logText, "log.txt.")
      .def("files", &discover::resultFiles, "Every result file as (name, text), index.html last.")
      .def_readonly("warnings", &discover::Discovery::warnings, "The warnings about the inputs, one line each.")
      .def_property_readonly(
          "command_line", [](const discover::Discovery& d) { return d.options.commandLine; },
          "The zelkova-discover command line the run stands for.")
      .def("write", &writeInto, py::arg("path"), py::arg("force") = false,
           "Writes every file of the run into `path` as zelkova-discover -o PATH does (the page, the\n"
           "tables, the motif files, the log, runs/).");
  module.def("_discover", &runDiscovery, py::arg("argv"), py::arg("write"), py::arg("progress"), py::arg("cancel"),
             "Runs zelkova-discover with the command line `argv`.");
}

}  // namespace python
