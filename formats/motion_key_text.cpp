// The readers and writers of the keys that steer a kinematic vessel: its course, a route and its
// waypoints, a weave, and a reaction with its trigger.
#include <cmath>
#include <cstring>
#include <strings.h>

#include "formats/key_text.h"
#include "formats/number_text.h"
#include "formats/scenario_keys.h"

namespace formats {

namespace {

// Which of `count` `names` `word` is (any case), -1 for none.
int Choice(const std::string& word, const char* const* names, int count)
{
    for (int i = 0; i < count; ++i) {
        if (strcasecmp(word.c_str(), names[i]) == 0) {
            return i;
        }
    }
    return -1;
}

// Reads "rate <deg/s>" or "accel <m/s^2>" at words `at` and `at + 1` of `w` into `byAcceleration`
// and `value`; "" or why not.
std::string ReadTurn(const std::vector<std::string>& w, size_t at, long long& byAcceleration, double& value)
{
    byAcceleration = w.size() > at ? Choice(w[at], TURN_NAMES, 2) : -1;
    if (byAcceleration < 0 || w.size() <= at + 1 || !NumberWord(w[at + 1], value)) {
        return "expected \"rate <deg/s>\" or \"accel <m/s^2>\" for the turn";
    }
    if (!(value > 0.0)) {
        return byAcceleration != 0 ? "a turn needs a lateral acceleration above 0 m/s^2"
                                   : "a turn needs a rate above 0 deg/s";
    }
    return "";
}

void WriteTurn(long long byAcceleration, double value, std::string& out)
{
    out += ' ';
    out += TURN_NAMES[byAcceleration & 1];
    out += ' ';
    AppendNumber(out, value);
}

// The text of `rest` after its first `count` words, without outer blanks.
std::string After(const char* rest, size_t count)
{
    const char* p = rest;
    for (size_t i = 0; i < count; ++i) {
        p += std::strspn(p, " \t");
        p += std::strcspn(p, " \t");
    }
    return Trim(p);
}

bool Fail(const char* line, const std::string& reason, std::string& why)
{
    why = reason + Quoted(line);
    return false;
}

}  // namespace

bool ReadCourse(const char* line, const char* rest, HostLine& value, std::string& why)
{
    const std::vector<std::string> w = Words(rest);
    double* n = value.number;
    n[2] = STEERING_ACCELERATION;
    if ((w.size() != 2 && w.size() != 3) || !NumberWord(w[0], n[0]) || !NumberWord(w[1], n[1]) ||
        (w.size() == 3 && !NumberWord(w[2], n[2]))) {
        return Fail(line, "expected \"COURSE <course, deg> <speed, m/s> [<acceleration, m/s^2>]\"", why);
    }
    if (n[1] < 0.0) {
        return Fail(line, "a speed cannot be below 0 m/s", why);
    }
    if (!(n[2] > 0.0)) {
        return Fail(line, "a speed changes at an acceleration above 0 m/s^2", why);
    }
    return true;
}

void WriteCourse(const HostLine& value, std::string& out)
{
    for (int i = 0; i < 3; ++i) {
        out += ' ';
        AppendNumber(out, value.number[i]);
    }
}

bool ReadRoute(const char* line, const char* rest, HostLine& value, std::string& why)
{
    const std::vector<std::string> w = Words(rest);
    value.integer[0] = w.empty() ? -1 : Choice(w[0], ROUTE_END_NAMES, 3);
    if (value.integer[0] < 0 || w.size() < 3 || w.size() > 4) {
        return Fail(line, "expected \"ROUTE stop|hold|loop rate <deg/s>|accel <m/s^2> [<next waypoint>]\"", why);
    }
    if (std::string turn = ReadTurn(w, 1, value.integer[1], value.number[0]); !turn.empty()) {
        return Fail(line, turn, why);
    }
    double next = 1.0;
    if (w.size() == 4 && (!NumberWord(w[3], next) || next < 1.0 || next > 1e6 || next != std::floor(next))) {
        return Fail(line, "the next waypoint is a whole number from 1", why);
    }
    value.integer[2] = static_cast<long long>(next);
    return true;
}

void WriteRoute(const HostLine& value, std::string& out)
{
    out += ' ';
    out += ROUTE_END_NAMES[value.integer[0] % 3];
    WriteTurn(value.integer[1], value.number[0], out);
    out += ' ' + std::to_string(value.integer[2]);
}

bool ReadWaypoint(const char* line, const char* rest, HostLine& value, std::string& why)
{
    const std::vector<std::string> w = Words(rest);
    double* n = value.number;
    value.integer[0] = w.size() == 4 ? 1 : 0;
    if ((w.size() != 3 && w.size() != 4) || !NumberWord(w[0], n[0]) || !NumberWord(w[1], n[1]) ||
        !NumberWord(w[2], n[2]) || (w.size() == 4 && !NumberWord(w[3], n[3]))) {
        return Fail(line, "expected \"WAYPOINT <x, m|latitude, deg> <z, m|longitude, deg> <speed, m/s> [<height, m>]\"",
                    why);
    }
    if (!(n[2] > 0.0)) {
        return Fail(line, "a waypoint is reached at a speed above 0 m/s", why);
    }
    return true;
}

void WriteWaypoint(const HostLine& value, std::string& out)
{
    for (int i = 0; i < (value.integer[0] != 0 ? 4 : 3); ++i) {
        out += ' ';
        AppendNumber(out, value.number[i]);
    }
}

bool ReadWeave(const char* line, const char* rest, HostLine& value, std::string& why)
{
    const std::vector<std::string> w = Words(rest);
    double* n = value.number;
    n[2] = 0.0;
    if ((w.size() != 2 && w.size() != 3) || !NumberWord(w[0], n[0]) || !NumberWord(w[1], n[1]) ||
        (w.size() == 3 && !NumberWord(w[2], n[2]))) {
        return Fail(line, "expected \"WEAVE <amplitude, m> <period, s> [<phase, rad>]\"", why);
    }
    if (!(n[0] > 0.0) || !(n[1] > 0.0)) {
        return Fail(line, "a weave needs an amplitude and a period above 0", why);
    }
    return true;
}

bool ReadTrigger(const char* line, const char* rest, HostLine& value, std::string& why)
{
    const std::vector<std::string> w = Words(rest);
    value.integer[0] = w.empty() ? -1 : Choice(w[0], TRIGGER_NAMES, 3);
    const bool timed = value.integer[0] == 0, ranged = value.integer[0] == 2;
    const size_t words = ranged ? 3 : 2;
    if (value.integer[0] < 0 || w.size() < words || (timed && w.size() != 2) ||
        ((timed || ranged) && !NumberWord(w[1], value.number[0]))) {
        return Fail(line, "expected \"TRIGGER time <s>\", \"TRIGGER release any|<weapon>\" or "
                          "\"TRIGGER range <m> any|<weapon>\"", why);
    }
    if (ranged && !(value.number[0] > 0.0)) {
        return Fail(line, "a trigger's range is above 0 m", why);
    }
    value.word = timed ? "" : After(rest, words - 1);
    value.word = strcasecmp(value.word.c_str(), "any") == 0 ? "" : value.word;
    return true;
}

void WriteTrigger(const HostLine& value, std::string& out)
{
    out += ' ';
    out += TRIGGER_NAMES[value.integer[0] % 3];
    if (value.integer[0] != 1) {
        out += ' ';
        AppendNumber(out, value.number[0]);
    }
    if (value.integer[0] != 0) {
        out += ' ';
        out += value.word.empty() ? "any" : value.word;
    }
}

bool ReadReaction(const char* line, const char* rest, HostLine& value, std::string& why)
{
    const std::vector<std::string> w = Words(rest);
    long long& action = value.integer[0];
    action = w.empty() ? -1 : Choice(w[0], REACTION_NAMES, 3);
    double* n = value.number;
    n[2] = NAN;
    const char* usage = "expected \"REACTION turn left|right <deg> rate|accel <value> [<speed, m/s>]\", "
                        "\"REACTION turn away rate|accel <value> [<speed>]\", \"REACTION turn to <course, deg> "
                        "rate|accel <value> [<speed>]\", \"REACTION speed <m/s>\" or \"REACTION stop\"";
    if (action == 1 && w.size() == 2 && NumberWord(w[1], n[2])) {
        return n[2] >= 0.0 || Fail(line, "a speed cannot be below 0 m/s", why);
    }
    if (action == 2 && w.size() == 1) {
        return true;
    }
    long long& side = value.integer[1];
    side = action == 0 && w.size() > 1 ? Choice(w[1], SIDE_NAMES, 4) : -1;
    const size_t turnAt = side == 2 ? 2 : 3;
    if (side < 0 || w.size() < turnAt + 2 || w.size() > turnAt + 3 || (side != 2 && !NumberWord(w[2], n[0]))) {
        return Fail(line, usage, why);
    }
    if ((side == 0 || side == 1) && !(n[0] > 0.0 && n[0] < 180.0)) {
        return Fail(line, "a turn to a side is by more than 0 deg and less than 180", why);
    }
    if (std::string turn = ReadTurn(w, turnAt, value.integer[2], n[1]); !turn.empty()) {
        return Fail(line, turn, why);
    }
    if (w.size() == turnAt + 3 && (!NumberWord(w[turnAt + 2], n[2]) || n[2] < 0.0)) {
        return Fail(line, "a speed cannot be below 0 m/s", why);
    }
    return true;
}

void WriteReaction(const HostLine& value, std::string& out)
{
    out += ' ';
    out += REACTION_NAMES[value.integer[0] % 3];
    if (value.integer[0] == 1) {
        out += ' ';
        AppendNumber(out, value.number[2]);
    }
    if (value.integer[0] != 0) {
        return;
    }
    out += ' ';
    out += SIDE_NAMES[value.integer[1] & 3];
    if (value.integer[1] != 2) {
        out += ' ';
        AppendNumber(out, value.number[0]);
    }
    WriteTurn(value.integer[2], value.number[1], out);
    if (!std::isnan(value.number[2])) {
        out += ' ';
        AppendNumber(out, value.number[2]);
    }
}

bool ReadPlace(const char* line, const char* rest, HostLine& value, std::string& why)
{
    const double* n = value.number;
    if (!ReadNumbers(rest, value.number, 5) || std::fabs(n[0] * n[0] + n[1] * n[1] - 1.0) > 1e-9 ||
        std::fabs(n[2] * n[2] + n[3] * n[3] - 1.0) > 1e-9) {
        return Fail(line, "expected \"PLACE <sin latitude> <cos latitude> <sin longitude> <cos longitude> <height, m>\", "
                          "each sine and cosine a pair of unit length", why);
    }
    return true;
}

void WritePlace(const HostLine& value, std::string& out)
{
    for (int i = 0; i < 5; ++i) {
        out += ' ';
        AppendNumber(out, value.number[i]);
    }
}

}  // namespace formats
