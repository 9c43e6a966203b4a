// The warhead on a small weapon driven through the stand-in host: its streams, the balanced
// blast pattern, ignition, burn-out and the weapon's removal.
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/zapi.h"
#include "test_support.h"
#include "weapon/warhead.h"
#include "weapon/weapon_vessel.h"

namespace {

using Texts = std::vector<std::string>;

/// A weapon whose only part is its warhead.
class Carrier final : public WeaponVessel {
public:
    Carrier(HostHandle vessel, const VECTOR3& centre, double mass, double length, double diameter)
        : WeaponVessel(vessel, 1), warhead(this, centre, mass, length, diameter)
    {
    }

    Warhead warhead;
};

/// The missile's warhead: centre, charge, length and diameter.
constexpr VECTOR3 CENTRE{0.0, 0.0, -0.2};
constexpr double MASS = 136.4;
constexpr double LENGTH = 0.4;
constexpr double DIAMETER = 0.3;

size_t Count(const Texts& texts, const std::string& prefix)
{
    return static_cast<size_t>(std::count_if(texts.begin(), texts.end(),
                                             [&](const std::string& t) { return t.rfind(prefix, 0) == 0; }));
}

class WarheadTest : public WorldTest {
protected:
    /// A pinned 1.25 m, 4 kg body named `name` at altitude `altitude` m carrying a warhead.
    Carrier& MakeCarrier(double altitude = 1000.0, const std::string& name = "Karvex", const VECTOR3& centre = CENTRE,
                         double mass = MASS, double length = LENGTH, double diameter = DIAMETER)
    {
        standin::VesselDesc desc;
        desc.name = name;
        desc.size = 1.25;
        desc.emptyMass = 4.0;
        desc.pos = {0.0, altitude, 0.0};
        HostHandle vessel = standin::CreateBody(desc);
        EXPECT_NE(vessel, nullptr);
        standin::SetPinned(vessel, true);
        carriers.push_back(std::make_unique<Carrier>(vessel, centre, mass, length, diameter));
        standin::Bind(vessel, carriers.back().get());
        return *carriers.back();
    }

    /// Runs the host's class set-up on `carrier`.
    static void SetUpClass(Carrier& carrier) { static_cast<VESSEL2&>(carrier).clbkSetClassCaps(nullptr); }

    std::vector<std::unique_ptr<Carrier>> carriers;
};

TEST_F(WarheadTest, ConstructionRegistersTheTextureAndFillsBothStreams)
{
    const size_t first = standin::Journal().size();
    Carrier& carrier = MakeCarrier();
    Warhead& w = carrier.warhead;

    EXPECT_EQ(JournalTextsFrom(first), Texts{"zapiRegisterExhaustTexture \"contrail2\""});
    ASSERT_EQ(carrier.ComponentCount(), 1);
    EXPECT_EQ(carrier.Component(0), &w);
    EXPECT_EQ(w.mass, MASS);
    EXPECT_EQ(w.length, LENGTH);
    EXPECT_EQ(w.diameter, DIAMETER);
    EXPECT_EQ(w.position.z, -0.2);
    EXPECT_FALSE(w.armed);
    EXPECT_FALSE(w.ignited);
    EXPECT_EQ(w.chargeResource, nullptr);
    for (HostHandle thruster : w.blastThrusters) {
        EXPECT_EQ(thruster, nullptr);
    }

    const PARTICLESTREAMSPEC& s1 = w.streamSpec1;
    const PARTICLESTREAMSPEC& s2 = w.streamSpec2;
    EXPECT_EQ(s1.growthRate, 0.1 * (std::sqrt(9 * 136.4) - 0.3));
    EXPECT_EQ(s2.growthRate, 0.25 * (std::sqrt(9 * 136.4) - 0.3) + 30.0);
    EXPECT_NEAR(s1.growthRate, 3.4737, 5e-5);
    EXPECT_NEAR(s2.growthRate, 38.6843, 5e-5);

    const double firstRecord[] = {0.3, 100.0, 120.0, 0.05, 50.0, 1.24, 0.1, 1.0, 0.000001, 1.4};
    const double secondRecord[] = {0.3, 100.0, 300.0, 0.25, 4.0, 0.115, 0.1, 1.0, 0.000001, 1.4};
    auto doubles = [](const PARTICLESTREAMSPEC& s) {
        return std::vector<double>{s.sourceSize, s.sourceRate, s.velocity, s.spread, s.lifetime,
                                   s.atmosphereSlowdown, s.levelMin, s.levelMax, s.atmosphereMin, s.atmosphereMax};
    };
    EXPECT_EQ(doubles(s1), std::vector<double>(std::begin(firstRecord), std::end(firstRecord)));
    EXPECT_EQ(doubles(s2), std::vector<double>(std::begin(secondRecord), std::end(secondRecord)));
    for (const PARTICLESTREAMSPEC* s : {&s1, &s2}) {
        EXPECT_EQ(s->flags, 0u);
        EXPECT_EQ(s->lighting, 1u);
        EXPECT_EQ(s->levelMap, 4u);
        EXPECT_EQ(s->atmosphereMap, 2u);
    }
    EXPECT_EQ(s1.texture, nullptr);
    EXPECT_NE(s2.texture, nullptr);
}

TEST_F(WarheadTest, SetUpCreatesTheChargeThirtyTwoThrustersAndTheirStreams)
{
    Carrier& carrier = MakeCarrier();
    Warhead& w = carrier.warhead;
    const size_t first = standin::Journal().size();

    SetUpClass(carrier);

    const standin::Vessel* vessel = standin::Find(carrier.GetHandle());
    ASSERT_NE(vessel, nullptr);
    ASSERT_EQ(vessel->resources.size(), 1u);
    EXPECT_EQ(vessel->resources[0].capacity, MASS);
    EXPECT_EQ(vessel->resources[0].mass, MASS);
    EXPECT_EQ(vessel->resources[0].efficiency, 1.0);
    EXPECT_EQ(standin::FindResource(carrier.GetHandle(), w.chargeResource), &vessel->resources[0]);

    // Creation order: the two axial thrusters, then one thruster of each ring per 60 degrees.
    ASSERT_EQ(vessel->thrusters.size(), 32u);
    int expectedOrder[32] = {0, 1};
    for (int k = 0, n = 2; k < 6; ++k) {
        for (int row = 0; row < 5; ++row) {
            expectedOrder[n++] = 2 + 6 * row + k;
        }
    }
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(standin::RecordIndex(w.blastThrusters[expectedOrder[i]]), i) << "entry " << expectedOrder[i];
    }
    for (HostHandle handle : w.blastThrusters) {
        const standin::Thruster* t = standin::FindThruster(carrier.GetHandle(), handle);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->maxThrust, 625 * 136.4);
        EXPECT_EQ(t->resource, w.chargeResource);
        EXPECT_EQ(t->isp, 2000.0);
        EXPECT_EQ(t->ispRef, 0.0);
        EXPECT_EQ(t->pressureRef, 101400.0);
        EXPECT_EQ(t->level, 0.0);
    }
    EXPECT_DOUBLE_EQ(625 * 136.4, 85250.0);

    // Every thruster, in entry order, gets the first stream and then the second.
    ASSERT_EQ(vessel->streams.size(), 64u);
    for (int i = 0; i < 32; ++i) {
        for (int j = 0; j < 2; ++j) {
            const standin::Stream& s = vessel->streams[static_cast<size_t>(2 * i + j)];
            const PARTICLESTREAMSPEC& spec = j == 0 ? w.streamSpec1 : w.streamSpec2;
            EXPECT_EQ(s.thruster, w.blastThrusters[i]) << "entry " << i;
            EXPECT_FALSE(s.hasPos);
            EXPECT_EQ(std::memcmp(&s.spec, &spec, sizeof spec), 0) << "entry " << i << " stream " << j;
        }
    }

    const Texts texts = JournalTextsFrom(first);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0], "CreatePropellantResource 136.4 136.4 1");
    EXPECT_EQ(texts[1], "CreateThruster (0,0,0) (0,0,-1) 85250 R0 2000 0 101400");
    EXPECT_EQ(texts[2], "CreateThruster (0,0,-0.4) (0,0,1) 85250 R0 2000 0 101400");
    EXPECT_EQ(Count(texts, "CreatePropellantResource"), 1u);
    EXPECT_EQ(Count(texts, "CreateThruster"), 32u);
    EXPECT_EQ(Count(texts, "AddExhaustStream"), 64u);
    EXPECT_EQ(Count(texts, "SetThrusterLevel"), 0u);
    EXPECT_EQ(DebugLog(), "");
}

TEST_F(WarheadTest, BlastPatternRingsAndRowsPointAtTheAxis)
{
    Carrier& carrier = MakeCarrier();
    SetUpClass(carrier);
    const Warhead& w = carrier.warhead;

    // Row by row: entries, radius about the warhead's axis and z of the ring, m.
    struct Ring {
        int first;
        double radius;
        double z;
    };
    const Ring rings[] = {{2, 0.1299, 0.1}, {8, 0.1299, -0.5}, {14, 1.0, -0.7}, {20, 1.0, -0.2}, {26, 1.0, 0.3}};
    for (const Ring& ring : rings) {
        for (int k = 0; k < 6; ++k) {
            const int entry = ring.first + k;
            const standin::Thruster* t = standin::FindThruster(carrier.GetHandle(), w.blastThrusters[entry]);
            ASSERT_NE(t, nullptr);
            EXPECT_NEAR(std::hypot(t->pos.x, t->pos.y), ring.radius, 5e-5) << "entry " << entry;
            EXPECT_NEAR(t->pos.z, ring.z, 1e-12) << "entry " << entry;
            // 60 degrees apart, clockwise from the top seen from behind.
            EXPECT_NEAR(std::atan2(t->pos.x, t->pos.y), std::remainder(k * PI / 3, 2 * PI), 1e-12) << "entry " << entry;
            // Straight at the axis in the ring's plane, with the inner rings also tilted along it.
            EXPECT_NEAR(t->dir.x * t->pos.y - t->dir.y * t->pos.x, 0.0, 1e-12) << "entry " << entry;
            EXPECT_LT(t->dir.x * t->pos.x + t->dir.y * t->pos.y, 0.0) << "entry " << entry;
            EXPECT_NEAR(std::sqrt(t->dir.x * t->dir.x + t->dir.y * t->dir.y + t->dir.z * t->dir.z), 1.0, 1e-12);
            const double axial = ring.first == 2 ? 0.5 : ring.first == 8 ? -0.5 : 0.0;
            EXPECT_EQ(t->dir.z, axial) << "entry " << entry;
        }
    }
}

TEST_F(WarheadTest, BlastNeitherPushesNorTurnsTheVessel)
{
    // The missile's warhead, and an off-centre one of another size.
    Carrier& missile = MakeCarrier();
    Carrier& odd = MakeCarrier(1000.0, "odd", {0.3, -0.1, 1.5}, 20.0, 0.7, 0.5);
    for (Carrier* carrier : {&missile, &odd}) {
        SetUpClass(*carrier);
        const Warhead& w = carrier->warhead;
        VECTOR3 force{0, 0, 0};
        VECTOR3 moment{0, 0, 0};
        for (HostHandle handle : w.blastThrusters) {
            const standin::Thruster* t = standin::FindThruster(carrier->GetHandle(), handle);
            ASSERT_NE(t, nullptr);
            const VECTOR3 f{t->maxThrust * t->dir.x, t->maxThrust * t->dir.y, t->maxThrust * t->dir.z};
            const VECTOR3 r{t->pos.x - w.position.x, t->pos.y - w.position.y, t->pos.z - w.position.z};
            force = {force.x + f.x, force.y + f.y, force.z + f.z};
            moment = {moment.x + r.y * f.z - r.z * f.y, moment.y + r.z * f.x - r.x * f.z,
                      moment.z + r.x * f.y - r.y * f.x};
        }
        const double tolerance = 1e-9 * 625 * w.mass;
        EXPECT_NEAR(force.x, 0.0, tolerance);
        EXPECT_NEAR(force.y, 0.0, tolerance);
        EXPECT_NEAR(force.z, 0.0, tolerance);
        EXPECT_NEAR(moment.x, 0.0, tolerance);
        EXPECT_NEAR(moment.y, 0.0, tolerance);
        EXPECT_NEAR(moment.z, 0.0, tolerance);
    }
}

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
