// What the force models read at one integration stage, and the forces and moments they add up.
#pragma once

#include "atmosphere.h"
#include "flight_state.h"
#include "locale.h"

namespace physics {

struct Loads;

/// One vessel at one stage of the integrator: its declarations, state, mass and air.
struct Stage {
    const standin::Vessel& vessel;  ///< declarations and levels, held for the step
    const FlightState& state;       ///< the stage's state
    Mat3 rot;                       ///< body to global, from state.att
    double mass;                    ///< kg
    const Locale* locale;           ///< the round planet around the vessel; null over the flat ground
    double altitude;                ///< height above the ground, m
    AirState air;                   ///< air at the vessel's altitude
    Vec3 airVelBody;                ///< the vessel's velocity through the air, body frame, m/s
    double airspeed;                ///< |airVelBody|, m/s
    double dynPressure;             ///< 0.5 rho airspeed^2, Pa
    Vec3 gustRate;                  ///< the air's rotation from turbulence, body frame, rad/s

    const Loads* thrust;            ///< the thrust, when it is the same at every stage of the step; else null

    /// Evaluates the derived values of `state` for `vessel` of mass `mass` kg; the air comes from
    /// `slope` when given (a stage near the step's start), else from the standard atmosphere. Over a
    /// round planet (`locale` given) the altitude is the geodetic height and the air turns with it.
    /// In moving air (`weather` given) the air carries the wind and the vessel's gusts too.
    Stage(const standin::Vessel& vessel, const FlightState& state, double mass, const AirSlope* slope = nullptr,
          const Loads* thrust = nullptr, const Locale* locale = nullptr, const Weather* weather = nullptr);
};

/// Forces and moments summed over the force models, in a fixed order.
struct Loads {
    Vec3 forceBody = Vec3::Zero();    ///< body frame, N
    Vec3 forceGlobal = Vec3::Zero();  ///< global frame, N
    Vec3 momentBody = Vec3::Zero();   ///< about the centre of mass, body frame, N m

    /// Adds `force` (body frame, N) acting at `point` (body frame, m).
    void AddBodyForceAt(const Vec3& point, const Vec3& force)
    {
        forceBody += force;
        momentBody += point.cross(force);
    }
};

}  // namespace physics
