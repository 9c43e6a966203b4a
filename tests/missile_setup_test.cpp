// Building a missile and declaring its airframe: the starting fields, the set-up calls in their
// order, what the host holds afterwards, and a repeated set-up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/zapi.h"
#include "missile/airfoil.h"
#include "missile/guided_missile.h"
#include "missile/missile_params.h"
#include "module_missile.h"
#include "test_support.h"

namespace {

/// The airframe calls, from the exhaust texture to the second smoke stream. The booster is the
/// first thruster, the motor resource the first resource; "contrail2", which the warhead registers
/// while the missile is built, is the first texture, so "exhaust2" is the second.
const std::vector<std::string> AIRFRAME_CALLS = {
    "zapiRegisterExhaustTexture \"exhaust2\"",
    "SetSize 1.25",
    "SetEnableFocus false",
    "SetEmptyMass 105.77836995334789",
    "SetPMI (0.38,0.38,0.02)",
    "SetCrossSections (1.02,1.02,0.09)",
    "zapiLoadMeshGlobal \"Karvex\"",
    "AddMesh M0 null",
    "SetTouchdownPoints (0,-0.38,1) (-1,-0.35,-1) (1,-0.35,-1)",
    "CreateAttachment true (0,0.2,0) (0,1,0) (0,0,1) \"WM\" false",
    "CreatePropellantResource 59.3216300466521 -1 1",
    "CreateThruster (0,0,-1) (0,0,1) 7512 R0 2190.7692 2190.7692 101400",
    "CreateThruster (0,0,-1) (0,0,1) 2400 R0 2190.7692 2190.7692 101400",
    "CreateAirfoil 0 (0,0,-0.09) fn 1.4 0.692 0.747",
    "CreateAirfoil 1 (0,0,-0.09) fn 1.4 0.692 0.747",
    "CreateControlSurface 2 0.07 0.35 (-0.25,0,-1.1) 0 4294967295",
    "CreateControlSurface 2 0.07 0.35 (0.25,0,-1.1) 0 4294967295",
    "CreateControlSurface 0 0.14 0.35 (0,0,-1.1) 0 4294967295",
    "CreateControlSurface 1 0.14 0.35 (0,0,-1.1) 0 4294967295",
    "AddExhaust T1 1.5 0.15 0.35 X1",
    "AddExhaust T0 3.5 0.15 0.35 X1",
    "AddExhaustStream T0 (0,0,-1.3) spec",
    "AddExhaustStream T0 (0,0,-1.5) spec",
};

bool IsMotorCreation(const std::string& call)
{
    return call.rfind("CreatePropellantResource", 0) == 0 || call.rfind("CreateThruster", 0) == 0;
}

void ExpectSpec(const PARTICLESTREAMSPEC& actual, const PARTICLESTREAMSPEC& expected)
{
    EXPECT_EQ(actual.flags, expected.flags);
    EXPECT_EQ(actual.sourceSize, expected.sourceSize);
    EXPECT_EQ(actual.sourceRate, expected.sourceRate);
    EXPECT_EQ(actual.velocity, expected.velocity);
    EXPECT_EQ(actual.spread, expected.spread);
    EXPECT_EQ(actual.lifetime, expected.lifetime);
    EXPECT_EQ(actual.growthRate, expected.growthRate);
    EXPECT_EQ(actual.atmosphereSlowdown, expected.atmosphereSlowdown);
    EXPECT_EQ(actual.lighting, expected.lighting);
    EXPECT_EQ(actual.levelMap, expected.levelMap);
    EXPECT_EQ(actual.levelMin, expected.levelMin);
    EXPECT_EQ(actual.levelMax, expected.levelMax);
    EXPECT_EQ(actual.atmosphereMap, expected.atmosphereMap);
    EXPECT_EQ(actual.atmosphereMin, expected.atmosphereMin);
    EXPECT_EQ(actual.atmosphereMax, expected.atmosphereMax);
    EXPECT_EQ(actual.texture, expected.texture);
}

using MissileSetupTest = WorldTest;

TEST_F(MissileSetupTest, ConstructionStartsEveryFieldAndRegistersTheWarheadAndAnimation)
{
    HostHandle hull = CreateBodyAt("K1", {0.0, 3.0, 0.0});
    GuidedMissile missile(hull, 1);

    EXPECT_EQ(missile.burnTime, -1.0);
    EXPECT_EQ(missile.flightTime, -1.0);
    EXPECT_FALSE(missile.active);
    EXPECT_FALSE(missile.armed);
    EXPECT_FALSE(missile.attached);
    EXPECT_FALSE(missile.targetLocked);
    EXPECT_EQ(missile.visual, nullptr);
    EXPECT_EQ(missile.propellant, nullptr);
    EXPECT_EQ(missile.boosterThruster, nullptr);
    EXPECT_EQ(missile.sustainerThruster, nullptr);
    EXPECT_EQ(missile.attachment, nullptr);
    for (HostHandle row : missile.candidateVessel) {
        EXPECT_EQ(row, nullptr);
    }
    EXPECT_EQ(missile.yawCommand, 0.0);
    EXPECT_EQ(missile.pitchCommand, 0.0);
    EXPECT_EQ(missile.seekerState, 0);
    EXPECT_EQ(missile.scanIndex, 0);
    EXPECT_EQ(missile.seekerAz, 0.0);
    EXPECT_EQ(missile.seekerEl, 0.0);
    EXPECT_EQ(missile.shownSeekerAz, 0.0);
    EXPECT_EQ(missile.shownSeekerEl, 0.0);

    ASSERT_EQ(missile.ComponentCount(), 1);
    EXPECT_EQ(missile.Component(0), &missile.warhead);
    EXPECT_EQ(missile.warhead.GetOwner(), &missile);
    EXPECT_EQ(missile.warhead.position.x, 0.0);
    EXPECT_EQ(missile.warhead.position.y, 0.0);
    EXPECT_EQ(missile.warhead.position.z, -0.2);
    EXPECT_EQ(missile.warhead.mass, WARHEAD_MASS);
    EXPECT_EQ(missile.warhead.length, 0.4);
    EXPECT_EQ(missile.warhead.diameter, 0.3);

    // The warhead's texture while it is built, the animation request last.
    EXPECT_EQ(JournalTexts(), (std::vector<std::string>{"zapiRegisterExhaustTexture \"contrail2\"",
                                                        "RegisterAnimation"}));
    EXPECT_TRUE(standin::Find(hull)->animationRegistered);
}

TEST_F(MissileSetupTest, HostCreationMakesTheAirframeCallsBeforeTheWarheads)
{
    CreateKarvexAt("K1", {0.0, 3.0, 0.0});
    const std::vector<std::string> calls = JournalTexts();
    const size_t construction = 2;
    ASSERT_GT(calls.size(), construction + AIRFRAME_CALLS.size());
    EXPECT_EQ(calls[0], "zapiRegisterExhaustTexture \"contrail2\"");
    EXPECT_EQ(calls[1], "RegisterAnimation");
    const auto first = calls.begin() + static_cast<std::ptrdiff_t>(construction);
    const std::vector<std::string> airframe(first, first + static_cast<std::ptrdiff_t>(AIRFRAME_CALLS.size()));
    EXPECT_EQ(airframe, AIRFRAME_CALLS);
    // The warhead's charge follows as the second resource.
    EXPECT_EQ(calls[construction + AIRFRAME_CALLS.size()], "CreatePropellantResource 136.4 136.4 1");
}

// The journal shows the values passed; here the handles the missile keeps must name the records
// the host made of them, and the stream records (which the journal does not print) must hold them.
TEST_F(MissileSetupTest, HostHoldsTheAirframeUnderTheMissilesHandles)
{
    HostHandle vessel = CreateKarvexAt("K1", {0.0, 3.0, 0.0});
    ASSERT_NE(vessel, nullptr);
    GuidedMissile* missile = ModuleMissile(vessel);
    const standin::Vessel* record = standin::Find(vessel);

    EXPECT_EQ(record->size, 1.25);
    EXPECT_EQ(record->emptyMass, 105.77836995334789);
    ASSERT_EQ(record->meshes.size(), 1u);
    EXPECT_EQ(record->meshes[0].mesh, zapiLoadMeshGlobal("Karvex"));
    ASSERT_EQ(record->attachments.size(), 1u);
    EXPECT_EQ(standin::FindAttachment(vessel, missile->attachment), &record->attachments[0]);
    EXPECT_EQ(record->attachments[0].id, "WM");

    // Launch mass: empty mass, a full motor and the warhead's charge.
    EXPECT_EQ(VESSEL(vessel).GetMass(), 301.5);
    const standin::Resource* motor = standin::FindResource(vessel, missile->propellant);
    ASSERT_NE(motor, nullptr);
    EXPECT_EQ(motor->mass, 59.3216300466521);
    const standin::Thruster* booster = standin::FindThruster(vessel, missile->boosterThruster);
    const standin::Thruster* sustainer = standin::FindThruster(vessel, missile->sustainerThruster);
    ASSERT_NE(booster, nullptr);
    ASSERT_NE(sustainer, nullptr);
    EXPECT_EQ(booster->maxThrust, 7512.0);
    EXPECT_EQ(sustainer->maxThrust, 2400.0);
    for (const standin::Thruster* thruster : {booster, sustainer}) {
        EXPECT_EQ(thruster->pos.z, -1.0);
        EXPECT_EQ(thruster->dir.z, 1.0);
        EXPECT_EQ(thruster->resource, missile->propellant);
    }

    // The module's own copy of the coefficient function answers as this one does.
    ASSERT_EQ(record->airfoils.size(), 2u);
    for (const standin::Airfoil& airfoil : record->airfoils) {
        ASSERT_NE(airfoil.coeff, nullptr);
        double module[3];
        double local[3];
        airfoil.coeff(0.3, 0.8, 1.0e6, &module[0], &module[1], &module[2]);
        AirfoilCoefficients(0.3, 0.8, 1.0e6, &local[0], &local[1], &local[2]);
        EXPECT_EQ(module[0], local[0]);
        EXPECT_EQ(module[1], local[1]);
        EXPECT_EQ(module[2], local[2]);
    }
    ASSERT_EQ(record->surfaces.size(), 4u);
    const int types[] = {AIRCTRL_AILERON, AIRCTRL_AILERON, AIRCTRL_ELEVATOR, AIRCTRL_RUDDER};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(record->surfaces[i].type, types[i]);
    }

    ASSERT_EQ(record->exhausts.size(), 2u);
    EXPECT_EQ(record->exhausts[0].thruster, missile->sustainerThruster);
    EXPECT_EQ(record->exhausts[1].thruster, missile->boosterThruster);
    EXPECT_EQ(record->exhausts[0].texture, zapiRegisterExhaustTexture("exhaust2"));

    // Both smoke streams sit on the booster; the warhead's streams follow them.
    ASSERT_GE(record->streams.size(), 2u);
    const PARTICLESTREAMSPEC nearSmoke = {0, 0.1, 20, 150, 0.1, 0.3, 12, 2, 0, 4, 0, 0.5, 2, 0.000001, 0.1, nullptr};
    const PARTICLESTREAMSPEC trail = {0, 0.3, 5, 150, 0.3, 8, 4, 3, 1, 4, 0, 0.5, 2, 0.000001, 0.1, nullptr};
    const PARTICLESTREAMSPEC* specs[] = {&nearSmoke, &trail};
    const double positions[] = {-1.3, -1.5};
    for (size_t i = 0; i < 2; ++i) {
        const standin::Stream& stream = record->streams[i];
        EXPECT_EQ(stream.thruster, missile->boosterThruster);
        EXPECT_TRUE(stream.hasPos);
        EXPECT_EQ(stream.pos.z, positions[i]);
        ExpectSpec(stream.spec, *specs[i]);
    }
}

TEST_F(MissileSetupTest, RepeatedSetUpKeepsTheMotorAndDeclaresTheRestAgain)
{
    HostHandle hull = CreateBodyAt("K1", {0.0, 3.0, 0.0});
    GuidedMissile missile(hull, 1);
    missile.SetWeaponCaps(nullptr);
    const HostHandle propellant = missile.propellant;
    const HostHandle booster = missile.boosterThruster;
    const HostHandle sustainer = missile.sustainerThruster;
    standin::ClearJournal();

    missile.SetWeaponCaps(nullptr);

    EXPECT_EQ(missile.propellant, propellant);
    EXPECT_EQ(missile.boosterThruster, booster);
    EXPECT_EQ(missile.sustainerThruster, sustainer);
    std::vector<std::string> expected;
    for (const std::string& call : AIRFRAME_CALLS) {
        if (!IsMotorCreation(call)) {
            expected.push_back(call);
        }
    }
    EXPECT_EQ(JournalTexts(), expected);

    const standin::Vessel* record = standin::Find(hull);
    EXPECT_EQ(record->resources.size(), 1u);
    EXPECT_EQ(record->thrusters.size(), 2u);
    EXPECT_EQ(record->meshes.size(), 2u);
    EXPECT_EQ(record->attachments.size(), 2u);
    EXPECT_EQ(record->airfoils.size(), 4u);
    EXPECT_EQ(record->surfaces.size(), 8u);
    EXPECT_EQ(record->exhausts.size(), 4u);
    EXPECT_EQ(record->streams.size(), 4u);
    // The attachment handle follows the newest point.
    EXPECT_EQ(standin::RecordIndex(missile.attachment), 1);
}

TEST_F(MissileSetupTest, SetUpCreatesAMotorPartWhoseHandleIsStillNull)
{
    HostHandle hull = CreateBodyAt("K1", {0.0, 3.0, 0.0});
    GuidedMissile missile(hull, 1);
    missile.SetWeaponCaps(nullptr);
    const HostHandle sustainer = missile.sustainerThruster;
    missile.boosterThruster = nullptr;

    missile.SetWeaponCaps(nullptr);

    const standin::Vessel* record = standin::Find(hull);
    EXPECT_EQ(record->resources.size(), 1u);
    ASSERT_EQ(record->thrusters.size(), 3u);
    EXPECT_EQ(standin::RecordIndex(missile.boosterThruster), 2);
    EXPECT_EQ(missile.sustainerThruster, sustainer);
}

}  // namespace
