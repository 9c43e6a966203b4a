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
    double widest = 0.0;  // span squared
    for (const standin::Airfoil& a : vessel.airfoils) {
        widest = std::fmax(widest, a.area * a.aspectRatio);
    }
    return widest > 0.0 ? std::sqrt(widest) : vessel.size;
}

void AdvanceAir(standin::Vessel& vessel, const Settings& settings, double simt, double dt, uint64_t stream,
                const Locale* known)
{
    const Weather& weather = settings.weather;
    VesselAir& air = vessel.air;
    const Vec3 pos = ToVec3(vessel.state.pos);
    Locale place;
    const Locale* locale = settings.planet.round ? known : nullptr;
    if (settings.planet.round && known == nullptr) {
        place = LocaleAt(settings.planet, vessel.state);
        locale = &place;
    }
    const double height = locale != nullptr ? locale->height : pos.y();
    const Vec3 turning = locale != nullptr ? AirVelocity(*locale, pos) : Vec3(Vec3::Zero());
    Vec3 east, up, north;
    AxesOf(locale, east, up, north);
    WindVector shear{};
    const WindVector steady = SteadyWind(weather.wind, height, &shear);
    const Vec3 wind = steady.east * east + steady.north * north;
    const Vec3 windShear = shear.east * east + shear.north * north;
    // The flight path through the steady air: u along it, v to its right, w down.
    const Vec3 through = ToVec3(vessel.state.vel) - turning - wind;
    // The two roots are independent: the path's direction and its right are worked out side by side.
    const double airspeed = std::sqrt(through.squaredNorm());
    Vec3 right = up.cross(through);
    const double across = right.squaredNorm();
    Vec3 forward = airspeed > 0.0 ? Vec3(through * (1.0 / airspeed)) : Vec3::Zero();
    if (across > 1e-18 * through.squaredNorm() && across > 0.0) {
        right *= 1.0 / std::sqrt(across);
    } else {
        // At rest, or climbing or diving straight up or down: the body's axes are the path's.
        const Mat3 rot = ReadState(vessel.state).att.normalized().toRotationMatrix();
        forward = airspeed > 0.0 ? forward : Vec3(rot.col(2));
        right = rot.col(0);
    }
    const Vec3 down = right.cross(forward);

    GustState& gusts = air.turbulence;
    AdvanceGusts(gusts, weather.turbulence, DrydenScales(weather.turbulence, height), airspeed, SpanOf(vessel), dt,
                 stream);
    Vec3 gust = gusts.linear[0] * forward + gusts.linear[1] * right + gusts.linear[2] * down;
    // The discrete gust, at the step's middle, by the distance flown since it began.
    const Gust& discrete = weather.gust;
    if (discrete.on && simt >= discrete.start) {
        double share = GustShape(discrete, gusts.gustDistance + 0.5 * airspeed * dt);
        gusts.gustDistance += airspeed * dt;
        gust += share * (discrete.east * east + discrete.up * up + discrete.north * north);
    }
    const Vec3 rate = GustRate(air);
    air.height = height;
    for (int i = 0; i < 3; ++i) {
        air.wind[i] = wind[i];
        air.shear[i] = windShear[i];
        air.gust[i] = gust[i];
    }
    air.moving = wind != Vec3::Zero() || windShear != Vec3::Zero() || gust != Vec3::Zero() || rate != Vec3::Zero();
}

}  // namespace physics
