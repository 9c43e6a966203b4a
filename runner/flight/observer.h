// Watching a world from frame to frame: what changed (the timeline), when the watched missile
// passed the milestones of an engagement, and how close it came to its target.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "runner/flight/closest_approach.h"
#include "runner/flight/log_reader.h"
#include "world/world.h"

namespace runner {

/// One thing that happened during a run.
struct Event {
    double time;         ///< simulation time, s
    std::string kind;    ///< attach, release, thruster, debug, log, command, key, deleted, lock, impact
    std::string vessel;  ///< the vessel it concerns ("" for none)
    std::string text;    ///< one line for the timeline
};

/// Simulation times at which the watched vessel passed each milestone, s; NaN when it did not.
struct Milestones {
    double release = NAN;     ///< let go by its carrier
    double motorLit = NAN;    ///< a thruster on its first resource came on
    double boosterCut = NAN;  ///< one such thruster went off while another stayed on
    double lock = NAN;        ///< its seeker, looking where its head last pointed, first saw the target within 2.5°
    double impact = NAN;      ///< it first touched the target or the ground
    double ignition = NAN;    ///< its warhead ignited: its debug string said so, or thrusters on another
                              ///< resource than the motor's came on
    double burnOut = NAN;     ///< the log recorded that its charge had burned
    double removal = NAN;     ///< it was deleted
};

/// Follows the vessels of the current world from frame to frame.
class Observer {
public:
    /// Starts from the world as it is; `watch` and `target` name vessels ("" for none); with
    /// `readLog`, "Debug.log" in the working directory is read as it grows.
    Observer(const std::string& watch, const std::string& target, bool readLog);
    Observer(const Observer&) = delete;
    Observer& operator=(const Observer&) = delete;

    /// Appends to `events` what changed since the last call (or since construction).
    void Observe(std::vector<Event>& events);

    /// The watched vessel's milestones so far.
    const Milestones& milestones() const { return marks; }
    /// True once the watched vessel has been deleted.
    bool WatchGone() const { return watchGone; }
    /// Where the watched vessel was when its warhead ignited (global, m); valid once ignition is set.
    const VECTOR3& IgnitionPoint() const { return ignitionPoint; }
    /// Distance from the ignition point to the target's centre then, m; NaN without both.
    double MissDistance() const { return missDistance; }
    /// The least distance from the watched vessel's centre to the target's since its release, m;
    /// NaN when it was never released or there is no target.
    double ClosestApproachDistance() const { return closest.Distance(); }
    /// The simulation time of that closest approach, s; NaN with it.
    double ClosestApproachTime() const { return closest.Time(); }
    /// The watched vessel's speed relative to the target at ignition, m/s; NaN without both.
    double RelativeSpeed() const { return relativeSpeed; }
    /// Where the target's centre was at ignition (global, m); valid with a miss distance.
    const VECTOR3& TargetPoint() const { return targetPoint; }
    /// The ignition point from the target's centre in the target's local east, up, north, m; valid
    /// with a miss distance.
    const VECTOR3& MissOffset() const { return missOffset; }
    /// Over a round planet, the ignition point's latitude, planet-fixed longitude (deg) and geodetic
    /// height (m); valid once ignition is set.
    const VECTOR3& IgnitionPlace() const { return ignitionPlace; }

private:
    struct Tracked {
        HostHandle handle;
        std::string name;
        std::vector<double> levels;  // thruster levels last seen
        HostHandle parent;           // what held it last time, null for none
        bool gone;
    };

    void ObserveVessel(Tracked& t, std::vector<Event>& events);
    // Marks the motor's and the warhead's milestones from the watched vessel's thruster changes.
    void ObserveEngines(const std::vector<double>& was, const standin::Vessel& v, size_t count);
    void ObserveWatch(const standin::Vessel& missile, std::vector<Event>& events);
    void ReadLog(std::vector<Event>& events);
    void Mark(double& milestone);

    std::vector<Tracked> tracked;
    std::string watchName, targetName;
    HostHandle watch = nullptr, target = nullptr;
    bool watchGone = false;
    bool warheadLit = false;
    double headAz = 0.0, headEl = 0.0;  // the watched vessel's head angles at the last observation, rad
    std::string debugString;
    size_t keysSeen = 0;
    bool readLog;
    LogReader log;
    Milestones marks;
    VECTOR3 ignitionPoint{};
    VECTOR3 targetPoint{};
    VECTOR3 missOffset{};
    VECTOR3 ignitionPlace{};
    double missDistance = NAN;
    double relativeSpeed = NAN;
    ClosestApproach closest;
};

}  // namespace runner
