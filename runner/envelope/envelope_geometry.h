// Where an envelope's probes put the target: at a range and a bearing from the release point, off
// the track the missile is released along, on the ground.
#pragma once

#include <string>

#include "physics/geodesy.h"
#include "runner/envelope/envelope_definition.h"
#include "runner/flight/flight.h"

namespace runner {

/// The release point of one release condition, as a flight of it found it.
struct ReleasePoint {
    bool round = false;         ///< over a round planet
    physics::Planet planet{};   ///< the planet flown over
    /// The point on the ground beneath the release, m: planet-fixed over a round planet, global
    /// over the flat ground.
    physics::Vec3 ground{};
    physics::Vec3 east{}, north{};  ///< the local level axes there, unit vectors in the same frame
    double track = 0.0;         ///< the missile's course over the ground at release, from north toward east, rad
    double targetSize = 0.0;    ///< the scenario's target's size, m
    double flown = 0.0;         ///< from the scenario's start to the end of the releasing frame, s
};

/// Flies `options` (a scenario with its watched vessel carried) and finds where the watched vessel
/// is at the end of the frame that releases it; an ExitCode, with `error` when it cannot be flown
/// (the run's code) or the vessel is never released (EXIT_SCENARIO).
int FindRelease(const RunOptions& options, ReleasePoint& point, std::string& error);

/// The target's place at `range` m along the ground from the release point, `bearing` deg off the
/// track (right positive): the latitude and longitude of its LOCATION (deg) over a round planet,
/// the x and z of its POS (m) over the flat ground. Ranges are measured in the level plane at the
/// release point; the target lies on the ground beneath (along the normal).
void TargetPlace(const ReleasePoint& point, double range, double bearing, double& first, double& second);

/// The course over the ground, deg clockwise from north in [0, 360), of a target moving `course`
/// deg off the release track (right positive).
double TargetCourse(const ReleasePoint& point, double course);

/// Where a target moving as `motion` starts, so that it stands at `range` m and `bearing` deg
/// (as TargetPlace puts it) at the end of the releasing frame: back along its course by its speed
/// times the time flown to the release. A still target starts where TargetPlace puts it.
void TargetStart(const ReleasePoint& point, double range, double bearing, const TargetMotion& motion, double& first,
                 double& second);

}  // namespace runner
