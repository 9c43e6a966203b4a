// The flight sequencer: release and re-hanging, self-activation, guided flight and the motor.
#include <cstdio>

#include "host/zapi.h"
#include "missile/guided_missile.h"
#include "missile/missile_params.h"

namespace {

/// A missile that was never activated activates itself strictly above this altitude, m.
constexpr double ACTIVATION_ALTITUDE = 5.0;
/// Steering follows glide pitch and seeker once the flight clock is strictly past this, s.
constexpr double GUIDANCE_DELAY = 3.0;
/// The booster fires while the motor clock is at or below this, s; the sustainer burns on.
constexpr double BOOSTER_BURN = 1.5;

}  // namespace

void GuidedMissile::WeaponPostStep(double simt, double simdt)
{
    // Exactly one status query per step: the launcher letting go, or hanging the missile again.
    if (attached && GetAttachmentStatus(attachment) == nullptr) {
        attached = false;
        // A missile released while safe falls without motor or steering.
        if (armed) {
            flightTime = 0.0;
            burnTime = 0.0;
        }
    } else if (!attached && GetAttachmentStatus(attachment) != nullptr) {
        attached = true;
        // A missile hung up again after its motor ran is made ready for a new launch; thruster
        // levels are left as they are.
        if (burnTime >= 0.0) {
            burnTime = -1.0;
            flightTime = -1.0;
            SetPropellantMass(propellant, PROPELLANT_MASS);
        }
    }

    // Dropped or carried aloft without activation: launch at once. On a launcher the next step
    // finds it attached again, so it stays active and armed and starts its flight on release.
    if (GetAltitude() > ACTIVATION_ALTITUDE && !active) {
        Activate();
        Arm();
        attached = false;
        pitchCommand = GetPitch();
        burnTime = 0.0;
        flightTime = 0.0;
    }

    if (active) {
        SeekerStep(simt, simdt);
    }

    if (flightTime >= 0.0) {
        // The laws act on the commands of the previous step.
        RollControl();
        PitchControl();
        YawControl();
        flightTime += simdt;
        if (flightTime > GUIDANCE_DELAY) {
            if (targetLocked) {
                const double glide = GlidePitch();
                pitchCommand = GetPitch() + glide + seekerEl;
                yawCommand = seekerAz;
            } else {
                pitchCommand = GlidePitch();
                yawCommand = 0.0;
            }
        }
        if (flightTime > FLIGHT_TIME_LIMIT) {
            // The warhead ignites once; the message is written again every step.
            warhead.Ignite();
            char* text = zapiDebugString();
            const char* name = GetName();
            // Bounded by the host's buffer, so a long vessel name is cut short.
            if (text != nullptr) {
                std::snprintf(text, ZAPI_DEBUG_STRING_SIZE, "%s: Exceeded flight time limit of %5.1f seconds",
                              name, FLIGHT_TIME_LIMIT);
            }
        }
    }

    if (burnTime >= 0.0 && GetPropellantMass(propellant) > 0.0) {
        burnTime += simdt;
        SetThrusterLevel(sustainerThruster, 1.0);
        SetThrusterLevel(boosterThruster, burnTime > BOOSTER_BURN ? 0.0 : 1.0);
    }
}

int GuidedMissile::Activate()
{
    // Again on an active missile: the seeker centres and restarts its pattern.
    active = true;
    seekerState = -4;
    return 0;
}

int GuidedMissile::Arm()
{
    if (!active) {
        return -2;
    }
    armed = true;
    warhead.Arm();
    return 0;
}

int GuidedMissile::Safe()
{
    // Only a carried missile can be safed; the warhead's own arming stays as it is.
    if (!attached) {
        return -1;
    }
    armed = false;
    return 0;
}
