// What sweeps, envelopes and merges wrote, read back and handed to Python as columns.
#pragma once

#include <filesystem>

#include <pybind11/pybind11.h>

namespace karvex_python {

/// runs.csv and summary.json of the sweep in `dir`, as (columns by name, summary text).
pybind11::tuple SweepFiles(const std::filesystem::path& dir);

/// envelope.csv and envelope.json of the envelope in `dir`, as (columns by name, summary text).
pybind11::tuple EnvelopeFiles(const std::filesystem::path& dir);

}  // namespace karvex_python
