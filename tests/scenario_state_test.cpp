// The missile's scenario state: "BURNTIME" written on save and read back on load; every other
// line is the host's.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/zapi.h"
#include "missile/guided_missile.h"
#include "module_missile.h"
#include "test_support.h"

namespace {

class ScenarioStateTest : public WorldTest {
protected:
    /// Writes a scenario holding one missile "K1" whose block carries `lines`, and loads it;
    /// returns the loaded missile, or null when the host refused the file.
    GuidedMissile* LoadMissileWith(const std::vector<std::string>& lines)
    {
        {
            std::ofstream out("lines.scn");
            out << "ZELVAR-STANDIN-SCENARIO 1\nTIME 0\nBEGIN_VESSELS\nK1:Karvex\n";
            for (const std::string& line : lines) {
                out << "  " << line << "\n";
            }
            out << "END\nEND_VESSELS\n";
        }
        ResetWorld();
        if (!standin::LoadScenario("lines.scn")) {
            ADD_FAILURE() << standin::LastError();
            return nullptr;
        }
        return ModuleMissile(zapiGetVesselByIndex(0));
    }

    /// Journal texts of the calls the host's line parser received.
    std::vector<std::string> HostLines() const
    {
        std::vector<std::string> parsed;
        for (const std::string& text : JournalTexts()) {
            if (text.rfind("ParseScenarioLineEx ", 0) == 0) {
                parsed.push_back(text);
            }
        }
        return parsed;
    }
};

TEST_F(ScenarioStateTest, SaveWritesTheMotorClockAndNothingElse)
{
    CreateKarvexAt("K1", {0.0, 3.0, 0.0});
    standin::ClearJournal();
    ASSERT_TRUE(standin::SaveScenario("saved.scn")) << standin::LastError();
    EXPECT_EQ(JournalTexts(), std::vector<std::string>{"zapiWriteScenario_float N0 \"BURNTIME\" -1"});

    std::ifstream in("saved.scn");
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("  BURNTIME -1\nEND\n"), std::string::npos) << text.str();
}

TEST_F(ScenarioStateTest, MotorClockSurvivesASaveAndLoad)
{
    HostHandle vessel = CreateKarvexAt("K1", {0.0, 3.0, 0.0});
    ModuleMissile(vessel)->burnTime = 1.0 / 3.0;
    ModuleMissile(vessel)->flightTime = 5.0;
    ASSERT_TRUE(standin::SaveScenario("saved.scn")) << standin::LastError();

    ResetWorld();
    ASSERT_TRUE(standin::LoadScenario("saved.scn")) << standin::LastError();
    ASSERT_EQ(zapiGetVesselCount(), 1u);
    GuidedMissile* loaded = ModuleMissile(zapiGetVesselByIndex(0));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->burnTime, 1.0 / 3.0);
    EXPECT_EQ(loaded->flightTime, -1.0) << "only the motor clock is carried over";
    EXPECT_EQ(standin::Find(zapiGetVesselByIndex(0))->state.pos.y, 3.0) << "host lines reach the host";
}

TEST_F(ScenarioStateTest, BurnTimeKeyIsReadInAnyCaseWithBlanksBeforeTheNumber)
{
    GuidedMissile* missile = LoadMissileWith({"POS 0 3 0", "burntime 12.5", "ATT 0 0 0"});
    ASSERT_NE(missile, nullptr);
    EXPECT_EQ(missile->burnTime, 12.5);
    EXPECT_EQ(HostLines(), (std::vector<std::string>{"ParseScenarioLineEx \"POS 0 3 0\"",
                                                     "ParseScenarioLineEx \"ATT 0 0 0\""}));

    missile = LoadMissileWith({"BurnTime  \t -0.25"});
    ASSERT_NE(missile, nullptr);
    EXPECT_EQ(missile->burnTime, -0.25);
}

TEST_F(ScenarioStateTest, UnreadableOrNonFiniteBurnTimeKeepsTheValueAndStaysWithTheMissile)
{
    for (const char* line : {"BURNTIME", "BURNTIME x", "BURNTIMEX 3", "BURNTIME nan", "BURNTIME inf",
                             "BURNTIME -Infinity", "BURNTIME 1e999"}) {
        GuidedMissile* missile = LoadMissileWith({"BURNTIME 4.5", line});
        ASSERT_NE(missile, nullptr) << line;
        EXPECT_EQ(missile->burnTime, 4.5) << line;
        EXPECT_TRUE(HostLines().empty()) << line;
    }
}

}  // namespace
