// The parts of the module, each added by its own function.
#pragma once

#include <pybind11/pybind11.h>

namespace python {

void bindMotifs(pybind11::module_& module);     // motifs.cpp
void bindDiscovery(pybind11::module_& module);  // discovery.cpp
void bindTables(pybind11::module_& module);     // tables.cpp

}  // namespace python
