// zelkova.Motif and the motif files: read by the one reader of every program,
// written by zelkova-export's writers.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "formats/command_files.h"
#include "formats/motif.h"
#include "formats/motif_entry.h"
#include "formats/motif_files.h"
#include "formats/output_file.h"
#include "pages/motif_page.h"
#include "python/bindings.h"
#include "stats/matrix_text.h"

namespace python {

namespace py = pybind11;

namespace {

// A motif made in Python: the checks the readers make of a file's matrix.
formats::Motif newMotif(const std::string& id, const std::vector<formats::Column>& columns, const std::string& name,
                        bool counts, std::optional<double> nsites) {
  if (id.empty()) throw py::value_error("a motif needs an identifier");
  if (columns.empty()) throw py::value_error("motif " + id + " has no columns");
  for (const formats::Column& column : columns)
    for (double value : column)
      if (!std::isfinite(value) || value < 0)
        throw py::value_error("motif " + id + ": every value of its matrix must be a finite number, 0 or more");
  if (nsites && !(*nsites > 0)) throw py::value_error("motif " + id + ": nsites must be above 0");
  formats::Motif m;
  m.id = id;
  m.name = name;
  m.columns = columns;
  m.counts = counts;
  m.nsites = nsites;
  m.source = "Python";
  // Counts of one total per column tell the number of sites, as they do when read from a file.
  if (counts && !nsites) {
    const double first = formats::columnTotal(columns.front());
    bool even = true;
    for (const formats::Column& column : columns) even = even && std::abs(formats::columnTotal(column) - first) < 1e-6;
    if (even && first > 0) m.nsites = first;
  }
  return m;
}

std::string formatText(const std::string& format, const std::vector<formats::Motif>& motifs) {
  if (format == "html") {
    std::ostringstream out;
    pages::writeMotifPage(out, motifs, "", "zelkova (Python)");
    return out.str();
  }
  if (!stats::isMatrixFormat(format))
    throw py::value_error("unknown format \"" + format + "\"; use meme, jaspar, transfac, homer or html.");
  return stats::matrixText(format, motifs, nullptr);
}

}  // namespace

void bindMotifs(py::module_& module) {
  py::class_<formats::Motif>(module, "Motif",
                             "A motif as every motif file holds it: an identifier, a name (may be empty),\n"
                             "and per column the counts (or, with counts=False, probabilities) of A, C,\n"
                             "G and T.")
      .def(py::init(&newMotif), py::arg("id"), py::arg("columns"), py::arg("name") = "", py::arg("counts") = true,
           py::arg("nsites") = py::none(),
           "Motif(id, columns, name='', counts=True, nsites=None): `columns` is a list of\n"
           "[A, C, G, T] values, one per position.")
      .def_readwrite("id", &formats::Motif::id, "The identifier: MA0004.1, ZELKOVA-1, ...")
      .def_readwrite("name", &formats::Motif::name, "The name (Arnt, a consensus word, ...); may be empty.")
      .def_readonly("columns", &formats::Motif::columns, "Per position the values of A, C, G and T.")
      .def_readonly("counts", &formats::Motif::counts, "True when the columns hold counts, False for probabilities.")
      .def_readonly("nsites", &formats::Motif::nsites, "The number of sites, when the file says or the counts tell.")
      .def_readonly("source", &formats::Motif::source, "The file it was read from ('Python' when made here).")
      .def_readonly("line", &formats::Motif::line, "The line of the file where its entry starts (0 when made here).")
      .def_property_readonly("width", &formats::Motif::width, "The number of positions.")
      .def_property_readonly(
          "consensus", [](const formats::Motif& m) { return formats::consensus(m.columns); },
          "The letter of largest weight at every position.")
      .def("frequencies", &formats::plainFrequencies,
           "The letter frequencies of every position, without pseudo-counts (each column adds up to 1).")
      .def("count_matrix", &formats::countsOf,
           "The columns as counts (probabilities times nsites when the motif holds probabilities); None\n"
           "for probabilities without a number of sites.")
      .def("__repr__", [](const formats::Motif& m) {
        return "<zelkova.Motif " + m.id + (m.name.empty() ? "" : " " + m.name) + ", " + std::to_string(m.width()) +
               " positions>";
      });

  module.def(
      "_read_motifs",
      [](const std::vector<std::string>& paths) {
        py::gil_scoped_release released;
        return paths.size() == 1 ? formats::readMotifFile(paths.front()) : formats::readFiles(paths);
      },
      py::arg("paths"),
      "The motifs of motif files (MEME, JASPAR, TRANSFAC, HOMER, zelkova reports; the format is told\n"
      "from the content), in order, read as every program reads them.");
  module.def("_motif_text", &formatText, py::arg("format"), py::arg("motifs"),
             "The motifs as zelkova-export writes them in `format`: meme, jaspar, transfac, homer or html.");
  module.def(
      "_write_text",
      [](const std::string& path, const std::string& text) {
        py::gil_scoped_release released;
        formats::writeWholeFile(path, text);
      },
      py::arg("path"), py::arg("text"), "Writes `text` to `path` whole or not at all, as the programs write.");
}

}  // namespace python
