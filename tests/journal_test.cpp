// The module's host calls, pinned: a flight that scans, locks, tracks, hits the ground and burns
// its warhead makes exactly the calls, with exactly the arguments, it made before the host and the
// seeker were made faster. The journal is held as its length and a 64-bit digest of its text.
#include <cstdint>
#include <cstdio>

#include "host/zapi.h"
#include "missile/guided_missile.h"
#include "test_support.h"

#include <cmath>

namespace {

class CallJournal : public WorldTest {};

// Recorded from the host and module as they were before their speed-ups.
constexpr int RECORDED_STEPS = 402;
constexpr size_t RECORDED_CALLS = 38341;
constexpr uint64_t RECORDED_DIGEST = 0x81408e1fcac5c75aull;

TEST_F(CallJournal, ScanLockTrackAndBurnMakeTheSameCalls)
{
    config.journalCapacity = 200000;
    ResetWorld();
    // Bodies out of reach to the sides and behind, and the target 8 deg below the nose.
    const VECTOR3 others[] = {{-3000, 1500, 1000}, {2500, 2600, 800}, {0, 2000, -1500}, {400, 2100, -300},
                              {900, 0, 900}};
    for (const VECTOR3& pos : others) {
        CreateBodyAt("decoy", pos);
    }
    standin::VesselDesc target;
    target.name = "target";
    target.size = 10.0;
    target.pos = {0.0, 0.0, 4000.0};
    standin::CreateBody(target);
    standin::VesselDesc desc = Desc("K1", {0.0, 2000.0, 0.0}, {0.0, -100.0, 300.0});
    desc.pitch = std::atan2(-100.0, 300.0);
    desc.motion = standin::Motion::Kinematic;
    HostHandle missile = standin::CreateModuleVessel("Karvex", desc);
    ASSERT_NE(missile, nullptr) << standin::LastError();
    standin::CreateVisual(missile);
    auto* m = static_cast<GuidedMissile*>(standin::Find(missile)->callbacks);  // not a host call: not journalled
    int steps = 0, scanning = 0, locked = 0, burning = 0;
    while (standin::Find(missile) != nullptr && steps < 1000) {
        scanning += m->seekerState >= 0;
        locked += m->targetLocked;
        burning += m->warhead.ignited;
        standin::Step(0.05);
        ++steps;
    }
    EXPECT_GT(scanning, 20);
    EXPECT_GT(locked, 20);
    EXPECT_GT(burning, 0);
    ASSERT_EQ(standin::Find(missile), nullptr) << "the warhead burned and the missile was removed";
    ASSERT_EQ(standin::world().journalDropped, 0u);

    uint64_t digest = 14695981039346656037ull;  // FNV-1a over "slot text\n" of every call
    for (const standin::JournalEntry& e : standin::Journal()) {
        char line[256];
        int n = std::snprintf(line, sizeof line, "%d %s\n", e.vessel, e.text);
        for (int i = 0; i < n; ++i) {
            digest = (digest ^ static_cast<unsigned char>(line[i])) * 1099511628211ull;
        }
    }
    std::printf("%d steps, %zu host calls, digest %016llx\n", steps, standin::Journal().size(),
                static_cast<unsigned long long>(digest));
    EXPECT_EQ(steps, RECORDED_STEPS);
    EXPECT_EQ(standin::Journal().size(), RECORDED_CALLS);
    EXPECT_EQ(digest, RECORDED_DIGEST);
}

}  // namespace
