// A whole flight of a module-built missile: hung on a launcher, activated and armed by command,
// released, flown along a dive onto a target by the test (pinned, placed each step), to ground
// contact, ignition, burn-out and removal.
#include <cmath>
#include <cstdio>
#include <string>

#include "host/zapi.h"
#include "missile/guided_missile.h"
#include "missile/weapon_interface.h"
#include "test_support.h"

namespace {

class FlightTest : public WorldTest {
protected:
    static constexpr double DT = 0.125;       ///< step, s (exact in binary, so clocks add up exactly)
    static constexpr int FLIGHT_STEPS = 480;  ///< 60 s from release to impact

    /// A pinned plain body named `name` at `pos` (m) of size `size` (m).
    static HostHandle Body(const char* name, const VECTOR3& pos, double size)
    {
        standin::VesselDesc desc = Desc(name, pos);
        desc.size = size;
        HostHandle body = standin::CreateBody(desc);
        standin::SetPinned(body, true);
        return body;
    }

    /// Level of thruster `thruster` of vessel `vessel`.
    static double Level(HostHandle vessel, HostHandle thruster)
    {
        return standin::FindThruster(vessel, thruster)->level;
    }

    /// `format` with the simulation time `simt`, as the log writes it.
    static std::string At(const char* format, double simt)
    {
        char text[128];
        std::snprintf(text, sizeof text, format, simt);
        return text;
    }
};

TEST_F(FlightTest, ReleaseDiveImpactDetonationAndRemoval)
{
    standin::SetJournal(0);  // thousands of host calls: the journal is not what this test reads
    const VECTOR3 release{0.0, 999.8, 0.0};
    const VECTOR3 impact{0.0, 0.0, 4000.0};
    HostHandle launcher = Body("Launcher", {0.0, 1000.0, 0.0}, 8.0);
    Body("Target", impact, 2.0);

    HostHandle vessel = standin::CreateModuleVessel("Karvex", Desc("K1", release));
    ASSERT_NE(vessel, nullptr) << standin::LastError();
    VESSEL* iface = zapiGetVesselInterface(vessel);
    auto* missile = static_cast<GuidedMissile*>(static_cast<VESSEL2*>(iface));
    ASSERT_TRUE(standin::Attach(launcher, nullptr, vessel, standin::AttachmentById(vessel, "WM")));

    // On the launcher: activated and armed by the launcher's commands before the first step.
    EXPECT_EQ(WeaponCommand(iface, "WEAPON::GETTYPE"), 1);
    EXPECT_EQ(WeaponCommand(iface, "WEAPON::ACTIVATE"), 0);
    EXPECT_EQ(WeaponCommand(iface, "WEAPON::ARM"), 0);
    for (int i = 0; i < 4; ++i) {
        standin::Step(DT);
    }
    EXPECT_TRUE(missile->attached);
    EXPECT_EQ(missile->flightTime, -1.0);
    EXPECT_EQ(missile->burnTime, -1.0);
    EXPECT_EQ(Level(vessel, missile->boosterThruster), 0.0);

    // A straight dive from the release point onto the target, nose along the path.
    const VECTOR3 path{impact.x - release.x, impact.y - release.y, impact.z - release.z};
    const double duration = FLIGHT_STEPS * DT;
    const VECTOR3 velocity{path.x / duration, path.y / duration, path.z / duration};
    const double pitch = std::atan2(path.y, std::sqrt(path.x * path.x + path.z * path.z));
    standin::Detach(vessel, missile->attachment);
    standin::SetPinned(vessel, true);
    standin::SetAttitude(vessel, pitch, 0.0, 0.0);
    standin::SetVelocity(vessel, velocity);

    int lockedSteps = 0;
    double burnOut = -1.0;
    for (int k = 1; k <= FLIGHT_STEPS; ++k) {
        const double share = static_cast<double>(k) / FLIGHT_STEPS;
        standin::SetPosition(vessel, {release.x + path.x * share, release.y + path.y * share,
                                      release.z + path.z * share});
        standin::Step(DT);
        ASSERT_NE(standin::Find(vessel), nullptr) << "removed early, step " << k;
        EXPECT_EQ(missile->flightTime, k * DT);

        if (k == 1) {
            EXPECT_FALSE(missile->attached);
            EXPECT_EQ(missile->burnTime, DT);
            EXPECT_EQ(Level(vessel, missile->sustainerThruster), 1.0);
        }
        if (k == 12 || k == 13) {
            EXPECT_EQ(Level(vessel, missile->boosterThruster), k == 12 ? 1.0 : 0.0) << "burn " << missile->burnTime;
        }
        if (k <= 24) {
            EXPECT_EQ(missile->pitchCommand, 0.0) << "no steering before 3 s, step " << k;
        } else if (missile->targetLocked) {
            ++lockedSteps;
            EXPECT_EQ(missile->pitchCommand, pitch + missile->GlidePitch() + missile->seekerEl);
            EXPECT_EQ(missile->yawCommand, missile->seekerAz);
        } else {
            EXPECT_EQ(missile->pitchCommand, missile->GlidePitch());
            EXPECT_EQ(missile->yawCommand, 0.0);
        }
        // Once the sustainer has drained the tank, the motor clock stands still.
        if (burnOut < 0.0 && standin::FindResource(vessel, missile->propellant)->mass == 0.0) {
            burnOut = missile->burnTime;
        }
        if (burnOut >= 0.0) {
            EXPECT_EQ(missile->burnTime, burnOut);
        }
    }
    EXPECT_GT(lockedSteps, 0) << "the target on the nose was never locked";
    EXPECT_GT(burnOut, 49.0);
    EXPECT_LT(burnOut, 50.0);

    // Impact on the target at ground level: the armed warhead has ignited.
    EXPECT_TRUE(missile->warhead.ignited);
    EXPECT_STREQ(zapiDebugString(), "K1:WARHEAD:IGNITION");
    const double ignition = zapiGetSimTime();

    // The charge burns in the next step; the missile is stripped and deleted at its end.
    standin::Step(DT);
    EXPECT_EQ(standin::Find(vessel), nullptr);
    EXPECT_EQ(zapiGetVesselCount(), 2u);
    const double removal = zapiGetSimTime();
    EXPECT_EQ(DebugLog(), At("Ignited Warhead of vessel K1 at %fs.\n", ignition) +
                              At("Finalize vessel K1 at %fs.\nReason: Warhead fully burned.\n", removal) +
                              At("Confirm finalize of K1 at %fs.\n", removal));
    EXPECT_EQ(At("%f", removal), "60.625000");
}

// The done-when of the warhead: a module missile, armed and standing on the ground, ignites in
// the first step, burns its 136.4 kg charge in 0.1 s and is removed in the step that empties it.
TEST_F(FlightTest, ArmedMissileOnTheGroundBurnsItsChargeInATenthOfASecond)
{
    HostHandle vessel = CreateKarvexAt("K1", {0.0, 1.0, 0.0});
    ASSERT_NE(vessel, nullptr);
    standin::SetPinned(vessel, true);
    VESSEL* iface = zapiGetVesselInterface(vessel);
    auto* missile = static_cast<GuidedMissile*>(static_cast<VESSEL2*>(iface));
    ASSERT_EQ(WeaponCommand(iface, "WEAPON::ACTIVATE"), 0);
    ASSERT_EQ(WeaponCommand(iface, "WEAPON::ARM"), 0);
    const HostHandle charge = missile->warhead.chargeResource;

    const double step = 0.01;
    standin::Step(step);
    ASSERT_TRUE(missile->warhead.ignited);
    double ignitedAt = zapiGetSimTime();
    int steps = 0;
    while (standin::Find(vessel) != nullptr && steps < 100) {
        EXPECT_GT(iface->GetPropellantMass(charge), 0.0);
        standin::Step(step);
        ++steps;
    }
    EXPECT_EQ(steps, 10) << "0.1 s of burning at 0.01 s a step";
    double removedAt = zapiGetSimTime();
    EXPECT_NEAR(removedAt - ignitedAt, 0.1, 1e-12);
    EXPECT_EQ(DebugLog(), At("Ignited Warhead of vessel K1 at %fs.\n", ignitedAt) +
                              At("Finalize vessel K1 at %fs.\nReason: Warhead fully burned.\n", removedAt) +
                              At("Confirm finalize of K1 at %fs.\n", removedAt));
}

}  // namespace
