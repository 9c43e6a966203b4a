// Watching a world from frame to frame: what changed (the timeline), when each watched weapon
// passed the milestones of an engagement, what its seeker head was on, and how close it came to
// its targets.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "runner/flight/closest_approach.h"
#include "runner/flight/log_reader.h"
#include "runner/flight/weapon_record.h"
#include "world/world.h"

namespace runner {

/// One thing that happened during a run.
struct Event {
    double time;         ///< simulation time, s
    std::string kind;    ///< attach, release, thruster, debug, log, command, key, deleted, lock, impact;
                         ///< in a salvo also friend and seeker (the head on a friend, on nothing)
    std::string vessel;  ///< the vessel it concerns ("" for none)
    std::string text;    ///< one line for the timeline
    std::string weapon = {};  ///< in a salvo, the watched weapon it concerns ("" for none)
};

/// Follows the vessels of the current world from frame to frame.
class Observer {
public:
    /// Starts from the world as it is; `watches` and `targets` name vessels; with `readLog`,
    /// "Debug.log" in the working directory is read as it grows. More than one of either makes a
    /// salvo: every weapon's head is then classed against every vessel, and events name their weapon.
    Observer(const std::vector<std::string>& watches, const std::vector<std::string>& targets, bool readLog);
    Observer(const Observer&) = delete;
    Observer& operator=(const Observer&) = delete;

    /// Appends to `events` what changed since the last call (or since construction).
    void Observe(std::vector<Event>& events);

    /// True for a salvo: more than one watched weapon or target.
    bool Salvo() const { return salvo; }
    /// The first watched weapon's milestones so far.
    const Milestones& milestones() const { return weapons.empty() ? none : weapons.front().record.milestones; }
    /// True once every watched weapon has been deleted (never without one).
    bool WatchGone() const { return !weapons.empty() && gone == weapons.size(); }
    /// How many weapons it watches.
    size_t WeaponCount() const { return weapons.size(); }
    /// Watched weapon `k`'s record as it stands (its closest approach not yet settled).
    const WeaponRecord& WeaponAt(size_t k) const { return weapons[k].record; }
    /// Every watched weapon's record so far, its closest approach settled, in watch order.
    std::vector<WeaponRecord> Weapons() const;
    /// Every target's name, size and closest approach, in order (its hits and closest miss come
    /// from the weapons' records: SettleTargets).
    std::vector<TargetRecord> Targets() const;

private:
    struct Tracked {
        HostHandle handle;
        std::string name;
        std::vector<double> levels;  // thruster levels last seen
        HostHandle parent;           // what held it last time, null for none
        bool gone;
        int weapon;                  // its index among the watched weapons, -1 for none
    };
    struct Watched {
        HostHandle handle;
        WeaponRecord record;
        bool warheadLit = false;
        double headAz = 0.0, headEl = 0.0;     // the head angles at the last observation, rad
        std::vector<ClosestApproach> closest;  // to each target
    };

    void ObserveVessel(Tracked& t, std::vector<Event>& events);
    // Marks the motor's and the warhead's milestones from a watched vessel's thruster changes.
    void ObserveEngines(Watched& w, const std::vector<double>& was, const standin::Vessel& v, size_t count);
    void Ignite(Watched& w);
    void ObserveWatch(Watched& w, const standin::Vessel& missile, std::vector<Event>& events);
    // In a salvo: what the head is on now, against every vessel, as a change of its record.
    void ObserveHead(Watched& w, const standin::Vessel& missile, std::vector<Event>& events);
    void ReadLog(std::vector<Event>& events);
    // In a salvo: the watched weapon each of `events` from `first` on concerns.
    void NameWeapons(std::vector<Event>& events, size_t first) const;
    // The watched weapon named first in `text` as a whole word, -1 for none.
    int NamedIn(const std::string& text) const;
    // The live target nearest to `pos`, -1 for none.
    int NearestTarget(const VECTOR3& pos) const;

    std::vector<Tracked> tracked;
    std::vector<Watched> weapons;
    std::vector<std::string> targetNames;
    std::vector<HostHandle> targets;
    std::vector<double> targetSizes;  // m, as they were at the start
    bool salvo = false;
    size_t gone = 0;       // watched weapons deleted
    int lastNamed = -1;    // the watched weapon the log named last
    std::string debugString;
    size_t keysSeen = 0;
    bool readLog;
    LogReader log;
    Milestones none;
};

}  // namespace runner
