// What a simulation has come to so far: its new events, its result as a whole run would give it
// now, and its end, with the files a run writes.
#include "runner/flight/outcome.h"
#include "runner/flight/simulation_flight.h"
#include "runtime/host_control.h"
#include "weapon/observable.h"

namespace runner {

std::vector<Event> Simulation::NewEvents()
{
    std::vector<Event> fresh(result.events.begin() + static_cast<std::ptrdiff_t>(eventsRead), result.events.end());
    eventsRead = result.events.size();
    return fresh;
}

void Simulation::Settle(RunResult& r) const
{
    Scope world(*flight, false);
    const Observer& observer = *flight->observer;
    r.endTime = Time();
    r.round = standin::PhysicsSettings().planet.round;
    r.salvo = observer.Salvo();
    r.weapons = observer.Weapons();
    r.targets = observer.Targets();
    SettleTargets(r);
    if (r.weapons.empty()) {
        return;
    }
    // The run's own fields are its first weapon's.
    const WeaponRecord& first = r.weapons.front();
    r.milestones = first.milestones;
    r.missDistance = first.missDistance;
    r.closestApproach = first.closestApproach;
    r.closestApproachTime = first.closestApproachTime;
    r.relativeSpeed = first.relativeSpeed;
    r.ignitionPoint = first.ignitionPoint;
    r.targetPoint = first.targetPoint;
    r.missOffset = first.missOffset;
    r.ignitionPlace = first.ignitionPlace;
    if (r.salvo && !first.target.empty()) {
        r.target = first.target;
        r.targetSize = first.targetSize;
    }
}

RunResult Simulation::Result() const
{
    RunResult r = result;
    if (open) {
        Settle(r);
    }
    return r;
}

std::string Simulation::SummaryJson() const
{
    return runner::SummaryJson(options.scenario, Result());
}

RunResult Simulation::Close()
{
    if (!Usable(false)) {
        RunResult refused;
        refused.exitCode = exitCode;
        refused.error = error;
        return refused;
    }
    Flight& f = *flight;
    Scope folder(f, true);
    Settle(result);
    if (!f.outDir.empty()) {
        // The end-of-run scenario and the summary beside the log and the telemetry.
        bool ok = f.telemetry.Close();
        result.written.push_back((f.outDir / observable::LOG_FILE).string());
        result.written.push_back((f.outDir / "telemetry.csv").string());
        std::string last = (f.outDir / "end.scn").string();
        ok = standin::SaveScenario(last.c_str()) && ok;
        result.written.push_back(last);
        std::string summary = (f.outDir / "summary.json").string();
        ok = WriteSummary(summary, options.scenario, result) && ok;
        result.written.push_back(summary);
        if (!ok) {
            result.exitCode = EXIT_FAILED;
            result.error = "cannot write every output in " + f.outDir.string();
        }
    }
    ClearWorld();
    open = false;
    return std::move(result);
}

}  // namespace runner
