// The warhead in action on a small weapon driven through the stand-in host: ignition, burn-out,
// the reactions to contact and the weapon's removal.
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "warhead_fixture.h"

namespace {

using warhead_test::Carrier;
using warhead_test::Count;
using warhead_test::Texts;
using warhead_test::WarheadTest;

TEST_F(WarheadTest, IgnitionHappensOnce)
{
    Carrier& carrier = MakeCarrier();
    Warhead& w = carrier.warhead;
    SetUpClass(carrier);
    standin::SetSimTime(3.25);
    const size_t first = standin::Journal().size();

    w.Ignite();

    EXPECT_TRUE(w.ignited);
    EXPECT_FALSE(w.armed);
    EXPECT_STREQ(zapiDebugString(), "Karvex:WARHEAD:IGNITION");
    EXPECT_EQ(DebugLog(), "Ignited Warhead of vessel Karvex at 3.250000s.\n");
    const Texts texts = JournalTextsFrom(first);
    EXPECT_EQ(Count(texts, "CreatePropellantResource"), 0u);
    EXPECT_EQ(Count(texts, "CreateThruster"), 0u);
    EXPECT_EQ(Count(texts, "AddExhaustStream"), 64u);
    EXPECT_EQ(Count(texts, "SetThrusterLevel"), 32u);
    const standin::Vessel* vessel = standin::Find(carrier.GetHandle());
    ASSERT_NE(vessel, nullptr);
    EXPECT_EQ(vessel->thrusters.size(), 32u);
    EXPECT_EQ(vessel->streams.size(), 128u);
    for (const standin::Thruster& t : vessel->thrusters) {
        EXPECT_EQ(t.level, 1.0);
    }

    std::strcpy(zapiDebugString(), "other");
    const size_t second = standin::Journal().size();
    w.Ignite();
    EXPECT_EQ(standin::Journal().size(), second);
    EXPECT_STREQ(zapiDebugString(), "other");
    EXPECT_EQ(DebugLog(), "Ignited Warhead of vessel Karvex at 3.250000s.\n");
    EXPECT_EQ(vessel->streams.size(), 128u);
}

TEST_F(WarheadTest, LongVesselNameIsCutToTheDebugString)
{
    const std::string name(300, 'n');
    Carrier& carrier = MakeCarrier(1000.0, name);
    SetUpClass(carrier);

    carrier.warhead.Ignite();

    const std::string expected = (name + ":WARHEAD:IGNITION").substr(0, ZAPI_DEBUG_STRING_SIZE - 1);
    EXPECT_EQ(std::string(zapiDebugString()), expected);
    // The log line has no such limit.
    EXPECT_EQ(DebugLog(), "Ignited Warhead of vessel " + name + " at 0.000000s.\n");
}

TEST_F(WarheadTest, UnarmedGroundContactRemovesTheWeaponWithoutIgnition)
{
    // Size 1.25 m: level at 1.75 m or lower touches the ground.
    Carrier& carrier = MakeCarrier(1.75);
    SetUpClass(carrier);
    const HostHandle vessel = carrier.GetHandle();
    const size_t first = standin::Journal().size();

    standin::Step(0.01);

    EXPECT_EQ(standin::Find(vessel), nullptr);
    EXPECT_FALSE(carrier.warhead.ignited);
    EXPECT_EQ(Count(JournalTextsFrom(first), "SetThrusterLevel"), 0u);
    EXPECT_STREQ(zapiDebugString(), "");
    EXPECT_EQ(DebugLog(), "Confirm finalize of Karvex at 0.010000s.\n");
}

TEST_F(WarheadTest, ArmedGroundContactIgnitesBurnsTheChargeAndRemovesTheWeapon)
{
    Carrier& carrier = MakeCarrier(1.0);
    Warhead& w = carrier.warhead;
    SetUpClass(carrier);
    w.Arm();
    const HostHandle vessel = carrier.GetHandle();

    standin::Step(0.01);
    EXPECT_TRUE(w.ignited);
    EXPECT_NE(standin::Find(vessel), nullptr);
    EXPECT_EQ(DebugLog(), "Ignited Warhead of vessel Karvex at 0.010000s.\n");

    // 32 x 625 x 136.4 N at 2000 m/s draw 1364 kg/s: half the charge in 0.05 s.
    standin::Step(0.05);
    EXPECT_NEAR(carrier.GetPropellantMass(w.chargeResource), 68.2, 1e-9);
    EXPECT_NE(standin::Find(vessel), nullptr);
    EXPECT_FALSE(carrier.finalizeRequested);

    standin::Step(0.06);
    EXPECT_EQ(standin::Find(vessel), nullptr);
    EXPECT_EQ(DebugLog(),
              "Ignited Warhead of vessel Karvex at 0.010000s.\n"
              "Finalize vessel Karvex at 0.120000s.\nReason: Warhead fully burned.\n"
              "Confirm finalize of Karvex at 0.120000s.\n");
}

// Without a log to write to, or without the host records it asked for, the warhead still ignites,
// burns out and has its weapon removed; it only skips what it cannot do.
TEST_F(WarheadTest, IgnitesAndBurnsOutWithoutLogOrHostRecords)
{
    ASSERT_EQ(mkdir("Debug.log", 0755), 0);
    Carrier& carrier = MakeCarrier(1.0);
    SetUpClass(carrier);
    carrier.warhead.Arm();
    const HostHandle vessel = carrier.GetHandle();
    standin::Step(0.01);
    EXPECT_TRUE(carrier.warhead.ignited);
    EXPECT_EQ(standin::FindThruster(vessel, carrier.warhead.blastThrusters[0])->level, 1.0);
    standin::Step(0.2);
    EXPECT_EQ(standin::Find(vessel), nullptr) << "burned out and removed, with nothing logged";

    // A weapon whose vessel is gone before its set-up gets no records back: ignition adds no
    // streams and sets no level, and asks nothing of the gone vessel that could fail.
    Carrier& orphan = MakeCarrier(1000.0, "orphan");
    zapiDeleteVessel(orphan.GetHandle(), nullptr);
    standin::Step(0.01);
    SetUpClass(orphan);
    EXPECT_EQ(orphan.warhead.blastThrusters[0], nullptr);
    const size_t first = standin::Journal().size();
    orphan.warhead.Ignite();
    EXPECT_TRUE(orphan.warhead.ignited);
    EXPECT_EQ(Count(JournalTextsFrom(first), "SetThrusterLevel"), 0u);
    EXPECT_EQ(Count(JournalTextsFrom(first), "AddExhaustStream"), 0u);
}

TEST_F(WarheadTest, OnlyAnEmptyChargeIsBurnedOut)
{
    Carrier& carrier = MakeCarrier();
    Warhead& w = carrier.warhead;
    SetUpClass(carrier);

    // Not ignited: an empty charge means nothing, and nothing is asked of the host.
    carrier.SetPropellantMass(w.chargeResource, 0.0);
    size_t first = standin::Journal().size();
    w.PostStep(0.0, 0.0);
    EXPECT_EQ(standin::Journal().size(), first);
    EXPECT_FALSE(carrier.finalizeRequested);

    carrier.SetPropellantMass(w.chargeResource, 0.000001);
    w.Ignite();
    const std::string ignition = DebugLog();
    w.PostStep(0.0, 0.0);
    EXPECT_FALSE(carrier.finalizeRequested);
    EXPECT_EQ(DebugLog(), ignition);

    carrier.SetPropellantMass(w.chargeResource, 0.0);
    w.PostStep(0.0, 0.0);
    EXPECT_TRUE(carrier.finalizeRequested);
    EXPECT_EQ(DebugLog(), ignition + "Finalize vessel Karvex at 0.000000s.\nReason: Warhead fully burned.\n");
}

TEST_F(WarheadTest, UnarmedWarheadIgnitedInFlightIsRemovedAtTouchdownBeforeBurningOut)
{
    Carrier& carrier = MakeCarrier();
    Warhead& w = carrier.warhead;
    SetUpClass(carrier);
    w.Ignite();
    standin::SetPosition(carrier.GetHandle(), {0.0, 1.0, 0.0});

    standin::Step(0.01);

    EXPECT_EQ(standin::Find(carrier.GetHandle()), nullptr);
    EXPECT_EQ(DebugLog(),
              "Ignited Warhead of vessel Karvex at 0.000000s.\n"
              "Confirm finalize of Karvex at 0.010000s.\n");
}

TEST_F(WarheadTest, ContactReactionsFollowArmingAndIgnition)
{
    Carrier& safe = MakeCarrier(1000.0, "safe");
    safe.warhead.OnImpact(0.0);
    EXPECT_TRUE(safe.finalizeRequested);
    EXPECT_FALSE(safe.warhead.ignited);

    Carrier& armed = MakeCarrier(1000.0, "armed");
    armed.warhead.Arm();
    armed.warhead.OnImpact(1.0);
    EXPECT_FALSE(armed.warhead.ignited);
    armed.warhead.OnImpact(1.01);
    EXPECT_TRUE(armed.warhead.ignited);
    armed.warhead.OnGroundContact();
    armed.warhead.OnImpact(50.0);
    EXPECT_FALSE(armed.finalizeRequested);

    // Ignited by the flight-time limit while unarmed: touching the ground still removes it.
    Carrier& dud = MakeCarrier(1000.0, "dud");
    dud.warhead.Ignite();
    EXPECT_FALSE(dud.finalizeRequested);
    dud.warhead.OnGroundContact();
    EXPECT_TRUE(dud.finalizeRequested);
}

TEST_F(WarheadTest, TouchingAnotherVesselNeitherIgnitesNorRemoves)
{
    // A launcher holds its weapon in contact every step; that must not set the warhead off.
    Carrier& carrier = MakeCarrier();
    SetUpClass(carrier);
    carrier.warhead.Arm();
    standin::VesselDesc launcher;
    launcher.emptyMass = 1000.0;
    launcher.pos = {0.0, 1000.0, 1.0};
    launcher.vel = {0.0, 0.0, -30.0};
    standin::SetPinned(standin::CreateBody(launcher), true);

    standin::Step(0.1);

    EXPECT_TRUE(carrier.vesselContact);
    EXPECT_GT(carrier.impactSpeed, 1.0);
    EXPECT_FALSE(carrier.warhead.ignited);
    EXPECT_NE(standin::Find(carrier.GetHandle()), nullptr);
}

}  // namespace
