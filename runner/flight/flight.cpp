#include "runner/flight/flight.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "runner/flight/outcome.h"
#include "runner/flight/telemetry.h"
#include "runtime/host_control.h"
#include "weapon/observable.h"

namespace runner {

namespace {

namespace fs = std::filesystem;

// Runs in the output folder, so that the log every module appends to lands there, and goes back.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::string& dir) : previous(fs::current_path())
    {
        if (!dir.empty()) {
            fs::current_path(dir);
        }
    }
    ~WorkingDirectory()
    {
        std::error_code ignored;
        fs::current_path(previous, ignored);
    }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    fs::path previous;
};

std::string Stamp(double time)
{
    char text[32];
    std::snprintf(text, sizeof text, "[%9.3f s] ", time);
    return text;
}

// Destroys the world's vessels and leaves it small.
void Clear()
{
    standin::WorldConfig least;
    least.maxVessels = 1;
    standin::Reset(least);
}

RunResult Failure(int code, const std::string& why)
{
    RunResult result;
    result.exitCode = code;
    result.error = why;
    return result;
}

// Loads the scenario into a fresh world; "" or why it cannot be flown, with its exit code.
std::string Load(const RunOptions& options, int& code)
{
    std::error_code error;
    standin::WorldConfig config;
    config.moduleDir = fs::absolute(options.moduleDir, error).string();
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

// Steps to the end (or until the watched vessel is gone), observing every frame and sampling
// telemetry at its rate; false when the options' stop flag ended it first.
bool Fly(const RunOptions& options, Observer& observer, Telemetry& telemetry, RunResult& result)
{
    const standin::World& w = standin::world();
    const double end = w.run.endTime, step = w.run.step, every = 1.0 / w.run.telemetryRate;
    double nextSample = w.simt;
    auto sample = [&]() {
        if (w.simt >= nextSample - 1e-9 * every) {
            telemetry.Sample();
            nextSample += every;
        }
    };
    size_t printed = 0;
    size_t width = 0;  // a salvo's timeline names each line's weapon in a column this wide
    for (const std::string& name : w.run.watches) {
        width = observer.Salvo() ? std::max(width, name.size()) : 0;
    }
    sample();
    while (w.simt < end - 1e-9 * step && !observer.WatchGone()) {
        if (options.stop != nullptr && options.stop->load(std::memory_order_relaxed)) {
            return false;
        }
        standin::Step(step);
        observer.Observe(result.events);
        if (options.timeline != nullptr) {
            for (; printed < result.events.size(); ++printed) {
                const Event& e = result.events[printed];
                if (width > 0) {
                    std::fprintf(options.timeline, "%s%-*s | %s\n", Stamp(e.time).c_str(), static_cast<int>(width),
                                 e.weapon.c_str(), e.text.c_str());
                } else {
                    std::fprintf(options.timeline, "%s%s\n", Stamp(e.time).c_str(), e.text.c_str());
                }
            }
        }
        sample();
        if (options.afterStep) {
            options.afterStep();
        }
    }
    result.endTime = w.simt;
    result.round = standin::PhysicsSettings().planet.round;
    result.salvo = observer.Salvo();
    result.weapons = observer.Weapons();
    result.targets = observer.Targets();
    SettleTargets(result);
    if (result.weapons.empty()) {
        return true;
    }
    // The run's own fields are its first weapon's.
    const WeaponRecord& first = result.weapons.front();
    result.milestones = first.milestones;
    result.missDistance = first.missDistance;
    result.closestApproach = first.closestApproach;
    result.closestApproachTime = first.closestApproachTime;
    result.relativeSpeed = first.relativeSpeed;
    result.ignitionPoint = first.ignitionPoint;
    result.targetPoint = first.targetPoint;
    result.missOffset = first.missOffset;
    result.ignitionPlace = first.ignitionPlace;
    if (result.salvo && !first.target.empty()) {
        result.target = first.target;
        result.targetSize = first.targetSize;
    }
    return true;
}

// Writes the end-of-run scenario and the summary beside the log and the telemetry.
void WriteOutputs(const RunOptions& options, const fs::path& outDir, Telemetry& telemetry, RunResult& result)
{
    bool ok = telemetry.Close();
    result.written.push_back((outDir / observable::LOG_FILE).string());
    result.written.push_back((outDir / "telemetry.csv").string());
    std::string last = (outDir / "end.scn").string();
    ok = standin::SaveScenario(last.c_str()) && ok;
    result.written.push_back(last);
    std::string summary = (outDir / "summary.json").string();
    ok = WriteSummary(summary, options.scenario, result) && ok;
    result.written.push_back(summary);
    if (!ok) {
        result.exitCode = EXIT_FAILED;
        result.error = "cannot write every output in " + outDir.string();
    }
}

}  // namespace

RunResult Run(const RunOptions& options)
{
    std::error_code error;
    fs::path outDir = options.outDir.empty() ? fs::path() : fs::absolute(options.outDir, error);
    int code = EXIT_OK;
    std::string why = Load(options, code);
    if (!why.empty()) {
        Clear();
        return Failure(code, why);
    }
    if (!outDir.empty()) {
        fs::create_directories(outDir, error);
        fs::remove(outDir / observable::LOG_FILE, error);
        if (!fs::is_directory(outDir)) {
            Clear();
            return Failure(EXIT_FAILED, "cannot create the output folder " + outDir.string());
        }
    }
    // The modules append their log in the working directory: the output folder, or the one to fly in.
    const fs::path flyIn = !outDir.empty() ? outDir : fs::path(options.workDir);
    if (outDir.empty() && !flyIn.empty()) {
        fs::remove(flyIn / observable::LOG_FILE, error);
    }
    WorkingDirectory cwd(flyIn.string());
    RunResult result = Prepare();
    const standin::World& w = standin::world();
    Observer observer(w.run.watches, w.run.targets, !flyIn.empty());
    Telemetry telemetry;
    if (!outDir.empty() && !telemetry.Open((outDir / "telemetry.csv").string())) {
        Clear();
        return Failure(EXIT_FAILED, "cannot write " + (outDir / "telemetry.csv").string());
    }
    if (options.keepTelemetry) {
        telemetry.Keep(result.telemetry, options.keepEvery);
    }
    if (!Fly(options, observer, telemetry, result)) {
        Clear();
        return Failure(EXIT_INTERRUPTED, "interrupted");
    }
    if (!outDir.empty()) {
        WriteOutputs(options, outDir, telemetry, result);
    }
    Clear();
    return result;
}

}  // namespace runner
