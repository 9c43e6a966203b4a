// A part of a weapon that the weapon base forwards set-up, steps and contacts to.
#pragma once

class WeaponVessel;

/// Base of weapon components; registers itself with its owner on construction.
class WeaponComponent {
public:
    /// Stores `owner` and appends this component to the owner's list (the owner's
    /// WeaponVessel part must already be constructed).
    explicit WeaponComponent(WeaponVessel* owner);

    /// The weapon vessel this component belongs to.
    WeaponVessel* GetOwner() const { return owner; }

    /// Component set-up, called from the owner's class set-up.
    virtual void SetClassCaps() {}
    /// Reserved; nothing calls it.
    virtual void ReservedHook1(int) {}
    /// Reserved; nothing calls it.
    virtual void ReservedHook2(int) {}
    /// Called once per step with the simulation time and the step length, s.
    virtual void PostStep(double simt, double simdt) { (void)simt; (void)simdt; }
    /// Called in every step in which the owner touches the ground.
    virtual void OnGroundContact() {}
    /// Called in every step in which the owner touches another vessel; impact speed in m/s.
    virtual void OnVesselContact(double impactSpeed) { (void)impactSpeed; }

protected:
    ~WeaponComponent() = default;

private:
    WeaponVessel* owner;
};
