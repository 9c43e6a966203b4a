// The host's own scenario lines of one vessel: reading them into its status record, checked against
// the records its module declared, and applying the record.
#include <cmath>
#include <cstring>
#include <numbers>

#include "formats/scenario_keys.h"
#include "handles.h"
#include "physics/flight_state.h"
#include "physics/integrator.h"
#include "attitude.h"
#include "local_frame.h"
#include "scenario.h"
#include "steering.h"

namespace standin {

namespace {

using formats::HostLine;
using formats::Key;

VECTOR3 Vector(const HostLine& line)
{
    return VECTOR3{line.number[0], line.number[1], line.number[2]};
}

// One "<index> <value>" entry of a list of `count` records; "" or why it cannot be kept.
std::string AddEntry(const char* what, size_t count, const HostLine& line, int& entries, int* indices, double* values)
{
    if (static_cast<size_t>(line.integer[0]) >= count) {
        return std::string(what) + " " + std::to_string(line.integer[0]) + " is out of range: the vessel has " +
               std::to_string(count);
    }
    if (entries >= STATUS_ENTRIES) {
        return std::string("too many lines for ") + what + "s in one vessel";
    }
    indices[entries] = static_cast<int>(line.integer[0]);
    values[entries] = line.number[0];
    ++entries;
    return "";
}

// Keeps `line` in `status`; "" or why the vessel cannot take it.
std::string Record(const Vessel& v, const HostLine& line, HostStatus& status)
{
    switch (line.key) {
    // A later place or velocity replaces an earlier one, whichever way each is given.
    case Key::Pos: status.hasPos = true; status.hasLocation = false; status.pos = Vector(line); break;
    case Key::Vel: status.hasVel = true; status.hasGroundVel = false; status.vel = Vector(line); break;
    case Key::Location:
        if (!world().physics.planet.round) {
            return "LOCATION places a vessel on a round planet, and this scenario's is flat (add \"PLANET earth\")";
        }
        status.hasLocation = true;
        status.hasPos = false;
        status.location = Vector(line);
        break;
    case Key::GroundVel: status.hasGroundVel = true; status.hasVel = false; status.groundVel = Vector(line); break;
    case Key::Pmi: status.hasPmi = true; status.pmi = Vector(line); break;
    case Key::CrossSections: status.hasCrossSections = true; status.crossSections = Vector(line); break;
    case Key::Att:
        status.hasAtt = true;
        status.pitch = line.number[0];
        status.bank = line.number[1];
        status.heading = line.number[2];
        break;
    case Key::Quat: status.hasQuat = true; std::memcpy(status.quat, line.number, sizeof status.quat); break;
    case Key::Avel: status.hasAngVel = true; status.angVel = Vector(line); break;
    case Key::Motion: status.hasMotion = true; status.motion = static_cast<Motion>(line.integer[0]); break;
    case Key::Size: status.hasSize = true; status.size = line.number[0]; break;
    case Key::Mass: status.hasMass = true; status.mass = line.number[0]; break;
    case Key::Prp:
        return AddEntry("propellant resource", v.resources.size(), line, status.propellantCount,
                        status.propellantIndex, status.propellantMass);
    case Key::Thl:
        return AddEntry("thruster", v.thrusters.size(), line, status.levelCount, status.levelIndex, status.level);
    case Key::Attached: {
        const size_t point = static_cast<size_t>(line.integer[0]);
        if (point >= v.attachments.size() || !v.attachments[point].toParent) {
            return "the vessel has no point " + std::to_string(point) + " to hang from a parent by";
        }
        status.attached = true;
        status.childPoint = static_cast<int>(point);
        status.parentPoint = static_cast<int>(line.integer[1]);
        status.attachedLine = world().scenario.currentLine;
        status.parentName = line.word;
        break;
    }
    case Key::KeyEvent: {
        if (status.keyCount >= STATUS_ENTRIES) {
            return "too many KEY lines for one vessel";
        }
        KeyEvent& key = status.keys[status.keyCount++];
        key = KeyEvent{};
        key.time = line.number[0];
        key.code = static_cast<unsigned int>(line.integer[0]);
        key.down = line.integer[1] != 0;
        key.modifiers = static_cast<uint8_t>(line.integer[2]);
        break;
    }
    case Key::Course:
    case Key::Route:
    case Key::Waypoint:
    case Key::Weave:
    case Key::Trigger:
    case Key::Reaction:
    case Key::Place: RecordSteering(line, world().scenario.currentLine, status); break;
    default: break;  // run settings never stand in a vessel's block
    }
    return "";
}

}  // namespace

HostStatus* OpenStatus(const void* status, int slot)
{
    ScenarioFile& scenario = world().scenario;
    if (slot < 0 || status == nullptr || status != scenario.statusHandle ||
        SplitHandle(scenario.statusHandle).slot != static_cast<uint32_t>(slot)) {
        return nullptr;
    }
    return &scenario.status;
}

void ParseHostLine(int slot, const char* line, HostStatus& status)
{
    if (slot < 0 || line == nullptr || !status.error.empty()) {
        return;  // the first unreadable line is the one reported
    }
    HostLine value;
    std::string why;
    if (formats::ReadHostLine(line, formats::Section::Vessel, value, why)) {
        why = Record(world().vessels[static_cast<size_t>(slot)], value, status);
    }
    // Only an unreadable line pays for building its message.
    if (!why.empty()) {
        status.error = Where(world().scenario.currentLine) + why;
    }
}

void ApplyHostStatus(int slot, HostStatus& status)
{
    World& w = world();
    Vessel& v = w.vessels[static_cast<size_t>(slot)];
    const physics::Planet& planet = w.physics.planet;
    if (status.hasPos) {
        v.state.pos = status.pos;
    }
    if (status.hasLocation) {
        constexpr double DEG = std::numbers::pi / 180.0;
        const VECTOR3& l = status.location;
        PlaceState(planet, v.state, physics::Geodetic{l.x * DEG, l.y * DEG, l.z}, w.simt);
    }
    if (status.hasVel) {
        v.state.vel = status.vel;
    }
    if (status.hasGroundVel) {
        // Over the ground at the vessel's place, which moves with the planet.
        physics::Vec3 pos = physics::ToVec3(v.state.pos);
        physics::Vec3 vel = LocalAxesAt(planet, v.state) * physics::ToVec3(status.groundVel);
        v.state.vel = planet.round ? physics::ToVector3(vel + physics::Spin(planet).cross(pos)) : status.groundVel;
    }
    if (status.hasAtt) {
        SetStateAngles(v.state, status.pitch, status.bank, status.heading);
    }
    if (status.hasQuat) {
        physics::FlightState flight = physics::ReadState(v.state);
        flight.att = physics::Quat(status.quat[0], status.quat[1], status.quat[2], status.quat[3]);
        // A saved quaternion is unit already and is kept to the bit; a hand-written one is made unit.
        if (std::fabs(flight.att.norm() - 1.0) > 1e-12) {
            flight.att.normalize();
        }
        physics::WriteState(flight, v.state);
    }
    if (status.hasAngVel) {
        v.state.angVel = status.angVel;
    }
    if (status.hasSize) {
        v.size = status.size;
    }
    if (status.hasMass) {
        v.emptyMass = status.mass;
    }
    if (status.hasPmi) {
        v.pmi = status.pmi;
    }
    if (status.hasCrossSections) {
        v.crossSections = status.crossSections;
    }
    if (status.hasMotion) {
        v.motion = status.motion;
        if (v.motion == Motion::Landed) {
            physics::PlaceOnGround(v, w.physics.planet);
        }
    }
    for (int i = 0; i < status.propellantCount; ++i) {
        Resource& r = v.resources[static_cast<size_t>(status.propellantIndex[i])];
        r.mass = status.propellantMass[i] < r.capacity ? status.propellantMass[i] : r.capacity;
    }
    for (int i = 0; i < status.levelCount; ++i) {
        v.thrusters[static_cast<size_t>(status.levelIndex[i])].level = status.level[i];
    }
    for (int i = 0; i < status.keyCount && !status.keysApplied; ++i) {
        KeyEvent key = status.keys[i];
        key.vessel = VesselHandle(slot);
        w.keys.push_back(key);
    }
    status.keysApplied = true;
    if (std::string problem = ApplySteering(v, status); !problem.empty() && status.error.empty()) {
        status.error = problem;
    }
}

}  // namespace standin
