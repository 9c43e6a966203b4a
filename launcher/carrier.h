// The carrier: a launcher aircraft module that flies as its scenario says, carries weapons on its
// stations and, at the times its scenario lines give, sends them commands and lets them go. It knows
// its weapons only through the weapon family's virtual table.
#pragma once

#include "host/zelvar.h"

/// A launcher aircraft; its vessel is meant to be kinematic (it holds the speed and heading given).
class Carrier : public VESSEL2 {
public:
    /// Most weapon stations and scheduled actions one carrier holds.
    static constexpr int MAX_STATIONS = 8;
    static constexpr int MAX_ACTIONS = 64;

    /// What a scheduled action does to the weapon on its station.
    enum ActionKind { GETTYPE, ACTIVATE, ARM, SAFE, RELEASE };

    /// One scheduled action.
    struct Action {
        double time;     ///< simulation time it is due, s
        int station;     ///< station index
        ActionKind kind;
        VECTOR3 push;    ///< release velocity, carrier body frame, m/s (RELEASE only)
        bool done;
    };

    /// Binds the carrier to host vessel `vessel` at flight-model level `flightModel`.
    Carrier(HostHandle vessel, int flightModel);
    virtual ~Carrier() = default;

    void clbkSetClassCaps(HostHandle config) override;
    /// Reads "STATION x y z" (a weapon station at body position x y z, m) and
    /// "AT t station GETTYPE|ACTIVATE|ARM|SAFE|RELEASE [vx vy vz]"; other lines go to the host.
    void clbkLoadStateEx(HostHandle scn, void* status) override;
    /// Writes the stations and the actions still to come.
    void clbkSaveState(HostHandle scn) override;
    /// Carries out the actions that have come due.
    void clbkPreStep(double simt, double simdt, double mjd) override;

    /// Adds a station at `pos` (body frame, m): a parent point "WM" facing down; false when full.
    bool AddStation(const VECTOR3& pos);
    /// Schedules `action`; false when full or its station does not exist.
    bool Schedule(const Action& action);

private:
    void Carry(Action& action, double simt);
    bool ReadLine(const char* line);

    HostHandle stations[MAX_STATIONS] = {};
    VECTOR3 stationPos[MAX_STATIONS] = {};
    int stationCount = 0;
    Action actions[MAX_ACTIONS] = {};
    int actionCount = 0;
};
