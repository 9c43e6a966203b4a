// An envelope's probes: the scenario of a release condition with the target placed at a range and
// bearing, flown once, or flown as a small Monte Carlo over the envelope's dispersions.
#pragma once

#include <atomic>
#include <string>

#include "runner/envelope/envelope_definition.h"
#include "runner/envelope/envelope_geometry.h"
#include "runner/envelope/envelope_search.h"
#include "runner/envelope/sequential_rule.h"

namespace runner {

/// One release condition of an envelope, ready to probe.
struct ReleaseCondition {
    double altitude = 0.0;  ///< m
    double speed = 0.0;     ///< m/s
    /// The base scenario and settings, with the dispersions the probes set: the carrier's altitude
    /// and speed, the target's two place values, then the envelope's own.
    BatchDefinition spec;
    ReleasePoint release;   ///< where the missile is let go
};

/// Builds condition (`altitude` m, `speed` m/s) of `def` and flies it once, with the target where
/// the base scenario has it, to find its release point; an ExitCode, with `error` when not EXIT_OK.
/// The flight ends interrupted once `stop` (when given) turns true.
int PrepareCondition(const EnvelopeDefinition& def, const std::string& moduleDir, double altitude, double speed,
                      ReleaseCondition& condition, std::string& error, const std::atomic<bool>* stop = nullptr);

/// The rule that decides the points of `def`: none when each point is one flight.
SequentialRule RuleOf(const EnvelopeDefinition& def);

/// The scenario of `condition` of `def` with the target at `range` m and `bearing` deg when the
/// missile is released, moving as `target`, and the envelope's dispersions drawn as `draws` (one a
/// dispersion); false with `error` when it cannot be built.
bool PointScenario(const EnvelopeDefinition& def, const ReleaseCondition& condition, const TargetMotion& target,
                   double bearing, double range, const std::vector<double>& draws, formats::ScenarioDocument& doc,
                   std::string& error);

/// The verdict at `range` m and `bearing` deg of `condition` with its target moving as `target`:
/// one flight, or with dispersions the Monte Carlo that `rule` (RuleOf's) decides, whose draws are
/// keyed by the point's own coordinates. Sets `error` when a flight cannot be flown, or ends
/// interrupted once `stop` (when given) turns true.
Probe ProbePoint(const EnvelopeDefinition& def, const SequentialRule& rule, const std::string& moduleDir,
                 const ReleaseCondition& condition, const TargetMotion& target, double bearing, double range,
                 std::string& error, const std::atomic<bool>* stop = nullptr);

}  // namespace runner
