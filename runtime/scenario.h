// Scenario files: the host's own state lines, and the module lines it hands to each vessel.
#pragma once

#include <string>

#include "world/world.h"

namespace standin {

/// Most propellant, thruster or key entries one vessel's status carries.
inline constexpr int STATUS_ENTRIES = 128;

/// The host's state record for one vessel: what its scenario lines said, applied by DefSetStateEx.
struct HostStatus {
    bool hasPos = false, hasVel = false, hasAtt = false, hasQuat = false, hasAngVel = false;
    bool hasSize = false, hasMass = false, hasMotion = false;
    VECTOR3 pos{};                 ///< global, m
    VECTOR3 vel{};                 ///< global, m/s
    double pitch = 0.0, bank = 0.0, heading = 0.0;  ///< rad
    double quat[4] = {1.0, 0.0, 0.0, 0.0};          ///< attitude as a unit quaternion (w, x, y, z)
    VECTOR3 angVel{};              ///< body, rad/s
    double size = 0.0;             ///< m
    double mass = 0.0;             ///< empty mass, kg
    Motion motion = Motion::Dynamic;  ///< how the world moves it
    int propellantCount = 0;
    int propellantIndex[STATUS_ENTRIES]{};
    double propellantMass[STATUS_ENTRIES]{};  ///< kg
    int levelCount = 0;
    int levelIndex[STATUS_ENTRIES]{};
    double level[STATUS_ENTRIES]{};           ///< 0 to 1
    int keyCount = 0;
    KeyEvent keys[STATUS_ENTRIES]{};          ///< scripted key events, vessel not yet set
    mutable bool keysApplied = false;         ///< the key events went to the world already
    bool attached = false;         ///< hangs on a parent
    int childPoint = 0;            ///< own to-parent point index
    int parentPoint = -1;          ///< parent's point index, -1 for its origin
    int attachedLine = 0;          ///< line number of the ATTACHED line
    std::string parentName;        ///< the parent vessel's name
    std::string error;             ///< "file:line: why" for the first line that could not be read
};

/// Reads one host line of the vessel in `slot` into `status` (a HostStatus); an unreadable line
/// sets the status's error.
void ParseHostLine(int slot, const char* line, void* status);
/// Applies `status` (a HostStatus) to the vessel in `slot`.
void ApplyHostStatus(int slot, const void* status);

/// Why `name` cannot name a vessel, or "" when it can: a name is non-empty, holds no NUL, line
/// break, ':' or ';', and neither begins nor ends with a blank, so that it reads back from a file.
std::string VesselNameProblem(const std::string& name);

}  // namespace standin
