// What a weapon of this family shows whoever watches it fly: the seeker head's mesh groups, the
// debug text and the log records it writes, and the commands launchers send it. Those who make
// these and those who look for them both name them from here.
#pragma once

namespace observable {

/// Index, among the vessel's meshes, of the mesh that carries the seeker head.
constexpr int HEAD_MESH = 0;
/// Mesh group of the head that turns with its elevation only (about the body x axis).
constexpr int HEAD_ELEVATION_GROUP = 25;
/// Mesh group of the head that turns with its elevation and, about its tilted axis, its azimuth.
constexpr int HEAD_AZIMUTH_GROUP = 24;

/// Put after the vessel's name in the host's debug string when its warhead ignites.
constexpr char DEBUG_WARHEAD_IGNITION[] = ":WARHEAD:IGNITION";

/// The log file, in the host's working directory, that every record is appended to.
constexpr char LOG_FILE[] = "Debug.log";
/// The line of a weapon's removal record saying that its charge has burned out.
constexpr char LOG_WARHEAD_BURNED[] = "Reason: Warhead fully burned.";
/// What stands between a launcher's name and the command in its record of a command it sent.
constexpr char LOG_SENT[] = " sent ";

/// What every command a weapon of this family takes starts with ("WEAPON::ARM").
constexpr char COMMAND_PREFIX[] = "WEAPON::";

}  // namespace observable
