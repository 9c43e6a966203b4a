#include "weapon/weapon_component.h"

#include "weapon/weapon_vessel.h"

WeaponComponent::WeaponComponent(WeaponVessel* ownerVessel)
    : owner(ownerVessel)
{
    // Registering last: components are listed, and later called, in construction order.
    owner->AddComponent(this);
}
