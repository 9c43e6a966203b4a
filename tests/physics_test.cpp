// The flight model: the standard atmosphere, rigid-body integration against closed forms, the
// force models' signs, the missile flown by its own declarations, ground contact and carried vessels.
#include <cmath>
#include <cstdio>
#include <vector>

#include "host/zapi.h"
#include "missile/guided_missile.h"
#include "missile/weapon_interface.h"
#include "physics/atmosphere.h"
#include "physics/flight_state.h"
#include "test_support.h"

namespace {

using physics::Vec3;

class Physics : public WorldTest {
protected:
    /// A dynamic plain body of `mass` kg and `size` m at `pos` moving at `vel`.
    static HostHandle DynamicBody(const VECTOR3& pos, const VECTOR3& vel, double mass = 100.0, double size = 1.0)
    {
        standin::VesselDesc desc;
        desc.name = "body";
        desc.pos = pos;
        desc.vel = vel;
        desc.emptyMass = mass;
        desc.size = size;
        desc.motion = standin::Motion::Dynamic;
        return standin::CreateBody(desc);
    }

    /// A free missile of the built module at `pos` moving at `vel`, pitched and banked (rad).
    static HostHandle Missile(const VECTOR3& pos, const VECTOR3& vel, double pitch = 0.0, double bank = 0.0)
    {
        standin::VesselDesc desc;
        desc.name = "K1";
        desc.pos = pos;
        desc.vel = vel;
        desc.pitch = pitch;
        desc.bank = bank;
        HostHandle h = standin::CreateModuleVessel("Karvex", desc);
        EXPECT_NE(h, nullptr) << standin::LastError();
        return h;
    }

    static const standin::VesselState& State(HostHandle h) { return standin::Find(h)->state; }
    static Vec3 Pos(HostHandle h) { return physics::ToVec3(State(h).pos); }
    static Vec3 Vel(HostHandle h) { return physics::ToVec3(State(h).vel); }
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

// Published values of the 1976 standard atmosphere (geometric altitude), to the table's five
// significant figures; viscosity where the table gives it.
TEST_F(Physics, AtmosphereMatchesTheStandardTable)
{
    struct Row {
        double altitude, temperature, pressure, density, sound, viscosity;
    };
    const Row table[] = {
        {0.0, 288.15, 101325.0, 1.2250, 340.29, 1.7894e-5},
        {5000.0, 255.68, 54048.0, 0.73643, 320.55, 1.6282e-5},
        {11000.0, 216.77, 22700.0, 0.36480, 295.15, 1.4223e-5},
        {20000.0, 216.65, 5529.3, 0.088910, 295.07, 1.4216e-5},
        {32000.0, 228.49, 889.06, 0.013555, 303.02, 0.0},
    };
    double largest = 0.0;
    auto check = [&](double computed, double published, const char* what, double altitude) {
        if (published == 0.0) {
            return;
        }
        // Half a unit in the fifth significant figure.
        double halfUnit = 0.5 * std::pow(10.0, std::floor(std::log10(std::fabs(published))) - 4.0);
        EXPECT_NEAR(computed, published, halfUnit) << what << " at " << altitude << " m";
        largest = std::fmax(largest, std::fabs(computed - published) / published);
    };
    for (const Row& row : table) {
        physics::AirState air = physics::Atmosphere(row.altitude);
        check(air.temperature, row.temperature, "temperature", row.altitude);
        check(air.pressure, row.pressure, "pressure", row.altitude);
        check(air.density, row.density, "density", row.altitude);
        check(air.soundSpeed, row.sound, "speed of sound", row.altitude);
        check(air.viscosity, row.viscosity, "viscosity", row.altitude);
    }
    std::printf("largest relative error against the table: %.2e\n", largest);

    // Above the table the air fades smoothly to nothing: continuous at 86 km, falling, zero at 120 km.
    physics::AirState top = physics::Atmosphere(physics::ATMOSPHERE_TABLE_TOP);
    EXPECT_NEAR(physics::Atmosphere(physics::ATMOSPHERE_TABLE_TOP + 1.0).density, top.density, 2e-3 * top.density);
    EXPECT_LT(physics::Atmosphere(100000.0).density, top.density);
    EXPECT_GT(physics::Atmosphere(100000.0).density, 0.0);
    EXPECT_EQ(physics::Atmosphere(physics::ATMOSPHERE_TOP).density, 0.0);
    EXPECT_EQ(physics::Atmosphere(VACUUM).pressure, 0.0);

    // The host's dynamic pressure is 0.5 rho v^2 of this air and the vessel's airspeed.
    standin::VesselDesc desc;
    desc.pos = {0.0, 11000.0, 0.0};
    desc.vel = {30.0, -40.0, 0.0};
    VESSEL vessel(standin::CreateBody(desc));
    EXPECT_DOUBLE_EQ(vessel.GetDynPressure(), 0.5 * physics::Atmosphere(11000.0).density * 2500.0);
}

// In a vacuum the integrator must reproduce the closed forms of free fall and of a ballistic arc.
TEST_F(Physics, FreeFallAndBallisticArcFollowTheClosedForm)
{
    const Vec3 v0(40.0, 120.0, -25.0);
    HostHandle drop = DynamicBody({0.0, VACUUM, 0.0}, {0.0, 0.0, 0.0});
    HostHandle arc = DynamicBody({10.0, VACUUM, 20.0}, physics::ToVector3(v0));
    const double dt = 0.01, g = 9.80665;
    for (int i = 1; i <= 2000; ++i) {
        standin::Step(dt);
    }
    const double t = 20.0;
    EXPECT_NEAR(Pos(drop).y(), VACUUM - 0.5 * g * t * t, 1e-6);
    EXPECT_NEAR(Vel(drop).y(), -g * t, 1e-9);
    Vec3 expected = Vec3(10.0, VACUUM, 20.0) + v0 * t - Vec3(0.0, 0.5 * g * t * t, 0.0);
    EXPECT_LT((Pos(arc) - expected).norm(), 1e-6);
    EXPECT_EQ(Pos(drop).x(), 0.0) << "no sideways force in a vacuum";
}

// A thruster burns its tank dry at mass × Isp / thrust, and its push follows the rocket equation.
TEST_F(Physics, ThrustBurnRunsOutAtThePredictedTime)
{
    HostHandle body = DynamicBody({0.0, VACUUM, 0.0}, {0.0, 0.0, 0.0}, 50.0);
    VESSEL v(body);
    v.SetPMI({1.0, 1.0, 1.0});
    const double fuel = 30.0, thrust = 2000.0, isp = 2500.0, dt = 0.01;
    HostHandle tank = v.CreatePropellantResource(fuel);
    HostHandle motor = v.CreateThruster({0.0, 0.0, -1.0}, {0.0, 0.0, 1.0}, thrust, tank, isp);
    v.SetThrusterLevel(motor, 1.0);
    const double predicted = fuel * isp / thrust;  // 37.5 s
    double emptyAt = -1.0;
    for (int i = 1; i <= 4000 && emptyAt < 0.0; ++i) {
        standin::Step(dt);
        if (v.GetPropellantMass(tank) == 0.0) {
            emptyAt = i * dt;
        }
    }
    EXPECT_NEAR(emptyAt, predicted, dt);
    // Along the nose (global +z): Δv = Isp ln(m0 / m1), gravity acts only along y.
    EXPECT_NEAR(Vel(body).z(), isp * std::log(80.0 / 50.0), 0.05);
    EXPECT_NEAR(Vel(body).x(), 0.0, 1e-9) << "thrust through the centre of mass does not turn the body";
}

// Torque-free rotation of an asymmetric body conserves angular momentum (global) and energy.
TEST_F(Physics, SpinningBodyConservesMomentumAndEnergy)
{
    HostHandle body = DynamicBody({0.0, VACUUM, 0.0}, {0.0, 0.0, 0.0}, 10.0);
    VESSEL(body).SetPMI({1.0, 2.0, 3.0});
    standin::SetAngularVelocity(body, {0.3, 0.02, -0.4});
    auto momentum = [&]() {
        Vec3 inertia(10.0, 20.0, 30.0);
        return Vec3(Rot(body) * inertia.cwiseProduct(physics::ToVec3(State(body).angVel)));
    };
    auto energy = [&]() {
        Vec3 w = physics::ToVec3(State(body).angVel);
        return 0.5 * (10.0 * w.x() * w.x() + 20.0 * w.y() * w.y() + 30.0 * w.z() * w.z());
    };
    const Vec3 l0 = momentum();
    const double e0 = energy();
    for (int i = 0; i < 6000; ++i) {
        standin::Step(0.01);
    }
    double momentumDrift = (momentum() - l0).norm() / l0.norm();
    double energyDrift = std::fabs(energy() - e0) / e0;
    std::printf("over 60 s: momentum drift %.2e, energy drift %.2e\n", momentumDrift, energyDrift);
    EXPECT_LT(momentumDrift, 1e-9);
    EXPECT_LT(energyDrift, 1e-9);
    EXPECT_NE(physics::ToVec3(State(body).angVel), Vec3(0.3, 0.02, -0.4)) << "the body does tumble";
}

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

// A child hangs rigidly at its parent's point, turned by the two points' vectors, follows the
// parent's turn, and leaves with its point's velocity plus the push it is given.
TEST_F(Physics, CarriedChildFollowsATurningParentAndLeavesAtItsPointsVelocity)
{
    standin::VesselDesc desc;
    desc.name = "carrier";
    desc.pos = {0.0, 2000.0, 0.0};
    desc.vel = {0.0, 0.0, 200.0};
    HostHandle parent = standin::CreateBody(desc);
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
