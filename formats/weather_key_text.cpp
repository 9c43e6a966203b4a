// The readers and writers of the keys that move the air: the steady wind, turbulence and a gust.
#include <cerrno>
#include <cstdlib>
#include <strings.h>
#include <vector>

#include "formats/key_text.h"
#include "formats/number_text.h"
#include "formats/scenario_keys.h"
#include "world/weather.h"

namespace formats {


bool ReadWind(const char* line, const char* rest, HostLine& value, std::string& why)
{
    const std::vector<std::string> w = Words(rest);
    double* n = value.number;
    bool good = (w.size() == 2 || w.size() == 3 || w.size() == 4) && NumberWord(w[0], n[0]) && n[0] >= 0.0 &&
                NumberWord(w[1], n[1]);
    value.integer[0] = 0;
    n[2] = physics::WIND_DEFAULT_EXPONENT;
    if (good && w.size() >= 3) {
        good = strcasecmp(w[2].c_str(), WIND_PROFILE_NAMES[0]) == 0 ? w.size() == 3
                                                                     : strcasecmp(w[2].c_str(), WIND_PROFILE_NAMES[1]) == 0;
        value.integer[0] = strcasecmp(w[2].c_str(), WIND_PROFILE_NAMES[1]) == 0 ? 1 : 0;
        good = good && (w.size() == 3 || NumberWord(w[3], n[2]));
    }
    if (!good) {
        why = "expected \"WIND <speed, m/s, 0 or more> <from, deg> [constant|power [<exponent>]]\"" + Quoted(line);
    }
    return good;
}

void WriteWind(const HostLine& value, std::string& out)
{
    for (int i = 0; i < 2; ++i) {
        out += ' ';
        AppendNumber(out, value.number[i]);
    }
    if (value.integer[0] == 1) {
        out += " power ";
        AppendNumber(out, value.number[2]);
    }
}

bool ReadTurbulence(const char* line, const char* rest, HostLine& value, std::string& why)
{
    const std::vector<std::string> w = Words(rest);
    value.integer[0] = -1;
    for (int m = 0; m < 4 && !w.empty(); ++m) {
        value.integer[0] = strcasecmp(w[0].c_str(), TURBULENCE_NAMES[m]) == 0 ? m : value.integer[0];
    }
    bool good = (w.size() == 1 || w.size() == 2) && value.integer[0] >= 0;
    uint64_t seed = 0;
    if (good && w.size() == 2) {
        char* end = nullptr;
        errno = 0;
        seed = std::strtoull(w[1].c_str(), &end, 10);
        good = *end == '\0' && errno != ERANGE && w[1][0] != '-' && w[1][0] != '+';
    }
    value.integer[1] = static_cast<long long>(seed);
    if (!good) {
        why = "expected \"TURBULENCE off|light|moderate|severe [<seed, a whole number from 0>]\"" + Quoted(line);
    }
    return good;
}

void WriteTurbulence(const HostLine& value, std::string& out)
{
    out += ' ';
    out += TURBULENCE_NAMES[value.integer[0] & 3];
    out += ' ';
    out += std::to_string(static_cast<uint64_t>(value.integer[1]));
}

bool ReadGust(const char* line, const char* rest, HostLine& value, std::string& why)
{
    const double* n = value.number;
    if (!ReadNumbers(rest, value.number, 5) || n[0] < 0.0 || !(n[1] > 0.0)) {
        why = "expected \"GUST <start, s, 0 or more> <length, m, above 0> <east> <up> <north>\" (peak, m/s)" +
              Quoted(line);
        return false;
    }
    return true;
}

void WriteGust(const HostLine& value, std::string& out)
{
    for (int i = 0; i < 5; ++i) {
        out += ' ';
        AppendNumber(out, value.number[i]);
    }
}

}  // namespace formats
