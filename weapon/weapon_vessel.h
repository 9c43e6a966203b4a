// Base of every weapon vessel: a component list, per-step contact tests and deferred self-removal.
#pragma once

#include "host/vessel.h"

class WeaponComponent;

/// A vessel that carries weapon components and removes itself on request.
class WeaponVessel : public VESSEL2 {
public:
    /// Constructs the host part with the vessel's handle and flight-model level; no components yet.
    WeaponVessel(HostHandle vessel, int flightModel);
    /// Releases the list's storage; the components themselves are members of the derived class.
    ~WeaponVessel();
    WeaponVessel(const WeaponVessel&) = delete;
    WeaponVessel& operator=(const WeaponVessel&) = delete;

    /// Appends `component` to the list (a component added twice is listed twice).
    void AddComponent(WeaponComponent* component);
    /// Strips the vessel, asks the host to delete it and logs the removal to "Debug.log".
    void Finalize();

    /// The derived class's set-up, then every component's, in list order.
    void clbkSetClassCaps(HostHandle config) override;
    /// Hands the state record to the host's default handling.
    void clbkSetStateEx(const void* stateRecord) override;
    /// Contact tests, the components' steps and contacts, the derived step, then any removal;
    /// `simt` and `simdt` in s, `mjd` ignored.
    void clbkPostStep(double simt, double simdt, double mjd) override;

    /// Sets groundContact from the altitude, pitch, bank and size.
    virtual void CheckGroundContact();
    /// Sets vesselContact and impactSpeed (m/s) from every other vessel within touching distance.
    virtual void CheckVesselContact();
    /// Asks for removal at the end of the current (or next) step.
    virtual void RequestFinalize();
    /// Derived class set-up; `config` is the host's class-configuration handle.
    virtual void SetWeaponCaps(HostHandle config) { (void)config; }
    /// Derived class step: simulation time and step length, s.
    virtual void WeaponPostStep(double simt, double simdt) { (void)simt; (void)simdt; }
    /// Reserved; nothing calls it.
    virtual void ReservedHook(double) {}

    /// Number of registered components.
    int ComponentCount() const { return componentCount; }
    /// Component number `index` in registration order (null when out of range).
    WeaponComponent* Component(int index) const;

    WeaponComponent** components;  ///< registered components, registration order (not owned)
    int componentCount;            ///< entries used in `components`
    int componentCapacity;         ///< entries allocated in `components`
    double stepLength;             ///< length of the step being processed, s
    bool groundContact;            ///< latest ground-contact result
    bool vesselContact;            ///< latest vessel-contact result
    double impactSpeed;            ///< latest impact speed, m/s (0 without vessel contact)
    bool finalizeRequested;        ///< removal requested; never cleared
};
