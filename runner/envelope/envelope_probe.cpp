#include "runner/envelope/envelope_probe.h"

#include <bit>

#include "formats/scenario_keys.h"
#include "physics/random.h"
#include "runner/envelope/envelope_point.h"
#include "runner/flight/outcome.h"

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

// A flight of `doc` without files.
RunOptions FlightOf(const std::string& moduleDir, const formats::ScenarioDocument& doc)
{
    RunOptions fly;
    fly.moduleDir = moduleDir;
    fly.maxVessels = 64;
    fly.scenario = doc.path;
    fly.document = &doc;
    return fly;
}

// The seed of the probe point at `range` m and `bearing` deg of `c` under `seed`.
uint64_t PointSeed(uint64_t seed, const ReleaseCondition& c, double bearing, double range)
{
    uint64_t key = physics::Mix(seed);
    for (double coordinate : {c.altitude, c.speed, bearing, range}) {
        key = physics::Mix(key + std::bit_cast<uint64_t>(coordinate));
    }
    return key;
}

}  // namespace

int PrepareCondition(const EnvelopeDefinition& def, const std::string& moduleDir, double altitude, double speed,
                      ReleaseCondition& condition, std::string& error)
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
    if (const int code = FindRelease(FlightOf(moduleDir, doc), condition.release, error); code != EXIT_OK) {
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

Probe ProbePoint(const EnvelopeDefinition& def, const SequentialRule& rule, const std::string& moduleDir,
                 const ReleaseCondition& condition, double bearing, double range, std::string& error)
{
    std::vector<double> values = {condition.altitude, condition.speed, 0.0, 0.0};
    TargetPlace(condition.release, range, bearing, values[2], values[3]);
    BatchDefinition draws;
    draws.dispersions = def.batch.dispersions;
    draws.seed = PointSeed(def.batch.seed, condition, bearing, range);
    // One flight of the scenario with the draws of run `run`; whether it hit.
    auto fly = [&](long long run) {
        std::vector<double> inputs = values;
        for (double drawn : DrawInputs(draws, run)) {
            inputs.push_back(drawn);
        }
        formats::ScenarioDocument doc;
        if (!error.empty() || !RunScenario(condition.spec, inputs, doc, error)) {
            return false;
        }
        const RunResult result = Run(FlightOf(moduleDir, doc));
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
