// Shared by the seeker's tests: its angles and states, and a missile in a world of vessels placed
// in its own body frame.
#pragma once

#include <gtest/gtest.h>

#include <cmath>

#include "bound_missile.h"
#include "missile/missile_params.h"

namespace seeker_test {

/// A vessel qualifies strictly inside this angle of the look direction, rad.
inline const double ACCEPTANCE = SEEKER_FOV * 0.5;
/// Step length, s, and the largest turn in one step, rad (1 degree).
inline constexpr double DT = 0.1;
inline const double STEP_TURN = SEEKER_SLEW_RATE * DT;

/// The seeker's states: centring, tracking, and the scan's legs out from the centre, across it and back.
inline constexpr int CENTRING = -4;
inline constexpr int TRACKING = -3;
inline constexpr int OUT = 0;
inline constexpr int ACROSS = 1;
inline constexpr int BACK = 2;

/// The missile sits level at 3 m with its body axes along the global ones, so a body-frame
/// position maps onto the global frame by a shift of 3 m in y; with y = 0 both are the same
/// numbers and the seeker sees exactly the angles a test builds.
class SeekerTest : public BoundMissileTest {
protected:
    /// A plain body at `local` (missile body frame, m) of size `size` m.
    HostHandle Place(const VECTOR3& local, double size = 1.0)
    {
        standin::VesselDesc desc;
        desc.size = size;
        desc.pos = GlobalOf(local);
        return standin::CreateBody(desc);
    }

    static VECTOR3 GlobalOf(const VECTOR3& local) { return {local.x, 3.0 + local.y, local.z}; }

    /// A body-frame point `range` m away at azimuth `az` and elevation `el` (rad).
    static VECTOR3 Direction(double az, double el, double range = 1000.0)
    {
        return {range * std::sin(az) * std::cos(el), range * std::sin(el), range * std::cos(az) * std::cos(el)};
    }

    void Step() { missile->SeekerStep(0.0, DT); }
};

}  // namespace seeker_test
