// A scenario file as a document: the run settings and each vessel's host lines, typed by the key
// table, and the module lines of each vessel kept as text in their order. Reading, editing and
// writing scenarios all go through it; the host applies it to a world.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <istream>
#include <string>
#include <vector>

namespace formats {

/// The first line of every scenario file.
inline constexpr const char* SCENARIO_MAGIC = "ZELVAR-STANDIN-SCENARIO 1";

/// The host's keys, in the order of the key table: run settings first, then vessel lines.
enum class Key : uint8_t {
    Time,       ///< TIME <s>: the simulation clock at the start
    Step,       ///< STEP <s>: frame length
    End,        ///< END <s>: the run ends at this time
    Telemetry,  ///< TELEMETRY <1/s>: telemetry samples per second
    Damping,    ///< DAMPING <coefficient>: the rotational damping law's coefficient
    Watch,      ///< WATCH <name>: the run ends early once this vessel is gone
    Target,     ///< TARGET <name>: the vessel the watched one is meant to hit
    Planet,           ///< PLANET flat|earth: the planet, each parameter set to the model's
    PlanetRadius,     ///< PLANET_RADIUS <m>: equatorial radius
    PlanetFlattening, ///< PLANET_FLATTENING <f>: flattening, 0 for a sphere
    PlanetGm,         ///< PLANET_GM <m^3/s^2>: gravitational parameter
    PlanetJ2,         ///< PLANET_J2 <J2>: second zonal harmonic, 0 for central gravity
    PlanetRotation,   ///< PLANET_ROTATION <rad/s>: rotation rate, toward the east
    Wind,             ///< WIND <m/s> <from deg> [constant|power [<exponent>]]: the steady wind
    WindRow,          ///< WIND_ROW <height m> <east m/s> <north m/s>: a row of the wind's table
    Turbulence,       ///< TURBULENCE off|light|moderate|severe [<seed>]: Dryden turbulence
    TurbulenceW20,    ///< TURBULENCE_W20 <m/s>: the wind at 20 ft the low-altitude turbulence scales with
    Gust,             ///< GUST <start s> <length m> <east> <up> <north m/s>: a 1 - cos gust
    Pos,        ///< POS <x y z m>: global position
    Vel,        ///< VEL <x y z m/s>: global velocity
    Location,   ///< LOCATION <latitude deg> <longitude deg> <altitude m>: place on a round planet
    GroundVel,  ///< GROUNDVEL <east up north m/s>: velocity over the ground, local axes
    Att,        ///< ATT <pitch bank heading rad>: attitude as angles
    Quat,       ///< QUAT <w x y z>: attitude as a quaternion
    Avel,       ///< AVEL <x y z rad/s>: body rate
    Motion,     ///< MOTION dynamic|kinematic|pinned|landed
    Size,       ///< SIZE <m>: a plain body's size
    Mass,       ///< MASS <kg>: a plain body's empty mass
    Pmi,        ///< PMI <x y z m^2>: a plain body's principal moments of inertia per unit mass
    CrossSections,  ///< CROSS_SECTIONS <x y z m^2>: a plain body's cross sections along its axes
    Prp,        ///< PRP <index> <kg>: a resource's propellant
    Thl,        ///< THL <index> <0-1>: a thruster's level
    Attached,   ///< ATTACHED <point> <parent point> <parent name>: hangs on a parent
    KeyEvent,   ///< KEY <s> <code> press|release [modifiers]: a scripted key event
    Course,     ///< COURSE <deg> <m/s> [<m/s^2>]: a kinematic vessel's course and speed over the ground
    Route,      ///< ROUTE stop|hold|loop rate <deg/s>|accel <m/s^2> [<next>]: it follows its waypoints
    Waypoint,   ///< WAYPOINT <x m|lat deg> <z m|lon deg> <m/s> [<height m>]: a point of its route
    Weave,      ///< WEAVE <amplitude m> <period s> [<phase rad>]: a sinusoidal weave across its course
    Trigger,    ///< TRIGGER time <s>|release <weapon>|range <m> <weapon>: when it reacts
    Reaction,   ///< REACTION turn ...|speed <m/s>|stop: how it reacts
    Place,      ///< PLACE <sin, cos of latitude> <sin, cos of longitude> <height m>: exactly where it is
};

/// Number of keys in the table.
inline constexpr int KEY_COUNT = static_cast<int>(Key::Place) + 1;

/// Where a key may stand.
enum class Section : uint8_t {
    Settings,  ///< before BEGIN_VESSELS
    Vessel,    ///< inside a vessel's block
};

/// One host line, typed; which fields a key uses is given by its table entry.
struct HostLine {
    Key key = Key::Time;
    double number[5]{};      ///< vectors: x y z; QUAT: w x y z; one-number keys, PRP, THL: [0]; KEY: time;
                             ///< WIND: speed, from, exponent; GUST: start, length, east, up, north;
                             ///< COURSE: course, speed, acceleration; ROUTE: turn; WAYPOINT: a, b,
                             ///< speed, height; WEAVE: amplitude, period, phase; TRIGGER: time or
                             ///< range; REACTION: angle, turn, speed (NaN: kept); PLACE: its five
    long long integer[3]{};  ///< PRP, THL: index; ATTACHED: own point, parent point (-1: origin);
                             ///< KEY: code, 1 press / 0 release, modifier bits; MOTION: its mode;
                             ///< PLANET: 0 flat, 1 earth; WIND: 0 constant, 1 power;
                             ///< TURBULENCE: level, seed (its 64 bits); ROUTE: end, 1 by
                             ///< acceleration, next waypoint from 1; WAYPOINT: 1 with a height;
                             ///< TRIGGER: kind; REACTION: kind, side, 1 by acceleration
    std::string word;        ///< ATTACHED: the parent's name; WATCH, TARGET: the vessel's name;
                             ///< TRIGGER: the weapon's, "" for any
};

/// One line of a vessel's block.
struct ScenarioLine {
    int line = 0;        ///< line number in the file it came from, 0 for one an edit made
    bool host = false;   ///< a host line (`value`), or a module's line (`text`)
    HostLine value;      ///< the host line
    std::string text;    ///< the module's line, without indentation or comment
};

/// One vessel's block.
struct ScenarioVessel {
    std::string name;                ///< the vessel's name
    std::string className;           ///< its module class, "" for a plain body
    int line = 0;                    ///< line number of its "<name>:<class>" header
    std::vector<ScenarioLine> lines; ///< its lines in order
};

/// A whole scenario.
struct ScenarioDocument {
    std::string path;                     ///< the name errors give it
    std::vector<HostLine> settings;       ///< run settings in order (a later one wins)
    std::vector<int> settingLines;        ///< their line numbers
    std::vector<ScenarioVessel> vessels;  ///< in file order
};

/// Reads the scenario text `in` into `doc`, its errors naming `path`; false with `error` as
/// "file:line: reason" for the first line that cannot be read.
bool ParseScenario(const std::string& path, std::istream& in, ScenarioDocument& doc, std::string& error);
/// The text of `doc` as a scenario file.
std::string WriteScenario(const ScenarioDocument& doc);

/// Reads `text`, one line of `section` as a file holds it (its ';' comment and outer blanks dropped),
/// into `line`: a host line by the key table, or in a vessel's block any other text as the module's
/// line. False with `why` for an empty line, one holding a line break or a NUL, a host line that
/// cannot be read, a settings line with no settings key ("unknown key \"<word>\": expected ..."),
/// or a vessel's "END"; so a document holding the lines it gives writes a file that reads back.
bool ReadScenarioLine(const std::string& text, Section section, ScenarioLine& line, std::string& why);
/// `line` as a file writes it, without indentation.
std::string LineText(const ScenarioLine& line);

/// A host line of `key` holding `numbers` and `integers`, in order.
HostLine MakeHostLine(Key key, std::initializer_list<double> numbers, std::initializer_list<long long> integers = {});
/// Appends the host line `value` to `vessel`'s lines.
void AddHostLine(ScenarioVessel& vessel, HostLine value);
/// The last `key` line of `vessel`, null when it has none.
HostLine* LastLine(ScenarioVessel& vessel, Key key);
/// The last `key` line of `vessel`, made at its start when it has none (numbers zero).
HostLine& LineFor(ScenarioVessel& vessel, Key key);
/// The vessel named `name`, null when there is none.
ScenarioVessel* FindVessel(ScenarioDocument& doc, const std::string& name);
/// Why the carrier `vessel` cannot carry out one of its actions ("AT <s> <station> <action> ..."),
/// with `line` set to its line: a station it declared no "STATION" line for before it; "" when it can.
std::string StationlessAction(const ScenarioVessel& vessel, int& line);
/// Moves the carrier `vessel`'s actions due at its first release ("AT <s> <station> RELEASE ...")
/// to `time` s; false when it releases nothing.
bool MoveRelease(ScenarioVessel& vessel, double time);
/// Moves the carrier `vessel`'s actions on `station` due at that station's first release to
/// `time` s; false when the station releases nothing.
bool MoveStationRelease(ScenarioVessel& vessel, long station, double time);
/// Spaces the carrier `vessel`'s releases `ripple` s apart: each releasing station's first release,
/// earliest first, with that station's actions due at the same moment, goes to the earliest
/// release's time plus its rank times `ripple`; false when fewer than two stations release.
bool SetRipple(ScenarioVessel& vessel, double ripple);

}  // namespace formats
