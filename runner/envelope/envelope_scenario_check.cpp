#include "runner/envelope/envelope_scenario_check.h"

#include "formats/scenario_keys.h"

namespace runner {

namespace {

// What the envelope sets at each probe point itself: the carrier's height and speed at release,
// where the target stands, and with target speeds how it moves.
bool SetByEnvelope(const Dispersion& d, const EnvelopeDefinition& def)
{
    const std::string& f = d.field;
    if (d.setting) {
        return false;
    }
    const bool velocity = f == "speed" || f == "vx" || f == "vy" || f == "vz";
    if (d.vessel == def.carrier) {
        return f == "altitude" || f == "y" || velocity;
    }
    const bool moved = def.TargetConditions() && (velocity || f == "heading");
    return d.vessel == def.target && (f == "x" || f == "z" || f == "latitude" || f == "longitude" || moved);
}

// "1 weapon", "2 weapons".
std::string Count(int n, const char* thing)
{
    return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
}

}  // namespace

bool CheckEnvelopeScenario(const DefinitionText& text, EnvelopeDefinition& def, int carrierLine,
                           const std::vector<int>& varyLines, std::string& error)
{
    BatchDefinition& spec = def.batch;
    // The target flown is the one TARGET setting: the base scenario's, or a SETTING line's after it.
    const formats::HostLine* target = nullptr;
    int watches = 0, targets = 0;
    for (const std::vector<formats::HostLine>* settings : {&spec.base.settings, &spec.settings}) {
        for (const formats::HostLine& line : *settings) {
            const bool named = !line.word.empty();
            target = line.key == formats::Key::Target && named ? &line : target;
            watches += line.key == formats::Key::Watch && named;
            targets += line.key == formats::Key::Target && named;
        }
    }
    if (watches > 1 || targets > 1) {
        return FailAt(text, 0,
                      "the envelope flies one weapon against one target, and the scenario " + spec.scenarioPath +
                          " with its settings watches " + Count(watches, "weapon") + " and names " +
                          Count(targets, "target") + ": a salvo is studied with a sweep",
                      error);
    }
    if (target == nullptr) {
        return FailAt(text, 0,
                      "the scenario " + spec.scenarioPath + " has no TARGET line: the envelope places the target",
                      error);
    }
    def.target = target->word;
    if (formats::FindVessel(spec.base, def.target) == nullptr) {
        return FailAt(text, 0, "the scenario's TARGET \"" + def.target + "\" names no vessel in " + spec.scenarioPath,
                      error);
    }
    if (formats::FindVessel(spec.base, def.carrier) == nullptr) {
        return FailAt(text, carrierLine, "no vessel named \"" + def.carrier + "\" in the scenario " + spec.scenarioPath,
                      error);
    }
    if (def.carrier == def.target) {
        return FailAt(text, carrierLine, "the carrier \"" + def.carrier + "\" is the scenario's target", error);
    }
    for (size_t k = 0; k < spec.dispersions.size(); ++k) {
        if (SetByEnvelope(spec.dispersions[k], def)) {
            return FailAt(text, varyLines[k], "the envelope sets " + spec.dispersions[k].quantity + " itself", error);
        }
    }
    // Every quantity must name something in the base scenario.
    formats::ScenarioDocument doc;
    std::string why;
    if (!RunScenario(spec, std::vector<double>(spec.dispersions.size(), 0.0), doc, why)) {
        return FailAt(text, 0, why, error);
    }
    return true;
}

}  // namespace runner
