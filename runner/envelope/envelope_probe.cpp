#include "runner/envelope/envelope_probe.h"

#include <bit>

#include "formats/scenario_keys.h"
#include "physics/random.h"
#include "runner/envelope/envelope_point.h"
#include "runner/flight/outcome.h"
#include "world/vessel.h"

namespace runner {

namespace {

Dispersion Edit(const std::string& vessel, const char* field)
{
    Dispersion d;
    d.vessel = vessel;
    d.field = field;
    d.quantity = vessel + "." + field;
    return d;
}

// Whether `vessel` of `doc` is placed by latitude, longitude and altitude rather than by position.
bool Located(formats::ScenarioDocument& doc, const std::string& vessel)
{
    formats::ScenarioVessel* v = formats::FindVessel(doc, vessel);
    return v != nullptr && formats::LastLine(*v, formats::Key::Location) != nullptr;
}

// A flight of `doc` without files, ended by `stop` when given.
RunOptions FlightOf(const std::string& moduleDir, const formats::ScenarioDocument& doc, const std::atomic<bool>* stop)
{
    RunOptions fly;
    fly.stop = stop;
    fly.moduleDir = moduleDir;
    fly.maxVessels = 64;
    fly.scenario = doc.path;
    fly.document = &doc;
    return fly;
}

// The seed of the probe point at `range` m and `bearing` deg of `c` under `seed`; a moving
// target's speed and course key it too, and a still one's draws are those of an envelope without
// target speeds.
uint64_t PointSeed(uint64_t seed, const ReleaseCondition& c, const TargetMotion& target, double bearing, double range)
{
    uint64_t key = physics::Mix(seed);
    for (double coordinate : {c.altitude, c.speed, bearing, range}) {
        key = physics::Mix(key + std::bit_cast<uint64_t>(coordinate));
    }
    if (target.speed > 0.0) {
        for (double coordinate : {target.speed, target.course}) {
            key = physics::Mix(key + std::bit_cast<uint64_t>(coordinate));
        }
    }
    return key;
}

// Makes `target` of `doc` a kinematic vessel driving on `course` deg at `speed` m/s, reaching that
// speed at the host's usual rate when something changes it.
void SetMoving(formats::ScenarioDocument& doc, const std::string& target, double course, double speed)
{
    formats::ScenarioVessel& v = *formats::FindVessel(doc, target);
    formats::LineFor(v, formats::Key::Motion).integer[0] = static_cast<long long>(standin::Motion::Kinematic);
    formats::HostLine& line = formats::LineFor(v, formats::Key::Course);
    line.number[0] = course;
    line.number[1] = speed;
    line.number[2] = formats::STEERING_ACCELERATION;
}

}  // namespace

int PrepareCondition(const EnvelopeDefinition& def, const std::string& moduleDir, double altitude, double speed,
                      ReleaseCondition& condition, std::string& error, const std::atomic<bool>* stop)
{
    condition.altitude = altitude;
    condition.speed = speed;
    BatchDefinition& spec = condition.spec;
    spec = def.batch;
    const bool round = Located(spec.base, def.target);
    spec.dispersions = {Edit(def.carrier, Located(spec.base, def.carrier) ? "altitude" : "y"),
                        Edit(def.carrier, "speed")};
    formats::ScenarioDocument doc;
    if (!RunScenario(spec, {altitude, speed}, doc, error)) {
        return EXIT_SCENARIO;
    }
    if (const int code = FindRelease(FlightOf(moduleDir, doc, stop), condition.release, error); code != EXIT_OK) {
        return code;
    }
    spec.dispersions.push_back(Edit(def.target, round ? "latitude" : "x"));
    spec.dispersions.push_back(Edit(def.target, round ? "longitude" : "z"));
    spec.dispersions.insert(spec.dispersions.end(), def.batch.dispersions.begin(), def.batch.dispersions.end());
    return EXIT_OK;
}

SequentialRule RuleOf(const EnvelopeDefinition& def)
{
    return def.Probabilistic() ? SequentialRule(def.probability, def.confidence, def.batch.runs) : SequentialRule();
}

bool PointScenario(const EnvelopeDefinition& def, const ReleaseCondition& condition, const TargetMotion& target,
                   double bearing, double range, const std::vector<double>& draws, formats::ScenarioDocument& doc,
                   std::string& error)
{
    std::vector<double> inputs = {condition.altitude, condition.speed, 0.0, 0.0};
    TargetStart(condition.release, range, bearing, target, inputs[2], inputs[3]);
    inputs.insert(inputs.end(), draws.begin(), draws.end());
    if (!RunScenario(condition.spec, inputs, doc, error)) {
        return false;
    }
    if (target.speed > 0.0) {
        SetMoving(doc, def.target, TargetCourse(condition.release, target.course), target.speed);
    }
    return true;
}

Probe ProbePoint(const EnvelopeDefinition& def, const SequentialRule& rule, const std::string& moduleDir,
                 const ReleaseCondition& condition, const TargetMotion& target, double bearing, double range,
                 std::string& error, const std::atomic<bool>* stop)
{
    BatchDefinition draws;
    draws.dispersions = def.batch.dispersions;
    draws.seed = PointSeed(def.batch.seed, condition, target, bearing, range);
    // One flight of the scenario with the draws of run `run`; whether it hit.
    auto fly = [&](long long run) {
        formats::ScenarioDocument doc;
        if (!error.empty() || !PointScenario(def, condition, target, bearing, range, DrawInputs(draws, run), doc, error)) {
            return false;
        }
        const RunResult result = Run(FlightOf(moduleDir, doc, stop));
        error = result.error;
        return result.exitCode == EXIT_OK && OutcomeOf(result) == Outcome::HIT;
    };
    if (!def.Probabilistic()) {
        const bool hit = fly(0);
        return Probe{hit ? Verdict::HIT : Verdict::MISS, 1};
    }
    return SequentialPoint(rule, fly);
}

}  // namespace runner
