// The flight sequencer, driven through the host's per-step callback: release, re-hanging,
// self-activation, the guided-flight clock and steering, the flight-time limit and the motor.
#include <cmath>
#include <string>
#include <vector>

#include "bound_missile.h"
#include "host/zapi.h"
#include "missile/missile_params.h"

namespace {

class SequencerTest : public BoundMissileTest {
protected:
    /// Journal texts that begin with one of `names`, in order.
    std::vector<std::string> CallsNamed(const std::vector<std::string>& names) const
    {
        std::vector<std::string> calls;
        for (const std::string& text : JournalTexts()) {
            for (const std::string& name : names) {
                if (text.rfind(name + " ", 0) == 0) {
                    calls.push_back(text);
                }
            }
        }
        return calls;
    }

    /// Number of times `needle` occurs in `text`.
    static int Count(const std::string& text, const std::string& needle)
    {
        int count = 0;
        for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
            ++count;
        }
        return count;
    }
};

TEST_F(SequencerTest, InertMissileAtOrBelowFiveMetresDoesNothing)
{
    for (double altitude : {3.0, 5.0}) {
        PlaceAt(altitude);
        standin::Step(0.25);
        EXPECT_FALSE(missile->active) << altitude;
        EXPECT_EQ(missile->seekerState, 0) << "the seeker must not run";
        EXPECT_EQ(missile->flightTime, -1.0);
        EXPECT_EQ(missile->burnTime, -1.0);
    }
    EXPECT_EQ(BoosterLevel(), 0.0);
    EXPECT_EQ(SustainerLevel(), 0.0);
    EXPECT_TRUE(CallsNamed({"SetThrusterLevel", "SetControlSurfaceLevel", "SetPropellantMass"}).empty());
}

TEST_F(SequencerTest, FreeMissileAboveFiveMetresLaunchesInItsFirstStep)
{
    PlaceAt(std::nextafter(5.0, 6.0));
    standin::SetAttitude(handle, 0.2, 0.0, 0.0);
    standin::Step(0.125);

    EXPECT_TRUE(missile->active);
    EXPECT_TRUE(missile->armed);
    EXPECT_TRUE(missile->warhead.armed);
    EXPECT_FALSE(missile->attached);
    EXPECT_EQ(missile->pitchCommand, 0.2) << "the pitch at activation is held";
    EXPECT_EQ(missile->seekerState, 0) << "the seeker centred in the same step";
    EXPECT_EQ(missile->flightTime, 0.125);
    EXPECT_EQ(missile->burnTime, 0.125);
    EXPECT_EQ(BoosterLevel(), 1.0);
    EXPECT_EQ(SustainerLevel(), 1.0);
}

TEST_F(SequencerTest, ReleaseWhileArmedStartsBothClocksAndTheMotor)
{
    Hang(CreateLauncher());
    missile->Activate();
    missile->Arm();
    standin::Step(0.125);
    EXPECT_TRUE(missile->attached);
    EXPECT_EQ(missile->flightTime, -1.0);
    EXPECT_EQ(missile->burnTime, -1.0);

    Release();
    standin::SetAttitude(handle, 0.1, 0.1, 0.0);
    missile->yawCommand = 0.05;
    standin::ClearJournal();
    standin::Step(0.125);

    EXPECT_FALSE(missile->attached);
    EXPECT_EQ(missile->flightTime, 0.125);
    EXPECT_EQ(missile->burnTime, 0.125);
    EXPECT_EQ(BoosterLevel(), 1.0);
    EXPECT_EQ(SustainerLevel(), 1.0);

    // One status query, then the altitude; the laws roll, pitch, yaw; then the motor, sustainer first.
    std::vector<std::string> texts = JournalTexts();
    size_t status = 0;
    while (status < texts.size() && texts[status] != "GetAttachmentStatus A0") {
        ++status;
    }
    ASSERT_LT(status + 1, texts.size());
    EXPECT_EQ(texts[status + 1], "GetAltitude");
    std::vector<std::string> calls = CallsNamed(
        {"GetAttachmentStatus", "SetControlSurfaceLevel", "GetPropellantMass", "SetThrusterLevel", "SetPropellantMass"});
    ASSERT_EQ(calls.size(), 7u) << ::testing::PrintToString(calls);
    EXPECT_EQ(calls[0], "GetAttachmentStatus A0");
    EXPECT_EQ(calls[1].rfind("SetControlSurfaceLevel 2 ", 0), 0u) << calls[1];
    EXPECT_EQ(calls[2].rfind("SetControlSurfaceLevel 0 ", 0), 0u) << calls[2];
    EXPECT_EQ(calls[3].rfind("SetControlSurfaceLevel 1 ", 0), 0u) << calls[3];
    EXPECT_EQ(calls[4], "GetPropellantMass R0");
    EXPECT_EQ(calls[5], "SetThrusterLevel T1 1");
    EXPECT_EQ(calls[6], "SetThrusterLevel T0 1");
}

TEST_F(SequencerTest, ReleaseWhileSafeLeavesTheMissileInert)
{
    // Once never armed, once safed after arming: the warhead's own arming stays, the flight does not start.
    for (bool armFirst : {false, true}) {
        HostHandle launcher = CreateLauncher();
        Hang(launcher);
        missile->Activate();
        standin::Step(0.125);
        if (armFirst) {
            missile->Arm();
            EXPECT_EQ(missile->Safe(), 0);
        }
        Release();
        standin::Step(0.125);
        EXPECT_FALSE(missile->attached);
        EXPECT_FALSE(missile->armed);
        EXPECT_EQ(missile->warhead.armed, armFirst);
        EXPECT_EQ(missile->flightTime, -1.0);
        EXPECT_EQ(missile->burnTime, -1.0);
        EXPECT_EQ(BoosterLevel(), 0.0);
        EXPECT_EQ(SustainerLevel(), 0.0);
    }
}

TEST_F(SequencerTest, HangingAMissileWhoseMotorRanRefillsAndStopsTheClocks)
{
    missile->burnTime = 2.0;
    missile->flightTime = 4.0;
    standin::FindResource(handle, missile->propellant)->mass = 10.0;
    standin::FindThruster(handle, missile->sustainerThruster)->level = 1.0;
    Hang(CreateLauncher());
    standin::Step(0.125);

    EXPECT_TRUE(missile->attached);
    EXPECT_EQ(missile->burnTime, -1.0);
    EXPECT_EQ(missile->flightTime, -1.0);
    EXPECT_EQ(Propellant(), PROPELLANT_MASS);
    EXPECT_EQ(CallsNamed({"SetPropellantMass"}), std::vector<std::string>{"SetPropellantMass R0 59.3216300466521"});
    // Levels stay as they were; nothing on the launcher switches the sustainer off.
    EXPECT_EQ(BoosterLevel(), 0.0);
    EXPECT_EQ(SustainerLevel(), 1.0);
}

TEST_F(SequencerTest, HangingAnUnlitMissileOnlyMarksItAttached)
{
    standin::FindResource(handle, missile->propellant)->mass = 10.0;
    Hang(CreateLauncher());
    standin::Step(0.125);
    EXPECT_TRUE(missile->attached);
    EXPECT_EQ(Propellant(), 10.0);
    EXPECT_TRUE(CallsNamed({"SetPropellantMass", "SetThrusterLevel"}).empty());
}

TEST_F(SequencerTest, MissileCarriedAboveFiveMetresActivatesThenWaitsForRelease)
{
    PlaceAt(20.0);
    Hang(CreateLauncher());
    standin::Step(0.125);
    EXPECT_TRUE(missile->active);
    EXPECT_TRUE(missile->armed);
    EXPECT_FALSE(missile->attached);
    EXPECT_EQ(missile->flightTime, 0.125);
    EXPECT_EQ(missile->burnTime, 0.125);
    EXPECT_EQ(BoosterLevel(), 1.0);
    EXPECT_EQ(SustainerLevel(), 1.0);

    standin::Step(0.125);
    EXPECT_TRUE(missile->attached);
    EXPECT_EQ(missile->flightTime, -1.0);
    EXPECT_EQ(missile->burnTime, -1.0);
    EXPECT_EQ(Propellant(), PROPELLANT_MASS);
    EXPECT_EQ(BoosterLevel(), 1.0) << "left burning on the launcher";
    EXPECT_EQ(SustainerLevel(), 1.0);

    standin::Step(0.125);
    EXPECT_TRUE(missile->attached);
    EXPECT_EQ(missile->flightTime, -1.0);
    EXPECT_EQ(missile->burnTime, -1.0);

    Release();
    standin::Step(0.125);
    EXPECT_FALSE(missile->attached);
    EXPECT_EQ(missile->flightTime, 0.125);
    EXPECT_EQ(missile->burnTime, 0.125);
}

TEST_F(SequencerTest, BoosterBurnsUpToOneAndAHalfSecondsAndTheSustainerOn)
{
    missile->burnTime = 1.25;
    standin::Step(0.25);
    EXPECT_EQ(missile->burnTime, 1.5);
    EXPECT_EQ(BoosterLevel(), 1.0);
    EXPECT_EQ(SustainerLevel(), 1.0);

    standin::Step(0.25);
    EXPECT_EQ(missile->burnTime, 1.75);
    EXPECT_EQ(BoosterLevel(), 0.0);
    EXPECT_EQ(SustainerLevel(), 1.0);
    EXPECT_EQ(missile->flightTime, -1.0) << "the motor clock alone starts no guided flight";
}

TEST_F(SequencerTest, MotorClockStopsOnceThePropellantIsGone)
{
    // The host drains the last few grams in this step; the motor branch then finds 0 and is skipped.
    missile->burnTime = 2.0;
    standin::FindResource(handle, missile->propellant)->mass = 0.001;
    standin::FindThruster(handle, missile->sustainerThruster)->level = 1.0;
    standin::Step(0.25);
    EXPECT_EQ(Propellant(), 0.0);
    EXPECT_EQ(missile->burnTime, 2.0);
    EXPECT_EQ(CallsNamed({"GetPropellantMass", "SetThrusterLevel"}),
              std::vector<std::string>{"GetPropellantMass R0"});
    EXPECT_EQ(SustainerLevel(), 1.0);
    EXPECT_EQ(BoosterLevel(), 0.0);
}

TEST_F(SequencerTest, SteeringWaitsUntilPastThreeSecondsThenFliesTheGlidePitch)
{
    standin::SetVelocity(handle, {0.0, 0.0, 200.0});
    missile->flightTime = 2.75;
    missile->pitchCommand = 0.05;
    missile->yawCommand = 0.01;
    standin::Step(0.25);
    EXPECT_EQ(missile->flightTime, 3.0);
    EXPECT_EQ(missile->pitchCommand, 0.05);
    EXPECT_EQ(missile->yawCommand, 0.01);

    standin::Step(0.25);
    EXPECT_EQ(missile->flightTime, 3.25);
    const double glide = missile->GlidePitch();
    ASSERT_FALSE(std::isnan(glide));
    EXPECT_EQ(missile->pitchCommand, glide) << "the glide pitch alone, an absolute pitch";
    EXPECT_EQ(missile->yawCommand, 0.0);
}

TEST_F(SequencerTest, WithALockPitchAndYawFollowTheSeeker)
{
    // The seeker is not running (inactive), so the lock and the look angles stay as set here.
    standin::SetVelocity(handle, {0.0, 0.0, 200.0});
    standin::SetAttitude(handle, 0.1, 0.0, 0.0);
    missile->flightTime = 3.0;
    missile->targetLocked = true;
    missile->seekerAz = 0.03;
    missile->seekerEl = -0.02;
    standin::Step(0.25);
    const double glide = missile->GlidePitch();
    ASSERT_FALSE(std::isnan(glide));
    EXPECT_EQ(missile->pitchCommand, 0.1 + glide + -0.02);
    EXPECT_EQ(missile->yawCommand, 0.03);
}

TEST_F(SequencerTest, FlightTimeLimitIgnitesTheWarheadOnceAndRepeatsTheMessage)
{
    missile->flightTime = 115.25;
    standin::Step(0.25);
    EXPECT_EQ(missile->flightTime, 115.5);
    EXPECT_FALSE(missile->warhead.ignited) << "exactly at the limit is not past it";
    EXPECT_STREQ(zapiDebugString(), "");

    standin::Step(0.25);
    EXPECT_TRUE(missile->warhead.ignited);
    EXPECT_STREQ(zapiDebugString(), "K1: Exceeded flight time limit of 115.5 seconds");
    EXPECT_EQ(Count(DebugLog(), "Ignited Warhead of vessel K1"), 1);

    // Short steps while the charge burns: the message comes back, the ignition does not.
    zapiDebugString()[0] = '\0';
    standin::ClearJournal();
    standin::Step(0.01);
    EXPECT_STREQ(zapiDebugString(), "K1: Exceeded flight time limit of 115.5 seconds");
    EXPECT_EQ(Count(DebugLog(), "Ignited Warhead of vessel K1"), 1);
    EXPECT_TRUE(CallsNamed({"AddExhaustStream"}).empty());
}

TEST_F(SequencerTest, FlightTimeMessageIsCutAtTheEndOfTheDebugString)
{
    const std::string name(240, 'x');
    standin::Find(handle)->name = name;
    missile->flightTime = 116.0;
    standin::Step(0.25);
    const std::string text = zapiDebugString();
    EXPECT_EQ(text.size(), ZAPI_DEBUG_STRING_SIZE - 1);
    EXPECT_EQ(text, name + ": Exceeded flig");
}

}  // namespace
