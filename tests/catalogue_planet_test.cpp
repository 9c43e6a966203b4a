// The catalogue's scenario files with the keys of round planets, of plain bodies' mass properties
// and of steered vessels; and steering lines given to a vessel from outside, mid-flight.
#include "catalogue.h"

namespace {

using catalogue::Catalogue;
using catalogue::HEAD;

// The keys of round planets and plain bodies' mass properties: loaded, or refused likewise.
TEST_F(Catalogue, PlanetScenarioFiles)
{
    const std::pair<std::string, const char*> rows[] = {
        {HEAD + "PLANET mars\nBEGIN_VESSELS\nEND_VESSELS\n", ":2: expected \"PLANET flat|earth\""},
        {HEAD + "PLANET_RADIUS 6e6\nPLANET earth\nBEGIN_VESSELS\nEND_VESSELS\n", ":2: PLANET_RADIUS changes a round planet"},
        {HEAD + "PLANET earth\nPLANET flat\nPLANET_J2 0\nBEGIN_VESSELS\nEND_VESSELS\n", ":4: PLANET_J2 changes a round"},
        {HEAD + "PLANET earth\nPLANET_FLATTENING 1\nBEGIN_VESSELS\nEND_VESSELS\n", ":3: expected a flattening from 0"},
        {HEAD + "PLANET earth\nPLANET_RADIUS 0\nBEGIN_VESSELS\nEND_VESSELS\n", ":3: expected one finite positive"},
        {HEAD + "PLANET EARTH\nPLANET_ROTATION -1e-4\nPLANET_J2 0\nBEGIN_VESSELS\nEND_VESSELS\n", nullptr},
        {HEAD + "BEGIN_VESSELS\nt:\n  LOCATION 45 10 0\nEND\nEND_VESSELS\n", ":4: LOCATION places a vessel on a round planet"},
        {HEAD + "PLANET earth\nBEGIN_VESSELS\nt:\n  LOCATION 90.5 10 0\nEND\nEND_VESSELS\n", ":5: expected \"LOCATION"},
        {HEAD + "PLANET earth\nBEGIN_VESSELS\nt:\n  LOCATION 45 10\nEND\nEND_VESSELS\n", ":5: expected \"LOCATION"},
        {HEAD + "PLANET earth\nBEGIN_VESSELS\nK1:Karvex\n  LOCATION -90 540 1e3\n  GROUNDVEL 1 2 3\nEND\nEND_VESSELS\n", nullptr},
        {HEAD + "PLANET earth\nBEGIN_VESSELS\nK1:Karvex\n  LOCATION -90 540 -1e3\nEND\nEND_VESSELS\n",
         ":4: \"K1\" starts 1000.00 m below the ground"},
        {HEAD + "BEGIN_VESSELS\nt:\n  PMI 1 -1 1\nEND\nEND_VESSELS\n", ":4: expected three finite numbers, none below 0"},
        {HEAD + "BEGIN_VESSELS\nt:\n  CROSS_SECTIONS 1 1 nan\nEND\nEND_VESSELS\n", ":4: expected three finite numbers, none"},
    };
    ExpectScenarios(rows);
}

// Steered vessels: what cannot be flown is refused with its line and why.
TEST_F(Catalogue, SteeringScenarioFiles)
{
    const std::string truck = HEAD + "BEGIN_VESSELS\nK1:Karvex\nEND\nt:\n  MOTION kinematic\n";
    const std::string route = truck + "  ROUTE stop rate 5\n  WAYPOINT 0 100 10\n";
    const std::pair<std::string, const char*> rows[] = {
        {route + "END\nEND_VESSELS\n", ":7: a route needs 2 waypoints or more, and this one has 1"},
        {route + "  WAYPOINT 100 100 10 5\n  TRIGGER release K1\n  REACTION turn away accel 1.96\nEND\nEND_VESSELS\n", nullptr},
        {truck + "  ROUTE hold rate 0\nEND\nEND_VESSELS\n", ":7: a turn needs a rate above 0 deg/s"},
        {truck + "  ROUTE hold accel -1\nEND\nEND_VESSELS\n", ":7: a turn needs a lateral acceleration above 0"},
        {truck + "  ROUTE sometimes rate 5\nEND\nEND_VESSELS\n", ":7: expected \"ROUTE stop|hold|loop"},
        {route + "  WAYPOINT 1 2 3\n  ROUTE hold rate 5 4\nEND\nEND_VESSELS\n", ":10: the next waypoint is 4, and the route has 2"},
        {truck + "  WAYPOINT 0 100 10\n  WAYPOINT 0 200 10\nEND\nEND_VESSELS\n", ":7: WAYPOINT lines make a route only with"},
        {truck + "  WAYPOINT 0 100 -1\nEND\nEND_VESSELS\n", ":7: a waypoint is reached at a speed above 0 m/s"},
        {truck + "  COURSE 90 -0.5\nEND\nEND_VESSELS\n", ":7: a speed cannot be below 0 m/s"},
        {truck + "  COURSE 90 5 0\nEND\nEND_VESSELS\n", ":7: a speed changes at an acceleration above 0"},
        {truck + "  WEAVE 50 0\nEND\nEND_VESSELS\n", ":7: a weave needs an amplitude and a period above 0"},
        {truck + "  TRIGGER release Nobody\n  REACTION stop\nEND\nEND_VESSELS\n", ":7: TRIGGER names \"Nobody\", which is no vessel"},
        {truck + "  TRIGGER range 0 any\n  REACTION stop\nEND\nEND_VESSELS\n", ":7: a trigger's range is above 0 m"},
        {truck + "  TRIGGER time nan\n  REACTION stop\nEND\nEND_VESSELS\n", ":7: expected \"TRIGGER time <s>\""},
        {truck + "  TRIGGER time 5\nEND\nEND_VESSELS\n", ":7: a TRIGGER needs a REACTION line"},
        {truck + "  REACTION speed -3\n  TRIGGER time 5\nEND\nEND_VESSELS\n", ":7: a speed cannot be below 0 m/s"},
        {truck + "  REACTION turn left 180 rate 5\nEND\nEND_VESSELS\n", ":7: a turn to a side is by more than 0 deg"},
        {truck + "  REACTION turn sideways rate 5\nEND\nEND_VESSELS\n", ":7: expected \"REACTION turn left|right"},
        {truck + "  REACTION stop\nEND\nEND_VESSELS\n", ":7: a REACTION needs a TRIGGER line"},
        {truck + "  PLACE 0.6 0.8 0 1 0\nEND\nEND_VESSELS\n", ":7: PLACE places a vessel over a round planet"},
        {truck + "  PLACE 0.6 0.6 0 1 0\nEND\nEND_VESSELS\n", ":7: expected \"PLACE <sin latitude>"},
        {HEAD + "BEGIN_VESSELS\nt:\n  MOTION landed\n  COURSE 0 5\nEND\nEND_VESSELS\n",
         ":5: steering lines move a kinematic vessel, and \"t\" is landed"},
    };
    ExpectScenarios(rows);
}

// Steering lines given from outside to a steered truck: taken in place of its own, or refused with
// the line and why, its steering then as it was.
TEST_F(Catalogue, SteeringFromOutside)
{
    const std::pair<std::string, const char*> rows[] = {
        {"COURSE 45 20", nullptr},
        {"  ROUTE loop accel 2\n  WAYPOINT 0 100 10\n\n  WAYPOINT 100 100 10 5\n", nullptr},
        {"TRIGGER range 500 K1\nREACTION turn away accel 5", nullptr},
        {"", nullptr},
        {"COURSE 90 -0.5", "steering:1: a speed cannot be below 0 m/s"},
        {"COURSE 90", "steering:1: expected \"COURSE"},
        {"WEAVE 10 2\nROUTE stop rate 5\nWAYPOINT 0 100 10", "steering:2: a route needs 2 waypoints or more"},
        {"WAYPOINT 0 100 10\nWAYPOINT 0 200 10", "steering:1: WAYPOINT lines make a route only with"},
        {"TRIGGER release Nobody\nREACTION stop", "steering:1: TRIGGER names \"Nobody\", which is no vessel"},
        {"REACTION stop", "steering:1: a REACTION needs a TRIGGER line"},
        {"COURSE 1 2\nPOS 1 2 3", "steering:2: a vessel is steered by COURSE, ROUTE"},
        {"PLACE 0.6 0.8 0 1 0", "steering:1: a vessel is steered by COURSE, ROUTE"},
        {"COURSE 1 2\nBEGIN_VESSELS", "steering:2: "},
        {catalogue::BIG, "steering:1: "},
    };
    ASSERT_TRUE(standin::LoadScenarioText("s.scn", HEAD + "BEGIN_VESSELS\nK1:Karvex\nEND\nt:\n  MOTION kinematic\n"
                                                           "  COURSE 90 10\nEND\nEND_VESSELS\n"))
        << standin::LastError();
    HostHandle truck = zapiGetVesselByIndex(1);
    for (const auto& [lines, error] : rows) {
        ASSERT_EQ(standin::Steer(truck, "COURSE 90 10"), "");
        const std::string why = standin::Steer(truck, lines);
        const standin::Steering& now = standin::Find(truck)->steering;
        if (error == nullptr) {
            EXPECT_EQ(why, "") << lines;
            EXPECT_EQ(now.on, !lines.empty()) << lines;
        } else {
            EXPECT_EQ(why.rfind(error, 0), 0u) << lines.substr(0, 60) << "\ngot: " << why;
            EXPECT_TRUE(now.on && now.course == 90.0 && now.speed == 10.0) << "left as it was: " << lines.substr(0, 60);
        }
    }
    EXPECT_EQ(standin::Steer(nullptr, "COURSE 1 2"), "no such vessel");
}

}  // namespace
