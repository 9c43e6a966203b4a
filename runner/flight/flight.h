// Flying one scenario: load it, give module vessels a visual, step to its end (or until its
// watched vessel is gone), and record the timeline, telemetry, summary and end-of-run scenario.
#pragma once

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "formats/scenario_document.h"
#include "runner/flight/observer.h"
#include "runner/flight/telemetry.h"
#include "runner/program/exit_codes.h"

namespace runner {

/// What to fly and where to put what it writes.
struct RunOptions {
    std::string scenario;             ///< scenario file (with `document`: the name its summary gives it)
    const formats::ScenarioDocument* document = nullptr;  ///< flown instead of the file when set
    int maxVessels = 4096;            ///< vessel slots of the world
    std::string moduleDir;            ///< folder that modules are loaded from
    std::string outDir;               ///< output folder; "" writes nothing (and reads no Debug.log)
    std::string workDir;              ///< with no output folder: a folder to fly in, whose Debug.log is
                                      ///< read into the timeline ("" for none)
    bool keepTelemetry = false;       ///< keep the telemetry in the result's columns
    long long keepEvery = 1;          ///< with keepTelemetry: keep the first sample and every nth after it
    std::FILE* timeline = nullptr;    ///< where timeline lines go as they happen; null for nowhere
    std::function<void()> afterStep;  ///< called after every frame, if set
    /// When set, read before every frame: once true, the run ends there with EXIT_INTERRUPTED.
    const std::atomic<bool>* stop = nullptr;
};

/// What a run did.
struct RunResult {
    int exitCode = EXIT_OK;            ///< an ExitCode
    std::string error;                 ///< why it failed, "" when it did not
    std::vector<Event> events;         ///< the timeline, in order
    Milestones milestones;             ///< of the (first) watched weapon
    double missDistance = NAN;         ///< ignition point to the target's centre, m
    double closestApproach = NAN;      ///< least distance from the missile's centre to the target's after release, m
    double closestApproachTime = NAN;  ///< simulation time of the closest approach, s
    double relativeSpeed = NAN;        ///< the missile's speed relative to the target at ignition, m/s
    VECTOR3 ignitionPoint{};           ///< global, m, valid with a miss distance
    VECTOR3 targetPoint{};             ///< the target's centre at ignition, global, m
    VECTOR3 missOffset{};              ///< ignition point from the target's centre, its local east, up, north, m
    bool round = false;                ///< flown over a round planet
    VECTOR3 ignitionPlace{};           ///< over a round planet: the ignition point's latitude, longitude (deg), height (m)
    double endTime = 0.0;              ///< simulation time the run stopped at, s
    double step = 0.0;                 ///< frame length, s
    std::string watch, target;         ///< the scenario's watched vessel and target ("" for none)
    double targetSize = NAN;           ///< m
    std::vector<std::string> written;  ///< paths of the files written
    TelemetryColumns telemetry;        ///< with keepTelemetry: the columns of telemetry.csv
    bool salvo = false;                ///< more than one watched weapon or target
    std::vector<WeaponRecord> weapons; ///< every watched weapon, in watch order (the first gives the fields above)
    std::vector<TargetRecord> targets; ///< every target, in order
};

/// Flies `options.scenario` in a fresh world.
RunResult Run(const RunOptions& options);

/// The text of the run's summary.json, for the scenario named `scenario`.
std::string SummaryJson(const std::string& scenario, const RunResult& result);
/// Writes the run's summary.json to `path`; false when it cannot be written.
bool WriteSummary(const std::string& path, const std::string& scenario, const RunResult& result);

}  // namespace runner
