// A scenario's run settings applied to the world: the clock, the frame, the end, the telemetry
// rate, the damping, the watched vessel and its target, the planet and the air's motion.
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

// Why a scenario may not give its steady wind both ways.
constexpr const char* WIND_TWICE = "WIND and WIND_ROW lines both give the steady wind: keep one or the other";

// Sets the air's motion from the line `s` (line `line`); "" or why not.
std::string SetWeather(const formats::HostLine& s, int line, physics::Weather& weather, bool& windLine)
{
    physics::Wind& wind = weather.wind;
    switch (s.key) {
    case formats::Key::Wind:
        if (wind.rows > 0) {
            return Where(line) + WIND_TWICE;
        }
        windLine = true;
        wind.profile = s.integer[0] == 1 ? physics::WindProfile::Power : physics::WindProfile::Constant;
        wind.speed = s.number[0];
        wind.from = s.number[1];
        wind.exponent = s.number[2];
        break;
    case formats::Key::WindRow:
        if (windLine) {
            return Where(line) + WIND_TWICE;
        }
        if (wind.rows == physics::WIND_TABLE_ROWS) {
            return Where(line) + "a wind table holds at most " + std::to_string(physics::WIND_TABLE_ROWS) + " rows";
        }
        if (wind.rows > 0 && !(s.number[0] > wind.table[wind.rows - 1].height)) {
            return Where(line) + "WIND_ROW heights must rise from one row to the next";
        }
        wind.profile = physics::WindProfile::Table;
        wind.table[wind.rows++] = physics::WindRow{s.number[0], s.number[1], s.number[2]};
        break;
    case formats::Key::Turbulence:
        weather.turbulence.level = static_cast<physics::TurbulenceLevel>(s.integer[0]);
        weather.turbulence.seed = static_cast<uint64_t>(s.integer[1]);
        break;
    case formats::Key::TurbulenceW20: weather.turbulence.w20 = s.number[0]; break;
    default:
        weather.gust = physics::Gust{true, s.number[0], s.number[1], s.number[2], s.number[3], s.number[4]};
        break;
    }
    return "";
}

void AddName(const std::string& name, std::vector<std::string>& names)
{
    if (!name.empty()) {
        names.push_back(name);
    }
}

}  // namespace

std::string ApplySettings(const formats::ScenarioDocument& doc, RunSettings& run)
{
    World& w = world();
    w.simt = 0.0;
    w.physics.planet = physics::Planet{};  // a file that names no planet flies over the flat ground
    w.physics.weather = physics::Weather{};  // and one that names no wind, in still air
    bool windLine = false;
    for (size_t i = 0; i < doc.settings.size(); ++i) {
        const formats::HostLine& s = doc.settings[i];
        switch (s.key) {
        case formats::Key::Time: w.simt = s.number[0]; break;
        case formats::Key::Step: run.step = s.number[0]; break;
        case formats::Key::End: run.endTime = s.number[0]; break;
        case formats::Key::Telemetry: run.telemetryRate = s.number[0]; break;
        case formats::Key::Damping: w.physics.rotationalDamping = s.number[0]; break;
        // A line naming no vessel names none.
        case formats::Key::Watch: AddName(s.word, run.watches); break;
        case formats::Key::Target: AddName(s.word, run.targets); break;
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
        case formats::Key::Wind:
        case formats::Key::WindRow:
        case formats::Key::Turbulence:
        case formats::Key::TurbulenceW20:
        case formats::Key::Gust:
            if (std::string why = SetWeather(s, doc.settingLines[i], w.physics.weather, windLine); !why.empty()) {
                return why;
            }
            break;
        default: break;  // vessel keys never stand among the settings
        }
    }
    run.watch = run.watches.empty() ? "" : run.watches.front();
    run.target = run.targets.empty() ? "" : run.targets.front();
    return "";
}

}  // namespace standin
