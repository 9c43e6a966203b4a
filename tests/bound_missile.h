// A missile built in the test process on a plain body of the stand-in world, set up and pinned,
// so a test controls its altitude and attitude and reads every field directly.
#pragma once

#include <memory>

#include "missile/guided_missile.h"
#include "test_support.h"

/// A world holding one set-up missile "K1", pinned level at 3 m: below the self-activation
/// altitude and clear of the ground.
class BoundMissileTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        handle = standin::CreateBody(Desc("K1", {0.0, 3.0, 0.0}));
        ASSERT_NE(handle, nullptr);
        missile = std::make_unique<GuidedMissile>(handle, 1);
        standin::Bind(handle, missile.get());
        missile->clbkSetClassCaps(nullptr);
        standin::SetPinned(handle, true);
        standin::ClearJournal();
    }

    void TearDown() override
    {
        WorldTest::TearDown();
        missile.reset();
    }

    /// A pinned plain body 0.2 m above the missile, its attachment point's natural place.
    HostHandle CreateLauncher()
    {
        const double above = standin::Find(handle)->state.pos.y + 0.2;
        HostHandle launcher = standin::CreateBody(Desc("Launcher", {0.0, above, 0.0}));
        standin::SetPinned(launcher, true);
        return launcher;
    }

    /// Hangs the missile by its point "WM" on `launcher`.
    void Hang(HostHandle launcher)
    {
        ASSERT_TRUE(standin::Attach(launcher, nullptr, handle, missile->attachment));
    }

    /// Lets the missile go.
    void Release()
    {
        standin::Detach(handle, missile->attachment);
    }

    /// Moves the missile to altitude `altitude` m, level.
    void PlaceAt(double altitude)
    {
        standin::SetPosition(handle, {0.0, altitude, 0.0});
    }

    /// The booster's level, 0 to 1.
    double BoosterLevel() const { return standin::FindThruster(handle, missile->boosterThruster)->level; }
    /// The sustainer's level, 0 to 1.
    double SustainerLevel() const { return standin::FindThruster(handle, missile->sustainerThruster)->level; }
    /// Propellant left in the motor's resource, kg.
    double Propellant() const { return standin::FindResource(handle, missile->propellant)->mass; }

    HostHandle handle = nullptr;
    std::unique_ptr<GuidedMissile> missile;
};
