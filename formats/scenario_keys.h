// The host's scenario keys: one table gives each key's name, where it stands, its arguments and
// units, how it is read and how it is written.
#pragma once

#include <string>

#include "formats/key_text.h"
#include "formats/scenario_document.h"

namespace formats {

/// One key of the table.
struct KeyEntry {
    Key key;               ///< the key it describes
    Section section;       ///< where it may stand
    const char* name;      ///< as files write it
    const char* arguments; ///< what follows it, e.g. "<x> <y> <z>"
    const char* units;     ///< of the arguments, e.g. "m"
    ReadFunction* read;    ///< reads the arguments
    WriteFunction* write;  ///< writes them
};

/// The table, in Key order.
const KeyEntry& EntryOf(Key key);
/// The entry of the key `line` starts with (any case, then a blank or the end) among `section`'s,
/// null for none; `rest` is what follows the key.
const KeyEntry* FindKey(const char* line, Section section, const char** rest);
/// Reads the host line `line` of `section` (leading blanks allowed) into `value`; false with `why`,
/// which for a line that starts with no host key is "unknown key \"<word>\"".
bool ReadHostLine(const char* line, Section section, HostLine& value, std::string& why);
/// Appends "<KEY> <arguments>" of `value` to `out`.
void AppendHostLine(const HostLine& value, std::string& out);
/// The settings keys as a list for a message: "TIME, STEP, ..., WATCH, TARGET".
std::string SettingKeyList();

/// Motion modes by their value, as MOTION lines name them.
inline constexpr const char* MOTION_NAMES[] = {"dynamic", "kinematic", "pinned", "landed"};
/// Planet models by their value, as PLANET lines name them.
inline constexpr const char* PLANET_NAMES[] = {"flat", "earth"};
/// Wind profiles by their value, as WIND lines name them.
inline constexpr const char* WIND_PROFILE_NAMES[] = {"constant", "power"};
/// Turbulence levels by their value, as TURBULENCE lines name them.
inline constexpr const char* TURBULENCE_NAMES[] = {"off", "light", "moderate", "severe"};
/// Route ends by their value, as ROUTE lines name them.
inline constexpr const char* ROUTE_END_NAMES[] = {"stop", "hold", "loop"};
/// How a turn is given: by its rate (deg/s) or its lateral acceleration (m/s^2).
inline constexpr const char* TURN_NAMES[] = {"rate", "accel"};
/// Triggers by their value, as TRIGGER lines name them.
inline constexpr const char* TRIGGER_NAMES[] = {"time", "release", "range"};
/// Reactions by their value, as REACTION lines name them.
inline constexpr const char* REACTION_NAMES[] = {"turn", "speed", "stop"};
/// Sides of a reacting turn by their value.
inline constexpr const char* SIDE_NAMES[] = {"left", "right", "away", "to"};
/// The acceleration a steered vessel changes its speed at unless its COURSE line says, m/s^2.
inline constexpr double STEERING_ACCELERATION = 2.0;
/// Key modifiers by bit, as KEY lines name them.
inline constexpr const char* MODIFIER_NAMES[] = {"shift", "rshift", "ctrl", "rctrl", "alt"};

/// Why `name` cannot name a vessel, or "" when it can: a name is non-empty UTF-8, holds no NUL, line
/// break, ':' or ';', and neither begins nor ends with a blank, so that it reads back from a file.
std::string VesselNameProblem(const std::string& name);
/// `text` without leading and trailing blanks (and CR).
std::string Trim(const std::string& text);

}  // namespace formats
