// The readers and writers of the keys that describe a round planet and a place on it, and of a
// plain body's mass properties.
#include "formats/key_text.h"
#include "formats/scenario_keys.h"

namespace formats {

bool ReadNonNegativeVector(const char* line, const char* rest, HostLine& value, std::string& why)
{
    const double* n = value.number;
    if (!ReadNumbers(rest, value.number, 3) || n[0] < 0.0 || n[1] < 0.0 || n[2] < 0.0) {
        why = "expected three finite numbers, none below 0, after the key" + Quoted(line);
        return false;
    }
    return true;
}

bool ReadLocation(const char* line, const char* rest, HostLine& value, std::string& why)
{
    if (!ReadNumbers(rest, value.number, 3) || value.number[0] < -90.0 || value.number[0] > 90.0) {
        why = "expected \"LOCATION <latitude -90 to 90> <longitude> <altitude>\" (degrees, degrees, m)" + Quoted(line);
        return false;
    }
    return true;
}

bool ReadFlattening(const char* line, const char* rest, HostLine& value, std::string& why)
{
    if (!ReadNumbers(rest, value.number, 1) || value.number[0] < 0.0 || !(value.number[0] < 1.0)) {
        why = "expected a flattening from 0 to below 1" + Quoted(line);
        return false;
    }
    return true;
}

bool ReadPlanet(const char* line, const char* rest, HostLine& value, std::string& why)
{
    return ReadChoice(line, rest, PLANET_NAMES, 2, "PLANET flat|earth", value, why);
}

void WritePlanet(const HostLine& value, std::string& out)
{
    out += ' ';
    out += PLANET_NAMES[value.integer[0] & 1];
}

}  // namespace formats
