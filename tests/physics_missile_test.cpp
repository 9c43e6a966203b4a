// The missile flown by its own declarations: wings levelled after release, turns slower than the
// seeker slews, an impact point that converges with the step, and carriage on a turning parent.
#include <cmath>
#include <cstdio>

#include "missile/weapon_interface.h"
#include "physics_fixture.h"

namespace {

using physics::Vec3;
using physics_test::Physics;

// Released level with 10° of bank, the missile's roll law and the airframe bring the wings level
// within 5 s, while pitch and heading stay bounded.
TEST_F(Physics, MissileLevelsItsWingsAfterRelease)
{
    HostHandle h = Missile({0.0, 2000.0, 0.0}, {0.0, 0.0, 230.0}, 0.0, 10.0 * RAD);
    VESSEL v(h);
    double worstPitch = 0.0, worstHeading = 0.0, bankAt5 = 0.0;
    for (int i = 1; i <= 1000; ++i) {
        standin::Step(0.01);
        Vec3 nose = Rot(h).col(2);
        worstPitch = std::fmax(worstPitch, std::fabs(v.GetPitch()));
        worstHeading = std::fmax(worstHeading, std::fabs(std::atan2(nose.x(), nose.z())));
        if (i >= 500) {
            EXPECT_LT(std::fabs(v.GetBank()), 2.0 * RAD) << "at " << i * 0.01 << " s";
        }
        if (i == 500) {
            bankAt5 = v.GetBank();
        }
    }
    std::printf("bank after 5 s %.3f deg; largest |pitch| %.2f deg, |heading| %.2f deg over 10 s\n",
                bankAt5 / RAD, worstPitch / RAD, worstHeading / RAD);
    EXPECT_LT(worstPitch, 5.0 * RAD);
    EXPECT_LT(worstHeading, 2.0 * RAD);
}

// Full elevator held at 300 m/s and 2,000 m: the damping keeps the body rate below the seeker's
// 10°/s slew rate, so a tracking seeker can follow the turn.
TEST_F(Physics, MissileTurnsSlowerThanItsSeekerCanSlew)
{
    HostHandle h = Missile({0.0, 2000.0, 0.0}, {0.0, 0.0, 300.0});
    VESSEL* iface = zapiGetVesselInterface(h);
    ASSERT_EQ(WeaponCommand(iface, "WEAPON::ACTIVATE"), 0);  // active, so no self-launch: a glide
    iface->SetControlSurfaceLevel(AIRCTRL_ELEVATOR, 1.0);
    double largest = 0.0;
    for (int i = 0; i < 300; ++i) {
        standin::Step(0.01);
        largest = std::fmax(largest, physics::ToVec3(State(h).angVel).norm());
    }
    std::printf("largest body rate at full elevator: %.2f deg/s\n", largest / RAD);
    EXPECT_LT(largest, 10.0 * RAD);
    EXPECT_GT(iface->GetPitch(), 10.0 * RAD) << "the elevator does pitch it up";
}

// The integrator converges: halving the step moves a powered missile's ground impact by under 1 m.
TEST_F(Physics, HalvingTheStepBarelyMovesTheImpactPoint)
{
    auto impact = [&](double dt) {
        ResetWorld();
        HostHandle h = Missile({0.0, 200.0, 0.0}, {0.0, 0.0, 230.0}, -20.0 * RAD);
        Vec3 last = Pos(h);
        // Where the path crosses 3 m, interpolated between steps (the missile is gone on contact).
        for (int i = 0; i < 100000 && standin::Find(h) != nullptr; ++i) {
            standin::Step(dt);
            Vec3 now = Pos(h);
            if (now.y() <= 3.0) {
                return Vec3(last + (now - last) * ((last.y() - 3.0) / (last.y() - now.y())));
            }
            last = now;
        }
        ADD_FAILURE() << "no impact";
        return Vec3(Vec3::Zero());
    };
    Vec3 coarse = impact(0.01);
    Vec3 fine = impact(0.005);
    std::printf("impact at %.2f m downrange; halving the step moves it %.4f m\n", coarse.z(), (coarse - fine).norm());
    EXPECT_GT(coarse.z(), 400.0) << "a powered flight, not a drop";
    EXPECT_LT((coarse - fine).norm(), 1.0);
}

// A child hangs rigidly at its parent's point, turned by the two points' vectors, follows the
// parent's turn, and leaves with its point's velocity plus the push it is given.
TEST_F(Physics, CarriedChildFollowsATurningParentAndLeavesAtItsPointsVelocity)
{
    HostHandle parent = standin::CreateBody(Desc("carrier", {0.0, 2000.0, 0.0}, {0.0, 0.0, 200.0}));
    standin::SetAngularVelocity(parent, {0.0, 0.1, 0.0});  // turning toward +x at 0.1 rad/s
    const VECTOR3 pylon{3.0, -1.0, 0.5};
    HostHandle parentPoint = VESSEL(parent).CreateAttachment(false, pylon, {0, -1, 0}, {0, 0, 1}, "PYLON");
    HostHandle child = Missile({0.0, 0.0, 0.0}, {0.0, 0.0, 0.0});
    HostHandle childPoint = standin::AttachmentById(child, "WM");
    ASSERT_TRUE(standin::Attach(parent, parentPoint, child, childPoint));
    for (int i = 0; i < 100; ++i) {
        standin::Step(0.01);
    }
    // The point under the pylon faces it: the child is upright and heads where the parent heads.
    Vec3 omega = Rot(parent) * Vec3(0.0, 0.1, 0.0);
    Vec3 arm = Rot(parent) * physics::ToVec3(pylon) - Rot(child) * Vec3(0.0, 0.2, 0.0);
    EXPECT_LT((Pos(child) - (Pos(parent) + arm)).norm(), 1e-9);
    EXPECT_LT((Rot(child) - Rot(parent)).norm(), 1e-12);
    Vec3 pointVelocity = Vel(parent) + omega.cross(arm);
    EXPECT_LT((Vel(child) - pointVelocity).norm(), 1e-9);
    EXPECT_GT(Rot(parent).col(2).x(), 0.09) << "the parent did turn";

    const VECTOR3 push{0.0, -2.0, 0.0};
    standin::Detach(child, childPoint, push);
    Vec3 expected = pointVelocity + Rot(parent) * physics::ToVec3(push);
    EXPECT_LT((Vel(child) - expected).norm(), 1e-9);
    EXPECT_EQ(VESSEL(child).GetAttachmentStatus(childPoint), nullptr);
}

}  // namespace
