// The parts of the compiled karvex module, each adding its own names.
#pragma once

#include <string>

#include <pybind11/pybind11.h>

#include "runner/flight/flight.h"

namespace karvex_python {

/// Document: a scenario document, read, edited and written.
void BindScenario(pybind11::module_& m);
/// fly: one run of a scenario, and Flight, what it gives back.
void BindFlight(pybind11::module_& m);
/// sweep, envelope and merge, and the rows they write read back as columns.
void BindJobs(pybind11::module_& m);
/// Simulation: a flight stepped, read and commanded from Python.
void BindSimulation(pybind11::module_& m);

/// A Flight holding `result` and its summary.json text `summary`, as fly gives it back.
pybind11::object FlightOf(runner::RunResult result, std::string summary);
/// The columns of telemetry.csv by name: numbers as float64 arrays, texts as lists of str.
pybind11::dict TelemetryDict(const runner::TelemetryColumns& telemetry);

}  // namespace karvex_python
