// What a simulation tells of each vessel: its state in SI units as a plain record, and what it is.
#pragma once

#include <cstdint>
#include <string>

#include "world/vessel.h"

namespace runner {

/// Most thruster levels a VesselReadout holds; a vessel's further thrusters are left out.
inline constexpr int READOUT_THRUSTERS = 8;

/// One vessel's state at the present frame, in SI units: plain numbers in a fixed layout, so that an
/// array of them reads in Python as a numpy structured array.
struct VesselReadout {
    double pos[3];          ///< global position, m (flat ground: x east, y up, z north; round planet: inertial, planet-centred)
    double vel[3];          ///< global velocity, m/s
    double localPos[3];     ///< planet-fixed position, m (flat ground: as pos)
    double localVel[3];     ///< velocity over the ground, local east, up, north, m/s
    double latitude;        ///< geodetic latitude, deg (NaN over flat ground)
    double longitude;       ///< planet-fixed longitude, deg east (NaN over flat ground)
    double altitude;        ///< height over the ground (flat) or the ellipsoid, m
    double quat[4];         ///< body-to-global rotation as a unit quaternion (w, x, y, z)
    double pitch;           ///< against the local horizon, rad
    double bank;            ///< rad
    double heading;         ///< from north toward east, rad
    double bodyRates[3];    ///< angular velocity, body frame (x right, y up, z forward), rad/s
    double airspeed;        ///< true airspeed, m/s
    double mach;            ///< Mach number
    double dynamicPressure; ///< Pa
    double mass;            ///< empty mass plus propellant, kg
    double propellant;      ///< every resource's propellant, kg
    double thrust;          ///< the thrusters' force over the last step, summed as vectors, N
    int64_t thrusterCount;  ///< the vessel's thrusters
    double thrusterLevels[READOUT_THRUSTERS];  ///< 0 to 1, in the vessel's order; NaN past its last
    double elevator;        ///< control-surface levels, -1 to 1
    double rudder;          ///< -1 to 1
    double aileron;         ///< -1 to 1
    double headAzimuth;     ///< seeker-head angles its module showed, rad (0 for a vessel without one)
    double headElevation;   ///< rad
};

/// One vessel as the simulation lists it.
struct VesselInfo {
    std::string name;
    std::string className;  ///< its module's class, "" for a plain body
    std::string motion;     ///< "dynamic", "kinematic", "pinned", "landed", or "attached" while a parent holds it
};

/// What the readouts of one frame share, worked out once for every vessel.
struct ReadoutFrame {
    double simt = 0.0;       ///< simulation time, s
    double turnCos = 1.0;    ///< cosine of the angle the planet has turned since the frames coincided
    double turnSin = 0.0;    ///< its sine
};

/// The present world's ReadoutFrame at simulation time `simt` (s).
ReadoutFrame FrameAt(double simt);
/// Fills `out` with `v`'s state at `frame`, in the present world.
void ReadOut(const standin::Vessel& v, const ReadoutFrame& frame, VesselReadout& out);
/// `v`'s name, class and motion.
VesselInfo InfoOf(const standin::Vessel& v);

}  // namespace runner
