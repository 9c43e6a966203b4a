// Steering kinematic vessels over the ground: reading and writing their steering lines, firing
// their triggers, and setting each frame's velocity and attitude from their course.
#pragma once

#include <string>

#include "formats/scenario_document.h"
#include "world/scenario_status.h"
#include "world/world.h"

namespace standin {

/// Keeps the steering line `line` (COURSE, ROUTE, WAYPOINT, WEAVE, TRIGGER or REACTION), which
/// stands at `lineNumber`, in `status`.
void RecordSteering(const formats::HostLine& line, int lineNumber, HostStatus& status);
/// Gives `v` the steering its lines in `status` describe, once its state and motion are set; ""
/// or why it cannot be flown ("file:line: why").
std::string ApplySteering(Vessel& v, const HostStatus& status);
/// Finds the weapon each trigger of the world names; "" or why one names no vessel.
std::string FindTriggerWeapons(World& w);
/// Appends the steering lines of `v` as they load again to the same state.
void AddSteeringLines(const Vessel& v, formats::ScenarioVessel& vessel);

/// The course from `v` straight to waypoint `p`, deg clockwise from north.
double CourseTo(const World& w, const Vessel& v, const Waypoint& p);
/// The weapon `v`'s trigger watches (`named`: the one it names, once free of its carrier), or else
/// the nearest vessel with a module that flies free, dynamically; null for none.
const Vessel* WeaponOf(const World& w, const Vessel& v, bool named);
/// Fires every trigger whose moment has come, from the world as the frame begins.
void FireTriggers(World& w);
/// Flies the steered vessel `v` over `dt` s: its course and speed turned toward where its route or
/// reaction takes it, its weave laid across them, its nose along the track it flies.
void FlySteered(World& w, Vessel& v, double dt);

}  // namespace standin
