// After set-up nothing allocates: a missile's step and the host's whole frame, physics included,
// held for 100,000 frames in each phase of a flight.
#include <functional>

#include "allocation_counter.h"
#include "host/zapi.h"
#include "missile/guided_missile.h"
#include "test_support.h"

namespace {

class SteadyFrames : public WorldTest {
protected:
    static constexpr int FRAMES = 100000;

    void SetUp() override
    {
        WorldTest::SetUp();
        config.journalCapacity = 0;
        ResetWorld();
        parent = standin::CreateBody(Desc("carrier", {0.0, 2000.0, 0.0}, {0.0, 0.0, 230.0}));
        station = VESSEL(parent).CreateAttachment(false, {0, -1.5, 0}, {0, -1, 0}, {0, 0, 1}, "WM");
        for (const VECTOR3& pos : {VECTOR3{-3000, 1500, 1000}, VECTOR3{2500, 2600, 800}, VECTOR3{0, 2000, -1500}}) {
            CreateBodyAt("decoy", pos);
        }
        vessel = standin::CreateModuleVessel("Karvex", Desc("K1", {0.0, 2000.0, 0.0}, {0.0, 0.0, 300.0}));
        ASSERT_NE(vessel, nullptr) << standin::LastError();
        standin::CreateVisual(vessel);
        missile = static_cast<GuidedMissile*>(standin::Find(vessel)->callbacks);
        missile->Activate();
    }

    /// Runs FRAMES frames, calling `hold` before each to keep the flight in its phase; true when
    /// none of them allocated.
    bool Steady(const std::function<void()>& hold)
    {
        hold();
        standin::Step(0.01);  // the first frame of a phase may take its memory
        size_t before = AllocationCount();
        for (int i = 0; i < FRAMES; ++i) {
            hold();
            standin::Step(0.01);
        }
        return AllocationCount() == before && standin::Find(vessel) != nullptr;
    }

    /// Puts the missile back where it started, in free flight at 300 m/s.
    void Rewind() const
    {
        standin::SetPosition(vessel, {0.0, 2000.0, 0.0});
        standin::SetVelocity(vessel, {0.0, 0.0, 300.0});
        standin::SetAttitude(vessel, 0.0, 0.0, 0.0);
        standin::SetAngularVelocity(vessel, {0.0, 0.0, 0.0});
    }

    HostHandle parent = nullptr, station = nullptr, vessel = nullptr;
    GuidedMissile* missile = nullptr;
};

TEST_F(SteadyFrames, NoPhaseOfAFlightAllocates)
{
    ASSERT_TRUE(VESSEL(parent).AttachChild(vessel, station, standin::AttachmentById(vessel, "WM")));
    EXPECT_TRUE(Steady([] {})) << "hanging on the carrier";
    ASSERT_TRUE(VESSEL(parent).DetachChild(station));

    // Free, the seeker active but the flight clock stopped: the pattern sweeps past the decoys.
    standin::SetMotion(vessel, standin::Motion::Kinematic);
    EXPECT_TRUE(Steady([&] { Rewind(); })) << "scanning";
    EXPECT_FALSE(missile->targetLocked);

    HostHandle target = CreateBodyAt("target", {0.0, 2000.0, 2000.0});
    standin::SetVelocity(target, {0.0, 0.0, 300.0});
    EXPECT_TRUE(Steady([&] { standin::SetPosition(target, {0.0, 2000.0, 2000.0}); Rewind(); })) << "tracking";
    EXPECT_TRUE(missile->targetLocked);

    // Guided and flown by the physics, put back now and then before it goes far.
    standin::SetMotion(vessel, standin::Motion::Dynamic);
    int frame = 0;
    auto guided = [&](double propellant, double flightTime) {
        if (++frame % 100 == 0) {
            Rewind();
        }
        missile->flightTime = flightTime;
        missile->burnTime = 10.0;
        standin::FindResource(vessel, missile->propellant)->mass = propellant;
        standin::FindResource(vessel, missile->warhead.chargeResource)->mass = 136.4;
    };
    EXPECT_TRUE(Steady([&] { guided(30.0, 10.0); })) << "powered";
    EXPECT_EQ(standin::FindThruster(vessel, missile->sustainerThruster)->level, 1.0);
    EXPECT_TRUE(Steady([&] { guided(0.0, 10.0); })) << "gliding";
    EXPECT_TRUE(Steady([&] { guided(0.0, 200.0); })) << "past the flight-time limit";
    EXPECT_TRUE(missile->warhead.ignited);
    EXPECT_TRUE(Steady([&] { guided(0.0, 10.0); })) << "with the warhead burning";
}

}  // namespace
