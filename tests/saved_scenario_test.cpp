// A scenario saved mid-flight loads to the same host state, bit for bit, over either planet.
#include <cstring>
#include <string>
#include <vector>

#include "physics/geodesy.h"
#include "test_support.h"

namespace {

class SavedScenario : public WorldTest {
protected:
    /// Loads scenario `path`, flies 8 s, saves, loads the save and compares the states.
    void SaveAndLoad(const char* path);
};

// A scenario saved mid-flight loads to the same host state, bit for bit, and saves to the same file,
// over the flat ground and over the Earth.
TEST_F(SavedScenario, LoadsToTheSameStateBitForBit)
{
    for (const char* name : {"/reference_flat.scn", "/reference.scn"}) {
        SCOPED_TRACE(name);
        ResetWorld();
        SaveAndLoad((std::string(KARVEX_SCENARIO_DIR) + name).c_str());
    }
}

// A planet's parameters changed in the file are the world's, and a save writes them back to the bit:
// here a sphere of 6,371 km with central gravity that does not turn.
TEST_F(SavedScenario, KeepsThePlanetItWasGiven)
{
    const std::string text = "ZELVAR-STANDIN-SCENARIO 1\nPLANET earth\nPLANET_RADIUS 6371000\nPLANET_FLATTENING 0\n"
                             "PLANET_J2 0\nPLANET_ROTATION 0\nBEGIN_VESSELS\nBall:\n  LOCATION 0 90 0\nEND\nEND_VESSELS\n";
    ASSERT_TRUE(standin::LoadScenarioText("sphere.scn", text)) << standin::LastError();
    const physics::Planet sphere{true, 6371000.0, 0.0, physics::EARTH.gm, 0.0, 0.0};
    for (int pass = 0; pass < 2; ++pass) {
        const physics::Planet& p = standin::PhysicsSettings().planet;
        SCOPED_TRACE(pass);
        EXPECT_TRUE(p.round);
        const double given[] = {p.radius, p.flattening, p.gm, p.j2, p.rotation};
        const double wanted[] = {sphere.radius, sphere.flattening, sphere.gm, sphere.j2, sphere.rotation};
        EXPECT_EQ(std::memcmp(given, wanted, sizeof given), 0);
        VECTOR3 pos{};
        zapiGetGlobalPos(zapiGetVesselByIndex(0), pos);
        EXPECT_EQ(pos.z, 6371000.0) << "longitude 90 east, on the sphere";
        EXPECT_NEAR(pos.x, 0.0, 1e-9);
        ASSERT_TRUE(standin::SaveScenario("sphere_saved.scn"));
        ResetWorld();
        ASSERT_TRUE(standin::LoadScenario("sphere_saved.scn")) << standin::LastError();
    }
}

void SavedScenario::SaveAndLoad(const char* path)
{
    ASSERT_TRUE(standin::LoadScenario(path)) << standin::LastError();
    for (int i = 0; i < 800; ++i) {
        standin::Step(0.01);
    }
    ASSERT_TRUE(standin::SaveScenario("mid.scn")) << standin::LastError();
    std::vector<standin::Vessel> before;
    for (unsigned int i = 0; i < zapiGetVesselCount(); ++i) {
        before.push_back(*standin::Find(zapiGetVesselByIndex(static_cast<int>(i))));
    }
    ResetWorld();
    ASSERT_TRUE(standin::LoadScenario("mid.scn")) << standin::LastError();
    ASSERT_EQ(zapiGetVesselCount(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        const standin::Vessel& a = before[i];
        const standin::Vessel& b = *standin::Find(zapiGetVesselByIndex(static_cast<int>(i)));
        SCOPED_TRACE(a.name);
        EXPECT_EQ(std::memcmp(&a.state.pos, &b.state.pos, sizeof a.state.pos), 0);
        EXPECT_EQ(std::memcmp(&a.state.vel, &b.state.vel, sizeof a.state.vel), 0);
        EXPECT_EQ(std::memcmp(&a.state.rot, &b.state.rot, sizeof a.state.rot), 0);
        EXPECT_EQ(std::memcmp(&a.state.angVel, &b.state.angVel, sizeof a.state.angVel), 0);
        EXPECT_EQ(a.motion, b.motion);
        ASSERT_EQ(a.resources.size(), b.resources.size());
        for (size_t k = 0; k < a.resources.size(); ++k) {
            EXPECT_EQ(a.resources[k].mass, b.resources[k].mass);
        }
        ASSERT_EQ(a.thrusters.size(), b.thrusters.size());
        for (size_t k = 0; k < a.thrusters.size(); ++k) {
            EXPECT_EQ(a.thrusters[k].level, b.thrusters[k].level);
        }
    }
    EXPECT_NE(before[1].state.anglesExact, true) << "an integrated attitude, not one set by hand";
    ASSERT_TRUE(standin::SaveScenario("again.scn"));
    EXPECT_EQ(ReadFile("mid.scn"), ReadFile("again.scn"));
}

}  // namespace
