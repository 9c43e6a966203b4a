// Shared by the weapon base's tests: a component and a weapon that record the calls they get, and
// a fixture that builds the weapon and plain bodies around it in a fresh world.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/zapi.h"
#include "test_support.h"
#include "weapon/weapon_component.h"
#include "weapon/weapon_vessel.h"

namespace weapon_vessel_test {

/// Calls as the recording component and weapon write them, in the order they came.
using Calls = std::vector<std::string>;

/// `value` as the call lists write it.
inline std::string Num(double value)
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

/// A fresh world holding one TestWeapon, the calls it records, and plain bodies around it.
class WeaponVesselTest : public WorldTest {
protected:
    /// Creates the weapon's body named `name` of `size` m and `mass` kg at `pos` and binds a TestWeapon to it.
    void MakeWeapon(const VECTOR3& pos, double size = 1.25, double mass = 4.0, const std::string& name = "Dart")
    {
        standin::VesselDesc desc = Desc(name, pos);
        desc.size = size;
        desc.emptyMass = mass;
        handle = standin::CreateBody(desc);
        ASSERT_NE(handle, nullptr);
        standin::SetPinned(handle, true);
        weapon = std::make_unique<TestWeapon>(handle, calls);
        standin::Bind(handle, weapon.get());
    }

    /// Creates a pinned plain body of `size` m and `mass` kg at `pos` moving at `vel`.
    HostHandle MakeBody(const VECTOR3& pos, double size, double mass = 1.0, const VECTOR3& vel = {0, 0, 0})
    {
        standin::VesselDesc desc = Desc("body", pos, vel);
        desc.size = size;
        desc.emptyMass = mass;
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
inline constexpr VECTOR3 HIGH{0.0, 1000.0, 0.0};

}  // namespace weapon_vessel_test
