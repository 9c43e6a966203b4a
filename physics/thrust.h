// Rocket thrust.
#pragma once

#include "host/host_export.h"
#include "loads.h"

namespace physics {

/// Specific impulse of a thruster at ambient pressure `pressure` Pa, m/s: linear between the
/// vacuum value `isp` (at 0 Pa) and `ispRef` at `pressureRef`, never below 0. A reference Isp or
/// reference pressure of 0 means no variation.
ZAPI_EXPORT double IspAt(double isp, double ispRef, double pressureRef, double pressure);

/// True when a lit thruster's Isp, and so its thrust, changes with the ambient pressure.
bool ThrustVariesWithPressure(const standin::Vessel& vessel);

/// Adds the stage's precomputed thrust when it has one, else every thruster's thrust: level × maximum (vacuum) thrust × the share of the step its
/// resource fed it × Isp(ambient) / vacuum Isp, along its direction at its position, so that an
/// offset thruster also turns the vessel. Body frame, N and N m.
void AddThrust(const Stage& stage, Loads& loads);

}  // namespace physics
