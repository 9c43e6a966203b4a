// Scenario state of one vessel: reading its host lines into the status record its module is handed,
// and applying that record; and the scenario's run settings.
#pragma once

#include "formats/scenario_document.h"
#include "world/world.h"

namespace standin {

/// "file:line: ", the head of every message about `line` of the open scenario.
std::string Where(int line);
/// The open status record that `status` (what a module was handed) names for the vessel in `slot`;
/// null for any other pointer, a stale one, or another vessel's.
HostStatus* OpenStatus(const void* status, int slot);
/// Reads one host line of the vessel in `slot` into `status`; an unreadable line sets the status's
/// error ("file:line: why").
void ParseHostLine(int slot, const char* line, HostStatus& status);
/// Applies `status` to the vessel in `slot`.
void ApplyHostStatus(int slot, HostStatus& status);
/// Reads the run settings of `doc` into `run`, a later line winning (every WATCH and TARGET line
/// counting, in order); the clock, the damping and the planet go to the world at once. "" or why
/// they cannot be applied ("file:line: why").
std::string ApplySettings(const formats::ScenarioDocument& doc, RunSettings& run);
/// Checks the WATCH and TARGET lines of `doc` against the vessels loaded from it: each names a
/// vessel, once; a watched one is a weapon (a module vessel that can hang from a carrier); no
/// target is also watched. "" or why not ("file:line: why").
std::string CheckWatched(const formats::ScenarioDocument& doc);

/// Every vessel of `doc`, once placed (and hung from its carrier), stands on or above the ground.
/// "" or why not ("file:line: why", the line of the vessel's header).
std::string CheckAboveGround(const formats::ScenarioDocument& doc);

}  // namespace standin
