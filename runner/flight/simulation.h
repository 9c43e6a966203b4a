// A flight flown from outside, frame by frame: the one way the engine flies (a whole run is a
// simulation stepped to its end). Open a scenario, step it one frame, n frames, or until a time,
// an event or a condition; read every vessel's state; give the commands a launcher gives; save it
// mid-flight; and take its timeline, summary and telemetry so far.
//
//     runner::RunOptions options;
//     options.scenario = "scenarios/reference.scn";
//     options.moduleDir = "build/default/modules";
//     runner::Simulation sim(options);
//     if (!sim.Ok()) { std::puts(sim.Error().c_str()); }
//     sim.StepUntilEvent("release");
//     runner::VesselReadout k1 = sim.State(sim.IndexOf("K1"));
//     sim.StepUntil(30.0);
//     runner::RunResult result = sim.Close();  // as runner::Run would give it
//
// Every call works in the simulation's own world (made current for the call, and the previous one
// restored after it) and its own working directory (where modules append their log), so several
// simulations can be open on one thread, and several threads can each fly their own. Calls that
// cannot be carried out return false (or -1, or nothing) and leave the reason in Error().
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runner/flight/flight.h"
#include "runner/flight/readout.h"

namespace runner {

/// What a StepUntil call came to.
enum class Until {
    Reached,      ///< its time, event or condition came
    Ended,        ///< the flight ended first (its end time, or every watched weapon gone)
    Interrupted,  ///< the stop flag or the frame hook stopped it
    Refused,      ///< it could not fly (see Error())
};

/// A flight, opened from a scenario and stepped from outside.
class Simulation {
public:
    /// Opens `options.scenario` (or `options.document`) in a fresh world, with `options`' folders,
    /// telemetry keeping, timeline stream and stop flag. With `ownWorld` the simulation flies in a
    /// world of its own; otherwise in the world current on this thread now. Check Ok().
    explicit Simulation(const RunOptions& options, bool ownWorld = false);
    ~Simulation();
    Simulation(const Simulation&) = delete;
    Simulation& operator=(const Simulation&) = delete;

    /// True once opened and until closed.
    bool Ok() const { return open; }
    /// Why the last call failed ("" when it did not); for a failed opening, its ExitCode is ExitCode().
    const std::string& Error() const { return error; }
    /// The ExitCode of a failed opening or of the last refusal.
    int ExitCode() const { return exitCode; }

    /// Flies `frames` frames, fewer when the flight ends or is stopped first; how many flew, or -1
    /// (with Error()) when it is closed or already ended, or `frames` is below 1.
    long long Step(long long frames = 1);
    /// Flies until the frame that reaches simulation time `time` s.
    Until StepUntil(double time);
    /// Flies until a frame brings event `name` (of `vessel`, or any vessel when ""): "release",
    /// "lock", "ignition", "impact", "gone" (deleted), or any timeline kind ("attach", "thruster",
    /// "debug", "log", "command", "key", "deleted", "friend", "seeker").
    Until StepUntilEvent(const std::string& name, const std::string& vessel = "");
    /// Flies until `condition` is true after a frame.
    Until StepUntil(const std::function<bool(Simulation&)>& condition);
    /// True once the flight has reached its end time or every watched weapon is gone.
    bool Ended() const;
    /// Called after every frame; returning false stops the stepping call after that frame.
    void SetFrameHook(std::function<bool(Simulation&)> hook) { frameHook = std::move(hook); }
    /// Read before every frame: once true, stepping stops there (Interrupted; Step returns early).
    void SetStop(const std::atomic<bool>* flag) { stop = flag; }

    /// Simulation time, s.
    double Time() const;
    /// Frame length, s.
    double FrameLength() const { return frame; }
    /// Frames flown since opening.
    long long Frames() const { return frames; }
    /// The live vessels, in the world's order.
    std::vector<VesselInfo> Vessels() const;
    /// How many vessels are live.
    int VesselCount() const;
    /// The index of the live vessel named `name`, -1 (with Error()) for none.
    int IndexOf(const std::string& name) const;
    /// The state of the live vessel at `index` (0 to VesselCount() - 1); all NaN for none.
    VesselReadout State(int index) const;
    /// Fills `out` with every live vessel's state, in order; how many it wrote (at most `room`).
    int States(VesselReadout* out, int room) const;

    /// The timeline since opening, in order.
    const std::vector<Event>& Events() const { return result.events; }
    /// The timeline's events since the last call of NewEvents (or since opening).
    std::vector<Event> NewEvents();

    /// Sends weapon command `command` ("ARM", or with the "WEAPON::" prefix) to `vessel` as a
    /// launcher does, and logs it as a carrier would; the module's answer (1 GETTYPE, 0 done or not
    /// a weapon command, -1 or -2 refused), or nothing when `vessel` is none or not a weapon.
    std::optional<int> Command(const std::string& vessel, const std::string& command);
    /// Lets the weapon on station `station` (from 0) of `carrier` go with `velocity` (carrier body
    /// frame, m/s) added to its point's, as a carrier does; false when the station holds nothing.
    bool Release(const std::string& carrier, int station, const VECTOR3& velocity = VECTOR3{0.0, 0.0, 0.0});
    /// Hands `vessel` key `code` (0 to 255) pressed (`down`) or released, with modifier bits
    /// `modifiers` held, at the next frame, as a scripted key event.
    bool Key(const std::string& vessel, unsigned int code, bool down, uint8_t modifiers = 0);
    /// Sets kinematic vessel `vessel`'s velocity (global, m/s), its steering off.
    bool SetVelocity(const std::string& vessel, const VECTOR3& velocity);
    /// Gives kinematic vessel `vessel` the steering that `lines` (the scenario's COURSE, ROUTE,
    /// WAYPOINT, WEAVE, TRIGGER and REACTION lines, one per line) describe, in place of its own.
    bool Steer(const std::string& vessel, const std::string& lines);

    /// Writes the flight as it stands to scenario file `path`: it loads to the same state, and the
    /// vessels the host moves fly on to the same bits (a weapon's module keeps only what it saves).
    bool Save(const std::string& path);
    /// What a whole run would give if it ended now: events, milestones, miss distance, records, and
    /// the telemetry kept so far.
    RunResult Result() const;
    /// The text summary.json would hold if the run ended now.
    std::string SummaryJson() const;
    /// The telemetry kept so far (with `options.keepTelemetry`).
    const TelemetryColumns& Telemetry() const { return result.telemetry; }

    /// Ends the flight: writes the output folder's files (with `options.outDir`), empties the world,
    /// and returns the run's result, as runner::Run gives it. Later calls are refused.
    RunResult Close();

private:
    struct Flight;  // the world, observer and telemetry a flight needs while open
    class Scope;    // makes the simulation's world and folder current for a call

    bool Usable(bool toFly);
    standin::Vessel* Named(const std::string& name);
    bool Kinematic(standin::Vessel* v, const std::string& name);
    bool FlyFrame();
    template <typename Reached>
    Until FlyUntil(Reached reached);
    void Fail(int code, std::string why);
    void Settle(RunResult& r) const;

    RunOptions options;
    std::unique_ptr<Flight> flight;
    RunResult result;
    mutable std::string error;
    int exitCode = EXIT_OK;
    bool open = false;
    double frame = 0.0;
    long long frames = 0;
    size_t eventsRead = 0;
    size_t printed = 0;
    std::function<bool(Simulation&)> frameHook;
    const std::atomic<bool>* stop = nullptr;
};

}  // namespace runner
