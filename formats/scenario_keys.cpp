#include "formats/scenario_keys.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "formats/number_text.h"

namespace formats {

namespace {

// The largest record index a host handle can carry; a larger one cannot name a record.
constexpr long long RECORD_INDEX_LIMIT = 1LL << 20;

// Reads exactly `count` finite numbers from `text`, nothing after them.
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

std::string Quoted(const char* line)
{
    return " in \"" + std::string(line) + "\"";
}

// One number after a setting: any finite one, a non-negative one, or a positive one.
bool ReadSetting(const char* rest, HostLine& value, std::string& why, double low, bool positive)
{
    const char* name = EntryOf(value.key).name;
    if (!ReadNumbers(rest, value.number, 1) || value.number[0] < low || (positive && !(value.number[0] > 0.0))) {
        why = std::string("expected one finite") + (positive ? " positive" : "") +
              (low == 0.0 && !positive ? " non-negative" : "") + " number after " + name;
        return false;
    }
    return true;
}

bool ReadAny(const char*, const char* rest, HostLine& value, std::string& why)
{
    return ReadSetting(rest, value, why, -HUGE_VAL, false);
}

bool ReadNonNegative(const char*, const char* rest, HostLine& value, std::string& why)
{
    return ReadSetting(rest, value, why, 0.0, false);
}

bool ReadPositiveSetting(const char*, const char* rest, HostLine& value, std::string& why)
{
    return ReadSetting(rest, value, why, 0.0, true);
}

bool ReadName(const char*, const char* rest, HostLine& value, std::string&)
{
    value.word = Trim(rest);
    return true;
}

bool ReadVector(const char* line, const char* rest, HostLine& value, std::string& why)
{
    if (!ReadNumbers(rest, value.number, 3)) {
        why = "expected three finite numbers after the key" + Quoted(line);
        return false;
    }
    return true;
}

bool ReadQuat(const char* line, const char* rest, HostLine& value, std::string& why)
{
    const double* n = value.number;
    if (!ReadNumbers(rest, value.number, 4) || !(n[0] * n[0] + n[1] * n[1] + n[2] * n[2] + n[3] * n[3] > 1e-12)) {
        why = "expected a quaternion of four finite numbers, not all zero" + Quoted(line);
        return false;
    }
    return true;
}

bool ReadMotion(const char* line, const char* rest, HostLine& value, std::string& why)
{
    std::string name = Trim(rest);
    for (int m = 0; m < 4; ++m) {
        if (strcasecmp(name.c_str(), MOTION_NAMES[m]) == 0) {
            value.integer[0] = m;
            return true;
        }
    }
    why = "expected \"MOTION dynamic|kinematic|pinned|landed\"" + Quoted(line);
    return false;
}

bool ReadPositive(const char* line, const char* rest, HostLine& value, std::string& why)
{
    if (!ReadNumbers(rest, value.number, 1) || !(value.number[0] > 0.0)) {
        why = "expected one positive number after the key" + Quoted(line);
        return false;
    }
    return true;
}

// "<index> <value>": a record's index and a finite number from 0 to `top`.
bool ReadEntry(const char* line, const char* rest, HostLine& value, std::string& why, double top)
{
    const char* p = rest;
    if (!ReadInteger(p, 0, RECORD_INDEX_LIMIT, value.integer[0]) || !ReadNumbers(p, value.number, 1) ||
        value.number[0] < 0.0 || value.number[0] > top) {
        why = std::string("expected an index and a number from 0 to ") + (top > 1.0 ? "the capacity" : "1") + Quoted(line);
        return false;
    }
    return true;
}

bool ReadPropellant(const char* line, const char* rest, HostLine& value, std::string& why)
{
    return ReadEntry(line, rest, value, why, HUGE_VAL);
}

bool ReadLevel(const char* line, const char* rest, HostLine& value, std::string& why)
{
    return ReadEntry(line, rest, value, why, 1.0);
}

bool ReadAttached(const char* line, const char* rest, HostLine& value, std::string& why)
{
    const char* p = rest;
    if (!ReadInteger(p, 0, RECORD_INDEX_LIMIT, value.integer[0]) ||
        !ReadInteger(p, -1, RECORD_INDEX_LIMIT, value.integer[1])) {
        why = "expected \"ATTACHED <point> <parent point> <parent name>\"" + Quoted(line);
        return false;
    }
    value.word = Trim(p);
    if (value.word.empty()) {
        why = "no parent vessel named" + Quoted(line);
        return false;
    }
    return true;
}

bool ReadKeyEvent(const char* line, const char* rest, HostLine& value, std::string& why)
{
    const char* p = rest;
    std::string when = Word(p);
    char* end = nullptr;
    double time = std::strtod(when.c_str(), &end);
    std::string edge = (end != when.c_str() && *end == '\0' && std::isfinite(time) && time >= 0.0 &&
                        ReadInteger(p, 0, 255, value.integer[0], true))
                           ? Word(p)
                           : "";
    if (strcasecmp(edge.c_str(), "press") != 0 && strcasecmp(edge.c_str(), "release") != 0) {
        why = "expected \"KEY <time> <code 0-255> press|release [shift|rshift|ctrl|rctrl|alt ...]\"" + Quoted(line);
        return false;
    }
    value.number[0] = time;
    value.integer[1] = strcasecmp(edge.c_str(), "press") == 0 ? 1 : 0;
    value.integer[2] = 0;
    for (std::string word = Word(p); !word.empty(); word = Word(p)) {
        int bit = -1;
        for (int b = 0; b < 5; ++b) {
            bit = strcasecmp(word.c_str(), MODIFIER_NAMES[b]) == 0 ? b : bit;
        }
        if (bit < 0) {
            why = "unknown modifier \"" + word + "\"" + Quoted(line);
            return false;
        }
        value.integer[2] |= 1LL << bit;
    }
    return true;
}

void WriteNumbers(const HostLine& value, std::string& out, int count)
{
    for (int i = 0; i < count; ++i) {
        out += ' ';
        AppendNumber(out, value.number[i]);
    }
}

void WriteOne(const HostLine& value, std::string& out)
{
    WriteNumbers(value, out, 1);
}

void WriteThree(const HostLine& value, std::string& out)
{
    WriteNumbers(value, out, 3);
}

void WriteFour(const HostLine& value, std::string& out)
{
    WriteNumbers(value, out, 4);
}

void WriteName(const HostLine& value, std::string& out)
{
    out += ' ';
    out += value.word;
}

void WriteMotion(const HostLine& value, std::string& out)
{
    out += ' ';
    out += MOTION_NAMES[value.integer[0] & 3];
}

void WriteEntry(const HostLine& value, std::string& out)
{
    out += ' ' + std::to_string(value.integer[0]);
    WriteNumbers(value, out, 1);
}

void WriteAttached(const HostLine& value, std::string& out)
{
    out += ' ' + std::to_string(value.integer[0]) + ' ' + std::to_string(value.integer[1]) + ' ' + value.word;
}

void WriteKeyEvent(const HostLine& value, std::string& out)
{
    WriteNumbers(value, out, 1);
    char code[8];
    std::snprintf(code, sizeof code, " 0x%02X", static_cast<unsigned int>(value.integer[0] & 0xFF));
    out += code;
    out += value.integer[1] != 0 ? " press" : " release";
    for (int bit = 0; bit < 5; ++bit) {
        if ((value.integer[2] & (1LL << bit)) != 0) {
            out += ' ';
            out += MODIFIER_NAMES[bit];
        }
    }
}

constexpr Section S = Section::Settings;
constexpr Section V = Section::Vessel;

constexpr KeyEntry TABLE[KEY_COUNT] = {
    {Key::Time, "TIME", S, "<time>", "s", ReadAny, WriteOne},
    {Key::Step, "STEP", S, "<frame length>", "s", ReadPositiveSetting, WriteOne},
    {Key::End, "END", S, "<end time>", "s", ReadNonNegative, WriteOne},
    {Key::Telemetry, "TELEMETRY", S, "<samples per second>", "1/s", ReadPositiveSetting, WriteOne},
    {Key::Damping, "DAMPING", S, "<coefficient>", "dimensionless", ReadNonNegative, WriteOne},
    {Key::Watch, "WATCH", S, "<vessel name>", "", ReadName, WriteName},
    {Key::Target, "TARGET", S, "<vessel name>", "", ReadName, WriteName},
    {Key::Pos, "POS", V, "<x> <y> <z>", "m, global", ReadVector, WriteThree},
    {Key::Vel, "VEL", V, "<x> <y> <z>", "m/s, global", ReadVector, WriteThree},
    {Key::Att, "ATT", V, "<pitch> <bank> <heading>", "rad", ReadVector, WriteThree},
    {Key::Quat, "QUAT", V, "<w> <x> <y> <z>", "unit quaternion, body to global", ReadQuat, WriteFour},
    {Key::Avel, "AVEL", V, "<x> <y> <z>", "rad/s, body", ReadVector, WriteThree},
    {Key::Motion, "MOTION", V, "dynamic|kinematic|pinned|landed", "", ReadMotion, WriteMotion},
    {Key::Size, "SIZE", V, "<size>", "m", ReadPositive, WriteOne},
    {Key::Mass, "MASS", V, "<empty mass>", "kg", ReadPositive, WriteOne},
    {Key::Prp, "PRP", V, "<resource index> <propellant>", "kg", ReadPropellant, WriteEntry},
    {Key::Thl, "THL", V, "<thruster index> <level>", "0 to 1", ReadLevel, WriteEntry},
    {Key::Attached, "ATTACHED", V, "<point> <parent point> <parent name>", "", ReadAttached, WriteAttached},
    {Key::KeyEvent, "KEY", V, "<time> <code> press|release [modifiers]", "s", ReadKeyEvent, WriteKeyEvent},
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
