// Sweep files: a base scenario, how many runs, a seed, and the dispersed quantities; and the
// scenario text of each run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/scenario_document.h"

namespace runner {

/// One dispersed quantity: "<vessel>.<field>", or one of the scenario's own ("wind.speed",
/// "wind.from", "turbulence.seed"), drawn from a distribution.
struct Dispersion {
    std::string quantity;  ///< as the sweep file names it, e.g. "Carrier.y"
    bool setting = false;  ///< the scenario's own quantity rather than a vessel's
    std::string vessel;    ///< the vessel's name ("wind" or "turbulence" for a setting)
    std::string field;     ///< x, y, z, vx, vy, vz, speed, heading, pitch, bank, latitude, longitude, altitude or release
    bool normal = false;   ///< normal (mean a, deviation b) or uniform (low a, high b)
    double a = 0.0, b = 0.0;
};

/// The most runs one sweep may hold.
inline constexpr long long MAX_RUNS = 100000000;

/// A parsed sweep file.
struct SweepDefinition {
    std::string path;          ///< the sweep file
    std::string scenarioPath;  ///< the base scenario, as found from the sweep file's folder
    std::string scenarioText;  ///< its text
    formats::ScenarioDocument base;  ///< the base scenario, read
    long long runs = 0;        ///< number of runs
    uint64_t seed = 0;
    std::vector<formats::HostLine> settings;  ///< settings lines put after the base scenario's, in order
    std::vector<Dispersion> dispersions;
};

/// Reads the sweep file `path` into `spec`; false with `error` naming the file, the line and why.
bool ReadSweep(const std::string& path, SweepDefinition& spec, std::string& error);

/// The values run `run` draws, one per dispersion, in order.
std::vector<double> DrawInputs(const SweepDefinition& spec, long long run);

/// The base scenario with `values` (one per dispersion) put in; false with `error` when a quantity
/// cannot be found in it (no such vessel, no carrier release to move).
bool RunScenario(const SweepDefinition& spec, const std::vector<double>& values, formats::ScenarioDocument& doc,
                 std::string& error);

/// Sets `d`'s quantity in `doc` (the scenario `name`, for errors) to `value`, as a sweep run draws
/// it; false with `error` when it cannot be found there (no such vessel, no carrier release to move).
bool SetQuantity(formats::ScenarioDocument& doc, const std::string& name, const Dispersion& d, double value,
                 std::string& error);

}  // namespace runner
