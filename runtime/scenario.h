// Scenario files: the host's own state lines, and the module lines it hands to each vessel.
#pragma once

#include <string>

#include "world.h"

namespace standin {

/// Most propellant or thruster entries one vessel's status carries.
inline constexpr int STATUS_ENTRIES = 128;

/// The host's state record for one vessel: what its scenario lines said, applied by DefSetStateEx.
struct HostStatus {
    bool hasPos = false, hasVel = false, hasAtt = false, hasAngVel = false, hasSize = false, hasMass = false;
    bool hasMotion = false;
    Motion motion = Motion::Dynamic;  ///< how the world moves it
    VECTOR3 pos{};                 ///< global, m
    VECTOR3 vel{};                 ///< global, m/s
    double pitch = 0.0, bank = 0.0, heading = 0.0;  ///< rad
    VECTOR3 angVel{};              ///< body, rad/s
    double size = 0.0;             ///< m
    double mass = 0.0;             ///< empty mass, kg
    int propellantCount = 0;
    int propellantIndex[STATUS_ENTRIES]{};
    double propellantMass[STATUS_ENTRIES]{};  ///< kg
    int levelCount = 0;
    int levelIndex[STATUS_ENTRIES]{};
    double level[STATUS_ENTRIES]{};           ///< 0 to 1
    bool attached = false;         ///< hangs on a parent
    int childPoint = 0;            ///< own to-parent point index
    int parentPoint = -1;          ///< parent's point index, -1 for its origin
    std::string parentName;        ///< the parent vessel's name
    std::string error;             ///< "file:line: why" for the first line that could not be read
};

/// Reads one host line of the vessel in `slot` into `status` (a HostStatus); an unreadable line
/// sets the status's error.
void ParseHostLine(int slot, const char* line, void* status);
/// Applies `status` (a HostStatus) to the vessel in `slot`.
void ApplyHostStatus(int slot, const void* status);

}  // namespace standin
