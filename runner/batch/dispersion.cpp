// A dispersion applied to a run's scenario: an edit of one typed field of one vessel, or of one of
// the scenario's own settings.
#include <cmath>
#include <cstdlib>

#include "formats/number_text.h"
#include "formats/scenario_keys.h"
#include "host/host_types.h"
#include "physics/random.h"
#include "runner/batch/dispersion.h"
#include "world/weather.h"

namespace runner {

namespace {

using formats::Key;

// The three numbers of `key`'s line, zeros when the vessel has none.
VECTOR3 Vector(formats::ScenarioVessel& vessel, Key key)
{
    const formats::HostLine* line = formats::LastLine(vessel, key);
    return line != nullptr ? VECTOR3{line->number[0], line->number[1], line->number[2]} : VECTOR3{0.0, 0.0, 0.0};
}

void SetVector(formats::ScenarioVessel& vessel, Key key, const VECTOR3& value)
{
    formats::HostLine& line = formats::LineFor(vessel, key);
    line.number[0] = value.x;
    line.number[1] = value.y;
    line.number[2] = value.z;
}

// Sets the carrier `vessel`'s ripple, or one station's release time ("release<station>"), to
// `value`; false with `error` when it has no such releases.
bool Release(formats::ScenarioVessel& vessel, const Dispersion& d, double value, std::string& error)
{
    if (d.field == "ripple") {
        // A ripple drawn below 0 is a salvo let go at once.
        if (!formats::SetRipple(vessel, std::fmax(value, 0.0))) {
            error = "\"" + d.vessel + "\" releases from fewer than two stations, so has no ripple for " + d.quantity;
            return false;
        }
        return true;
    }
    const long station = std::strtol(d.field.c_str() + 7, nullptr, 10);
    if (!formats::MoveStationRelease(vessel, station, value)) {
        error = "\"" + d.vessel + "\" releases nothing from station " + std::to_string(station) + " for " + d.quantity;
        return false;
    }
    return true;
}

// Sets `d`'s quantity of the steered `vessel` to `value`: its course or speed (on its COURSE line,
// made from its velocity when it has none), its weave's amplitude or period, or its trigger's range.
bool Steer(formats::ScenarioVessel& vessel, const Dispersion& d, double value, std::string& error)
{
    const std::string& f = d.field;
    if (f == "course" || f == "speed") {
        formats::HostLine* course = formats::LastLine(vessel, Key::Course);
        if (course == nullptr) {
            const Key key = formats::LastLine(vessel, Key::GroundVel) != nullptr ? Key::GroundVel : Key::Vel;
            const VECTOR3 vel = Vector(vessel, key);
            course = &formats::LineFor(vessel, Key::Course);
            course->number[1] = std::hypot(vel.x, vel.z);
            course->number[2] = formats::STEERING_ACCELERATION;
        }
        // A speed drawn below 0 is a stop, which a COURSE line can hold.
        course->number[f == "course" ? 0 : 1] = f == "course" ? value : std::fmax(value, 0.0);
        return true;
    }
    const bool weave = f != "trigger_range";
    formats::HostLine* line = formats::LastLine(vessel, weave ? Key::Weave : Key::Trigger);
    if (line == nullptr || (!weave && line->integer[0] != 2)) {
        error = "\"" + d.vessel + "\" has no " + (weave ? "WEAVE line" : "\"TRIGGER range\" line") + " for " + d.quantity;
        return false;
    }
    // A weave's amplitude and period and a trigger's range stay above 0 however they are drawn.
    line->number[f == "weave_period" ? 1 : 0] = std::fmax(value, f == "weave_period" ? 1e-3 : 1e-6);
    return true;
}

// Sets `d`'s quantity of `vessel` to `value`; false with `error` when there is nothing to set.
bool Disperse(formats::ScenarioVessel& vessel, const Dispersion& d, double value, std::string& error)
{
    // A velocity over the ground (east, up, north) turns and scales as a global one (x east, y up,
    // z north) over the flat ground does.
    const Key velocity = formats::LastLine(vessel, Key::GroundVel) != nullptr ? Key::GroundVel : Key::Vel;
    VECTOR3 pos = Vector(vessel, Key::Pos), vel = Vector(vessel, velocity), att = Vector(vessel, Key::Att);
    VECTOR3 place = Vector(vessel, Key::Location);
    const std::string& f = d.field;
    if (f == "x" || f == "y" || f == "z") {
        (f == "x" ? pos.x : f == "y" ? pos.y : pos.z) = value;
        SetVector(vessel, Key::Pos, pos);
    } else if (f == "latitude" || f == "longitude" || f == "altitude") {
        if (f == "latitude" && !(std::fabs(value) <= 90.0)) {
            // A place past a pole is none: the run cannot be flown, and the sweep says so.
            error = d.quantity + " = " + formats::FormatNumber(value) + " deg, beyond -90 to 90";
            return false;
        }
        (f == "latitude" ? place.x : f == "longitude" ? place.y : place.z) = value;
        SetVector(vessel, Key::Location, place);
    } else if (f == "vx" || f == "vy" || f == "vz") {
        vel = Vector(vessel, Key::Vel);
        (f == "vx" ? vel.x : f == "vy" ? vel.y : vel.z) = value;
        SetVector(vessel, Key::Vel, vel);
    } else if (f == "course" || f == "weave_amplitude" || f == "weave_period" || f == "trigger_range" ||
               (f == "speed" && formats::LastLine(vessel, Key::Course) != nullptr)) {
        return Steer(vessel, d, value, error);
    } else if (f == "speed") {
        // The velocity keeps its direction; from rest it points along the nose's heading.
        double speed = std::sqrt(vel.x * vel.x + vel.y * vel.y + vel.z * vel.z);
        VECTOR3 dir = speed > 0.0 ? VECTOR3{vel.x / speed, vel.y / speed, vel.z / speed}
                                  : VECTOR3{std::sin(att.z), 0.0, std::cos(att.z)};
        SetVector(vessel, velocity, VECTOR3{dir.x * value, dir.y * value, dir.z * value});
    } else if (f == "heading") {
        // The course turns with the nose.
        double level = std::sqrt(vel.x * vel.x + vel.z * vel.z);
        SetVector(vessel, velocity, VECTOR3{level * std::sin(value), vel.y, level * std::cos(value)});
        att.z = value;
        SetVector(vessel, Key::Att, att);
    } else if (f == "pitch" || f == "bank") {
        (f == "pitch" ? att.x : att.y) = value;
        SetVector(vessel, Key::Att, att);
    } else if (f != "release") {
        return Release(vessel, d, value, error);  // the ripple, or one station's release
    } else if (!formats::MoveRelease(vessel, value)) {
        error = "\"" + d.vessel + "\" releases nothing (no \"AT <time> <station> RELEASE\" line) for " + d.quantity;
        return false;
    }
    return true;
}

// The last `key` line of the settings of `doc`, null when there is none.
formats::HostLine* LastSetting(formats::ScenarioDocument& doc, Key key)
{
    formats::HostLine* last = nullptr;
    for (formats::HostLine& line : doc.settings) {
        last = line.key == key ? &line : last;
    }
    return last;
}

// Sets the scenario's own quantity of `d` to `value`; false with `error` when there is nothing to set.
bool DisperseSetting(formats::ScenarioDocument& doc, const Dispersion& d, double value, std::string& error)
{
    if (d.vessel == "turbulence") {
        formats::HostLine* line = LastSetting(doc, Key::Turbulence);
        if (line == nullptr) {
            error = "the scenario " + doc.path + " has no TURBULENCE line for turbulence.seed";
            return false;
        }
        // Drawn whole and from 0; a draw past the largest seed takes the largest.
        const uint64_t seed = value < 0x1.0p64 ? static_cast<uint64_t>(value) : UINT64_MAX;
        line->integer[1] = static_cast<long long>(seed);
        return true;
    }
    if (LastSetting(doc, Key::WindRow) != nullptr) {
        error = "the scenario " + doc.path + " gives its wind as a table (WIND_ROW) and has no WIND line for " +
                d.quantity;
        return false;
    }
    formats::HostLine* line = LastSetting(doc, Key::Wind);
    if (line == nullptr) {
        formats::HostLine calm;
        calm.key = Key::Wind;
        calm.number[2] = physics::WIND_DEFAULT_EXPONENT;
        doc.settings.push_back(calm);
        doc.settingLines.push_back(0);
        line = &doc.settings.back();
    }
    // A speed drawn below 0 is a calm, which a WIND line can hold.
    line->number[d.field == "speed" ? 0 : 1] = d.field == "speed" ? std::fmax(value, 0.0) : value;
    return true;
}

}  // namespace

bool RunScenario(const BatchDefinition& spec, const std::vector<double>& values, formats::ScenarioDocument& doc,
                 std::string& error)
{
    doc = spec.base;
    for (const formats::HostLine& setting : spec.settings) {
        doc.settings.push_back(setting);
        doc.settingLines.push_back(0);
    }
    for (size_t k = 0; k < spec.dispersions.size(); ++k) {
        if (!SetQuantity(doc, spec.scenarioPath, spec.dispersions[k], values[k], error)) {
            return false;
        }
    }
    return true;
}

bool SetQuantity(formats::ScenarioDocument& doc, const std::string& name, const Dispersion& d, double value,
                 std::string& error)
{
    if (d.setting) {
        return DisperseSetting(doc, d, value, error);
    }
    formats::ScenarioVessel* vessel = formats::FindVessel(doc, d.vessel);
    if (vessel == nullptr) {
        error = "no vessel named \"" + d.vessel + "\" in the scenario " + name;
        return false;
    }
    return Disperse(*vessel, d, value, error);
}

std::string ColumnOf(const Dispersion& d)
{
    const std::string& f = d.field;
    if (d.quantity == "turbulence.seed") {
        return d.quantity;  // a whole number, with no unit
    }
    const bool metres = f == "x" || f == "y" || f == "z" || f == "altitude" || f == "weave_amplitude" ||
                        f == "trigger_range";
    const bool degrees = f == "latitude" || f == "longitude" || f == "course" || d.quantity == "wind.from";
    const char* unit = metres                                             ? "m"
                       : (f == "heading" || f == "pitch" || f == "bank") ? "rad"
                       : degrees                                          ? "deg"
                       : (f.rfind("release", 0) == 0 || f == "ripple" || f == "weave_period") ? "s"
                                                                          : "m_s";
    return d.quantity + "_" + unit;
}

std::vector<DispersedInput> InputsOf(const BatchDefinition& spec)
{
    std::vector<DispersedInput> inputs;
    for (const Dispersion& d : spec.dispersions) {
        inputs.push_back({d.quantity, ColumnOf(d), d.normal, d.a, d.b});
    }
    return inputs;
}

std::vector<std::string> SettingTexts(const BatchDefinition& spec)
{
    std::vector<std::string> texts;
    for (const formats::HostLine& setting : spec.settings) {
        formats::AppendHostLine(setting, texts.emplace_back());
    }
    return texts;
}

std::vector<double> DrawInputs(const BatchDefinition& spec, long long run)
{
    std::vector<double> values;
    for (size_t k = 0; k < spec.dispersions.size(); ++k) {
        const Dispersion& d = spec.dispersions[k];
        uint64_t r = static_cast<uint64_t>(run);
        double value = d.normal ? d.a + d.b * physics::Normal(spec.seed, r, k)
                                : d.a + (d.b - d.a) * physics::Uniform(spec.seed, r, k);
        // A seed is a whole number: the draw's, rounded down, and never below 0.
        values.push_back(d.quantity == "turbulence.seed" ? std::floor(std::fmax(value, 0.0)) : value);
    }
    return values;
}

}  // namespace runner
