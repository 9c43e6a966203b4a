// The parts of the compiled karvex module, each adding its own names.
#pragma once

#include <pybind11/pybind11.h>

namespace karvex_python {

/// Document: a scenario document, read, edited and written.
void BindScenario(pybind11::module_& m);
/// fly: one run of a scenario, and Flight, what it gives back.
void BindFlight(pybind11::module_& m);
/// sweep, envelope and merge, and the rows they write read back as columns.
void BindJobs(pybind11::module_& m);

}  // namespace karvex_python
