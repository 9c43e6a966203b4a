// The weapon base's contact tests driven through the stand-in host: touching other vessels, the
// impact speed, and the ground test from altitude, attitude and size.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "weapon_vessel_fixture.h"

namespace {

using weapon_vessel_test::Calls;
using weapon_vessel_test::HIGH;
using weapon_vessel_test::WeaponVesselTest;

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

}  // namespace
