// The host's own scenario lines of one vessel: reading them into a status record and applying it.
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "handles.h"
#include "physics/flight_state.h"
#include "physics/integrator.h"
#include "attitude.h"
#include "scenario_file.h"

namespace standin {

thread_local ScenarioFile scenario;
thread_local HostStatus* openStatus = nullptr;

std::string Where(int line)
{
    return scenario.path + ":" + std::to_string(line) + ": ";
}

void WriteNumber(std::FILE* out, double value)
{
    char text[32];
    auto result = std::to_chars(text, text + sizeof text, value);
    std::fprintf(out, " %.*s", static_cast<int>(result.ptr - text), text);
}

void WriteLine(std::FILE* out, const char* key, const double* values, int count)
{
    std::fprintf(out, "  %s", key);
    for (int i = 0; i < count; ++i) {
        WriteNumber(out, values[i]);
    }
    std::fputc('\n', out);
}

bool ReadNumbers(const char* text, double* values, int count)
{
    const char* p = text;
    for (int i = 0; i < count; ++i) {
        char* end = nullptr;
        values[i] = std::strtod(p, &end);
        if (end == p || !std::isfinite(values[i])) {
            return false;
        }
        p = end;
    }
    while (*p == ' ' || *p == '\t') {
        ++p;
    }
    return *p == '\0';
}

bool KeyIs(const char* line, const char* key, const char** rest)
{
    size_t n = std::strlen(key);
    if (strncasecmp(line, key, n) != 0 || (line[n] != '\0' && line[n] != ' ' && line[n] != '\t')) {
        return false;
    }
    *rest = line + n;
    return true;
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
    return "";
}

namespace {

// Reads an integer token in [low, high] at `p` (decimal, or hexadecimal with 0x when `hex`),
// followed by a blank or the end; moves `p` past it.
bool ReadInteger(const char*& p, long long low, long long high, long long& value, bool hex = false)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(p, &end, hex ? 0 : 10);
    if (end == p || errno == ERANGE || value < low || value > high || (*end != '\0' && *end != ' ' && *end != '\t')) {
        return false;
    }
    p = end;
    return true;
}

// The next blank-separated word at `p`, moving `p` past it.
std::string Word(const char*& p)
{
    while (*p == ' ' || *p == '\t') {
        ++p;
    }
    const char* begin = p;
    while (*p != '\0' && *p != ' ' && *p != '\t') {
        ++p;
    }
    return std::string(begin, p);
}

}  // namespace

void ParseHostLine(int slot, const char* line, void* statusRecord)
{
    auto* status = static_cast<HostStatus*>(statusRecord);
    if (slot < 0 || status == nullptr || status != openStatus || line == nullptr) {
        return;
    }
    if (!status->error.empty()) {
        return;  // the first unreadable line is the one reported
    }
    const Vessel& v = world().vessels[static_cast<size_t>(slot)];
    while (*line == ' ' || *line == '\t') {
        ++line;
    }
    const char* rest = nullptr;
    double n[4];
    // Only an unreadable line pays for building its message.
    auto fail = [&](const std::string& why) { status->error = Where(scenario.currentLine) + why; };
    auto quoted = [&]() { return " in \"" + std::string(line) + "\""; };
    auto readVector = [&](bool& has, VECTOR3& value) {
        if (!ReadNumbers(rest, n, 3)) {
            return fail("expected three finite numbers after the key" + quoted());
        }
        has = true;
        value = VECTOR3{n[0], n[1], n[2]};
    };
    auto readPositive = [&](bool& has, double& value) {
        if (!ReadNumbers(rest, n, 1) || !(n[0] > 0.0)) {
            return fail("expected one positive number after the key" + quoted());
        }
        has = true;
        value = n[0];
    };
    // "<index> <value>": the index of one of `count` records, the value a finite number from 0 to `top`.
    auto readEntry = [&](const char* what, size_t count, double top, int& entries, int* indices, double* values) {
        const char* p = rest;
        long long index = 0;
        if (!ReadInteger(p, 0, HANDLE_FIELD_LIMIT, index) || !ReadNumbers(p, n, 1) || n[0] < 0.0 || n[0] > top) {
            return fail(std::string("expected an index and a number from 0 to ") + (top > 1.0 ? "the capacity" : "1") +
                        quoted());
        }
        if (static_cast<size_t>(index) >= count) {
            return fail(std::string(what) + " " + std::to_string(index) + " is out of range: the vessel has " +
                        std::to_string(count));
        }
        if (entries >= STATUS_ENTRIES) {
            return fail(std::string("too many lines for ") + what + "s in one vessel");
        }
        indices[entries] = static_cast<int>(index);
        values[entries] = n[0];
        ++entries;
    };
    if (KeyIs(line, "POS", &rest)) {
        readVector(status->hasPos, status->pos);
    } else if (KeyIs(line, "VEL", &rest)) {
        readVector(status->hasVel, status->vel);
    } else if (KeyIs(line, "ATT", &rest)) {
        VECTOR3 angles{};
        readVector(status->hasAtt, angles);
        status->pitch = angles.x;
        status->bank = angles.y;
        status->heading = angles.z;
    } else if (KeyIs(line, "QUAT", &rest)) {
        if (!ReadNumbers(rest, n, 4) || !(n[0] * n[0] + n[1] * n[1] + n[2] * n[2] + n[3] * n[3] > 1e-12)) {
            return fail("expected a quaternion of four finite numbers, not all zero" + quoted());
        }
        status->hasQuat = true;
        std::memcpy(status->quat, n, sizeof status->quat);
    } else if (KeyIs(line, "AVEL", &rest)) {
        readVector(status->hasAngVel, status->angVel);
    } else if (KeyIs(line, "MOTION", &rest)) {
        std::string name = Trim(rest);
        for (int m = 0; m < 4; ++m) {
            if (strcasecmp(name.c_str(), MOTION_NAMES[m]) == 0) {
                status->hasMotion = true;
                status->motion = static_cast<Motion>(m);
            }
        }
        if (!status->hasMotion) {
            fail("expected \"MOTION dynamic|kinematic|pinned|landed\"" + quoted());
        }
    } else if (KeyIs(line, "SIZE", &rest)) {
        readPositive(status->hasSize, status->size);
    } else if (KeyIs(line, "MASS", &rest)) {
        readPositive(status->hasMass, status->mass);
    } else if (KeyIs(line, "PRP", &rest)) {
        readEntry("propellant resource", v.resources.size(), HUGE_VAL, status->propellantCount,
                  status->propellantIndex, status->propellantMass);
    } else if (KeyIs(line, "THL", &rest)) {
        readEntry("thruster", v.thrusters.size(), 1.0, status->levelCount, status->levelIndex, status->level);
    } else if (KeyIs(line, "ATTACHED", &rest)) {
        const char* p = rest;
        long long childPoint = 0, parentPoint = 0;
        if (!ReadInteger(p, 0, HANDLE_FIELD_LIMIT, childPoint) || !ReadInteger(p, -1, HANDLE_FIELD_LIMIT, parentPoint)) {
            return fail("expected \"ATTACHED <point> <parent point> <parent name>\"" + quoted());
        }
        if (static_cast<size_t>(childPoint) >= v.attachments.size() ||
            !v.attachments[static_cast<size_t>(childPoint)].toParent) {
            return fail("the vessel has no point " + std::to_string(childPoint) + " to hang from a parent by");
        }
        std::string parentName = Trim(p);
        if (parentName.empty()) {
            return fail("no parent vessel named" + quoted());
        }
        status->attached = true;
        status->childPoint = static_cast<int>(childPoint);
        status->parentPoint = static_cast<int>(parentPoint);
        status->attachedLine = scenario.currentLine;
        status->parentName = parentName;
    } else if (KeyIs(line, "KEY", &rest)) {
        const char* p = rest;
        KeyEvent key{};
        long long code = 0;
        std::string when = Word(p);
        char* end = nullptr;
        key.time = std::strtod(when.c_str(), &end);
        std::string edge = (end != when.c_str() && *end == '\0' && std::isfinite(key.time) && key.time >= 0.0 &&
                            ReadInteger(p, 0, 255, code, true))
                               ? Word(p)
                               : "";
        if (strcasecmp(edge.c_str(), "press") != 0 && strcasecmp(edge.c_str(), "release") != 0) {
            return fail("expected \"KEY <time> <code 0-255> press|release [shift|rshift|ctrl|rctrl|alt ...]\"" +
                        quoted());
        }
        key.code = static_cast<unsigned int>(code);
        key.down = strcasecmp(edge.c_str(), "press") == 0;
        for (std::string word = Word(p); !word.empty(); word = Word(p)) {
            int bit = -1;
            for (int b = 0; b < 5; ++b) {
                bit = strcasecmp(word.c_str(), MODIFIER_NAMES[b]) == 0 ? b : bit;
            }
            if (bit < 0) {
                return fail("unknown modifier \"" + word + "\"" + quoted());
            }
            key.modifiers = static_cast<uint8_t>(key.modifiers | (1u << bit));
        }
        if (status->keyCount >= STATUS_ENTRIES) {
            return fail("too many KEY lines for one vessel");
        }
        status->keys[status->keyCount++] = key;
    } else {
        std::string key(line, std::strcspn(line, " \t"));
        fail("unknown key \"" + key + "\"");
    }
}

void ApplyHostStatus(int slot, const void* statusRecord)
{
    const auto* status = static_cast<const HostStatus*>(statusRecord);
    if (slot < 0 || status == nullptr || status != openStatus) {
        return;
    }
    World& w = world();
    Vessel& v = w.vessels[static_cast<size_t>(slot)];
    if (status->hasPos) {
        v.state.pos = status->pos;
    }
    if (status->hasVel) {
        v.state.vel = status->vel;
    }
    if (status->hasAtt) {
        SetStateAngles(v.state, status->pitch, status->bank, status->heading);
    }
    if (status->hasQuat) {
        physics::FlightState flight = physics::ReadState(v.state);
        flight.att = physics::Quat(status->quat[0], status->quat[1], status->quat[2], status->quat[3]);
        // A saved quaternion is unit already and is kept to the bit; a hand-written one is made unit.
        if (std::fabs(flight.att.norm() - 1.0) > 1e-12) {
            flight.att.normalize();
        }
        physics::WriteState(flight, v.state);
    }
    if (status->hasAngVel) {
        v.state.angVel = status->angVel;
    }
    if (status->hasSize) {
        v.size = status->size;
    }
    if (status->hasMass) {
        v.emptyMass = status->mass;
    }
    if (status->hasMotion) {
        v.motion = status->motion;
        if (v.motion == Motion::Landed) {
            physics::PlaceOnGround(v);
        }
    }
    for (int i = 0; i < status->propellantCount; ++i) {
        Resource& r = v.resources[static_cast<size_t>(status->propellantIndex[i])];
        r.mass = status->propellantMass[i] < r.capacity ? status->propellantMass[i] : r.capacity;
    }
    for (int i = 0; i < status->levelCount; ++i) {
        v.thrusters[static_cast<size_t>(status->levelIndex[i])].level = status->level[i];
    }
    for (int i = 0; i < status->keyCount && !status->keysApplied; ++i) {
        KeyEvent key = status->keys[i];
        key.vessel = VesselHandle(slot);
        w.keys.push_back(key);
    }
    status->keysApplied = true;
}

}  // namespace standin
