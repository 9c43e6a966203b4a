// The missile's parameter table. Derived values are formed when the module loads, in the
// order below, from the literal ones; every missile shares them.
#pragma once

#include "host/host_types.h"

inline const double TOTAL_MASS = 301.5;        ///< launch mass, kg
inline const double WARHEAD_MASS = 136.4;      ///< warhead charge, kg
inline const double MOTOR_ISP = 2190.7692;     ///< specific impulse of both thrusters, m/s
inline const double BOOST_RATIO = 4.13;        ///< boost thrust over sustain thrust
inline const double SUSTAIN_THRUST = 2400.0;   ///< sustainer thrust, N
inline const double BOOST_TIME = 5.0;          ///< boost time the propellant budget assumes, s
inline const double SUSTAIN_TIME = 33.5;       ///< sustain time of the propellant budget, s
/// Total thrust while booster and sustainer both fire, N.
inline const double BOOST_THRUST = BOOST_RATIO * SUSTAIN_THRUST;
/// Motor propellant, kg: each quotient formed by itself, then the two added.
inline const double PROPELLANT_MASS =
    BOOST_TIME * BOOST_THRUST / MOTOR_ISP + SUSTAIN_TIME * SUSTAIN_THRUST / MOTOR_ISP;
/// Dry mass, kg: total less warhead less propellant, subtracted in that order.
inline const double EMPTY_MASS = TOTAL_MASS - WARHEAD_MASS - PROPELLANT_MASS;
/// Flight time after which the warhead ignites, s.
inline const double FLIGHT_TIME_LIMIT = (SUSTAIN_TIME + BOOST_TIME) * 3;
/// Largest turn rate of the seeker, rad/s (10 degrees per second).
inline const double SEEKER_SLEW_RATE = RAD * 10;
/// Seeker field of view, rad (5 degrees); a vessel qualifies within half of it.
inline const double SEEKER_FOV = RAD * 5;
inline const double WING_AREA = 0.692;         ///< wing area of each airfoil, m^2
inline const double ASPECT_RATIO = 0.747;      ///< aspect ratio of each airfoil
