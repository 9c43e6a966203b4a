// The moving air each vessel meets: the steady wind where it is, and its own turbulence and
// discrete gust, advanced once a step and held over the step's stages.
#pragma once

#include "physics/locale.h"
#include "world/physics_settings.h"
#include "world/vessel.h"

namespace physics {

/// The span of `vessel`'s lifting surfaces, m: the widest airfoil's (from its area and aspect
/// ratio), else the vessel's size.
ZAPI_EXPORT double SpanOf(const standin::Vessel& vessel);

/// The air's velocity relative to the ground at `height` m, where `locale` gives the local axes
/// (null over the flat ground: x east, z north): the steady wind and `air`'s gusts, global, m/s.
ZAPI_EXPORT Vec3 WindAt(const Weather& weather, const VesselAir& air, const Locale* locale, double height);

/// Advances `vessel.air` over the step of `dt` s that begins at simulation time `simt` s: its
/// turbulence along its path through the steady air, drawn from the stream `stream`, and the
/// discrete gust at the step's middle.
ZAPI_EXPORT void AdvanceAir(standin::Vessel& vessel, const Settings& settings, double simt, double dt,
                            uint64_t stream);

}  // namespace physics
