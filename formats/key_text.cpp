// The readers and writers of the key table's entries, one pair for each kind of argument.
#include "formats/key_text.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <strings.h>

#include "formats/number_text.h"
#include "formats/scenario_keys.h"

namespace formats {

namespace {

// The largest record index a host handle can carry; a larger one cannot name a record.
constexpr long long RECORD_INDEX_LIMIT = 1LL << 20;

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

void WriteNumbers(const HostLine& value, std::string& out, int count)
{
    for (int i = 0; i < count; ++i) {
        out += ' ';
        AppendNumber(out, value.number[i]);
    }
}

}  // namespace

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

std::vector<std::string> Words(const char* rest)
{
    std::vector<std::string> words;
    for (const char* p = rest;;) {
        std::string word = Word(p);
        if (word.empty()) {
            return words;
        }
        words.push_back(std::move(word));
    }
}

bool NumberWord(const std::string& word, double& value)
{
    return ReadNumbers(word.c_str(), &value, 1);
}

std::string Quoted(const char* line)
{
    return " in \"" + std::string(line) + "\"";
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

bool ReadChoice(const char* line, const char* rest, const char* const* names, int count, const char* usage,
                HostLine& value, std::string& why)
{
    std::string name = Trim(rest);
    for (int m = 0; m < count; ++m) {
        if (strcasecmp(name.c_str(), names[m]) == 0) {
            value.integer[0] = m;
            return true;
        }
    }
    why = std::string("expected \"") + usage + "\"" + Quoted(line);
    return false;
}

bool ReadMotion(const char* line, const char* rest, HostLine& value, std::string& why)
{
    return ReadChoice(line, rest, MOTION_NAMES, 4, "MOTION dynamic|kinematic|pinned|landed", value, why);
}

bool ReadPositive(const char* line, const char* rest, HostLine& value, std::string& why)
{
    if (!ReadNumbers(rest, value.number, 1) || !(value.number[0] > 0.0)) {
        why = "expected one positive number after the key" + Quoted(line);
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

}  // namespace formats
