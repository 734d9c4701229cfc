// The extension module zelkova._zelkova; the package zelkova
// (python/zelkova/) wraps it.
#include <pybind11/pybind11.h>

#include "base/version.h"
#include "python/bindings.h"
#include "python/errors.h"
#include "python/runner.h"

PYBIND11_MODULE(_zelkova, module) {
  module.doc() = "The C++ library of ZELKOVA; use it through the package zelkova.";
  module.attr("__version__") = kZelkovaVersion;
  python::bindErrors(module);
  python::bindProgress(module);
  python::bindMotifs(module);
  python::bindDiscovery(module);
  python::bindTables(module);
}
