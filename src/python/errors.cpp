#include "python/errors.h"

#include <exception>
#include <new>
#include <string>

#include "base/errors.h"
#include "cli/companion_parser.h"

namespace python {

namespace py = pybind11;

namespace {

std::string withoutLastLineEnd(std::string text) {
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

}  // namespace

void bindErrors(py::module_& module) {
  // The types live as long as the module; pybind11 keeps them.
  static py::exception<FatalError> error(module, "Error", PyExc_RuntimeError);
  // Both a zelkova.Error and a ValueError; held for the life of the process.
  static const py::handle usageError =
      py::module_::import("builtins")
          .attr("type")("UsageError", py::make_tuple(error, py::handle(PyExc_ValueError)),
                        py::dict(py::arg("__module__") = "zelkova",
                                 py::arg("__doc__") = "An option the program's command line would refuse."))
          .release();
  module.attr("UsageError") = usageError;
  static py::exception<Cancelled> cancelled(module, "Cancelled", PyExc_Exception);
  error.doc() = "Input or settings a run refuses; the message is the program's.";
  cancelled.doc() = "A run stopped because its cancel event was set.";
  // The rule of base/errors.h: input the user can fix raises zelkova.Error
  // with the companions' message; an internal fault has aborted already.
  py::register_exception_translator([](std::exception_ptr thrown) {
    if (!thrown) return;
    try {
      std::rethrow_exception(thrown);
    } catch (const UsageError& e) {
      PyErr_SetString(usageError.ptr(), ("Error: " + std::string(e.what())).c_str());
    } catch (const Cancelled& e) {
      PyErr_SetString(cancelled.ptr(), e.what());
    } catch (const std::bad_alloc&) {
      PyErr_SetString(PyExc_MemoryError, "Error: out of memory.");
    } catch (const py::error_already_set&) {
      throw;
    } catch (const py::builtin_exception&) {
      throw;
    } catch (const std::exception&) {
      PyErr_SetString(error.ptr(), withoutLastLineEnd(cli::failureMessage("zelkova")).c_str());
    }
  });
}

}  // namespace python
