// A dispersion applied to a run's scenario: an edit of one typed field of one vessel.
#include <cmath>

#include "formats/scenario_keys.h"
#include "host/host_types.h"
#include "runner/sweep_definition.h"

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
        (f == "latitude" ? place.x : f == "longitude" ? place.y : place.z) = value;
        SetVector(vessel, Key::Location, place);
    } else if (f == "vx" || f == "vy" || f == "vz") {
        vel = Vector(vessel, Key::Vel);
        (f == "vx" ? vel.x : f == "vy" ? vel.y : vel.z) = value;
        SetVector(vessel, Key::Vel, vel);
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
    } else if (!formats::MoveRelease(vessel, value)) {
        error = "\"" + d.vessel + "\" releases nothing (no \"AT <time> <station> RELEASE\" line) for " + d.quantity;
        return false;
    }
    return true;
}

}  // namespace

bool RunScenario(const SweepDefinition& spec, const std::vector<double>& values, formats::ScenarioDocument& doc,
                 std::string& error)
{
    doc = spec.base;
    for (size_t k = 0; k < spec.dispersions.size(); ++k) {
        const Dispersion& d = spec.dispersions[k];
        formats::ScenarioVessel* vessel = formats::FindVessel(doc, d.vessel);
        if (vessel == nullptr) {
            error = "no vessel named \"" + d.vessel + "\" in the scenario " + spec.scenarioPath;
            return false;
        }
        if (!Disperse(*vessel, d, values[k], error)) {
            return false;
        }
    }
    return true;
}

}  // namespace runner
