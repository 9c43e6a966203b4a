#include "runner/flight/simulation.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "formats/fresh_file.h"
#include "runner/flight/simulation_flight.h"
#include "runner/program/paths.h"
#include "runtime/host_control.h"
#include "weapon/observable.h"

namespace runner {

namespace {

namespace fs = std::filesystem;

std::string Stamp(double time)
{
    char text[32];
    std::snprintf(text, sizeof text, "[%9.3f s] ", time);
    return text;
}

// Loads the scenario into a fresh world; "" or why it cannot be flown, with its exit code.
std::string Load(const RunOptions& options, int& code)
{
    std::error_code failed;
    standin::WorldConfig config;
    // No folder stays none, which the host refuses to load modules from, rather than the top of the file system.
    config.moduleDir = options.moduleDir.empty() ? "" : fs::absolute(options.moduleDir, failed).string();
    config.maxVessels = options.maxVessels;
    standin::Reset(config);
    bool loaded = options.document == nullptr ? standin::LoadScenario(options.scenario.c_str())
                                              : standin::LoadScenarioDocument(*options.document);
    code = standin::LastErrorKind() == standin::ErrorKind::Module ? EXIT_MODULE : EXIT_SCENARIO;
    return loaded ? "" : standin::LastError();
}

// What the run knows before it flies: its settings, and a visual for every module vessel, as with
// a graphics client, so that each animates.
RunResult Prepare()
{
    const standin::World& w = standin::world();
    RunResult result;
    result.step = w.run.step;
    result.watch = w.run.watch;
    result.target = w.run.target;
    for (unsigned int i = 0; i < zapiGetVesselCount(); ++i) {
        HostHandle h = zapiGetVesselByIndex(static_cast<int>(i));
        const standin::Vessel& v = *standin::Find(h);
        if (!v.className.empty()) {
            standin::CreateVisual(h);
        }
        if (v.name == result.target) {
            result.targetSize = v.size;
        }
    }
    return result;
}

}  // namespace

void ClearWorld()
{
    standin::WorldConfig least;
    least.maxVessels = 1;
    standin::Reset(least);
}

Simulation::Scope::Scope(Flight& flight, bool inFolder) : f(flight), previous(standin::UseWorld(flight.world))
{
    // The modules append their log in the working directory: the flight's folder while they run.
    if (inFolder && f.depth++ == 0 && !f.flyIn.empty()) {
        std::error_code failed;
        back = fs::current_path(failed);
        fs::current_path(f.flyIn, failed);
    }
    folder = inFolder;
}

Simulation::Scope::~Scope()
{
    if (folder && --f.depth == 0 && !back.empty()) {
        std::error_code ignored;
        fs::current_path(back, ignored);
    }
    standin::UseWorld(previous);
}

Simulation::Simulation(const RunOptions& given, bool ownWorld) : options(given), flight(std::make_unique<Flight>())
{
    Flight& f = *flight;
    if (ownWorld) {
        f.own = std::make_unique<standin::World>();
    }
    f.world = ownWorld ? f.own.get() : &standin::world();
    stop = options.stop;
    Scope world(f, false);
    std::error_code failed;
    f.outDir = options.outDir.empty() ? fs::path() : fs::absolute(options.outDir, failed);
    if (std::string why = f.outDir.empty() ? "" : RefusedOutputFolder(f.outDir); !why.empty()) {
        ClearWorld();
        Fail(EXIT_USAGE, why);
        return;
    }
    int code = EXIT_OK;
    if (std::string why = Load(options, code); !why.empty()) {
        ClearWorld();
        Fail(code, why);
        return;
    }
    if (!f.outDir.empty()) {
        fs::create_directories(f.outDir, failed);
        if (!fs::is_directory(f.outDir)) {
            ClearWorld();
            Fail(EXIT_FAILED, "cannot create the output folder " + f.outDir.string());
            return;
        }
        // The modules append to the log by its name: a fresh file of the run's own takes the name first.
        if (const fs::path log = f.outDir / observable::LOG_FILE; !formats::ReplaceFile(log.string(), "")) {
            ClearWorld();
            Fail(EXIT_FAILED, "cannot write " + log.string());
            return;
        }
    }
    f.flyIn = !f.outDir.empty() ? f.outDir : options.workDir.empty() ? fs::path() : fs::absolute(options.workDir, failed);
    if (f.outDir.empty() && !f.flyIn.empty()) {
        fs::remove(f.flyIn / observable::LOG_FILE, failed);
    }
    Scope folder(f, true);
    result = Prepare();
    frame = result.step;
    const standin::World& w = *f.world;
    f.observer = std::make_unique<Observer>(w.run.watches, w.run.targets, !f.flyIn.empty());
    if (!f.outDir.empty() && !f.telemetry.Open((f.outDir / "telemetry.csv").string())) {
        ClearWorld();
        Fail(EXIT_FAILED, "cannot write " + (f.outDir / "telemetry.csv").string());
        return;
    }
    if (options.keepTelemetry) {
        f.telemetry.Keep(result.telemetry, options.keepEvery);
    }
    f.end = w.run.endTime;
    f.every = 1.0 / w.run.telemetryRate;
    f.nextSample = w.simt;
    for (const std::string& name : w.run.watches) {
        f.width = f.observer->Salvo() ? std::max(f.width, name.size()) : 0;
    }
    f.Sample();
    open = true;
}

Simulation::~Simulation()
{
    if (open) {
        Scope folder(*flight, true);
        ClearWorld();
    }
}

void Simulation::Flight::Sample()
{
    if (world->simt >= nextSample - 1e-9 * every) {
        telemetry.Sample();
        nextSample += every;
    }
}

void Simulation::Fail(int code, std::string why)
{
    exitCode = code;
    error = std::move(why);
}

bool Simulation::Usable(bool toFly)
{
    if (!open) {
        Fail(EXIT_USAGE, "the simulation is closed");
        return false;
    }
    if (toFly && Ended()) {
        char when[64];
        std::snprintf(when, sizeof when, "the flight has ended, at %.3f s", Time());
        Fail(EXIT_USAGE, when);
        return false;
    }
    error.clear();
    return true;
}

bool Simulation::Ended() const
{
    if (!open) {
        return true;
    }
    return flight->world->simt >= flight->end - 1e-9 * frame || flight->observer->WatchGone();
}

double Simulation::Time() const
{
    return flight->world->simt;
}

bool Simulation::FlyFrame()
{
    if (stop != nullptr && stop->load(std::memory_order_relaxed)) {
        return false;
    }
    Flight& f = *flight;
    standin::Step(frame);
    f.observer->Observe(result.events);
    if (options.timeline != nullptr) {
        for (; printed < result.events.size(); ++printed) {
            const Event& e = result.events[printed];
            if (f.width > 0) {
                std::fprintf(options.timeline, "%s%-*s | %s\n", Stamp(e.time).c_str(), static_cast<int>(f.width),
                             e.weapon.c_str(), e.text.c_str());
            } else {
                std::fprintf(options.timeline, "%s%s\n", Stamp(e.time).c_str(), e.text.c_str());
            }
        }
    }
    f.Sample();
    ++frames;
    if (options.afterStep) {
        options.afterStep();
    }
    return true;
}

template <typename Reached>
Until Simulation::FlyUntil(Reached reached)
{
    Scope folder(*flight, true);
    while (!Ended()) {
        const size_t seen = result.events.size();
        if (!FlyFrame()) {
            return Until::Interrupted;
        }
        const bool done = reached(seen);
        if (frameHook && !frameHook(*this)) {
            return done ? Until::Reached : Until::Interrupted;
        }
        if (done) {
            return Until::Reached;
        }
    }
    return Until::Ended;
}

long long Simulation::Step(long long count)
{
    if (!Usable(true)) {
        return -1;
    }
    if (count < 1) {
        Fail(EXIT_USAGE, "a step flies 1 frame or more, not " + std::to_string(count));
        return -1;
    }
    long long flown = 0;
    FlyUntil([&](size_t) { return ++flown == count; });
    return flown;
}

Until Simulation::StepUntil(double time)
{
    if (!Usable(true)) {
        return Until::Refused;
    }
    if (!(time == time)) {
        Fail(EXIT_USAGE, "a time to fly until must be a number");
        return Until::Refused;
    }
    if (Time() >= time - 1e-9 * frame) {
        return Until::Reached;
    }
    return FlyUntil([&](size_t) { return Time() >= time - 1e-9 * frame; });
}

Until Simulation::StepUntil(const std::function<bool(Simulation&)>& condition)
{
    if (!Usable(true)) {
        return Until::Refused;
    }
    return FlyUntil([&](size_t) { return condition(*this); });
}

Until Simulation::StepUntilEvent(const std::string& name, const std::string& vessel)
{
    static const char* const KINDS[] = {"release", "lock", "ignition", "impact", "gone", "attach", "thruster",
                                        "debug", "log", "command", "key", "deleted", "friend", "seeker"};
    if (!Usable(true)) {
        return Until::Refused;
    }
    if (std::find(std::begin(KINDS), std::end(KINDS), name) == std::end(KINDS)) {
        Fail(EXIT_USAGE, "no event is called \"" + name +
                             "\": release, lock, ignition, impact, gone, attach, thruster, debug, log, command, "
                             "key, deleted, friend or seeker");
        return Until::Refused;
    }
    if (!vessel.empty() && IndexOf(vessel) < 0) {
        return Until::Refused;
    }
    const std::string kind = name == "gone" ? "deleted" : name;
    const Observer& observer = *flight->observer;
    auto ignited = [&]() {
        size_t count = 0;
        for (size_t k = 0; k < observer.WeaponCount(); ++k) {
            const WeaponRecord& r = observer.WeaponAt(k);
            count += (vessel.empty() || r.name == vessel) && !std::isnan(r.milestones.ignition) ? 1 : 0;
        }
        return count;
    };
    const size_t before = ignited();
    return FlyUntil([&](size_t seen) {
        if (name == "ignition") {
            return ignited() > before;
        }
        for (size_t k = seen; k < result.events.size(); ++k) {
            const Event& e = result.events[k];
            if (e.kind == kind && (vessel.empty() || e.vessel == vessel || e.weapon == vessel)) {
                return true;
            }
        }
        return false;
    });
}

}  // namespace runner
