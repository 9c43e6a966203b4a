// The moving air each vessel meets: the steady wind where it is, and its own turbulence and
// discrete gust, advanced once a step and held over the step's stages.
#pragma once

#include "physics/locale.h"
#include "world/physics_settings.h"
#include "world/vessel.h"

namespace physics {

/// The span of `vessel`'s lifting surfaces, m: the widest airfoil's (the root of its area times
/// its aspect ratio), else the vessel's size.
ZAPI_EXPORT double SpanOf(const standin::Vessel& vessel);

/// The air's velocity relative to the ground that `air`, taken at a step's start, gives at a stage
/// `height` m high: the steady wind carried along its shear, and the gusts; global, m/s.
inline Vec3 StageWind(const VesselAir& air, double height)
{
    const double dh = height - air.height;
    return Vec3(air.wind[0] + air.shear[0] * dh + air.gust[0], air.wind[1] + air.shear[1] * dh + air.gust[1],
                air.wind[2] + air.shear[2] * dh + air.gust[2]);
}

/// The air's rotation from `air`'s turbulence, body frame, rad/s: its roll (right wing down) is
/// about -z (the nose), its pitch (nose up) about -x and its yaw (nose right) about +y.
inline Vec3 GustRate(const VesselAir& air)
{
    const double* rate = air.turbulence.rate;
    return Vec3(-rate[1], rate[2], -rate[0]);
}

/// Advances `vessel.air` over the step of `dt` s that begins at simulation time `simt` s: the
/// steady wind and its shear where the vessel is, its turbulence along its path through the steady
/// air, drawn from the stream `stream`, and the discrete gust at the step's middle. Over a round
/// planet `locale` is the vessel's (LocaleAt's) when given, else it is worked out.
ZAPI_EXPORT void AdvanceAir(standin::Vessel& vessel, const Settings& settings, double simt, double dt,
                            uint64_t stream, const Locale* locale = nullptr);

}  // namespace physics
