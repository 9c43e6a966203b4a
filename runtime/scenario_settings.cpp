// A scenario's run settings applied to the world: the clock, the frame, the end, the telemetry
// rate, the damping, the watched vessel and its target, and the planet.
#include "formats/scenario_keys.h"
#include "scenario.h"

namespace standin {

namespace {

// Sets one parameter of the round planet from the override `s` (line `line`); "" or why not.
std::string OverridePlanet(const formats::HostLine& s, int line, physics::Planet& planet)
{
    if (!planet.round) {
        return Where(line) + formats::EntryOf(s.key).name + " changes a round planet: put \"PLANET earth\" before it";
    }
    switch (s.key) {
    case formats::Key::PlanetRadius: planet.radius = s.number[0]; break;
    case formats::Key::PlanetFlattening: planet.flattening = s.number[0]; break;
    case formats::Key::PlanetGm: planet.gm = s.number[0]; break;
    case formats::Key::PlanetJ2: planet.j2 = s.number[0]; break;
    default: planet.rotation = s.number[0]; break;
    }
    return "";
}

}  // namespace

std::string ApplySettings(const formats::ScenarioDocument& doc, RunSettings& run, int& watchLine, int& targetLine)
{
    World& w = world();
    w.simt = 0.0;
    w.physics.planet = physics::Planet{};  // a file that names no planet flies over the flat ground
    for (size_t i = 0; i < doc.settings.size(); ++i) {
        const formats::HostLine& s = doc.settings[i];
        switch (s.key) {
        case formats::Key::Time: w.simt = s.number[0]; break;
        case formats::Key::Step: run.step = s.number[0]; break;
        case formats::Key::End: run.endTime = s.number[0]; break;
        case formats::Key::Telemetry: run.telemetryRate = s.number[0]; break;
        case formats::Key::Damping: w.physics.rotationalDamping = s.number[0]; break;
        case formats::Key::Watch: run.watch = s.word; watchLine = doc.settingLines[i]; break;
        case formats::Key::Target: run.target = s.word; targetLine = doc.settingLines[i]; break;
        case formats::Key::Planet: w.physics.planet = s.integer[0] == 1 ? physics::EARTH : physics::Planet{}; break;
        case formats::Key::PlanetRadius:
        case formats::Key::PlanetFlattening:
        case formats::Key::PlanetGm:
        case formats::Key::PlanetJ2:
        case formats::Key::PlanetRotation:
            if (std::string why = OverridePlanet(s, doc.settingLines[i], w.physics.planet); !why.empty()) {
                return why;
            }
            break;
        default: break;  // vessel keys never stand among the settings
        }
    }
    return "";
}

}  // namespace standin
