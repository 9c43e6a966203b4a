// The flight model's forces: control surfaces turning the documented way, ground contact, the
// motion modes, and declarations that cannot act leaving a flight alone.
#include "physics_fixture.h"

namespace {

using physics::Vec3;
using physics_test::Physics;

// Each control-surface type at a positive level turns a vessel the way the host's conventions say,
// wherever the surface sits.
TEST_F(Physics, ControlSurfacesTurnTheDocumentedWay)
{
    struct Case {
        int type;
        VECTOR3 ref;
        double bank;  // start banked right wing down for the ailerons
    };
    const Case cases[] = {
        {AIRCTRL_ELEVATOR, {0, 0, -2}, 0.0}, {AIRCTRL_ELEVATOR, {0, 0, 2}, 0.0},
        {AIRCTRL_RUDDER, {0, 0, -2}, 0.0},   {AIRCTRL_RUDDER, {0, 0, 2}, 0.0},
        {AIRCTRL_AILERON, {1, 0, -1}, 0.2},
    };
    for (const Case& c : cases) {
        ResetWorld();
        HostHandle h = DynamicBody({0.0, 1000.0, 0.0}, {0.0, 0.0, 100.0});
        standin::SetAttitude(h, 0.0, c.bank, 0.0);
        VESSEL v(h);
        v.SetPMI({1.0, 1.0, 1.0});
        v.CreateControlSurface(c.type, 0.1, 1.0, c.ref, 0);
        if (c.type == AIRCTRL_AILERON) {
            v.CreateControlSurface(c.type, 0.1, 1.0, {-c.ref.x, c.ref.y, c.ref.z}, 0);
        }
        v.SetControlSurfaceLevel(c.type, 1.0);
        for (int i = 0; i < 20; ++i) {
            standin::Step(0.01);
        }
        Vec3 nose = Rot(h).col(2);
        if (c.type == AIRCTRL_ELEVATOR) {
            EXPECT_GT(v.GetPitch(), 0.01) << "elevator at z " << c.ref.z << ": nose up";
        } else if (c.type == AIRCTRL_RUDDER) {
            EXPECT_GT(nose.x(), 0.01) << "rudder at z " << c.ref.z << ": nose toward +x";
        } else {
            EXPECT_LT(v.GetBank(), 0.2 - 0.01) << "ailerons: less bank";
        }
    }
}

// A body dropped onto its touchdown points settles on them: no bounce, no sinking.
TEST_F(Physics, DroppedBodyComesToRestOnItsTouchdownPoints)
{
    HostHandle h = DynamicBody({0.0, 2.0, 0.0}, {1.0, 0.0, 0.0}, 500.0, 2.0);
    VESSEL v(h);
    v.SetPMI({0.5, 0.5, 0.5});
    v.SetTouchdownPoints({0, -1, 1.5}, {-1, -1, -1}, {1, -1, -1});
    double highest = 0.0, lowestPoint = 0.0;
    bool touched = false;
    for (int i = 0; i < 1000; ++i) {
        standin::Step(0.01);
        double bottom = Pos(h).y() - 1.0;
        lowestPoint = std::fmin(lowestPoint, bottom);
        touched = touched || bottom < 0.0;
        if (touched) {
            highest = std::fmax(highest, bottom);
        }
    }
    EXPECT_LT(highest, 0.05) << "no bounce after touching down";
    EXPECT_GT(lowestPoint, -0.1) << "the points do not sink through the ground";
    EXPECT_LT(Vel(h).norm(), 1e-3) << "at rest, friction included";
    EXPECT_LT(physics::ToVec3(State(h).angVel).norm(), 1e-3);
    EXPECT_NEAR(v.GetPitch(), 0.0, 0.5 * RAD) << "resting on all three points";
}

// Motion modes: kinematic ignores forces, pinned stays, landed rests until a force lifts it.
TEST_F(Physics, MotionModesMoveAsTheySay)
{
    standin::VesselDesc desc;
    desc.pos = {0.0, 500.0, 0.0};
    desc.vel = {1.0, 2.0, 3.0};
    HostHandle kinematic = standin::CreateBody(desc);
    HostHandle pinned = standin::CreateBody(desc);
    standin::SetPinned(pinned, true);
    desc.motion = standin::Motion::Landed;
    HostHandle landed = standin::CreateBody(desc);
    EXPECT_EQ(State(landed).pos.y, 0.0) << "put down on its touchdown points";
    EXPECT_EQ(Vel(landed).norm(), 0.0);
    VESSEL lv(landed);
    lv.SetPMI({1.0, 1.0, 1.0});
    HostHandle tank = lv.CreatePropellantResource(10.0);
    HostHandle lift = lv.CreateThruster({0, 0, 0}, {0, 1, 0}, 50.0, tank, 1000.0);
    for (int i = 0; i < 100; ++i) {
        standin::Step(0.01);
    }
    EXPECT_NEAR(Pos(kinematic).y(), 502.0, 1e-9) << "gravity is ignored";
    EXPECT_EQ(Pos(pinned).y(), 500.0);
    EXPECT_EQ(Pos(landed).y(), 0.0);
    EXPECT_EQ(standin::Find(landed)->motion, standin::Motion::Landed);
    lv.SetThrusterLevel(lift, 1.0);  // 50 N against 108 N of weight: still resting
    standin::Step(0.01);
    EXPECT_EQ(standin::Find(landed)->motion, standin::Motion::Landed);
    lv.SetThrusterLevel(lv.CreateThruster({0, 0, 0}, {0, 1, 0}, 100.0, tank, 1000.0), 1.0);
    standin::Step(0.01);
    EXPECT_EQ(standin::Find(landed)->motion, standin::Motion::Dynamic) << "150 N lifts it";
    EXPECT_GT(Vel(landed).y(), 0.0);
}

// Declarations that cannot act add nothing to a flight: it stays the bare body's, to the rounding of
// a mass that changes. The two declarations that do act show the comparison can tell.
TEST_F(Physics, DeclarationsThatCannotActLeaveTheFlightAlone)
{
    struct Row {
        const char* what;
        void (*declare)(const VESSEL& v);
        bool acts;
    };
    const Row rows[] = {
        {"a thruster fed by no resource",
         [](const VESSEL& v) { v.SetThrusterLevel(v.CreateThruster({0, 0, 0}, {0, 0, 1}, 5000.0, nullptr, 2000.0), 1.0); },
         false},
        {"a thruster fed by an empty tank",
         [](const VESSEL& v) {
             v.SetThrusterLevel(v.CreateThruster({0, 0, 0}, {0, 0, 1}, 5000.0, v.CreatePropellantResource(10.0, 0.0), 2000.0), 1.0);
         },
         false},
        {"a thruster fed from a tank of no efficiency",
         [](const VESSEL& v) {
             v.SetThrusterLevel(v.CreateThruster({0, 0, 0}, {0, 0, 1}, 5000.0, v.CreatePropellantResource(10.0, 10.0, 0.0), 2000.0), 1.0);
         },
         false},
        {"a thruster whose Isp has fallen to nothing in this air",
         [](const VESSEL& v) {
             HostHandle tank = v.CreatePropellantResource(10.0);
             v.SetThrusterLevel(v.CreateThruster({0, 0, 0}, {0, 0, 1}, 5000.0, tank, 2000.0, 1.0, 1000.0), 1.0);
         },
         false},
        {"a burning thruster", [](const VESSEL& v) {
             v.SetThrusterLevel(v.CreateThruster({0, 0, 0}, {0, 0, 1}, 5000.0, v.CreatePropellantResource(10.0), 2000.0), 1.0);
         },
         true},
        {"a surface of a type the host holds no level for",
         [](const VESSEL& v) { v.CreateControlSurface(9, 1.0, 1.0, {0, 0, -2}, 0, 0xFFFFFFFF); }, false},
        {"a surface of a held type without a law",
         [](const VESSEL& v) {
             v.CreateControlSurface(5, 1.0, 1.0, {0, 0, -2}, 0, 0xFFFFFFFF);
             v.SetControlSurfaceLevel(5, 1.0);
         },
         false},
        {"an aileron on the centre line",
         [](const VESSEL& v) {
             v.CreateControlSurface(AIRCTRL_AILERON, 1.0, 1.0, {0, 0, -2}, 0, 0xFFFFFFFF);
             v.SetControlSurfaceLevel(AIRCTRL_AILERON, 1.0);
         },
         false},
        {"a deflected elevator",
         [](const VESSEL& v) {
             v.CreateControlSurface(AIRCTRL_ELEVATOR, 1.0, 1.0, {0, 0, -2}, 0, 0xFFFFFFFF);
             v.SetControlSurfaceLevel(AIRCTRL_ELEVATOR, 1.0);
         },
         true},
        {"an airfoil without coefficients", [](const VESSEL& v) { v.CreateAirfoil(LIFT_VERTICAL, {0, 0, 0}, nullptr, 1.0, 1.0, 1.0); },
         false},
    };
    for (const Row& row : rows) {
        ResetWorld();
        HostHandle bare = DynamicBody({0.0, 1000.0, 0.0}, {0.0, 0.0, 100.0});
        HostHandle tried = DynamicBody({0.0, 1000.0, 0.0}, {0.0, 0.0, 100.0});
        VESSEL(bare).SetPMI({1.0, 1.0, 1.0});
        VESSEL v(tried);
        v.SetPMI({1.0, 1.0, 1.0});
        row.declare(v);
        for (int i = 0; i < 10; ++i) {
            standin::Step(0.01);
        }
        double apart = (Vel(tried) - Vel(bare)).norm() + physics::ToVec3(State(tried).angVel).norm();
        EXPECT_EQ(apart > 1e-9, row.acts) << row.what << ": " << apart;
    }

    // A step of no time, and a vessel of no mass, are not integrated.
    ResetWorld();
    HostHandle still = DynamicBody({0.0, 1000.0, 0.0}, {0.0, 0.0, 100.0});
    HostHandle massless = DynamicBody({0.0, 1000.0, 0.0}, {0.0, 0.0, 100.0}, 0.0);
    standin::Step(0.0);
    EXPECT_EQ(Pos(still), Vec3(0.0, 1000.0, 0.0));
    standin::Step(0.01);
    EXPECT_EQ(Vel(massless), Vec3(0.0, 0.0, 100.0));
    EXPECT_LT(Vel(still).y(), 0.0);
}

}  // namespace
