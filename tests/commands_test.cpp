// "WEAPON::" commands from launchers and the two launch keys.
#include <cstring>
#include <memory>
#include <string>

#include "bound_missile.h"
#include "missile/text_prefix.h"

namespace {

class CommandsTest : public BoundMissileTest {
protected:
    /// Sends `text` from a heap buffer of exactly its length, so a read past its end is caught.
    int Command(const std::string& text)
    {
        std::unique_ptr<char[]> exact(new char[text.size() + 1]);
        std::memcpy(exact.get(), text.c_str(), text.size() + 1);
        return missile->ProcessCommand(exact.get(), 0);
    }

    /// Hangs the missile on a new launcher and lets the sequencer notice it.
    void HangAndStep()
    {
        Hang(CreateLauncher());
        standin::Step(0.125);
        ASSERT_TRUE(missile->attached);
    }

    /// Sends the press (`down`) or release of `key` with the key-state table `keys` (none held by default).
    int Key(unsigned int key, bool down, char* keys = nullptr)
    {
        return missile->clbkConsumeBufferedKey(key, down, keys != nullptr ? keys : noKeys);
    }

    char noKeys[ZAPI_KEYSTATE_SIZE]{};
};

TEST_F(CommandsTest, CommandTextsAndTheirResults)
{
    // Texts that reach no state operation (ARM on an inactive missile is refused and changes nothing).
    const struct {
        const char* text;
        int result;
    } cases[] = {
        {"WEAPON::GETTYPE", 1},
        {"weapon::getType", 1},
        {"Weapon::GETTYPEX", 1},
        {"WEAPON:ARM", 0},
        {"WEAPON:", 0},
        {"WEAP", 0},
        {"", 0},
        {"LAUNCHER::ARM", 0},
        {"WEAPON::", -1},
        {"WEAPON::AR", -1},
        {"WEAPON::GET", -1},
        {"WEAPON::FIRE", -1},
        {"WEAPON:: ARM", -1},
        {"WEAPON::ARM", -2},
        {"weapon::armed", -2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Command(c.text), c.result) << '"' << c.text << '"';
    }
    EXPECT_FALSE(missile->active);
    EXPECT_FALSE(missile->armed);
    EXPECT_FALSE(missile->warhead.armed);
    EXPECT_EQ(missile->ProcessCommand(nullptr, 0), 0);
    EXPECT_FALSE(missile->active);
}

// Only ASCII letters fold: the bytes just above 'z' are not the punctuation 32 below them.
TEST(TextPrefix, OnlyLettersFoldTheirCase)
{
    EXPECT_TRUE(StartsWithNoCase("weapon::arm", "WEAPON::"));
    EXPECT_TRUE(StartsWithNoCase("WEAPON::", "weapon::"));
    EXPECT_FALSE(StartsWithNoCase("~", "^"));
    EXPECT_FALSE(StartsWithNoCase("^", "~"));
    EXPECT_FALSE(StartsWithNoCase("{", "["));
    EXPECT_FALSE(StartsWithNoCase("\x7f", "_"));
    EXPECT_FALSE(StartsWithNoCase("WEAPON:", "WEAPON::")) << "a text shorter than the prefix";
}

TEST_F(CommandsTest, ActivateThenArmArmsMissileAndWarhead)
{
    EXPECT_EQ(Command("WEAPON::ARM"), -2);
    EXPECT_FALSE(missile->armed);

    EXPECT_EQ(Command("weapon::Activate"), 0);
    EXPECT_TRUE(missile->active);
    EXPECT_EQ(missile->seekerState, -4);

    EXPECT_EQ(Command("WEAPON::ARMED"), 0) << "text after the keyword is ignored";
    EXPECT_TRUE(missile->armed);
    EXPECT_TRUE(missile->warhead.armed);
}

TEST_F(CommandsTest, ActivateOnAnActiveMissileRestartsTheSeeker)
{
    EXPECT_EQ(Command("WEAPON::ACTIVATE"), 0);
    standin::Step(0.125);
    ASSERT_NE(missile->seekerState, -4);
    EXPECT_EQ(Command("WEAPON::ACTIVATE"), 0);
    EXPECT_EQ(missile->seekerState, -4);
}

TEST_F(CommandsTest, SafeRefusedWhileFreeAndDisarmsWhileAttached)
{
    missile->Activate();
    missile->Arm();
    EXPECT_EQ(Command("WEAPON::SAFE"), -1);
    EXPECT_TRUE(missile->armed);

    HangAndStep();
    EXPECT_EQ(Command("Weapon::Safe"), 0);
    EXPECT_FALSE(missile->armed);
    EXPECT_TRUE(missile->warhead.armed) << "safing keeps the warhead's own arming";

    Release();
    standin::Step(0.125);
    EXPECT_EQ(missile->flightTime, -1.0);
    EXPECT_EQ(missile->burnTime, -1.0);
}

TEST_F(CommandsTest, LaunchKeyActsOnReleaseOnly)
{
    EXPECT_EQ(Key(0x17, true), 0);
    EXPECT_EQ(missile->burnTime, -1.0);

    // Inactive: arming is refused, the motor lights all the same.
    EXPECT_EQ(Key(0x17, false), 1);
    EXPECT_EQ(missile->burnTime, 0.0);
    EXPECT_FALSE(missile->armed);
    EXPECT_EQ(missile->flightTime, -1.0);

    missile->Activate();
    missile->burnTime = 3.0;
    EXPECT_EQ(Key(0x17, false), 1);
    EXPECT_EQ(missile->burnTime, 0.0);
    EXPECT_TRUE(missile->armed);
    EXPECT_TRUE(missile->warhead.armed);
}

TEST_F(CommandsTest, ActivateKeyActsOnReleaseOnlyAndOnce)
{
    EXPECT_EQ(Key(0x18, true), 0);
    EXPECT_FALSE(missile->active);

    EXPECT_EQ(Key(0x18, false), 1);
    EXPECT_TRUE(missile->active);
    EXPECT_EQ(missile->seekerState, -4);

    missile->seekerState = 1;
    EXPECT_EQ(Key(0x18, false), 1);
    EXPECT_EQ(missile->seekerState, 1) << "an active seeker is not restarted";
}

TEST_F(CommandsTest, OnlyShiftOrCtrlHeldLetsTheKeysPass)
{
    for (unsigned int modifier : {0x2Au, 0x36u, 0x1Du, 0x9Du}) {
        char keys[ZAPI_KEYSTATE_SIZE]{};
        keys[modifier] = static_cast<char>(0x80);
        for (unsigned int key : {0x17u, 0x18u}) {
            EXPECT_EQ(Key(key, false, keys), 0) << std::hex << modifier << " " << key;
        }
    }
    EXPECT_FALSE(missile->active);
    EXPECT_EQ(missile->burnTime, -1.0);

    // Alt held, and Shift's entry with every bit but the held bit: neither blocks the key.
    char keys[ZAPI_KEYSTATE_SIZE]{};
    keys[0x38] = static_cast<char>(0x80);
    keys[0xB8] = static_cast<char>(0x80);
    keys[0x2A] = 0x7F;
    EXPECT_EQ(Key(0x18, false, keys), 1);
    EXPECT_TRUE(missile->active);
    EXPECT_EQ(missile->clbkConsumeBufferedKey(0x17, false, nullptr), 1) << "no table: no modifier held";
    EXPECT_EQ(missile->burnTime, 0.0);
}

TEST_F(CommandsTest, OtherKeysAreNotConsumed)
{
    for (unsigned int key : {0x00u, 0x16u, 0x19u, 0x117u, 0xFFFFFFFFu}) {
        EXPECT_EQ(Key(key, false), 0) << key;
        EXPECT_EQ(Key(key, true), 0) << key;
    }
    EXPECT_FALSE(missile->active);
    EXPECT_EQ(missile->burnTime, -1.0);
}

}  // namespace
