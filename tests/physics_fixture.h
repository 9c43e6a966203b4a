// Shared by the flight model's tests: plain bodies and free missiles in a fresh world, and their
// state read straight from the host.
#pragma once

#include "host/zapi.h"
#include "physics/flight_state.h"
#include "test_support.h"

namespace physics_test {

/// A fresh world for the flight model, with bodies and missiles made to order.
class Physics : public WorldTest {
protected:
    /// A dynamic plain body of `mass` kg and `size` m at `pos` moving at `vel`.
    static HostHandle DynamicBody(const VECTOR3& pos, const VECTOR3& vel, double mass = 100.0, double size = 1.0)
    {
        standin::VesselDesc desc = Desc("body", pos, vel);
        desc.emptyMass = mass;
        desc.size = size;
        desc.motion = standin::Motion::Dynamic;
        return standin::CreateBody(desc);
    }

    /// A free missile of the built module at `pos` moving at `vel`, pitched and banked (rad).
    static HostHandle Missile(const VECTOR3& pos, const VECTOR3& vel, double pitch = 0.0, double bank = 0.0)
    {
        standin::VesselDesc desc = Desc("K1", pos, vel);
        desc.pitch = pitch;
        desc.bank = bank;
        HostHandle h = standin::CreateModuleVessel("Karvex", desc);
        EXPECT_NE(h, nullptr) << standin::LastError();
        return h;
    }

    /// The host's state of `h`.
    static const standin::VesselState& State(HostHandle h) { return standin::Find(h)->state; }
    /// Position (global, m) and velocity (global, m/s) of `h`.
    static physics::Vec3 Pos(HostHandle h) { return physics::ToVec3(State(h).pos); }
    static physics::Vec3 Vel(HostHandle h) { return physics::ToVec3(State(h).vel); }
    /// Body-to-global rotation of `h`.
    static physics::Mat3 Rot(HostHandle h)
    {
        physics::Mat3 r;
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                r(i, j) = State(h).rot[i][j];
            }
        }
        return r;
    }

    static constexpr double VACUUM = 200000.0;  ///< m: no air at all up here
};

}  // namespace physics_test
