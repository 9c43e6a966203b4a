#include "weapon/warhead.h"

#include <cmath>
#include <cstdio>

#include "host/zapi.h"
#include "weapon/debug_log.h"
#include "weapon/observable.h"
#include "weapon/weapon_vessel.h"

namespace {

/// Position (body, m) and unit thrust direction of blast thruster `entry` of a warhead centred
/// at `centre` with `length` m and `diameter` m.
void BlastThruster(int entry, const VECTOR3& centre, double length, double diameter, VECTOR3& pos,
                   VECTOR3& dir)
{
    if (entry == 0) {
        pos = {centre.x, centre.y, centre.z + 0.5 * length};
        dir = {0.0, 0.0, -1.0};
        return;
    }
    if (entry == 1) {
        pos = {centre.x, centre.y, centre.z - 0.5 * length};
        dir = {0.0, 0.0, 1.0};
        return;
    }
    // Five rows of six thrusters, 60 degrees apart around the axis, all pointing inward.
    const int row = (entry - 2) / 6;
    const int k = (entry - 2) % 6;
    const double phi = k * 60 * RAD;
    const double sinPhi = std::sin(phi);
    const double cosPhi = std::cos(phi);
    const double cos30 = std::cos(30 * RAD);
    const double radius = 0.5 * diameter * cos30;
    switch (row) {
    case 0:
        pos = {centre.x + radius * sinPhi, centre.y + radius * cosPhi, centre.z + 0.75 * length};
        dir = {-cos30 * sinPhi, -cos30 * cosPhi, 0.5};
        return;
    case 1:
        pos = {centre.x + radius * sinPhi, centre.y + radius * cosPhi, centre.z - 0.75 * length};
        dir = {-cos30 * sinPhi, -cos30 * cosPhi, -0.5};
        return;
    case 2:
        pos = {centre.x + sinPhi, centre.y + cosPhi, centre.z - 0.5};
        break;
    case 3:
        pos = {centre.x + sinPhi, centre.y + cosPhi, centre.z};
        break;
    default:
        pos = {centre.x + sinPhi, centre.y + cosPhi, centre.z + 0.5};
        break;
    }
    // The outer rows lie on a 1 m circle, 0.5 m apart, whatever the warhead's size.
    dir = {-sinPhi, -cosPhi, 0.0};
}

}  // namespace

Warhead::Warhead(WeaponVessel* ownerVessel, const VECTOR3& centre, double chargeMass, double warheadLength,
                 double warheadDiameter)
    : WeaponComponent(ownerVessel),
      streamSpec1{},
      streamSpec2{},
      chargeResource(nullptr),
      blastThrusters{},
      position(centre),
      length(warheadLength),
      diameter(warheadDiameter),
      mass(chargeMass),
      armed(false),
      ignited(false)
{
    InitStreamSpecs();
}

void Warhead::InitStreamSpecs()
{
    // The streams grow with the charge: the square root of nine times its mass.
    const double growth = std::sqrt(9 * mass) - diameter;

    streamSpec1.flags = 0;
    streamSpec1.sourceSize = diameter;
    streamSpec1.sourceRate = 100.0;
    streamSpec1.velocity = 120.0;
    streamSpec1.spread = 0.05;
    streamSpec1.lifetime = 50.0;
    streamSpec1.growthRate = 0.1 * growth;
    streamSpec1.atmosphereSlowdown = 1.24;
    streamSpec1.lighting = 1;
    streamSpec1.levelMap = 4;
    streamSpec1.levelMin = 0.1;
    streamSpec1.levelMax = 1.0;
    streamSpec1.atmosphereMap = 2;
    streamSpec1.atmosphereMin = 0.000001;
    streamSpec1.atmosphereMax = 1.4;
    // The first stream uses the host's default particle texture.
    streamSpec1.texture = nullptr;

    streamSpec2.flags = 0;
    streamSpec2.sourceSize = diameter;
    streamSpec2.sourceRate = 100.0;
    streamSpec2.velocity = 300.0;
    streamSpec2.spread = 0.25;
    streamSpec2.lifetime = 4.0;
    streamSpec2.growthRate = 0.25 * growth + 30.0;
    streamSpec2.atmosphereSlowdown = 0.115;
    streamSpec2.lighting = 1;
    streamSpec2.levelMap = 4;
    streamSpec2.levelMin = 0.1;
    streamSpec2.levelMax = 1.0;
    streamSpec2.atmosphereMap = 2;
    streamSpec2.atmosphereMin = 0.000001;
    streamSpec2.atmosphereMax = 1.4;
    streamSpec2.texture = zapiRegisterExhaustTexture("contrail2");
}

void Warhead::SetClassCaps()
{
    WeaponVessel* vessel = GetOwner();
    if (chargeResource == nullptr) {
        chargeResource = vessel->CreatePropellantResource(mass, mass, 1.0);
    }
    // 32 thrusters at 625 N per kg and an Isp of 2000 m/s burn any charge in 0.1 s.
    const double thrust = 625 * mass;

    int creationOrder[BLAST_THRUSTER_COUNT];
    int n = 0;
    creationOrder[n++] = 0;
    creationOrder[n++] = 1;
    for (int k = 0; k < 6; ++k) {
        for (int row = 0; row < 5; ++row) {
            creationOrder[n++] = 2 + 6 * row + k;
        }
    }
    for (int entry : creationOrder) {
        // A thruster the host refused before is tried again here; the others stay as they are.
        if (blastThrusters[entry] != nullptr) {
            continue;
        }
        VECTOR3 pos;
        VECTOR3 dir;
        BlastThruster(entry, position, length, diameter, pos, dir);
        blastThrusters[entry] = vessel->CreateThruster(pos, dir, thrust, chargeResource, 2000.0, 0.0, 101400.0);
    }

    for (HostHandle thruster : blastThrusters) {
        if (thruster != nullptr) {
            vessel->AddExhaustStream(thruster, &streamSpec1);
            vessel->AddExhaustStream(thruster, &streamSpec2);
        }
    }

    if (ignited) {
        // The name and time are asked for only when the log opened.
        if (DebugLogRecord record; record.IsOpen()) {
            const char* name = vessel->GetName();
            const double simt = zapiGetSimTime();
            record.Write("Ignited Warhead of vessel %s at %fs.\n", name, simt);
        }
        for (HostHandle thruster : blastThrusters) {
            if (thruster != nullptr) {
                vessel->SetThrusterLevel(thruster, 1.0);
            }
        }
    }
}

void Warhead::PostStep(double, double)
{
    // Only an exact 0.0 is burned out: the host stops a draining resource at exactly 0.0.
    if (ignited && GetOwner()->GetPropellantMass(chargeResource) == 0.0) {
        if (DebugLogRecord record; record.IsOpen()) {
            const char* name = GetOwner()->GetName();
            const double simt = zapiGetSimTime();
            record.Write("Finalize vessel %s at %fs.\n%s\n", name, simt, observable::LOG_WARHEAD_BURNED);
        }
        GetOwner()->RequestFinalize();
    }
}

void Warhead::OnGroundContact()
{
    if (!armed) {
        // A dud vanishes without an explosion.
        GetOwner()->RequestFinalize();
    } else if (!ignited) {
        Ignite();
    }
}

void Warhead::Arm()
{
    armed = true;
}

void Warhead::Ignite()
{
    if (ignited) {
        return;
    }
    ignited = true;
    char* text = zapiDebugString();
    const char* name = GetOwner()->GetName();
    // Bounded by the host's buffer size, so a long vessel name is cut short, never written past it.
    if (text != nullptr) {
        std::snprintf(text, ZAPI_DEBUG_STRING_SIZE, "%s%s", name, observable::DEBUG_WARHEAD_IGNITION);
    }
    SetClassCaps();
}

void Warhead::OnImpact(double speed)
{
    if (!armed) {
        GetOwner()->RequestFinalize();
    } else if (!ignited && speed > 1.0) {
        Ignite();
    }
}
