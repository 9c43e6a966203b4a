// The readers and writers the key table points at. A reader takes the whole line and the text
// after its key, fills the typed line, and says why when it cannot; a writer appends " <arguments>".
#pragma once

#include <string>
#include <vector>

#include "formats/scenario_document.h"

namespace formats {

/// Reads the text `rest` after the key of the line `line` into `value`; false with `why`.
using ReadFunction = bool(const char* line, const char* rest, HostLine& value, std::string& why);
/// Appends " <arguments>" of `value` to `out`.
using WriteFunction = void(const HostLine& value, std::string& out);

/// Reads exactly `count` finite numbers from `text` into `values`, nothing after them.
bool ReadNumbers(const char* text, double* values, int count);
/// The blank-separated words of `rest`.
std::vector<std::string> Words(const char* rest);
/// `word` as one finite number.
bool NumberWord(const std::string& word, double& value);
/// " in \"<line>\"", for a message about `line`.
std::string Quoted(const char* line);
/// Reads the rest `rest` of `line` as one of the `count` `names` (any case) into value.integer[0];
/// false with why = "expected \"<usage>\" in ...".
bool ReadChoice(const char* line, const char* rest, const char* const* names, int count, const char* usage,
                HostLine& value, std::string& why);

/// One finite number (s).
ReadFunction ReadAny;
/// One finite number, 0 or more.
ReadFunction ReadNonNegative;
/// One finite number above 0.
ReadFunction ReadPositiveSetting;
/// A vessel name: the rest of the line without its outer blanks.
ReadFunction ReadName;
/// Three finite numbers.
ReadFunction ReadVector;
/// Four finite numbers, not all zero.
ReadFunction ReadQuat;
/// Three finite numbers, none below 0.
ReadFunction ReadNonNegativeVector;
/// Latitude from -90 to 90 and longitude (degrees), altitude (m): finite numbers.
ReadFunction ReadLocation;
/// A flattening: a finite number from 0 to below 1.
ReadFunction ReadFlattening;
/// A planet model by name, any case.
ReadFunction ReadPlanet;
/// The steady wind: speed (m/s, 0 or more), the direction it blows from (deg) and its profile.
ReadFunction ReadWind;
/// A turbulence level by name, any case, and its seed.
ReadFunction ReadTurbulence;
/// A gust's start (s, 0 or more), length (m, above 0) and peak (east, up, north, m/s).
ReadFunction ReadGust;
/// A motion mode by name, any case.
ReadFunction ReadMotion;
/// One positive number.
ReadFunction ReadPositive;
/// A resource index and its propellant, kg.
ReadFunction ReadPropellant;
/// A thruster index and its level, 0 to 1.
ReadFunction ReadLevel;
/// Own point, parent point (-1: origin) and the parent's name.
ReadFunction ReadAttached;
/// Time (s), key code (decimal or 0x hex), press or release, modifier names.
ReadFunction ReadKeyEvent;
/// A course (deg), a speed (m/s, 0 or more) and the acceleration it changes at (m/s^2, above 0).
ReadFunction ReadCourse;
/// What a route does at its end, how it turns (a rate or an acceleration above 0) and the next waypoint.
ReadFunction ReadRoute;
/// A waypoint's two coordinates, its speed (m/s, above 0) and optionally its height (m).
ReadFunction ReadWaypoint;
/// A weave's amplitude (m) and period (s), both above 0, and its phase (rad).
ReadFunction ReadWeave;
/// A trigger: a time, a weapon's release, or a weapon within a range (m, above 0).
ReadFunction ReadTrigger;
/// A reaction: a turn (to a side, away or onto a course), a new speed, or a stop.
ReadFunction ReadReaction;
/// A place's sines and cosines of latitude and longitude (each pair of unit length) and height (m).
ReadFunction ReadPlace;
/// " <n>".
WriteFunction WriteOne;
/// " <course> <speed> <acceleration>".
WriteFunction WriteCourse;
/// " <end> rate|accel <value> <next waypoint>".
WriteFunction WriteRoute;
/// " <a> <b> <speed> [<height>]".
WriteFunction WriteWaypoint;
/// " time <s>", " release <weapon>|any" or " range <m> <weapon>|any".
WriteFunction WriteTrigger;
/// The reaction as REACTION reads it.
WriteFunction WriteReaction;
/// " <sin lat> <cos lat> <sin lon> <cos lon> <height>".
WriteFunction WritePlace;
/// " <speed> <from>", and " power <exponent>" for the power law.
WriteFunction WriteWind;
/// " <level> <seed>".
WriteFunction WriteTurbulence;
/// " <start> <length> <east> <up> <north>".
WriteFunction WriteGust;
/// " <x> <y> <z>".
WriteFunction WriteThree;
/// " <w> <x> <y> <z>".
WriteFunction WriteFour;
/// " <name>".
WriteFunction WriteName;
/// " <planet model>".
WriteFunction WritePlanet;
/// " <mode>".
WriteFunction WriteMotion;
/// " <index> <n>".
WriteFunction WriteEntry;
/// " <point> <parent point> <parent name>".
WriteFunction WriteAttached;
/// " <s> 0x<code> press|release [modifiers]".
WriteFunction WriteKeyEvent;

}  // namespace formats
