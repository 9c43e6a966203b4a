// Moving vessels over one step: rigid-body integration for dynamic vessels, constant rates for
// kinematic ones, and the test that lifts a landed vessel off the ground.
#pragma once

#include "ground_contact.h"
#include "host/host_export.h"
#include "loads.h"

namespace physics {

/// Sum of the force models at `stage`, in a fixed order: gravity, thrust, airfoils, control surfaces,
/// body drag, rotational damping (only when `damping`), then ground contact (left out when
/// `contact` is null).
Loads SumLoads(const Stage& stage, const Settings& settings, const Contact* contact, bool damping);

/// Sum of every force model on `vessel` in `state` at mass `mass` kg, in a fixed order: gravity,
/// thrust, airfoils, control surfaces, body drag, rotational damping, then ground contact (left out
/// when `contact` is null).
Loads EvaluateLoads(const standin::Vessel& vessel, const FlightState& state, double mass,
                    const Settings& settings, const Contact* contact);

/// Integrates a dynamic vessel over `dt` s with the classic fourth-order Runge-Kutta method:
/// position and velocity (global), attitude (unit quaternion, renormalised) and body rate by Euler's
/// equations with inertia mass × PMI. The loads are evaluated at every stage with the levels held
/// for the step and the mass `mass` kg. The rotational damping, linear in the rate, enters through
/// its integrating factor (exp(-rate × t) per axis, the rate taken at the step's start), so it stays
/// stable however stiff it is. The air of every stage is the standard atmosphere at the step's start
/// carried to the stage's altitude along its slope. An axis with no positive inertia does not turn.
/// Over a round planet the state is inertial and planet-centred: gravity is the planet's, the
/// altitude the geodetic height and the air turns with the planet; there are no frame forces.
/// `locale`, when given, is the vessel's (LocaleAt's) at the step's start. In moving air the vessel
/// meets the air its `air` holds (see AdvanceAir).
ZAPI_EXPORT void StepDynamic(standin::Vessel& vessel, const Settings& settings, double mass, double dt,
                             const Locale* locale = nullptr);

/// Moves a kinematic vessel over `dt` s at its velocity and body rate, ignoring forces.
void StepKinematic(standin::VesselState& state, double dt);

/// True when the loads on a landed `vessel` of mass `mass` kg, the ground's push left out, would
/// lift it: their upward component is positive (on a round planet, beyond the centripetal force
/// that keeps it turning with the ground).
bool LiftsOff(const standin::Vessel& vessel, const Settings& settings, double mass);

/// Puts `vessel` at rest on the ground with its lowest touchdown point on it: on the ground plane,
/// or on a round planet's ellipsoid below it, turning with the planet.
ZAPI_EXPORT void PlaceOnGround(standin::Vessel& vessel, const Planet& planet);

}  // namespace physics
