// The runner's observer against the module's own outputs: what the missile writes is what the
// observer looks for; and its closest approach between frames.
#include <vector>

#include "missile/guided_missile.h"
#include "runner/flight/observer.h"
#include "tests/test_support.h"

namespace {

using ObserverTest = WorldTest;

// The warhead's ignition is known by the module's debug text alone, with no blast thruster level
// to go by.
TEST_F(ObserverTest, KnowsIgnitionByTheWarheadsDebugText)
{
    HostHandle vessel = CreateKarvexAt("K1", {0.0, 100.0, 0.0});
    ASSERT_NE(vessel, nullptr);
    auto* missile = static_cast<GuidedMissile*>(static_cast<VESSEL2*>(zapiGetVesselInterface(vessel)));
    runner::Observer observer({"K1"}, {}, false);
    missile->warhead.Ignite();
    for (HostHandle thruster : missile->warhead.blastThrusters) {
        missile->SetThrusterLevel(thruster, 0.0);
    }
    std::vector<runner::Event> events;
    observer.Observe(events);
    EXPECT_EQ(observer.milestones().ignition, zapiGetSimTime());
}

// Two centres passing 2 m apart between two samples: the closest approach is found inside the
// frame, from their relative motion; nothing counts across a break.
TEST(ClosestApproach, FindsTheMinimumBetweenSamplesOfOneStretch)
{
    runner::ClosestApproach closest;
    closest.Sample(1.0, {-3.0, 2.0, 0.0}, {0.0, 0.0, 0.0});
    closest.Sample(1.5, {3.0, 2.0, 0.0}, {2.0, 0.0, 0.0});
    EXPECT_DOUBLE_EQ(closest.Distance(), 2.0);
    EXPECT_DOUBLE_EQ(closest.Time(), 1.375);
    closest.Break();
    closest.Sample(2.0, {1.0, -2.0, 0.0}, {0.0, 0.0, 0.0});
    EXPECT_DOUBLE_EQ(closest.Distance(), 2.0) << "the straight line from the last sample passes 1 m away";
}

}  // namespace
