// Scenario state of one vessel: reading its host lines into the status record its module is handed,
// and applying that record.
#pragma once

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

}  // namespace standin
