// What a vessel's instruments read of the air around it: the wind there and its own velocity
// through the air, taken the way the flight model takes them at the step's start.
#pragma once

#include "host/host_export.h"
#include "world/world.h"

namespace standin {

/// The air's velocity at `vessel` relative to the ground, global, m/s; zero in still air. A vessel
/// in flight reads the air its last step met (the steady wind carried along its shear to the
/// vessel's height, its turbulence and the gust); any other, the steady wind where it is.
ZAPI_EXPORT VECTOR3 WindOf(const physics::Settings& settings, const Vessel& vessel);
/// The velocity of `vessel` through the air (the turning air, the wind and its gusts), global, m/s:
/// its velocity over the ground in still air.
ZAPI_EXPORT VECTOR3 AirVelocityOf(const physics::Settings& settings, const Vessel& vessel);

}  // namespace standin
