// A launcher's view of the missile: the module loaded with dlopen, reached only through the host's
// vessel lookup and the weapon family's virtual table, its effects read back from the host.
#include <utility>

#include "missile/weapon_interface.h"
#include "test_support.h"

namespace {

class LauncherTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        launcher = standin::CreateBody(Desc("Launcher", {0.0, 3.2, 0.0}));
        standin::SetPinned(launcher, true);
        missile = standin::CreateModuleVessel("Karvex", Desc("K1", {0.0, 3.0, 0.0}));
        ASSERT_NE(missile, nullptr) << standin::LastError();
        weapon = zapiGetVesselInterface(missile);
        ASSERT_NE(weapon, nullptr);
        point = standin::AttachmentById(missile, "WM");
        ASSERT_NE(point, nullptr);
    }

    /// Hangs the missile on the launcher and lets it notice.
    void HangAndStep()
    {
        ASSERT_TRUE(standin::Attach(launcher, nullptr, missile, point));
        standin::Step(0.125);
    }

    /// Lets the missile go, holds it in place and runs the release step.
    void ReleaseAndStep()
    {
        standin::Detach(missile, point);
        standin::SetPinned(missile, true);
        standin::Step(0.125);
    }

    /// Levels of the missile's first two thrusters: booster, then sustainer.
    std::pair<double, double> MotorLevels() const
    {
        const standin::Vessel* v = standin::Find(missile);
        return {v->thrusters.at(0).level, v->thrusters.at(1).level};
    }

    HostHandle launcher = nullptr;
    HostHandle missile = nullptr;
    HostHandle point = nullptr;
    VESSEL* weapon = nullptr;
};

TEST_F(LauncherTest, CommandsReachTheWeaponThroughItsTable)
{
    EXPECT_EQ(WeaponCommand(weapon, "weapon::GetType"), 1);
    EXPECT_EQ(WeaponCommand(weapon, "WEAPON::ARM"), -2);
    EXPECT_EQ(WeaponCommand(weapon, "WEAPON::SAFE"), -1);
    EXPECT_EQ(WeaponCommand(weapon, "WEAPON::RELOAD"), -1);
    EXPECT_EQ(WeaponCommand(weapon, "LAUNCHER::ARM"), 0);
    EXPECT_EQ(WeaponCommand(weapon, nullptr), 0);
    EXPECT_EQ(WeaponCommand(weapon, "WEAPON::ACTIVATE"), 0);
    EXPECT_EQ(WeaponCommand(weapon, "WEAPON::ARM"), 0);

    // No weapon behind the pointer: a plain body has no module interface.
    EXPECT_EQ(WeaponCommand(nullptr, "WEAPON::GETTYPE"), 0);
    EXPECT_EQ(WeaponCommand(zapiGetVesselInterface(launcher), "WEAPON::GETTYPE"), 0);
}

TEST_F(LauncherTest, ArmedMissileLightsItsMotorOnRelease)
{
    HangAndStep();
    EXPECT_EQ(WeaponCommand(weapon, "WEAPON::ACTIVATE"), 0);
    EXPECT_EQ(WeaponCommand(weapon, "WEAPON::ARM"), 0);
    standin::Step(0.125);
    EXPECT_EQ(MotorLevels(), std::make_pair(0.0, 0.0)) << "nothing fires on the launcher";

    ReleaseAndStep();
    EXPECT_EQ(MotorLevels(), std::make_pair(1.0, 1.0));
}

TEST_F(LauncherTest, SafedMissileIsReleasedInert)
{
    HangAndStep();
    EXPECT_EQ(WeaponCommand(weapon, "WEAPON::ACTIVATE"), 0);
    EXPECT_EQ(WeaponCommand(weapon, "WEAPON::ARM"), 0);
    EXPECT_EQ(WeaponCommand(weapon, "WEAPON::SAFE"), 0);
    ReleaseAndStep();
    EXPECT_EQ(MotorLevels(), std::make_pair(0.0, 0.0));
    EXPECT_EQ(WeaponCommand(weapon, "WEAPON::SAFE"), -1) << "free again";
}

}  // namespace
