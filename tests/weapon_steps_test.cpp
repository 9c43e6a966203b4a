// The weapon base's steps driven through the stand-in host: the component list, the order of each
// step's calls, and removal deferred to the end of a step.
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "weapon_vessel_fixture.h"

namespace {

using weapon_vessel_test::Calls;
using weapon_vessel_test::HIGH;
using weapon_vessel_test::RecordingComponent;
using weapon_vessel_test::WeaponVesselTest;

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
