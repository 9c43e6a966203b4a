// Flying over the Earth through the paths a scenario and a module take: the reference engagement,
// a missile placed by latitude, longitude and heading as its module reads it, and a plain body
// given mass properties by its scenario lines.
#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "formats/csv.h"
#include "physics/atmosphere.h"
#include "physics/body_drag.h"
#include "physics/geodesy.h"
#include "runner/flight/flight.h"
#include "runtime/local_frame.h"
#include "test_support.h"

namespace {

using physics::Vec3;

const std::string HEAD = "ZELVAR-STANDIN-SCENARIO 1\nPLANET earth\nBEGIN_VESSELS\n";

using Earth = WorldTest;

// The reference engagement over the Earth flies as over the flat ground: released, boosted for
// 1.5 s, locked, and detonated on the ground next to its target.
TEST_F(Earth, ReferenceEngagementHitsItsTarget)
{
    runner::RunOptions options;
    options.scenario = KARVEX_SCENARIO_DIR "/reference.scn";
    options.moduleDir = KARVEX_MODULE_DIR;
    options.outDir = "out";
    runner::RunResult r = runner::Run(options);
    ASSERT_EQ(r.exitCode, runner::EXIT_OK) << r.error;
    const runner::Milestones& m = r.milestones;
    const double step = 0.01;
    EXPECT_NEAR(m.release, 5.0 + step, 1e-9);
    EXPECT_NEAR(m.boosterCut - m.motorLit, 1.5, step + 1e-9);
    EXPECT_NEAR(m.lock - m.release, 7.0, 1.0);
    EXPECT_LT(m.lock, m.impact);
    EXPECT_LE(m.ignition - m.impact, 3 * step + 1e-9) << "the warhead goes off as it reaches the ground";
    EXPECT_NEAR(m.burnOut - m.ignition, 0.1, 1e-9);
    EXPECT_TRUE(r.round);
    EXPECT_LT(r.ignitionPlace.z, 2.0) << "ignition on ground contact, geodetic height";
    EXPECT_LT(r.missDistance, 10.0) << "a hit on the 10 m target";
    // The miss in the target's local axes is the miss.
    const VECTOR3& d = r.missOffset;
    EXPECT_NEAR(std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z), r.missDistance, 1e-9);
    // Telemetry over a round planet: the carrier starts where its LOCATION line put it.
    std::istringstream telemetry(ReadFile("out/telemetry.csv"));
    formats::CsvReader csv(telemetry);
    std::vector<std::string> header, row;
    ASSERT_TRUE(csv.Next(header) && csv.Next(row));
    const auto field = [&](const char* name) {
        const size_t i = static_cast<size_t>(std::find(header.begin(), header.end(), name) - header.begin());
        return i < row.size() ? std::stod(row[i]) : NAN;
    };
    ASSERT_EQ(row[1], "Carrier");
    EXPECT_EQ(field("altitude_m"), 2000.0);
    EXPECT_NEAR(field("latitude_deg"), 40.0, 1e-12);
    EXPECT_NEAR(field("longitude_deg"), 15.0, 1e-12);
    EXPECT_NEAR(field("v_north_m_s"), 230.0, 1e-9);
    EXPECT_NEAR(field("v_east_m_s"), 0.0, 1e-9);
    EXPECT_NEAR(field("v_up_m_s"), 0.0, 1e-9);
    EXPECT_EQ(header.back(), "v_north_m_s");
}

// A missile placed level by latitude, longitude and heading reads, through its own interface,
// pitch and bank 0 and the altitude its line gave, wherever it is on the ellipsoid.
TEST_F(Earth, LevelMissileReadsLevelAnywhere)
{
    struct Place {
        double latitude, longitude, altitude, heading;  // deg, deg, m, rad
    };
    const Place places[] = {{0, 0, 0, 0},          {40, 15, 2000, 1.0},     {-33.9, -70.7, 5, -2.5},
                            {89.99, 123, 30000, 3}, {-89.999, -179.9, 1, 0.5}, {90, 0, 100, 0.25}};
    for (const Place& p : places) {
        ResetWorld();
        const std::string line = "K1:Karvex\n  LOCATION " + std::to_string(p.latitude) + " " + std::to_string(p.longitude) +
                                 " " + std::to_string(p.altitude) + "\n  ATT 0 0 " + std::to_string(p.heading) + "\nEND\n";
        ASSERT_TRUE(standin::LoadScenarioText("level.scn", HEAD + line + "END_VESSELS\n")) << standin::LastError();
        VESSEL* missile = zapiGetVesselInterface(zapiGetVesselByIndex(0));
        SCOPED_TRACE(line);
        EXPECT_NEAR(missile->GetPitch(), 0.0, 1e-12);
        EXPECT_NEAR(missile->GetBank(), 0.0, 1e-12);
        EXPECT_NEAR(missile->GetAltitude(), p.altitude, 1e-9);
        const physics::Planet& earth = standin::PhysicsSettings().planet;
        const standin::VesselState& s = standin::Find(zapiGetVesselByIndex(0))->state;
        if (std::fabs(p.latitude) < 90.0) {
            EXPECT_NEAR(standin::LocalAnglesOf(earth, s).heading, p.heading, 1e-12);
        }
    }
}

// A plain body given a mass, moments of inertia and cross sections by its lines flies dynamic:
// it turns at its body rate, and it falls at the speed where body drag on its airspeed (the air
// turning with the planet) carries its weight, sqrt(2 m g / (rho Cd A)).
TEST_F(Earth, PlainBodyFallsAtItsTerminalAirspeed)
{
    const std::string body = "Ball:\n  LOCATION 45 10 1000\n  GROUNDVEL 0 0 0\n  AVEL 0 0 0.5\n  MASS 2\n"
                             "  PMI 0.1 0.1 0.1\n  CROSS_SECTIONS 1 1 1\n  MOTION dynamic\nEND\n";
    ASSERT_TRUE(standin::LoadScenarioText("ball.scn", HEAD + body + "END_VESSELS\n")) << standin::LastError();
    HostHandle ball = zapiGetVesselByIndex(0);
    const physics::Planet& earth = standin::PhysicsSettings().planet;
    const double bank0 = standin::LocalAnglesOf(earth, standin::Find(ball)->state).bank;
    for (int i = 0; i < 2000; ++i) {
        standin::Step(0.01);
    }
    const standin::VesselState& s = standin::Find(ball)->state;
    const double altitude = standin::AltitudeOf(earth, s);
    const VECTOR3 air = standin::GroundVelocity(earth, s);
    const double airspeed = std::sqrt(air.x * air.x + air.y * air.y + air.z * air.z);
    const Vec3 p = physics::ToVec3(s.pos);
    const Vec3 spin = physics::Spin(earth);
    const double g = (physics::GravityAt(earth, p) - spin.cross(spin.cross(p))).norm();
    const double rho = physics::Atmosphere(altitude).density;
    const double terminal = std::sqrt(2.0 * 2.0 * g / (rho * physics::BODY_DRAG_COEFFICIENT * 1.0));
    EXPECT_NEAR(airspeed / terminal, 1.0, 1e-3) << airspeed << " m/s at " << altitude << " m";
    EXPECT_LT(altitude, 1000.0 - 19.0 * terminal) << "it fell for 20 s";
    EXPECT_LT(standin::ToLocal(earth, s, air).y, -0.999 * airspeed) << "straight down through the air";
    // Its moments of inertia let it turn (without them no axis turns), until the air damps the roll.
    EXPECT_GT(std::fabs(standin::LocalAnglesOf(earth, s).bank - bank0), 1e-3) << "it rolled";
}

}  // namespace
