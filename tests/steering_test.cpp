// Steered kinematic vessels: a route against its closed forms over both planets, a ground vehicle
// held on the ellipsoid, a weave, the triggers' frames, and a save and load mid-manoeuvre.
#include <cmath>
#include <cstring>
#include <numbers>
#include <string>

#include "physics/geodesy.h"
#include "runtime/local_frame.h"
#include "test_support.h"

namespace {

constexpr double PI = std::numbers::pi;
constexpr double DEG = PI / 180.0;
const std::string HEAD = "ZELVAR-STANDIN-SCENARIO 1\nSTEP 0.01\n";

standin::Vessel& Named(const std::string& name)
{
    for (unsigned int i = 0; i < zapiGetVesselCount(); ++i) {
        standin::Vessel* v = standin::Find(zapiGetVesselByIndex(static_cast<int>(i)));
        if (v->name == name) {
            return *v;
        }
    }
    ADD_FAILURE() << "no vessel " << name;
    std::abort();
}

// Local metres east and north of latitude 40, longitude 15 as latitude and longitude (deg), by the
// ellipsoid's radii of curvature there.
struct Tangent {
    double meridian, across;
    Tangent()
    {
        const double e2 = physics::EccentricitySquared(physics::EARTH), s = std::sin(40.0 * DEG);
        const double w = 1.0 - e2 * s * s;
        meridian = physics::EARTH.radius * (1.0 - e2) / (w * std::sqrt(w));
        across = physics::EARTH.radius / std::sqrt(w) * std::cos(40.0 * DEG);
    }
    std::string Point(double east, double north) const
    {
        return std::to_string(40.0 + north / meridian / DEG) + " " + std::to_string(15.0 + east / across / DEG);
    }
    // Where the vessel is, east and north of the origin, m.
    void Where(const standin::Vessel& v, double& east, double& north) const
    {
        const physics::Geodetic g = standin::GeographicOf(physics::EARTH, v.state, zapiGetSimTime());
        east = (g.longitude / DEG - 15.0) * DEG * across;
        north = (g.latitude / DEG - 40.0) * DEG * meridian;
    }
};

using Steering = WorldTest;

// Flying north at 10 m/s, turning at 6 deg/s: the first waypoint 500 m ahead is reached at 50 s;
// the turn onto the second, 600 m east and 400 m north of it, runs on a circle of radius v / w about
// a centre abeam the first, for the arc whose end points at the second, then straight on.
TEST_F(Steering, RouteFollowsItsTurnCirclesAndTangentsOverBothPlanets)
{
    const double v = 10.0, w = 6.0 * DEG, radius = v / w;
    const double px = 600.0 - radius, pz = 400.0, d = std::hypot(px, pz);
    const double arc = std::acos(-radius / d) - std::atan2(pz, px);  // px cos(arc) - pz sin(arc) = -radius
    const double tangent = std::sqrt(d * d - radius * radius);
    const Tangent earth;
    for (bool round : {false, true}) {
        SCOPED_TRACE(round ? "earth" : "flat");
        ResetWorld();
        const std::string start = round ? "PLANET earth\nBEGIN_VESSELS\nT:\n  LOCATION 40 15 0\n" : "BEGIN_VESSELS\nT:\n  POS 0 0 0\n";
        const std::string a = round ? earth.Point(0, 500) : "0 500", b = round ? earth.Point(600, 900) : "600 900";
        ASSERT_TRUE(standin::LoadScenarioText("r.scn", HEAD + start + "  MOTION kinematic\n  COURSE 0 10\n  ROUTE hold rate 6\n"
                                                  "  WAYPOINT " + a + " 10\n  WAYPOINT " + b + " 10\nEND\nEND_VESSELS\n"))
            << standin::LastError();
        standin::Vessel& t = Named("T");
        double reached[2] = {NAN, NAN}, straight = NAN, worst = 0.0;
        while (std::isnan(reached[1]) && zapiGetSimTime() < 200.0) {
            const double course = t.steering.course;
            standin::Step(0.01);
            double east = t.state.pos.x, north = t.state.pos.z;
            if (round) {
                earth.Where(t, east, north);
            }
            for (size_t k = 0; k < 2; ++k) {
                reached[k] = std::isnan(reached[k]) && t.steering.next > k ? zapiGetSimTime() : reached[k];
            }
            const bool turning = !std::isnan(reached[0]) && std::isnan(straight);
            const bool level = std::fabs(t.steering.course - course) < 0.01 * 6.0 * 0.01;  // under 1% of the turn
            straight = turning && level && course != 0.0 ? zapiGetSimTime() : straight;
            if (turning && std::isnan(straight)) {
                worst = std::fmax(worst, std::fabs(std::hypot(east - radius, north - 500.0) - radius));
            }
        }
        EXPECT_NEAR(reached[0], 500.0 / v, 0.02);
        EXPECT_NEAR(straight - reached[0], arc / w, 0.02) << "the arc, " << radius * arc << " m long";
        EXPECT_NEAR(reached[1] - reached[0], arc / w + tangent / v, round ? 0.05 : 0.02);
        EXPECT_LT(worst, round ? 0.3 : 0.15) << "on the circle of radius v / w = " << radius << " m";
    }
}

// A ground vehicle driven 20 km over the Earth keeps to the ellipsoid's surface within a millimetre.
TEST_F(Steering, GroundVehicleStaysOnTheEllipsoid)
{
    const Tangent earth;
    ASSERT_TRUE(standin::LoadScenarioText("g.scn", HEAD + "PLANET earth\nBEGIN_VESSELS\nT:\n  LOCATION 40 15 0\n"
                                          "  MOTION kinematic\n  ROUTE stop accel 2\n  WAYPOINT " + earth.Point(5000, 5000) +
                                          " 40 0\n  WAYPOINT " + earth.Point(-5000, 13000) + " 40 0\nEND\nEND_VESSELS\n"))
        << standin::LastError();
    standin::Vessel& t = Named("T");
    double worst = 0.0, driven = 0.0;
    for (int i = 0; i < 60000 && !(t.steering.next == 2 && t.steering.speed == 0.0); ++i) {
        standin::Step(0.01);
        driven += t.steering.speed * 0.01;
        worst = std::fmax(worst, std::fabs(standin::AltitudeOf(physics::EARTH, t.state)));
    }
    EXPECT_GT(driven, 19000.0);
    EXPECT_EQ(t.steering.next, 2u) << "stopped on its last waypoint";
    EXPECT_LT(worst, 1e-3);
}

// Weaving 50 m each side every 20 s about a course north at 15 m/s: across the course the vessel is
// at 50 sin(2 pi t / 20), along it at 15 t.
TEST_F(Steering, WeaveHasItsAmplitudeAndPeriod)
{
    ASSERT_TRUE(standin::LoadScenarioText("w.scn", HEAD + "BEGIN_VESSELS\nT:\n  MOTION kinematic\n  COURSE 0 15\n"
                                                          "  WEAVE 50 20\nEND\nEND_VESSELS\n"));
    standin::Vessel& t = Named("T");
    double worst = 0.0, widest = 0.0;
    for (int i = 0; i < 6000; ++i) {
        standin::Step(0.01);
        const double time = zapiGetSimTime();
        worst = std::fmax(worst, std::fabs(t.state.pos.x - 50.0 * std::sin(2.0 * PI * time / 20.0)));
        worst = std::fmax(worst, std::fabs(t.state.pos.z - 15.0 * time));
        widest = std::fmax(widest, std::fabs(t.state.pos.x));
    }
    EXPECT_LT(worst, 1e-6);
    EXPECT_NEAR(widest, 50.0, 1e-3);
}

// Three trucks by the reference engagement, each set off by its own trigger: a time, the missile's
// release, the missile within 6 km. Each fires in the frame its moment comes, not a frame later.
TEST_F(Steering, TriggersFireInTheirFrame)
{
    std::string text = ReadFile(std::string(KARVEX_SCENARIO_DIR) + "/reference_flat.scn");
    const std::string trucks[] = {"T1:\n  POS 50 0 9000\n  MOTION kinematic\n  TRIGGER time 3.005\n  REACTION stop\nEND\n",
                                  "T2:\n  POS -50 0 9000\n  MOTION kinematic\n  TRIGGER release K1\n  REACTION speed 9\nEND\n",
                                  "T3:\n  POS 0 0 9100\n  MOTION kinematic\n  TRIGGER range 6000 any\n"
                                  "  REACTION turn away accel 2\nEND\n"};
    text.insert(text.find("END_VESSELS"), trucks[0] + trucks[1] + trucks[2]);
    ASSERT_TRUE(standin::LoadScenarioText("t.scn", text)) << standin::LastError();
    standin::Vessel& missile = Named("K1");
    double due[3] = {NAN, NAN, NAN};
    while (std::isnan(due[2]) && zapiGetSimTime() < 30.0) {
        const double start = zapiGetSimTime();
        const VECTOR3 p = missile.state.pos, q = Named("T3").state.pos;
        const bool carried = missile.attachments[0].mate != nullptr;
        standin::Step(0.01);
        due[0] = std::isnan(due[0]) && start >= 3.005 ? start : due[0];
        due[1] = std::isnan(due[1]) && carried && missile.attachments[0].mate == nullptr ? start : due[1];
        due[2] = std::isnan(due[2]) && !carried && std::hypot(p.x - q.x, p.y - q.y, p.z - q.z) <= 6000.0 ? start : due[2];
    }
    for (int k = 0; k < 3; ++k) {
        const standin::Steering& s = Named("T" + std::to_string(k + 1)).steering;
        EXPECT_TRUE(s.fired) << k;
        EXPECT_EQ(s.firedAt, due[k]) << k;
    }
}

// A weaving truck on a looping route and a jeep that has turned away from its trigger, saved
// mid-manoeuvre: the file loads and flies on to the same bits as the flight that wrote it.
TEST_F(Steering, SavedMidManoeuvreFliesOnToTheSameBits)
{
    const Tangent earth;
    for (bool round : {false, true}) {
        SCOPED_TRACE(round ? "earth" : "flat");
        ResetWorld();
        auto at = [&](double east, double north) {
            return round ? earth.Point(east, north) : std::to_string(east) + " " + std::to_string(north);
        };
        const std::string text =
            HEAD + (round ? "PLANET earth\n" : "") + "BEGIN_VESSELS\nT:\n  " + (round ? "LOCATION " + at(0, 0) + " 0" : "POS 0 0 0") +
            "\n  MOTION kinematic\n  ROUTE loop accel 1.5\n  WAYPOINT " + at(0, 400) + " 12\n  WAYPOINT " + at(400, 400) +
            " 18 30\n  WEAVE 20 15 1\nEND\nJ:\n  " + (round ? "LOCATION " + at(300, 0) + " 0" : "POS 300 0 0") +
            "\n  MOTION kinematic\n  COURSE 45 20 3\n  TRIGGER time 20\n  REACTION turn right 120 accel 2 25\nEND\nEND_VESSELS\n";
        ASSERT_TRUE(standin::LoadScenarioText("m.scn", text)) << standin::LastError();
        auto fly = [](int frames) {
            for (int i = 0; i < frames; ++i) {
                standin::Step(0.01);
            }
        };
        fly(4000);
        ASSERT_TRUE(standin::SaveScenario("mid.scn"));
        fly(3000);
        const standin::VesselState truck = Named("T").state, jeep = Named("J").state;
        ResetWorld();
        ASSERT_TRUE(standin::LoadScenario("mid.scn")) << standin::LastError();
        fly(3000);
        for (const auto& [was, now] : {std::pair{truck, Named("T").state}, std::pair{jeep, Named("J").state}}) {
            EXPECT_EQ(std::memcmp(&was.pos, &now.pos, sizeof was.pos), 0);
            EXPECT_EQ(std::memcmp(&was.vel, &now.vel, sizeof was.vel), 0);
            EXPECT_EQ(std::memcmp(&was.rot, &now.rot, sizeof was.rot), 0);
        }
    }
}

}  // namespace
