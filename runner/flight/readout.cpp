#include "runner/flight/readout.h"

#include <cmath>
#include <numbers>

#include "formats/scenario_keys.h"
#include "physics/atmosphere.h"
#include "runner/flight/seeker_head.h"
#include "runner/flight/telemetry.h"
#include "runtime/air_data.h"
#include "runtime/host_control.h"
#include "runtime/local_frame.h"

namespace runner {

namespace {

void Put(double (&to)[3], const VECTOR3& from)
{
    to[0] = from.x;
    to[1] = from.y;
    to[2] = from.z;
}

bool Attached(const standin::Vessel& v)
{
    for (const standin::Attachment& point : v.attachments) {
        if (point.toParent && standin::Find(point.mate) != nullptr) {
            return true;
        }
    }
    return false;
}

}  // namespace

ReadoutFrame FrameAt(double simt)
{
    // The planet turns east about its axis (y).
    const double turn = standin::PhysicsSettings().planet.rotation * simt;
    return ReadoutFrame{simt, std::cos(turn), std::sin(turn)};
}

void ReadOut(const standin::Vessel& v, const ReadoutFrame& frame, VesselReadout& out)
{
    constexpr double DEG = 180.0 / std::numbers::pi;
    const standin::VesselState& s = v.state;
    const physics::Settings& settings = standin::PhysicsSettings();
    const physics::Planet& planet = settings.planet;
    // Taken as the telemetry takes them, so that the two agree to the bit.
    const VECTOR3 air = standin::AirVelocityOf(settings, v);
    const double speed = std::sqrt(air.x * air.x + air.y * air.y + air.z * air.z);
    out.altitude = standin::AltitudeOf(planet, s);
    const physics::AirState atmosphere = physics::Atmosphere(out.altitude);
    const standin::LocalAngles local = standin::LocalAnglesOf(planet, s);
    Put(out.pos, s.pos);
    Put(out.vel, s.vel);
    Put(out.localVel, standin::ToLocal(planet, s, standin::GroundVelocity(planet, s)));
    if (planet.round) {
        const physics::Geodetic where = standin::GeographicOf(planet, s, frame.simt);
        out.latitude = where.latitude * DEG;
        out.longitude = where.longitude * DEG;
        const double c = frame.turnCos, n = frame.turnSin;
        Put(out.localPos, VECTOR3{s.pos.x * c + s.pos.z * n, s.pos.y, s.pos.z * c - s.pos.x * n});
    } else {
        out.latitude = NAN;
        out.longitude = NAN;
        Put(out.localPos, s.pos);
    }
    for (int k = 0; k < 4; ++k) {
        out.quat[k] = s.quat[k];
    }
    out.pitch = local.pitch;
    out.bank = local.bank;
    out.heading = local.heading;
    Put(out.bodyRates, s.angVel);
    out.airspeed = speed;
    out.mach = atmosphere.soundSpeed > 0.0 ? speed / atmosphere.soundSpeed : 0.0;
    out.dynamicPressure = 0.5 * atmosphere.density * speed * speed;
    out.mass = standin::TotalMass(v);
    out.propellant = 0.0;
    for (const standin::Resource& r : v.resources) {
        out.propellant += r.mass;
    }
    out.thrust = ThrustOf(v, atmosphere.pressure);
    out.thrusterCount = static_cast<int64_t>(v.thrusters.size());
    for (size_t k = 0; k < static_cast<size_t>(READOUT_THRUSTERS); ++k) {
        out.thrusterLevels[k] = k < v.thrusters.size() ? v.thrusters[k].level : NAN;
    }
    out.elevator = v.controlLevel[AIRCTRL_ELEVATOR];
    out.rudder = v.controlLevel[AIRCTRL_RUDDER];
    out.aileron = v.controlLevel[AIRCTRL_AILERON];
    HeadAngles(v, out.headAzimuth, out.headElevation);
}

VesselInfo InfoOf(const standin::Vessel& v)
{
    return VesselInfo{v.name, v.className,
                      Attached(v) ? "attached" : formats::MOTION_NAMES[static_cast<int>(v.motion)]};
}

}  // namespace runner
