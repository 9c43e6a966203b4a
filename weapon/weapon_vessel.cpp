#include "weapon/weapon_vessel.h"

#include <climits>
#include <cmath>
#include <cstdlib>

#include "host/zapi.h"
#include "weapon/debug_log.h"
#include "weapon/weapon_component.h"

WeaponVessel::WeaponVessel(HostHandle vessel, int flightModel)
    : VESSEL2(vessel, flightModel),
      components(nullptr),
      componentCount(0),
      componentCapacity(0),
      stepLength(0.0),
      groundContact(false),
      vesselContact(false),
      impactSpeed(0.0),
      finalizeRequested(false)
{
}

WeaponVessel::~WeaponVessel()
{
    std::free(components);
}

void WeaponVessel::AddComponent(WeaponComponent* component)
{
    if (componentCount == componentCapacity) {
        if (componentCapacity > INT_MAX / 2) {
            return;
        }
        const int grownCapacity = componentCapacity == 0 ? 4 : 2 * componentCapacity;
        // The list holds pointers to components, so a slot is the size of a pointer.
        // NOLINTNEXTLINE(bugprone-sizeof-expression)
        void* grown = std::realloc(components, static_cast<size_t>(grownCapacity) * sizeof(WeaponComponent*));
        // Out of memory: the list keeps what it had and this component stays unlisted.
        if (grown == nullptr) {
            return;
        }
        components = static_cast<WeaponComponent**>(grown);
        componentCapacity = grownCapacity;
    }
    components[componentCount] = component;
    ++componentCount;
}

WeaponComponent* WeaponVessel::Component(int index) const
{
    if (index < 0 || index >= componentCount) {
        return nullptr;
    }
    return components[index];
}

void WeaponVessel::clbkSetClassCaps(HostHandle config)
{
    SetWeaponCaps(config);
    for (int i = 0; i < componentCount; ++i) {
        components[i]->SetClassCaps();
    }
}

void WeaponVessel::clbkSetStateEx(const void* stateRecord)
{
    DefSetStateEx(stateRecord);
}

void WeaponVessel::clbkPostStep(double simt, double simdt, double)
{
    stepLength = simdt;
    CheckVesselContact();
    CheckGroundContact();
    // The count is read on every pass: a component may register another one during the step.
    for (int i = 0; i < componentCount; ++i) {
        WeaponComponent* component = components[i];
        component->PostStep(simt, stepLength);
        if (groundContact) {
            component->OnGroundContact();
        }
        if (vesselContact) {
            component->OnVesselContact(impactSpeed);
        }
    }
    WeaponPostStep(simt, stepLength);
    if (finalizeRequested) {
        Finalize();
    }
}

void WeaponVessel::CheckGroundContact()
{
    // Clearance of the nose or tail, of a wing tip, and of the body's side; every term asks
    // the host anew.
    double h = GetAltitude();
    double s = GetSize() + 0.5;
    const double c1 = h - std::fabs(s * std::sin(GetPitch()));
    h = GetAltitude();
    s = GetSize() + 0.5;
    const double c2 = h - std::fabs(s * std::sin(GetBank()));
    h = GetAltitude();
    s = GetSize() + 0.5;
    const double c3 = h - std::fabs(s * std::cos(GetPitch()));
    // Written as "not all clear" so that a clearance that is not a number counts as contact.
    groundContact = !(c1 > 0.0 && c2 > 0.0 && c3 > 0.0);
}

void WeaponVessel::CheckVesselContact()
{
    const double size = GetSize();
    vesselContact = false;
    impactSpeed = 0.0;
    VECTOR3 momentum{0.0, 0.0, 0.0};
    for (int i = 0; static_cast<unsigned int>(i) < zapiGetVesselCount(); ++i) {
        HostHandle other = zapiGetVesselByIndex(i);
        if (other == GetHandle()) {
            continue;
        }
        const double otherSize = zapiGetSize(other);
        VECTOR3 r;
        zapiGetRelativePos(GetHandle(), other, r);
        if (size + otherSize > std::sqrt(r.x * r.x + r.y * r.y + r.z * r.z)) {
            VECTOR3 v;
            zapiGetRelativeVel(GetHandle(), other, v);
            vesselContact = true;
            const double otherMass = zapiGetMass(other);
            momentum.x += otherMass * v.x;
            momentum.y += otherMass * v.y;
            momentum.z += otherMass * v.z;
        }
    }
    if (vesselContact) {
        const double p = std::sqrt(momentum.x * momentum.x + momentum.y * momentum.y + momentum.z * momentum.z);
        impactSpeed = p / GetMass();
    }
}

void WeaponVessel::RequestFinalize()
{
    finalizeRequested = true;
}

void WeaponVessel::Finalize()
{
    ClearThrusterDefinitions();
    ClearPropellantResources();
    ClearMeshes();
    zapiDeleteVessel(GetHandle(), nullptr);
    // The host keeps the name valid until the end of the step that deleted the vessel; the name
    // and time are asked for only when the log opened.
    if (DebugLogRecord record; record.IsOpen()) {
        const char* name = GetName();
        const double simt = zapiGetSimTime();
        record.Write("Confirm finalize of %s at %fs.\n", name, simt);
    }
}
