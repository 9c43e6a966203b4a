// The scenario being read or written, as the host holds it while modules read or write their lines,
// and the status record of the vessel being loaded.
#pragma once

#include <string>
#include <vector>

#include "host/zelvar.h"
#include "world/vessel.h"

namespace standin {

/// Most propellant, thruster or key entries one vessel's status carries.
inline constexpr int STATUS_ENTRIES = 128;

/// The host's state record for one vessel: what its host lines said, applied by DefSetStateEx.
struct HostStatus {
    bool hasPos = false, hasVel = false, hasAtt = false, hasQuat = false, hasAngVel = false;
    bool hasSize = false, hasMass = false, hasMotion = false;
    bool hasLocation = false, hasGroundVel = false, hasPmi = false, hasCrossSections = false;
    VECTOR3 pos{};                 ///< global, m
    VECTOR3 vel{};                 ///< global, m/s
    VECTOR3 location{};            ///< latitude (deg), longitude (deg), altitude (m); instead of pos
    VECTOR3 groundVel{};           ///< over the ground in the local east, up, north, m/s; instead of vel
    VECTOR3 pmi{};                 ///< principal moments of inertia per unit mass, m^2
    VECTOR3 crossSections{};       ///< m^2
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
    bool keysApplied = false;      ///< the key events went to the world already
    bool attached = false;         ///< hangs on a parent
    int childPoint = 0;            ///< own to-parent point index
    int parentPoint = -1;          ///< parent's point index, -1 for its origin
    int attachedLine = 0;          ///< line number of the ATTACHED line
    std::string parentName;        ///< the parent vessel's name
    Steering steering;             ///< what its steering lines said
    bool hasCourse = false;        ///< a COURSE line gave the course and speed
    bool hasPlace = false;         ///< a PLACE line gave the place exactly
    physics::Place place{};        ///< what it gave, longitude in the global frame
    int placeLine = 0;             ///< its line number
    int steeringLine = 0;          ///< line number of its first steering line, 0 for none
    int routeLine = 0;             ///< of its ROUTE line
    int waypointLine = 0;          ///< of its first WAYPOINT line
    int triggerLine = 0;           ///< of its TRIGGER line
    int reactionLine = 0;          ///< of its REACTION line
    std::string error;             ///< "file:line: why" for the first line that could not be read
};

/// The scenario a load or a save has open; only one is, during LoadScenario or SaveScenario.
struct ScenarioFile {
    HostHandle handle = nullptr;     ///< handed to the module's load and save callbacks
    std::string path;                ///< the name errors give the file
    bool saving = false;             ///< a save collects the lines modules write
    bool everyPlace = false;         ///< a save writes every free vessel's place over a round planet
    std::vector<std::string> lines;  ///< load: the current vessel's lines; save: the lines its module wrote
    std::vector<int> lineNumbers;    ///< load: their line numbers in the file
    size_t next = 0;                 ///< load: the next line to hand out
    int currentLine = 0;             ///< line number of the line last handed out
    std::vector<char> buffer;        ///< the line handed out; the module may write into it
    char emptyLine[1]{};             ///< what a read past the last line hands out
    HostStatus status;               ///< the status record of the vessel being loaded
    HostHandle statusHandle = nullptr;  ///< what its module is handed for `status`; null while none is open
};

}  // namespace standin
