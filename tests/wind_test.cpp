// The moving air as scenarios give it: the steady wind's profiles, a body the wind takes along,
// the wind over a turning planet, and turbulence's own seed and its off switch.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "physics/atmosphere.h"
#include "physics/body_drag.h"
#include "physics/wind.h"
#include "runtime/air_data.h"
#include "runtime/host_control.h"
#include "runtime/local_frame.h"
#include "test_support.h"

namespace {

using Wind = WorldTest;

const std::string MAGIC = "ZELVAR-STANDIN-SCENARIO 1\n";

// A ball of 2 kg and 1 m^2 at rest at `y` m, flying dynamically.
std::string Ball(double y)
{
    return "BEGIN_VESSELS\nBall:\n  POS 0 " + std::to_string(y) +
           " 0\n  VEL 0 0 0\n  MASS 2\n  PMI 0.1 0.1 0.1\n  CROSS_SECTIONS 1 1 1\n  MOTION dynamic\nEND\nEND_VESSELS\n";
}

TEST_F(Wind, ProfilesReadBetweenAndBeyondTheirRows)
{
    ASSERT_TRUE(standin::LoadScenarioText("table.scn", MAGIC + "WIND_ROW 100 2 0\nWIND_ROW 300 6 -4\n" + Ball(10)))
        << standin::LastError();
    const physics::Wind& table = standin::PhysicsSettings().weather.wind;
    const double heights[] = {-5.0, 100.0, 150.0, 200.0, 300.0, 2000.0};
    const double east[] = {2.0, 2.0, 3.0, 4.0, 6.0, 6.0}, north[] = {0.0, 0.0, -1.0, -2.0, -4.0, -4.0};
    for (int i = 0; i < 6; ++i) {
        const physics::WindVector w = physics::SteadyWind(table, heights[i]);
        EXPECT_DOUBLE_EQ(w.east, east[i]) << heights[i] << " m";
        EXPECT_DOUBLE_EQ(w.north, north[i]) << heights[i] << " m";
    }
    // A wind from the west blows toward the east; the power law's is given at 6.1 m.
    standin::Reset();
    ASSERT_TRUE(standin::LoadScenarioText("power.scn", MAGIC + "WIND 8 270 power\n" + Ball(10)));
    const physics::Wind& power = standin::PhysicsSettings().weather.wind;
    EXPECT_NEAR(physics::SteadyWind(power, 6.1).east, 8.0, 1e-12);
    EXPECT_NEAR(physics::SteadyWind(power, 61.0).east, 8.0 * std::pow(10.0, 1.0 / 7.0), 1e-12);
    EXPECT_NEAR(physics::SteadyWind(power, 61.0).north, 0.0, 1e-12);
    EXPECT_EQ(physics::SteadyWind(power, 0.0).east, 0.0);
    // Rows out of order, and both kinds of steady wind at once, are refused with their line.
    standin::Reset();
    EXPECT_FALSE(standin::LoadScenarioText("rows.scn", MAGIC + "WIND_ROW 300 1 0\nWIND_ROW 100 1 0\n" + Ball(10)));
    EXPECT_NE(standin::LastError().find("rows.scn:3: WIND_ROW heights must rise"), std::string::npos)
        << standin::LastError();
    standin::Reset();
    EXPECT_FALSE(standin::LoadScenarioText("both.scn", MAGIC + "WIND 3 0\nWIND_ROW 100 1 0\n" + Ball(10)));
    EXPECT_NE(standin::LastError().find("both.scn:3: WIND and WIND_ROW"), std::string::npos) << standin::LastError();
}

// Released at rest in a wind W with no gravity, a body with quadratic drag k v^2 (k = rho Cd A / 2m)
// takes up the wind as v(t) = W k W t / (1 + k W t).
TEST_F(Wind, DraggedBodyTakesUpTheWindByTheClosedForm)
{
    ASSERT_TRUE(standin::LoadScenarioText("drift.scn", MAGIC + "WIND 10 270\n" + Ball(1000)))
        << standin::LastError();
    standin::PhysicsSettings().gravity = 0.0;
    const HostHandle ball = zapiGetVesselByIndex(0);
    const double k = 0.5 * physics::Atmosphere(1000.0).density * physics::BODY_DRAG_COEFFICIENT * 1.0 / 2.0;
    double worst = 0.0;
    for (int i = 1; i <= 3000; ++i) {
        standin::Step(0.01);
        if (i % 500 == 0) {
            const double t = 0.01 * i, closed = 10.0 * k * 10.0 * t / (1.0 + k * 10.0 * t);
            worst = std::fmax(worst, std::fabs(standin::Find(ball)->state.vel.x / closed - 1.0));
        }
    }
    EXPECT_LT(worst, 1e-6);
    const standin::VesselState& s = standin::Find(ball)->state;
    EXPECT_EQ(s.vel.y, 0.0);
    EXPECT_NEAR(s.vel.z, 0.0, 1e-12) << "cos 270 degrees is a rounding away from 0";
}

// Over the Earth the wind blows over the turning ground: a body at rest on it meets the wind alone.
TEST_F(Wind, BlowsOverTheTurningGround)
{
    const std::string body = "BEGIN_VESSELS\nPost:\n  LOCATION 40 15 0\n  GROUNDVEL 0 0 0\n  MOTION pinned\nEND\n"
                             "END_VESSELS\n";
    ASSERT_TRUE(standin::LoadScenarioText("post.scn", MAGIC + "PLANET earth\nWIND 12 90\n" + body))
        << standin::LastError();
    const physics::Settings& settings = standin::PhysicsSettings();
    const standin::Vessel& post = *standin::Find(zapiGetVesselByIndex(0));
    const VECTOR3 air = standin::ToLocal(settings.planet, post.state, standin::AirVelocityOf(settings, post));
    EXPECT_NEAR(air.x, 12.0, 1e-9) << "a wind from the east meets it from the east";
    EXPECT_NEAR(air.y, 0.0, 1e-9);
    EXPECT_NEAR(air.z, 0.0, 1e-9);
}

// A ball's whole trajectory, position and velocity, over `steps` steps of 0.01 s from 200 m.
std::vector<double> Flight(const std::string& settings, int steps)
{
    const std::string start = "BEGIN_VESSELS\nBall:\n  POS 0 200 0\n  VEL 0 0 150\n  MASS 2\n  PMI 0.1 0.1 0.1\n"
                              "  CROSS_SECTIONS 0.1 0.1 0.05\n  MOTION dynamic\nEND\nEND_VESSELS\n";
    standin::Reset();
    EXPECT_TRUE(standin::LoadScenarioText("ball.scn", MAGIC + settings + start)) << standin::LastError();
    const HostHandle ball = zapiGetVesselByIndex(0);
    std::vector<double> track;
    for (int i = 0; i < steps; ++i) {
        standin::Step(0.01);
        const standin::VesselState& s = standin::Find(ball)->state;
        track.insert(track.end(), {s.pos.x, s.pos.y, s.pos.z, s.vel.x, s.vel.y, s.vel.z});
    }
    return track;
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

TEST_F(Wind, TurbulenceHasItsOwnSeedAndSwitchesOffExactly)
{
    const std::vector<double> still = Flight("", 300);
    const std::vector<double> seven = Flight("TURBULENCE severe 7\n", 300);
    EXPECT_TRUE(SameBits(seven, Flight("TURBULENCE severe 7\n", 300))) << "the same seed repeats to the bit";
    EXPECT_FALSE(SameBits(seven, Flight("TURBULENCE severe 8\n", 300))) << "another seed differs";
    EXPECT_FALSE(SameBits(seven, still));
    EXPECT_TRUE(SameBits(still, Flight("TURBULENCE off 7\nWIND 0 0\n", 300))) << "off is still air";
    // Below 1,000 ft the intensities scale with the wind at 20 ft: none of it is still air too.
    EXPECT_TRUE(SameBits(still, Flight("TURBULENCE moderate 7\nTURBULENCE_W20 0\n", 300)));
}

}  // namespace
