// What a run found of each watched weapon and each target: plain records the observer fills and
// the summary, the sweep and the replay read.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "host/host_types.h"

namespace runner {

/// Simulation times at which a watched weapon passed each milestone, s; NaN when it did not.
struct Milestones {
    double release = NAN;     ///< let go by its carrier
    double motorLit = NAN;    ///< a thruster on its first resource came on
    double boosterCut = NAN;  ///< one such thruster went off while another stayed on
    double lock = NAN;        ///< its seeker, looking where its head last pointed, first saw a target within 2.5°
    double impact = NAN;      ///< it first touched a target or the ground
    double ignition = NAN;    ///< its warhead ignited: its debug string said so, or thrusters on another
                              ///< resource than the motor's came on
    double burnOut = NAN;     ///< the log recorded that its charge had burned
    double removal = NAN;     ///< it was deleted
};

/// What a weapon's seeker head is on: the nearest vessel to its look direction within 2.5°.
enum class HeadKind { NOTHING, TARGET, FRIEND };
/// The names of HeadKind in summary.json.
inline constexpr const char* HEAD_KINDS[] = {"nothing", "target", "friend"};

/// From `time` on, the head was on `vessel` ("" for nothing), of kind `kind`.
struct HeadOn {
    double time;         ///< simulation time, s
    std::string vessel;  ///< the vessel's name, "" for nothing
    HeadKind kind;
};

/// One watched weapon's flight.
struct WeaponRecord {
    std::string name;
    std::string carrier;             ///< what released it, "" when nothing did
    Milestones milestones;
    double friendLock = NAN;         ///< when its head first came on a friend, before any target, s
    std::string friendName;          ///< that friend, "" for none
    std::string lockTarget;          ///< the target its head first came on, "" for none
    std::string target;              ///< the target its result is against: the nearest at ignition,
                                     ///< else the one its head first came on, else ""
    double targetSize = NAN;         ///< that target's size, m
    double missDistance = NAN;       ///< ignition point to that target's centre, m
    double closestApproach = NAN;    ///< least distance of its centre to any target's after release, m
    double closestApproachTime = NAN;///< s
    std::string closestTarget;       ///< the target of that closest approach
    double relativeSpeed = NAN;      ///< its speed relative to its target at ignition, m/s
    VECTOR3 ignitionPoint{};         ///< global, m, valid once ignition is set
    VECTOR3 targetPoint{};           ///< its target's centre at ignition, global, m
    VECTOR3 missOffset{};            ///< ignition point from its target's centre, the target's local east, up, north, m
    VECTOR3 ignitionPlace{};         ///< over a round planet: latitude, longitude (deg), height (m)
    std::vector<HeadOn> seeker;      ///< what its head was on, from each change on
};

/// One target of a run.
struct TargetRecord {
    std::string name;
    double size = NAN;               ///< m
    std::vector<std::string> hitBy;  ///< the weapons whose outcome is a hit on it, in watch order
    double closestMiss = NAN;        ///< least distance from a warhead's ignition to its centre, of those
                                     ///< that did not hit it, m
    std::string closestMissBy;       ///< the weapon of that miss
    double closestApproach = NAN;    ///< least distance of any weapon's centre to its centre after release, m
    std::string closestApproachBy;   ///< that weapon
};

}  // namespace runner
