#include "formats/scenario_keys.h"

#include <cstring>
#include <strings.h>

#include "formats/key_text.h"
#include "formats/utf8.h"

namespace formats {

namespace {

constexpr Section S = Section::Settings;
constexpr Section V = Section::Vessel;

constexpr KeyEntry TABLE[KEY_COUNT] = {
    {Key::Time, S, "TIME", "<time>", "s", ReadAny, WriteOne},
    {Key::Step, S, "STEP", "<frame length>", "s", ReadPositiveSetting, WriteOne},
    {Key::End, S, "END", "<end time>", "s", ReadNonNegative, WriteOne},
    {Key::Telemetry, S, "TELEMETRY", "<samples per second>", "1/s", ReadPositiveSetting, WriteOne},
    {Key::Damping, S, "DAMPING", "<coefficient>", "dimensionless", ReadNonNegative, WriteOne},
    {Key::Watch, S, "WATCH", "<vessel name>", "", ReadName, WriteName},
    {Key::Target, S, "TARGET", "<vessel name>", "", ReadName, WriteName},
    {Key::Planet, S, "PLANET", "flat|earth", "", ReadPlanet, WritePlanet},
    {Key::PlanetRadius, S, "PLANET_RADIUS", "<equatorial radius>", "m", ReadPositiveSetting, WriteOne},
    {Key::PlanetFlattening, S, "PLANET_FLATTENING", "<flattening>", "0 to below 1", ReadFlattening, WriteOne},
    {Key::PlanetGm, S, "PLANET_GM", "<gravitational parameter>", "m^3/s^2", ReadPositiveSetting, WriteOne},
    {Key::PlanetJ2, S, "PLANET_J2", "<second zonal harmonic>", "dimensionless", ReadAny, WriteOne},
    {Key::PlanetRotation, S, "PLANET_ROTATION", "<rotation rate>", "rad/s, toward the east", ReadAny, WriteOne},
    {Key::Wind, S, "WIND", "<speed> <from> [constant|power [<exponent>]]", "m/s, deg clockwise from north", ReadWind,
     WriteWind},
    {Key::WindRow, S, "WIND_ROW", "<height> <east> <north>", "m, m/s, m/s", ReadVector, WriteThree},
    {Key::Turbulence, S, "TURBULENCE", "off|light|moderate|severe [<seed>]", "", ReadTurbulence, WriteTurbulence},
    {Key::TurbulenceW20, S, "TURBULENCE_W20", "<wind speed at 20 ft>", "m/s", ReadNonNegative, WriteOne},
    {Key::Gust, S, "GUST", "<start> <length> <east> <up> <north>", "s, m, m/s", ReadGust, WriteGust},
    {Key::Pos, V, "POS", "<x> <y> <z>", "m, global", ReadVector, WriteThree},
    {Key::Vel, V, "VEL", "<x> <y> <z>", "m/s, global", ReadVector, WriteThree},
    {Key::Location, V, "LOCATION", "<latitude> <longitude> <altitude>", "deg, deg, m", ReadLocation, WriteThree},
    {Key::GroundVel, V, "GROUNDVEL", "<east> <up> <north>", "m/s over the ground, local", ReadVector, WriteThree},
    {Key::Att, V, "ATT", "<pitch> <bank> <heading>", "rad", ReadVector, WriteThree},
    {Key::Quat, V, "QUAT", "<w> <x> <y> <z>", "unit quaternion, body to global", ReadQuat, WriteFour},
    {Key::Avel, V, "AVEL", "<x> <y> <z>", "rad/s, body", ReadVector, WriteThree},
    {Key::Motion, V, "MOTION", "dynamic|kinematic|pinned|landed", "", ReadMotion, WriteMotion},
    {Key::Size, V, "SIZE", "<size>", "m", ReadPositive, WriteOne},
    {Key::Mass, V, "MASS", "<empty mass>", "kg", ReadPositive, WriteOne},
    {Key::Pmi, V, "PMI", "<x> <y> <z>", "m^2, per unit mass", ReadNonNegativeVector, WriteThree},
    {Key::CrossSections, V, "CROSS_SECTIONS", "<x> <y> <z>", "m^2", ReadNonNegativeVector, WriteThree},
    {Key::Prp, V, "PRP", "<resource index> <propellant>", "kg", ReadPropellant, WriteEntry},
    {Key::Thl, V, "THL", "<thruster index> <level>", "0 to 1", ReadLevel, WriteEntry},
    {Key::Attached, V, "ATTACHED", "<point> <parent point> <parent name>", "", ReadAttached, WriteAttached},
    {Key::KeyEvent, V, "KEY", "<time> <code> press|release [modifiers]", "s", ReadKeyEvent, WriteKeyEvent},
    {Key::Course, V, "COURSE", "<course> <speed> [<acceleration>]", "deg clockwise from north, m/s, m/s^2",
     ReadCourse, WriteCourse},
    {Key::Route, V, "ROUTE", "stop|hold|loop rate|accel <turn> [<next waypoint>]", "deg/s or m/s^2", ReadRoute,
     WriteRoute},
    {Key::Waypoint, V, "WAYPOINT", "<x|latitude> <z|longitude> <speed> [<height>]", "m or deg, m/s, m", ReadWaypoint,
     WriteWaypoint},
    {Key::Weave, V, "WEAVE", "<amplitude> <period> [<phase>]", "m, s, rad", ReadWeave, WriteThree},
    {Key::Trigger, V, "TRIGGER", "time <time>|release <weapon>|range <range> <weapon>", "s, m", ReadTrigger,
     WriteTrigger},
    {Key::Reaction, V, "REACTION", "turn left|right|away|to [<angle>] rate|accel <turn> [<speed>]|speed <speed>|stop",
     "deg, deg/s or m/s^2, m/s", ReadReaction, WriteReaction},
    {Key::Place, V, "PLACE", "<sin latitude> <cos latitude> <sin longitude> <cos longitude> <height>",
     "global longitude, m", ReadPlace, WritePlace},
};

constexpr bool InKeyOrder()
{
    for (int i = 0; i < KEY_COUNT; ++i) {
        if (static_cast<int>(TABLE[i].key) != i) {
            return false;
        }
    }
    return true;
}
static_assert(InKeyOrder(), "the key table is indexed by Key");

}  // namespace

const KeyEntry& EntryOf(Key key)
{
    return TABLE[static_cast<int>(key)];
}

const KeyEntry* FindKey(const char* line, Section section, const char** rest)
{
    for (const KeyEntry& entry : TABLE) {
        size_t n = std::strlen(entry.name);
        if (entry.section == section && strncasecmp(line, entry.name, n) == 0 &&
            (line[n] == '\0' || line[n] == ' ' || line[n] == '\t')) {
            *rest = line + n;
            return &entry;
        }
    }
    return nullptr;
}

bool ReadHostLine(const char* line, Section section, HostLine& value, std::string& why)
{
    while (*line == ' ' || *line == '\t') {
        ++line;
    }
    const char* rest = nullptr;
    const KeyEntry* entry = FindKey(line, section, &rest);
    if (entry == nullptr) {
        why = "unknown key \"" + std::string(line, std::strcspn(line, " \t")) + "\"";
        return false;
    }
    value = HostLine{};
    value.key = entry->key;
    return entry->read(line, rest, value, why);
}

void AppendHostLine(const HostLine& value, std::string& out)
{
    const KeyEntry& entry = EntryOf(value.key);
    out += entry.name;
    entry.write(value, out);
}

std::string SettingKeyList()
{
    std::string list;
    for (const KeyEntry& entry : TABLE) {
        if (entry.section == Section::Settings) {
            list += list.empty() ? "" : ", ";
            list += entry.name;
        }
    }
    return list;
}

std::string VesselNameProblem(const std::string& name)
{
    if (name.empty()) {
        return "a vessel needs a name";
    }
    if (name.find_first_of(std::string("\0\r\n:;", 5)) != std::string::npos) {
        return "a vessel name may not hold a NUL, a line break, ':' or ';'";
    }
    if (name.front() == ' ' || name.front() == '\t' || name.back() == ' ' || name.back() == '\t') {
        return "a vessel name may not begin or end with a blank";
    }
    if (std::string problem = Utf8Problem(name); !problem.empty()) {
        return "a vessel name is " + problem;
    }
    return "";
}

std::string Trim(const std::string& text)
{
    size_t begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos) {
        return "";
    }
    size_t end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

}  // namespace formats
