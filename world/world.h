// The stand-in host's world: plain data, read by the host functions and by tests and tools.
// All storage is reserved when the world is reset or a vessel is created; a steady step
// allocates nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/zelvar.h"
#include "world/physics_settings.h"
#include "world/scenario_status.h"
#include "world/vessel.h"

namespace standin {

/// A loaded module library.
struct Module {
    std::string className;
    std::string path;             ///< the library's file, "<module folder>/<class>.so"
    void* library = nullptr;
    ZvcInitFunc init = nullptr;
    ZvcExitFunc exit = nullptr;
};

/// What a scenario says about the run itself, beyond the vessels.
struct RunSettings {
    double step = 0.01;          ///< frame length, s (100 Hz)
    double endTime = 60.0;       ///< the run ends at this simulation time, s
    double telemetryRate = 10.0; ///< telemetry samples per second
    std::string watch;           ///< the first watched weapon ("" for none)
    std::string target;          ///< the first target ("" for none)
    std::vector<std::string> watches;  ///< every watched weapon, in file order: the run ends early once all are gone
    std::vector<std::string> targets;  ///< every vessel the watched weapons are meant to hit, in file order
};

/// What kind of failure the last control call met.
enum class ErrorKind {
    None,      ///< it succeeded
    File,      ///< a file could not be opened, read or written
    Scenario,  ///< a scenario file holds a line that cannot be read
    Module,    ///< a module is missing, lacks an entry point, or made no vessel
    Other,     ///< anything else (no free slot, a bad name)
};

/// One host call, as the journal records it.
struct JournalEntry {
    int vessel;          ///< slot of the vessel the call acted on or came from; -1 for none
    char text[240];      ///< "Name arg arg ...": numbers in shortest round-trip form, handles as kind+index
};

/// The whole simulated world.
struct World {
    std::vector<Vessel> vessels;     ///< slots, reserved at reset
    uint32_t slotCount = 0;          ///< vessels.size(), kept for the handle check
    std::vector<int> order;          ///< live slots in index order
    std::vector<int> freeSlots;      ///< free slots, reserved at reset
    std::vector<std::string> meshes;    ///< loaded mesh names, by mesh handle index
    std::vector<std::string> textures;  ///< registered texture names, by texture handle index
    std::vector<Module> modules;
    std::string moduleDir = ".";     ///< where modules are loaded from
    double simt = 0.0;               ///< s
    double mjd = 0.0;                ///< days
    physics::Settings physics;       ///< constants of the flight model
    RunSettings run;                 ///< the loaded scenario's run settings
    std::vector<KeyEvent> keys;      ///< scripted key events, in the order they were read
    uint16_t nextEpoch = 1;
    int currentVessel = -1;          ///< slot whose callback is running, -1 outside callbacks
    char debugString[ZAPI_DEBUG_STRING_SIZE]{};
    bool journalOn = false;
    size_t journalDropped = 0;       ///< calls not recorded because the journal was full
    std::vector<JournalEntry> journal;
    std::string lastError;           ///< of the last control call, "" when none
    ErrorKind lastErrorKind = ErrorKind::None;
    ScenarioFile scenario;           ///< the scenario a load or a save has open
};

/// The current thread's world (through world()); set with UseWorld.
ZAPI_EXPORT extern __thread World* currentWorld __attribute__((tls_model("initial-exec")));
/// The current thread's world: the process's default one unless the thread chose its own.
inline World& world()
{
    return *currentWorld;
}
/// Makes `w` the current thread's world (null: the default one); returns the previous one.
ZAPI_EXPORT World* UseWorld(World* w);

/// A world of one's own for the current thread while in scope: many can fly at once on as many
/// threads. Its vessels are destroyed when it ends.
class ZAPI_EXPORT OwnWorld {
public:
    OwnWorld();
    ~OwnWorld();
    OwnWorld(const OwnWorld&) = delete;
    OwnWorld& operator=(const OwnWorld&) = delete;

private:
    World own;
    World* previous;
};
/// Empty mass plus every resource's propellant, kg.
ZAPI_EXPORT double TotalMass(const Vessel& vessel);

}  // namespace standin
