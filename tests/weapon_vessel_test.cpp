// The weapon base driven through the stand-in host: component list, contact tests, step order
// and deferred self-removal.
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/zapi.h"
#include "test_support.h"
#include "weapon/weapon_component.h"
#include "weapon/weapon_vessel.h"

namespace {

using Calls = std::vector<std::string>;

std::string Num(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

/// Writes every call it receives, tagged with its name, into a shared call list.
class RecordingComponent final : public WeaponComponent {
public:
    RecordingComponent(WeaponVessel* ownerVessel, std::string tagName, Calls& callList)
        : WeaponComponent(ownerVessel), tag(std::move(tagName)), calls(callList)
    {
    }

    void SetClassCaps() override { calls.push_back(tag + " SetClassCaps"); }
    void PostStep(double simt, double simdt) override
    {
        calls.push_back(tag + " PostStep " + Num(simt) + " " + Num(simdt));
        if (finalizeInPostStep) {
            GetOwner()->RequestFinalize();
        }
        if (addInPostStep && !added) {
            added = std::make_unique<RecordingComponent>(GetOwner(), tag + "+", calls);
        }
    }
    void OnGroundContact() override { calls.push_back(tag + " OnGroundContact"); }
    void OnVesselContact(double speed) override { calls.push_back(tag + " OnVesselContact " + Num(speed)); }

    bool finalizeInPostStep = false;  ///< asks for removal from its step
    bool addInPostStep = false;       ///< registers one more component during its first step

private:
    std::string tag;
    Calls& calls;
    std::unique_ptr<RecordingComponent> added;
};

/// The smallest weapon: records its own two hooks.
class TestWeapon final : public WeaponVessel {
public:
    TestWeapon(HostHandle vessel, Calls& callList) : WeaponVessel(vessel, 1), calls(callList) {}

    void SetWeaponCaps(HostHandle) override { calls.push_back("SetWeaponCaps"); }
    void WeaponPostStep(double simt, double simdt) override
    {
        calls.push_back("WeaponPostStep " + Num(simt) + " " + Num(simdt));
    }

private:
    Calls& calls;
};

class WeaponVesselTest : public WorldTest {
protected:
    /// Creates the weapon's body named `name` of `size` m and `mass` kg at `pos` and binds a TestWeapon to it.
    void MakeWeapon(const VECTOR3& pos, double size = 1.25, double mass = 4.0, const std::string& name = "Dart")
    {
        standin::VesselDesc desc;
        desc.name = name;
        desc.size = size;
        desc.emptyMass = mass;
        desc.pos = pos;
        handle = standin::CreateBody(desc);
        ASSERT_NE(handle, nullptr);
        standin::SetPinned(handle, true);
        weapon = std::make_unique<TestWeapon>(handle, calls);
        standin::Bind(handle, weapon.get());
    }

    /// Creates a pinned plain body of `size` m and `mass` kg at `pos` moving at `vel`.
    HostHandle MakeBody(const VECTOR3& pos, double size, double mass = 1.0, const VECTOR3& vel = {0, 0, 0})
    {
        standin::VesselDesc desc;
        desc.name = "body";
        desc.size = size;
        desc.emptyMass = mass;
        desc.pos = pos;
        desc.vel = vel;
        HostHandle body = standin::CreateBody(desc);
        standin::SetPinned(body, true);
        return body;
    }

    /// The weapon as the host sees it.
    VESSEL2* Callbacks() const { return weapon.get(); }

    Calls calls;
    HostHandle handle = nullptr;
    std::unique_ptr<TestWeapon> weapon;
};

// Clear of the ground: far above the plane for a 1.25 m weapon.
constexpr VECTOR3 HIGH{0.0, 1000.0, 0.0};

TEST_F(WeaponVesselTest, ComponentsAreListedAndSetUpInRegistrationOrder)
{
    MakeWeapon(HIGH);
    EXPECT_EQ(weapon->ComponentCount(), 0);
    EXPECT_EQ(weapon->stepLength, 0.0);
    EXPECT_FALSE(weapon->finalizeRequested);

    // More than one growth of the storage, and one component listed twice.
    std::vector<std::unique_ptr<RecordingComponent>> parts;
    for (int i = 0; i < 9; ++i) {
        parts.push_back(std::make_unique<RecordingComponent>(weapon.get(), "c" + std::to_string(i), calls));
    }
    weapon->AddComponent(parts[2].get());
    ASSERT_EQ(weapon->ComponentCount(), 10);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(weapon->Component(i), parts[static_cast<std::size_t>(i)].get()) << i;
    }
    EXPECT_EQ(weapon->Component(9), parts[2].get());
    EXPECT_EQ(weapon->Component(10), nullptr);
    EXPECT_EQ(weapon->Component(-1), nullptr);

    Callbacks()->clbkSetClassCaps(nullptr);
    Calls expected{"SetWeaponCaps"};
    for (int i = 0; i < 9; ++i) {
        expected.push_back("c" + std::to_string(i) + " SetClassCaps");
    }
    expected.push_back("c2 SetClassCaps");
    EXPECT_EQ(calls, expected);
}

TEST_F(WeaponVesselTest, StepGivesEachComponentAllItsCallsBeforeTheNext)
{
    // Low enough for ground contact, and touched by a body closing at 3 m/s.
    MakeWeapon({0.0, 1.0, 0.0}, 1.25, 4.0);
    MakeBody({0.0, 1.0, 2.0}, 1.0, 2.0, {0.0, 0.0, -3.0});
    RecordingComponent a(weapon.get(), "A", calls);
    RecordingComponent b(weapon.get(), "B", calls);

    standin::Step(0.5);

    // Relative momentum 2 kg x 3 m/s over the weapon's 4 kg.
    EXPECT_EQ(calls, (Calls{"A PostStep 0.5 0.5", "A OnGroundContact", "A OnVesselContact 1.5",
                            "B PostStep 0.5 0.5", "B OnGroundContact", "B OnVesselContact 1.5",
                            "WeaponPostStep 0.5 0.5"}));
    EXPECT_EQ(weapon->stepLength, 0.5);
    EXPECT_TRUE(weapon->groundContact);
    EXPECT_TRUE(weapon->vesselContact);
    EXPECT_EQ(weapon->impactSpeed, 1.5);
    EXPECT_NE(standin::Find(handle), nullptr);
}

TEST_F(WeaponVesselTest, StepWithoutContactsRunsOnlyTheSteps)
{
    MakeWeapon(HIGH);
    MakeBody({0.0, 1000.0, 50.0}, 1.0);
    RecordingComponent a(weapon.get(), "A", calls);

    standin::Step(0.25);
    standin::Step(0.25);

    EXPECT_EQ(calls, (Calls{"A PostStep 0.25 0.25", "WeaponPostStep 0.25 0.25", "A PostStep 0.5 0.25",
                            "WeaponPostStep 0.5 0.25"}));
    EXPECT_FALSE(weapon->groundContact);
    EXPECT_FALSE(weapon->vesselContact);
}

TEST_F(WeaponVesselTest, ComponentRegisteredDuringAStepIsCalledInThatStep)
{
    MakeWeapon(HIGH);
    // Four components fill the first storage, so the fifth moves the list in mid-step.
    RecordingComponent a(weapon.get(), "A", calls);
    RecordingComponent b(weapon.get(), "B", calls);
    RecordingComponent c(weapon.get(), "C", calls);
    RecordingComponent d(weapon.get(), "D", calls);
    d.addInPostStep = true;

    standin::Step(1.0);

    EXPECT_EQ(calls, (Calls{"A PostStep 1 1", "B PostStep 1 1", "C PostStep 1 1", "D PostStep 1 1",
                            "D+ PostStep 1 1", "WeaponPostStep 1 1"}));
    EXPECT_EQ(weapon->ComponentCount(), 5);
}

TEST_F(WeaponVesselTest, VesselsTouchOnlyWhenNearerThanTheirSizes)
{
    // Sizes 2 and 3 m: touching below 5 m between centres.
    MakeWeapon(HIGH, 2.0);
    HostHandle other = MakeBody({5.0, 1000.0, 0.0}, 3.0);

    weapon->CheckVesselContact();
    EXPECT_FALSE(weapon->vesselContact);
    EXPECT_EQ(weapon->impactSpeed, 0.0);

    standin::SetPosition(other, {4.999, 1000.0, 0.0});
    weapon->CheckVesselContact();
    EXPECT_TRUE(weapon->vesselContact);

    // The same along a diagonal: 3-4-5 triangle exactly at the limit.
    standin::SetPosition(other, {3.0, 1004.0, 0.0});
    weapon->CheckVesselContact();
    EXPECT_FALSE(weapon->vesselContact);
}

TEST_F(WeaponVesselTest, OwnVesselNeverCounts)
{
    MakeWeapon(HIGH);
    // Results of an earlier contact must not survive a check that finds nothing.
    weapon->vesselContact = true;
    weapon->impactSpeed = 7.0;

    weapon->CheckVesselContact();

    EXPECT_FALSE(weapon->vesselContact);
    EXPECT_EQ(weapon->impactSpeed, 0.0);
}

TEST_F(WeaponVesselTest, ImpactSpeedIsTheSummedRelativeMomentumOverOwnMass)
{
    // The weapon itself moves east at 1 m/s; only the relative velocities count.
    MakeWeapon(HIGH, 1.0, 4.0);
    standin::SetVelocity(handle, {1.0, 0.0, 0.0});
    // Relative momenta 2 x (1, 2, -3) and 5 x (1, 0, 0) kg m/s.
    MakeBody({0.0, 1000.0, 1.5}, 1.0, 2.0, {2.0, 2.0, -3.0});
    MakeBody({1.5, 1000.0, 0.0}, 1.0, 5.0, {2.0, 0.0, 0.0});
    // Far away and fast: must not add anything.
    MakeBody({0.0, 1000.0, 40.0}, 1.0, 100.0, {0.0, 50.0, 0.0});

    weapon->CheckVesselContact();

    EXPECT_TRUE(weapon->vesselContact);
    EXPECT_EQ(weapon->impactSpeed, std::sqrt(7.0 * 7.0 + 4.0 * 4.0 + 6.0 * 6.0) / 4.0);
}

TEST_F(WeaponVesselTest, OppositeEqualMomentaCancel)
{
    MakeWeapon(HIGH, 1.0, 4.0);
    MakeBody({0.0, 1000.0, 1.5}, 1.0, 2.0, {0.0, 0.0, -3.0});
    MakeBody({0.0, 1000.0, -1.5}, 1.0, 3.0, {0.0, 0.0, 2.0});

    weapon->CheckVesselContact();

    EXPECT_TRUE(weapon->vesselContact);
    EXPECT_EQ(weapon->impactSpeed, 0.0);
}

TEST_F(WeaponVesselTest, GroundContactFromAltitudeAttitudeAndSize)
{
    // Size 1.25 m: each clearance takes up to 1.75 m off the altitude, scaled by the attitude.
    MakeWeapon(HIGH, 1.25);
    const double reach = 1.25 + 0.5;
    struct Case {
        double altitude;
        double pitch;
        double bank;
        bool contact;
    };
    const Case cases[] = {
        {reach, 0.0, 0.0, true},
        {std::nextafter(reach, 2.0), 0.0, 0.0, false},
        {0.0, 0.0, 0.0, true},
        {-5.0, 0.0, 0.0, true},
        // Nose down: the nose reaches 1.75 m below the centre.
        {reach + 0.01, -PI / 2, 0.0, false},
        {reach - 0.01, -PI / 2, 0.0, true},
        // Pitched 45 degrees: nose and body side both reach 1.75 m x 0.7071.
        {reach * 0.72, PI / 4, 0.0, false},
        {reach * 0.70, PI / 4, 0.0, true},
        // Pitched 60 degrees and on its side: only the wing-tip term reaches the ground.
        {reach + 0.01, PI / 3, PI / 2, false},
        {reach - 0.01, PI / 3, PI / 2, true},
        // Level but banked: the body term uses the pitch, so it still reaches the full 1.75 m.
        {reach - 0.01, 0.0, PI / 4, true},
        {std::numeric_limits<double>::quiet_NaN(), 0.0, 0.0, true},
    };
    for (const Case& c : cases) {
        standin::SetPosition(handle, {0.0, c.altitude, 0.0});
        standin::SetAttitude(handle, c.pitch, c.bank, 0.0);
        weapon->groundContact = !c.contact;
        weapon->CheckGroundContact();
        EXPECT_EQ(weapon->groundContact, c.contact)
            << "altitude " << c.altitude << " pitch " << c.pitch << " bank " << c.bank;
    }
}

TEST_F(WeaponVesselTest, GroundTestAsksTheHostAnewForEveryClearance)
{
    MakeWeapon(HIGH);
    const size_t first = standin::Journal().size();

    weapon->CheckGroundContact();

    Calls texts = JournalTextsFrom(first);
    auto count = [&](const std::string& name) { return std::count(texts.begin(), texts.end(), name); };
    EXPECT_EQ(count("GetAltitude"), 3);
    EXPECT_EQ(count("GetSize"), 3);
    EXPECT_EQ(count("GetPitch"), 2);
    EXPECT_EQ(count("GetBank"), 1);
    EXPECT_EQ(texts.size(), 9u);
}

TEST_F(WeaponVesselTest, RemovalRequestedInAComponentStepHappensAtTheEndOfThatStep)
{
    MakeWeapon(HIGH);
    RecordingComponent a(weapon.get(), "A", calls);
    RecordingComponent b(weapon.get(), "B", calls);
    a.finalizeInPostStep = true;
    standin::SetSimTime(42.0);
    const size_t first = standin::Journal().size();

    standin::Step(0.5);

    // The other component and the weapon's own step still run once.
    EXPECT_EQ(calls, (Calls{"A PostStep 42.5 0.5", "B PostStep 42.5 0.5", "WeaponPostStep 42.5 0.5"}));
    EXPECT_EQ(standin::Find(handle), nullptr);
    EXPECT_EQ(DebugLog(), "Confirm finalize of Dart at 42.500000s.\n");

    // Stripped, then deleted by its own handle with the focus left to the host, then logged.
    Calls texts = JournalTextsFrom(first);
    auto strip = std::find(texts.begin(), texts.end(), "ClearThrusterDefinitions");
    ASSERT_GE(std::distance(strip, texts.end()), 7);
    EXPECT_EQ(Calls(strip, strip + 7),
              (Calls{"ClearThrusterDefinitions", "ClearPropellantResources", "ClearMeshes", "GetHandle",
                     "zapiDeleteVessel V0 null", "GetName", "zapiGetSimTime"}));
}

TEST_F(WeaponVesselTest, RemovalRequestedBetweenStepsHappensAtTheEndOfTheNextStep)
{
    MakeWeapon(HIGH);
    standin::Step(1.0);

    weapon->RequestFinalize();
    EXPECT_NE(standin::Find(handle), nullptr);
    EXPECT_EQ(DebugLog(), "");

    standin::Step(1.0);
    EXPECT_EQ(calls, (Calls{"WeaponPostStep 1 1", "WeaponPostStep 2 1"}));
    EXPECT_EQ(standin::Find(handle), nullptr);
    EXPECT_EQ(DebugLog(), "Confirm finalize of Dart at 2.000000s.\n");
}

TEST_F(WeaponVesselTest, RemovalLogIsAppendedToWhatTheFileHolds)
{
    {
        std::ofstream earlier("Debug.log");
        earlier << "earlier record\n";
    }
    MakeWeapon(HIGH);
    weapon->RequestFinalize();

    standin::Step(0.125);

    EXPECT_EQ(DebugLog(), "earlier record\nConfirm finalize of Dart at 0.125000s.\n");
}

TEST_F(WeaponVesselTest, RemovalWithoutAWritableLogStillRemovesTheVessel)
{
    ASSERT_EQ(mkdir("Debug.log", 0755), 0);
    MakeWeapon(HIGH);
    weapon->RequestFinalize();
    const size_t first = standin::Journal().size();

    standin::Step(0.5);

    EXPECT_EQ(standin::Find(handle), nullptr);
    // Without a log to write, the record's name and time are never asked for.
    const Calls texts = JournalTextsFrom(first);
    const auto deleted = std::find(texts.begin(), texts.end(), "zapiDeleteVessel V0 null");
    ASSERT_NE(deleted, texts.end());
    EXPECT_EQ(std::find(deleted, texts.end(), "GetName"), texts.end());
    EXPECT_EQ(std::find(deleted, texts.end(), "zapiGetSimTime"), texts.end());
    struct stat info {};
    ASSERT_EQ(stat("Debug.log", &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

}  // namespace
