// Shared by the warhead's tests: a small weapon whose only part is its warhead, the missile's
// warhead dimensions, and a fixture that builds such weapons in a fresh world.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "host/zapi.h"
#include "test_support.h"
#include "weapon/warhead.h"
#include "weapon/weapon_vessel.h"

namespace warhead_test {

/// Journal texts, oldest first.
using Texts = std::vector<std::string>;

/// A weapon whose only part is its warhead.
class Carrier final : public WeaponVessel {
public:
    Carrier(HostHandle vessel, const VECTOR3& centre, double mass, double length, double diameter)
        : WeaponVessel(vessel, 1), warhead(this, centre, mass, length, diameter)
    {
    }

    Warhead warhead;
};

/// The missile's warhead: centre, charge, length and diameter.
inline constexpr VECTOR3 CENTRE{0.0, 0.0, -0.2};
inline constexpr double MASS = 136.4;
inline constexpr double LENGTH = 0.4;
inline constexpr double DIAMETER = 0.3;

/// How many of `texts` begin with `prefix`.
inline size_t Count(const Texts& texts, const std::string& prefix)
{
    return static_cast<size_t>(std::count_if(texts.begin(), texts.end(),
                                             [&](const std::string& t) { return t.rfind(prefix, 0) == 0; }));
}

/// A fresh world for the warhead's tests, holding the weapons it makes.
class WarheadTest : public WorldTest {
protected:
    /// A pinned 1.25 m, 4 kg body named `name` at altitude `altitude` m carrying a warhead.
    Carrier& MakeCarrier(double altitude = 1000.0, const std::string& name = "Karvex", const VECTOR3& centre = CENTRE,
                         double mass = MASS, double length = LENGTH, double diameter = DIAMETER)
    {
        standin::VesselDesc desc = Desc(name, {0.0, altitude, 0.0});
        desc.size = 1.25;
        desc.emptyMass = 4.0;
        HostHandle vessel = standin::CreateBody(desc);
        EXPECT_NE(vessel, nullptr);
        standin::SetPinned(vessel, true);
        carriers.push_back(std::make_unique<Carrier>(vessel, centre, mass, length, diameter));
        standin::Bind(vessel, carriers.back().get());
        return *carriers.back();
    }

    /// Runs the host's class set-up on `carrier`.
    static void SetUpClass(Carrier& carrier) { static_cast<VESSEL2&>(carrier).clbkSetClassCaps(nullptr); }

    std::vector<std::unique_ptr<Carrier>> carriers;
};

}  // namespace warhead_test
