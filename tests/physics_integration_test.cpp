// The flight model's air and integration: the standard atmosphere, free fall and a ballistic arc
// against their closed forms, a burn to empty, and a tumbling body's conserved quantities.
#include <cmath>
#include <cstdio>

#include "physics/atmosphere.h"
#include "physics_fixture.h"

namespace {

using physics::Vec3;
using physics_test::Physics;

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

}  // namespace
