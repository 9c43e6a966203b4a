// The guided missile: airframe, two-stage motor, seeker, autopilot, commands and animation.
#pragma once

#include "host/vessel.h"
#include "weapon/warhead.h"
#include "weapon/weapon_vessel.h"

/// One guided missile; the host creates it through zvcInit and destroys it through zvcExit.
class GuidedMissile : public WeaponVessel {
public:
    /// Rows of the seeker's candidate table.
    static constexpr int CANDIDATE_ROWS = 10;
    /// Points of the seeker's scan pattern.
    static constexpr int SCAN_POINTS = 12;

    /// Builds the missile for the host vessel `vessel` at flight-model level `flightModel`.
    GuidedMissile(HostHandle vessel, int flightModel);

    // Host callbacks.
    void clbkSaveState(HostHandle scn) override;
    void clbkLoadStateEx(HostHandle scn, void* status) override;
    void clbkVisualCreated(HostHandle visual, int refCount) override;
    void clbkVisualDestroyed(HostHandle visual, int refCount) override;
    void clbkAnimate(double simt) override;
    int clbkConsumeBufferedKey(unsigned int key, bool down, char* keyState) override;

    // Weapon hooks.
    void SetWeaponCaps(HostHandle config) override;
    void WeaponPostStep(double simt, double simdt) override;

    /// Destroys the missile; tells the host nothing.
    virtual ~GuidedMissile();
    /// Runs a "WEAPON::" command from another module: 1 for GETTYPE, 0 done, -1 or -2 refused,
    /// 0 for a text that is not a weapon command. `reserved` is not used.
    virtual int ProcessCommand(const char* command, int reserved);

    // Flight sequencer state operations.
    /// Starts the seeker from its centring state; 0.
    int Activate();
    /// Arms missile and warhead; -2 (and nothing changes) while not active, else 0.
    int Arm();
    /// Disarms the missile while attached; -1 (and nothing changes) when free, else 0.
    int Safe();

    // Seeker and guidance.
    /// One seeker update over `simdt` s; `simt` is not used.
    void SeekerStep(double simt, double simdt);
    /// Rebuilds the candidate table from every other vessel; true when one qualified.
    bool ScanForTargets();
    /// Look angles (rad) of the body-frame position `local`; false unless it lies in front.
    bool LookAngles(const VECTOR3& local, double& az, double& el);
    /// Cosine of the angle between `a` and `b`; 0 when either has zero length.
    double CosAngle(const VECTOR3& a, const VECTOR3& b);
    /// Empties the candidate table.
    void ClearCandidates();
    /// Ranks one candidate (offsets and distance in rad, angular size in rad) into the table.
    void InsertCandidate(HostHandle vessel, double azOffset, double elOffset, double size, double distance);
    /// Turns the look direction toward (`az`, `el`) rad, at most the slew rate over `simdt` s.
    void SlewSeeker(double az, double el, double simdt);
    /// Roll law: drives the aileron pair (type 2) from the bank.
    void RollControl();
    /// Pitch law: drives the elevator (type 0) from pitchCommand minus the pitch.
    void PitchControl();
    /// Yaw law: drives the rudder (type 1) from yawCommand.
    void YawControl();
    /// Glide pitch angle, rad; not a number when the dynamic pressure cannot carry the weight.
    double GlidePitch();

    HostHandle visual;                               ///< the visual while the host shows one
    Warhead warhead;                                 ///< the warhead component
    HostHandle propellant;                           ///< motor propellant resource
    HostHandle sustainerThruster;                    ///< 2400 N sustainer
    HostHandle boosterThruster;                      ///< 7512 N booster
    HostHandle attachment;                           ///< attachment point "WM"
    HostHandle candidateVessel[CANDIDATE_ROWS];      ///< candidate vessels; null marks an empty row
    double candidateAzOffset[CANDIDATE_ROWS];        ///< azimuth minus seekerAz at scan, rad
    double candidateElOffset[CANDIDATE_ROWS];        ///< elevation minus seekerEl at scan, rad
    double candidateDistance[CANDIDATE_ROWS];        ///< angular distance from the look direction, rad
    double candidateSize[CANDIDATE_ROWS];            ///< angular size, rad
    bool targetLocked;                               ///< the seeker follows a target
    double burnTime;                                 ///< motor clock, s; -1 before ignition
    double flightTime;                               ///< flight clock, s; -1 outside guided flight
    double yawCommand;                               ///< yaw error the yaw law nulls, rad
    int seekerState;                                 ///< -4 centring, 0 out, 1 across, 2 back, -3 tracking
    int scanIndex;                                   ///< current scan-pattern point, 0 to 11
    double seekerAz;                                 ///< seeker azimuth, rad, positive toward body +x
    double seekerEl;                                 ///< seeker elevation, rad, positive toward body +y
    double shownSeekerEl;                            ///< elevation the head mesh shows, rad
    double shownSeekerAz;                            ///< azimuth the head mesh shows, rad
    double pitchCommand;                             ///< pitch the pitch law holds, rad
    bool active;                                     ///< seeker running; never cleared
    bool armed;                                      ///< flies when released
    bool attached;                                   ///< a launcher holds the missile
};

/// One point of the scan pattern, rad.
struct ScanPoint {
    double azimuth;    ///< rad, positive toward body +x
    double elevation;  ///< rad, positive toward body +y
};
/// The seeker's twelve look points, indexed by scanIndex.
extern const ScanPoint scanPattern[GuidedMissile::SCAN_POINTS];
