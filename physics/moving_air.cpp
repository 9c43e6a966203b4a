#include "moving_air.h"

#include <cmath>

#include "physics/turbulence.h"
#include "physics/wind.h"

namespace physics {

namespace {

// The local axes east, up and north at `locale`, or the flat ground's.
void AxesOf(const Locale* locale, Vec3& east, Vec3& up, Vec3& north)
{
    if (locale != nullptr) {
        east = locale->east;
        up = locale->up;
        north = locale->north;
    } else {
        east = Vec3::UnitX();
        up = Vec3::UnitY();
        north = Vec3::UnitZ();
    }
}

}  // namespace

double SpanOf(const standin::Vessel& vessel)
{
    double span = 0.0;
    for (const standin::Airfoil& a : vessel.airfoils) {
        span = std::fmax(span, std::sqrt(a.area * a.aspectRatio));
    }
    return span > 0.0 ? span : vessel.size;
}

Vec3 WindAt(const Weather& weather, const VesselAir& air, const Locale* locale, double height)
{
    Vec3 east, up, north;
    AxesOf(locale, east, up, north);
    const WindVector steady = SteadyWind(weather.wind, height);
    Vec3 wind = steady.east * east + steady.north * north;
    if (air.moving) {
        wind += Vec3(air.velocity[0], air.velocity[1], air.velocity[2]);
    }
    return wind;
}

void AdvanceAir(standin::Vessel& vessel, const Settings& settings, double simt, double dt, uint64_t stream)
{
    const Weather& weather = settings.weather;
    VesselAir& air = vessel.air;
    const Vec3 pos = ToVec3(vessel.state.pos);
    Locale place;
    const Locale* locale = nullptr;
    double height = pos.y();
    Vec3 turning = Vec3::Zero();
    if (settings.planet.round) {
        place = LocaleAt(settings.planet, vessel.state);
        locale = &place;
        height = place.height;
        turning = AirVelocity(place, pos);
    }
    Vec3 east, up, north;
    AxesOf(locale, east, up, north);
    const WindVector steady = SteadyWind(weather.wind, height);
    // The flight path through the steady air: u along it, v to its right, w down.
    const Vec3 through = ToVec3(vessel.state.vel) - turning - steady.east * east - steady.north * north;
    const double airspeed = through.norm();
    const Mat3 rot = ReadState(vessel.state).att.normalized().toRotationMatrix();
    const Vec3 forward = airspeed > 0.0 ? Vec3(through / airspeed) : Vec3(rot.col(2));
    Vec3 right = up.cross(forward);
    // Climbing or diving straight up or down, the body's right is the path's.
    right = right.norm() > 1e-9 ? Vec3(right.normalized()) : Vec3(rot.col(0));
    const Vec3 down = right.cross(forward);

    GustState& gusts = air.turbulence;
    AdvanceGusts(gusts, weather.turbulence, DrydenScales(weather.turbulence, height), airspeed, SpanOf(vessel), dt,
                 stream);
    Vec3 velocity = gusts.linear[0] * forward + gusts.linear[1] * right + gusts.linear[2] * down;
    // The discrete gust, at the step's middle, by the distance flown since it began.
    const Gust& gust = weather.gust;
    if (gust.on && simt >= gust.start) {
        double share = GustShape(gust, gusts.gustDistance + 0.5 * airspeed * dt);
        gusts.gustDistance += airspeed * dt;
        velocity += share * (gust.east * east + gust.up * up + gust.north * north);
    }
    // Roll right wing down is about -z (the nose), pitch nose up about -x, yaw nose right about +y.
    const Vec3 rate(-gusts.rate[1], gusts.rate[2], -gusts.rate[0]);
    air.moving = velocity != Vec3::Zero() || rate != Vec3::Zero();
    for (int i = 0; i < 3; ++i) {
        air.velocity[i] = velocity[i];
        air.rate[i] = rate[i];
    }
}

}  // namespace physics
