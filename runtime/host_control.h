// The stand-in host's control surface for tests and tools: build a world, place and pin vessels,
// attach them, step frames, and read back everything modules created and set. Modules never
// include this header.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "formats/scenario_document.h"
#include "host/zelvar.h"
#include "world/world.h"

namespace standin {

/// Limits of a world, fixed at reset.
struct WorldConfig {
    int maxVessels = 16384;        ///< vessel slots reserved
    size_t journalCapacity = 0;    ///< journal entries reserved; 0 leaves the journal off
    std::string moduleDir = ".";   ///< folder that modules are loaded from ("<dir>/<class>.so")
};

/// Initial description of a vessel.
struct VesselDesc {
    std::string name = "vessel";  ///< any length, stored whole
    double size = 1.0;            ///< m (a module's set-up may change it)
    double emptyMass = 1.0;       ///< kg (a module's set-up may change it)
    VECTOR3 pos{};                ///< global, m
    VECTOR3 vel{};                ///< global, m/s
    double pitch = 0.0;           ///< rad
    double bank = 0.0;            ///< rad
    double heading = 0.0;         ///< rad from north toward east
    int flightModel = 1;          ///< realism level handed to a module
    /// How the world moves it; unset: dynamic for a module's vessel, kinematic for a plain body.
    std::optional<Motion> motion;
    VesselCapacity capacity{};    ///< records reserved
};

/// Destroys every vessel (a module's through zvcExit), unloads nothing, and starts a new world
/// at simulation time 0.
ZAPI_EXPORT void Reset(const WorldConfig& config = WorldConfig{});
/// Creates a vessel without a module; null (with LastError) when no slot is free or the name could
/// not be saved and read back (empty, or holding a NUL, a line break, ':' or ';', or blanks at its ends).
ZAPI_EXPORT HostHandle CreateBody(const VesselDesc& desc);
/// Loads the module "<moduleDir>/<className>.so" (once), creates a vessel with it: zvcInit, then
/// clbkSetClassCaps. Null with LastError() set when the module or a slot is missing.
ZAPI_EXPORT HostHandle CreateModuleVessel(const char* className, const VesselDesc& desc);
/// Lets `object` (constructed on `vessel`'s handle) take the vessel's callbacks; the caller owns it.
ZAPI_EXPORT void Bind(HostHandle vessel, VESSEL2* object);
/// The last error of a control call, "" when none.
ZAPI_EXPORT const std::string& LastError();
/// The kind of the last error.
ZAPI_EXPORT ErrorKind LastErrorKind();

/// The vessel record behind `vessel`, null for a stale or null handle.
ZAPI_EXPORT Vessel* Find(HostHandle vessel);
/// Slot of `vessel`, -1 for a stale or null handle.
ZAPI_EXPORT int SlotOf(HostHandle vessel);
/// Index of a thruster, resource, attachment, ... handle within its vessel's list; -1 if stale.
ZAPI_EXPORT int RecordIndex(HostHandle record);
/// The thruster behind `thruster` on `vessel`, null if stale.
ZAPI_EXPORT Thruster* FindThruster(HostHandle vessel, HostHandle thruster);
/// The resource behind `resource` on `vessel`, null if stale.
ZAPI_EXPORT Resource* FindResource(HostHandle vessel, HostHandle resource);
/// The attachment behind `attachment` on `vessel`, null if stale.
ZAPI_EXPORT Attachment* FindAttachment(HostHandle vessel, HostHandle attachment);

/// Places `vessel` at `pos` (global, m).
ZAPI_EXPORT void SetPosition(HostHandle vessel, const VECTOR3& pos);
/// Sets `vessel`'s velocity (global, m/s).
ZAPI_EXPORT void SetVelocity(HostHandle vessel, const VECTOR3& vel);
/// Sets `vessel`'s attitude from pitch, bank and heading (rad); GetPitch and GetBank return them exactly.
ZAPI_EXPORT void SetAttitude(HostHandle vessel, double pitch, double bank, double heading);
/// Sets `vessel`'s angular velocity (body frame, rad/s).
ZAPI_EXPORT void SetAngularVelocity(HostHandle vessel, const VECTOR3& angVel);
/// Sets how the world moves `vessel`. Landed puts it at rest with its lowest touchdown point on the ground.
ZAPI_EXPORT void SetMotion(HostHandle vessel, Motion motion);
/// Gives kinematic `vessel` the steering that `lines` (COURSE, ROUTE, WAYPOINT, WEAVE, TRIGGER and
/// REACTION lines as a scenario writes them, one per line; none: unsteered) describe, in place of
/// its own: "" or why not ("steering:<line>: why"), its steering then left as it was.
ZAPI_EXPORT std::string Steer(HostHandle vessel, const std::string& lines);
/// Pins `vessel` (true), or gives it back its default motion (false): dynamic for a module's vessel,
/// kinematic for a plain body.
ZAPI_EXPORT void SetPinned(HostHandle vessel, bool pinned);

/// Hangs `child` by its to-parent point `childPoint` on `parent` (at `parentPoint`, or at the
/// parent's origin when null). False if a handle is stale or the point is taken.
ZAPI_EXPORT bool Attach(HostHandle parent, HostHandle parentPoint, HostHandle child, HostHandle childPoint);
/// Releases `child` from whatever holds it by `childPoint`; it leaves with the velocity of its point
/// on the parent (v + ω × r) plus `releaseVel` (parent's body frame, m/s).
ZAPI_EXPORT void Detach(HostHandle child, HostHandle childPoint, const VECTOR3& releaseVel = VECTOR3{0, 0, 0});
/// The attachment point of `vessel` named `id` (first match), null when none.
ZAPI_EXPORT HostHandle AttachmentById(HostHandle vessel, const char* id);

/// Runs one frame of `dt` s: pre-step callbacks, integration (dynamic vessels from their forces,
/// kinematic ones at their rates, children with their parents), clock, post-step callbacks,
/// deferred deletions, animation.
ZAPI_EXPORT void Step(double dt);
/// The world's flight-model constants (gravity, rotational damping, ground contact), writable.
ZAPI_EXPORT physics::Settings& PhysicsSettings();
/// Sets the simulation clock, s.
ZAPI_EXPORT void SetSimTime(double simt);

/// Gives `vessel` a visual and tells its module (clbkVisualCreated); returns the visual.
ZAPI_EXPORT HostHandle CreateVisual(HostHandle vessel);
/// Tells the module (clbkVisualDestroyed) and removes `vessel`'s visual.
ZAPI_EXPORT void DestroyVisual(HostHandle vessel);

/// Turns the journal on with room for `capacity` entries, emptied; 0 turns it off.
ZAPI_EXPORT void SetJournal(size_t capacity);
/// Empties the journal (keeps its capacity and state).
ZAPI_EXPORT void ClearJournal();
/// The journal so far, oldest first.
ZAPI_EXPORT const std::vector<JournalEntry>& Journal();

/// Writes every vessel's state and module lines to the scenario file `path`; false with
/// LastError() when the file cannot be written. With `everyPlace`, over a round planet every free
/// vessel's place is written too (a steered vessel's always is), so that the host flies each vessel
/// on from the file to the same bits.
ZAPI_EXPORT bool SaveScenario(const char* path, bool everyPlace = false);
/// Creates the vessels of scenario file `path` and takes its run settings and key events; false
/// with LastError() naming the file, the line number and the reason when a line cannot be read.
ZAPI_EXPORT bool LoadScenario(const char* path);
/// LoadScenario from the text `text` of a scenario file; errors name it `name`.
ZAPI_EXPORT bool LoadScenarioText(const char* name, const std::string& text);
/// LoadScenario from a document already read (and perhaps edited); errors name its path. A
/// document that fails to load leaves the world as it was.
ZAPI_EXPORT bool LoadScenarioDocument(const formats::ScenarioDocument& doc);

}  // namespace standin
