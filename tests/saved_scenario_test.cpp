// A scenario saved mid-flight loads to the same host state, bit for bit, over either planet.
#include <cstring>
#include <string>
#include <vector>

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
