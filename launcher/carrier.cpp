#include "launcher/carrier.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <strings.h>

#include "host/host_export.h"
#include "missile/weapon_interface.h"

namespace {

const char* const ACTION_NAMES[] = {"GETTYPE", "ACTIVATE", "ARM", "SAFE", "RELEASE"};

// Appends one printf-style record to the host's log file, as weapons do.
[[gnu::format(printf, 1, 2)]] void Log(const char* format, ...)  // NOLINT(cert-dcl50-cpp)
{
    if (std::FILE* file = std::fopen(observable::LOG_FILE, "at")) {
        va_list args;
        va_start(args, format);
        std::vfprintf(file, format, args);
        va_end(args);
        std::fclose(file);
    }
}

}  // namespace

Carrier::Carrier(HostHandle vessel, int flightModel) : VESSEL2(vessel, flightModel) {}

void Carrier::clbkSetClassCaps(HostHandle)
{
    SetSize(10.0);
    SetEmptyMass(12000.0);
    SetPMI({12.0, 16.0, 6.0});
    SetCrossSections({28.0, 70.0, 7.0});
    SetTouchdownPoints({0.0, -2.0, 5.0}, {-2.5, -2.0, -2.0}, {2.5, -2.0, -2.0});
    AddMesh(zapiLoadMeshGlobal("Carrier"));
}

bool Carrier::AddStation(const VECTOR3& pos)
{
    if (stationCount >= MAX_STATIONS) {
        return false;
    }
    // The point faces down with its rotation reference forward: a weapon hangs upright beneath it.
    stations[stationCount] = CreateAttachment(false, pos, {0.0, -1.0, 0.0}, {0.0, 0.0, 1.0}, "WM");
    stationPos[stationCount] = pos;
    ++stationCount;
    return true;
}

bool Carrier::Schedule(const Action& action)
{
    if (actionCount >= MAX_ACTIONS || action.station < 0 || action.station >= stationCount) {
        return false;
    }
    actions[actionCount++] = action;
    return true;
}

bool Carrier::ReadLine(const char* line)
{
    VECTOR3 p{};
    char extra = 0;
    if (strncasecmp(line, "STATION", 7) == 0 && (line[7] == ' ' || line[7] == '\t')) {
        // NOLINTNEXTLINE(cert-err34-c): the count is checked; an overflow reads as infinite
        return std::sscanf(line + 8, "%lf %lf %lf %c", &p.x, &p.y, &p.z, &extra) == 3 && AddStation(p);
    }
    if (strncasecmp(line, "AT", 2) == 0 && (line[2] == ' ' || line[2] == '\t')) {
        Action action{};
        char name[16] = {};
        // NOLINTNEXTLINE(cert-err34-c): the count is checked; an overflow reads as infinite
        int read = std::sscanf(line + 3, "%lf %d %15s %lf %lf %lf %c", &action.time, &action.station, name,
                               &p.x, &p.y, &p.z, &extra);
        if (read != 3 && !(read == 6 && strcasecmp(name, "RELEASE") == 0)) {
            return false;
        }
        for (int k = 0; k <= RELEASE; ++k) {
            if (strcasecmp(name, ACTION_NAMES[k]) == 0) {
                action.kind = static_cast<ActionKind>(k);
                action.push = read == 6 ? p : VECTOR3{0.0, 0.0, 0.0};
                return action.time == action.time && Schedule(action);
            }
        }
    }
    return false;
}

void Carrier::clbkLoadStateEx(HostHandle scn, void* status)
{
    char* line = nullptr;
    while (zapiReadScenario_nextline(scn, line)) {
        // A line of ours that cannot be read goes to the host too, which names it as unreadable.
        if (!ReadLine(line)) {
            ParseScenarioLineEx(line, status);
        }
    }
}

void Carrier::clbkSaveState(HostHandle scn)
{
    char text[96];
    for (int i = 0; i < stationCount; ++i) {
        std::snprintf(text, sizeof text, "%.17g %.17g %.17g", stationPos[i].x, stationPos[i].y, stationPos[i].z);
        zapiWriteScenario_string(scn, "STATION", text);
    }
    for (int i = 0; i < actionCount; ++i) {
        const Action& a = actions[i];
        if (a.done) {
            continue;
        }
        int n = std::snprintf(text, sizeof text, "%.17g %d %s", a.time, a.station, ACTION_NAMES[a.kind]);
        if (a.kind == RELEASE && n > 0) {
            std::snprintf(text + n, sizeof text - static_cast<size_t>(n), " %.17g %.17g %.17g", a.push.x, a.push.y,
                          a.push.z);
        }
        zapiWriteScenario_string(scn, "AT", text);
    }
}

void Carrier::clbkPreStep(double simt, double, double)
{
    for (int i = 0; i < actionCount; ++i) {
        // Due at its time, allowing for the rounding of a clock summed from steps.
        if (!actions[i].done && actions[i].time <= simt + 1e-9) {
            actions[i].done = true;
            Carry(actions[i], simt);
        }
    }
}

void Carrier::Carry(Action& action, double simt)
{
    HostHandle point = stations[action.station];
    HostHandle child = GetAttachmentStatus(point);
    VESSEL* weapon = zapiGetVesselInterface(child);
    const char* weaponName = weapon != nullptr ? weapon->GetName() : "nothing";
    if (action.kind == RELEASE) {
        bool released = DetachChild(point, action.push);
        Log(released ? "%s released %s (%d) at %fs.\n" : "%s had nothing to release at %s (%d) at %fs.\n", GetName(),
            released ? weaponName : "its station", action.station, simt);
        return;
    }
    char command[32];
    std::snprintf(command, sizeof command, "%s%s", observable::COMMAND_PREFIX, ACTION_NAMES[action.kind]);
    int answer = WeaponCommand(weapon, command);
    char what[96];
    std::snprintf(what, sizeof what, "%s to %s", command, weaponName);
    Log("%s%s%s: answer %d at %fs.\n", GetName(), observable::LOG_SENT, what, answer, simt);
}

/// Creates the carrier for host vessel `vessel`; null when there is no memory for it.
ZVC_EXPORT VESSEL* zvcInit(HostHandle vessel, int flightModel)
{
    Carrier* carrier = new (std::nothrow) Carrier(vessel, flightModel);
    return carrier != nullptr ? static_cast<VESSEL*>(carrier) : nullptr;
}

/// Destroys a carrier that zvcInit returned; null is ignored.
ZVC_EXPORT void zvcExit(VESSEL* vessel)
{
    delete static_cast<Carrier*>(static_cast<VESSEL2*>(vessel));
}
