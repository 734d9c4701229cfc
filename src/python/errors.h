// The exceptions of the module: a run the C++ code refuses raises
// zelkova.Error (a RuntimeError) with the message the program prints, its
// last line end left off; an option the program's command line would refuse
// raises zelkova.UsageError (also a ValueError), without the program's
// "Run ... --help" line; a run stopped through its cancel event raises
// zelkova.Cancelled; running out of memory raises MemoryError.
#pragma once

#include <pybind11/pybind11.h>

namespace python {

void bindErrors(pybind11::module_& module);

}  // namespace python
