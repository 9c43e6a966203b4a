// The warhead's set-up on a small weapon driven through the stand-in host: its streams, its charge
// and thrusters, and the balanced blast pattern.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "warhead_fixture.h"

namespace {

using warhead_test::Carrier;
using warhead_test::Count;
using warhead_test::Texts;
using warhead_test::WarheadTest;
using warhead_test::DIAMETER;
using warhead_test::LENGTH;
using warhead_test::MASS;

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

}  // namespace
