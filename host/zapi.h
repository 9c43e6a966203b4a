// The host's free functions. Any handle may be null or stale: getters then answer 0 (or null,
// or false) and actions do nothing.
#pragma once

#include "host_export.h"
#include "host_types.h"

/// Simulation time since the start of the session, s.
ZAPI_EXPORT double zapiGetSimTime();
/// Number of vessels in the simulation, the caller included.
ZAPI_EXPORT unsigned int zapiGetVesselCount();
/// Handle of vessel number `index` (0 to count - 1, in creation order); null when out of range.
ZAPI_EXPORT HostHandle zapiGetVesselByIndex(int index);
/// Global position of `vessel` (m; x east, y up, z north); (0, 0, 0) for an unknown handle.
ZAPI_EXPORT void zapiGetGlobalPos(HostHandle vessel, VECTOR3& pos);
/// Position of `b` minus position of `a`, global frame, m.
ZAPI_EXPORT void zapiGetRelativePos(HostHandle a, HostHandle b, VECTOR3& pos);
/// Velocity of `b` minus velocity of `a`, global frame, m/s.
ZAPI_EXPORT void zapiGetRelativeVel(HostHandle a, HostHandle b, VECTOR3& vel);
/// Size (mean radius) of `vessel`, m.
ZAPI_EXPORT double zapiGetSize(HostHandle vessel);
/// Total mass of `vessel`, kg.
ZAPI_EXPORT double zapiGetMass(HostHandle vessel);
/// Marks `vessel` for deletion at the end of the current frame; `newFocus` takes the input focus
/// (null: the host chooses). True when the vessel was live and is now marked.
ZAPI_EXPORT bool zapiDeleteVessel(HostHandle vessel, HostHandle newFocus);
/// Handle of the mesh named `name`, loaded once and shared; null for a null name.
ZAPI_EXPORT HostHandle zapiLoadMeshGlobal(const char* name);
/// Handle of the exhaust or particle texture named `name`; null for a null name.
ZAPI_EXPORT HostHandle zapiRegisterExhaustTexture(const char* name);
/// Next line of the vessel's block in scenario `scn` into `line` (host-owned, valid until the next
/// call); false after the block's last line.
ZAPI_EXPORT bool zapiReadScenario_nextline(HostHandle scn, char*& line);
/// Writes the line "`key` `value`" to scenario `scn`.
ZAPI_EXPORT void zapiWriteScenario_float(HostHandle scn, const char* key, double value);
/// Writes the line "`key` `value`" to scenario `scn`; `value` is one line of text.
ZAPI_EXPORT void zapiWriteScenario_string(HostHandle scn, const char* key, const char* value);
/// The host's one-line debug text, ZAPI_DEBUG_STRING_SIZE bytes, writable and shown every frame.
ZAPI_EXPORT char* zapiDebugString();
/// Wave-drag coefficient at Mach `mach`: 0 below `m1`, rising to `cmax` at `m2`, held to `m3`,
/// then falling as 1/sqrt(M^2 - 1) scaled to `cmax` at `m3` (dimensionless).
ZAPI_EXPORT double zapiGetWaveDrag(double mach, double m1, double m2, double m3, double cmax);
/// Induced-drag coefficient of a finite wing: cl^2 / (pi * aspectRatio * efficiency).
ZAPI_EXPORT double zapiGetInducedDrag(double cl, double aspectRatio, double efficiency);

class VESSEL;
/// The module interface of `vessel` (what its zvcInit returned); null for a vessel without a
/// module or an unknown handle. Launchers use it to reach a carried weapon's own virtuals.
ZAPI_EXPORT VESSEL* zapiGetVesselInterface(HostHandle vessel);
