// The warhead: a charge burned by 32 balanced blast thrusters, and the weapon's self-removal.
#pragma once

#include "host/host_types.h"
#include "weapon_component.h"

/// Warhead component: arms, ignites, burns its charge and asks its weapon to remove itself.
class Warhead : public WeaponComponent {
public:
    /// Number of blast thrusters.
    static constexpr int BLAST_THRUSTER_COUNT = 32;

    /// Warhead centred at `position` (body, m) with charge `mass` kg, `length` m and `diameter` m;
    /// registers itself with `owner` and the "contrail2" texture with the host.
    Warhead(WeaponVessel* owner, const VECTOR3& position, double mass, double length, double diameter);

    /// Creates the charge and any missing blast thruster, adds a pair of streams to each, and
    /// once ignited logs the ignition and runs every blast thruster at full level.
    void SetClassCaps() override;
    /// Once ignited, asks for the weapon's removal when the charge is exactly 0.0 kg.
    void PostStep(double simt, double simdt) override;
    /// Removes an unarmed weapon; ignites an armed warhead that has not yet ignited.
    void OnGroundContact() override;

    /// Arms the warhead: ground contact then ignites it.
    virtual void Arm();
    /// Ignites the warhead once: debug string, log line, blast thrusters at full level.
    virtual void Ignite();
    /// Contact reaction at `speed` m/s: removes an unarmed weapon, ignites an armed one above 1 m/s.
    virtual void OnImpact(double speed);

    /// Fills both particle-stream records from the warhead's mass and diameter.
    void InitStreamSpecs();

    PARTICLESTREAMSPEC streamSpec1;                   ///< first stream of every blast thruster
    PARTICLESTREAMSPEC streamSpec2;                   ///< second stream, "contrail2" texture
    HostHandle chargeResource;                        ///< the charge's propellant resource
    HostHandle blastThrusters[BLAST_THRUSTER_COUNT];  ///< blast thrusters in pattern order
    VECTOR3 position;                                 ///< centre in vessel coordinates, m
    double length;                                    ///< extent along body z, m
    double diameter;                                  ///< diameter, m
    double mass;                                      ///< charge mass, kg
    bool armed;                                       ///< set by Arm; never cleared
    bool ignited;                                     ///< set once by Ignite; never cleared
};
