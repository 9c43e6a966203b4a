// The runner's observer against the module's own outputs: what the missile writes is what the
// observer looks for.
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
    runner::Observer observer("K1", "", false);
    missile->warhead.Ignite();
    for (HostHandle thruster : missile->warhead.blastThrusters) {
        missile->SetThrusterLevel(thruster, 0.0);
    }
    std::vector<runner::Event> events;
    observer.Observe(events);
    EXPECT_EQ(observer.milestones().ignition, zapiGetSimTime());
}

}  // namespace
