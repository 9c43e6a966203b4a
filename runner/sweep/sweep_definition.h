// Sweep files: a base scenario, how many runs, a seed, and the dispersed quantities.
#pragma once

#include <string>

#include "runner/batch/definition_lines.h"
#include "runner/batch/dispersion.h"

namespace runner {

/// The most runs one sweep may hold.
inline constexpr long long MAX_RUNS = 100000000;

/// Reads the sweep file `path` into `spec`; false with `error` naming the file, the line and why.
bool ReadSweep(const std::string& path, BatchDefinition& spec, std::string& error);
/// Reads the sweep definition `text` into `spec`; false with `error` naming where and why.
bool ReadSweep(const DefinitionText& text, BatchDefinition& spec, std::string& error);

}  // namespace runner
