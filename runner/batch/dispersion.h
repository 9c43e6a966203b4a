// The dispersed quantities of sweeps and envelopes: what a batch flies, how a run draws its values
// and puts them into its scenario, and how the files name them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/scenario_document.h"

namespace runner {

/// One dispersed quantity: "<vessel>.<field>", or one of the scenario's own ("wind.speed",
/// "wind.from", "turbulence.seed"), drawn from a distribution.
struct Dispersion {
    std::string quantity;  ///< as the file names it, e.g. "Carrier.y"
    bool setting = false;  ///< the scenario's own quantity rather than a vessel's
    std::string vessel;    ///< the vessel's name ("wind" or "turbulence" for a setting)
    std::string field;     ///< x, y, z, vx, vy, vz, speed, heading, pitch, bank, latitude, longitude, altitude,
                           ///< release, release<station>, ripple, course, weave_amplitude, weave_period or
                           ///< trigger_range
    bool normal = false;   ///< normal (mean a, deviation b) or uniform (low a, high b)
    double a = 0.0, b = 0.0;
};

/// What a sweep or an envelope flies: a base scenario, settings put after its own, a seed, and
/// the dispersed quantities.
struct BatchDefinition {
    std::string path;          ///< the sweep or envelope file
    std::string scenarioPath;  ///< the base scenario, as found from the file's folder
    std::string scenarioText;  ///< its text
    formats::ScenarioDocument base;  ///< the base scenario, read
    long long runs = 0;        ///< number of runs (a sweep's; an envelope's cap on a point's runs)
    uint64_t seed = 0;
    std::vector<formats::HostLine> settings;  ///< settings lines put after the base scenario's, in order
    std::vector<Dispersion> dispersions;
};

/// A dispersed quantity as a sweep's and an envelope's files describe it.
struct DispersedInput {
    std::string quantity;  ///< as the file names it, e.g. "Carrier.y"
    std::string column;    ///< its column of runs.csv, e.g. "Carrier.y_m"
    bool normal = false;   ///< normal (mean a, deviation b) or uniform (low a, high b)
    double a = 0.0, b = 0.0;

    bool operator==(const DispersedInput&) const = default;
};

/// The column of runs.csv for dispersion `d`: its quantity and unit, e.g. "Carrier.y_m".
std::string ColumnOf(const Dispersion& d);
/// The dispersions of `spec` as the files describe them, in order.
std::vector<DispersedInput> InputsOf(const BatchDefinition& spec);
/// The SETTING lines of `spec`, as written.
std::vector<std::string> SettingTexts(const BatchDefinition& spec);

/// The values run `run` draws, one per dispersion, in order.
std::vector<double> DrawInputs(const BatchDefinition& spec, long long run);

/// The base scenario with `values` (one per dispersion) put in; false with `error` when a quantity
/// cannot be found in it (no such vessel, no carrier release to move).
bool RunScenario(const BatchDefinition& spec, const std::vector<double>& values, formats::ScenarioDocument& doc,
                 std::string& error);

/// Sets `d`'s quantity in `doc` (the scenario `name`, for errors) to `value`, as a run draws it;
/// false with `error` when it cannot be found there (no such vessel, no carrier release to move).
bool SetQuantity(formats::ScenarioDocument& doc, const std::string& name, const Dispersion& d, double value,
                 std::string& error);

}  // namespace runner
