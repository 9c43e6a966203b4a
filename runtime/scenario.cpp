#include "scenario.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <strings.h>

#include "attachments.h"
#include "attitude.h"
#include "handles.h"
#include "host_control.h"
#include "journal.h"
#include "lifecycle.h"
#include "physics/integrator.h"

namespace standin {

namespace {

constexpr const char* FILE_MAGIC = "ZELVAR-STANDIN-SCENARIO 1";
// Motion modes by their value in the Motion enumeration.
constexpr const char* MOTION_NAMES[] = {"dynamic", "kinematic", "pinned", "landed"};

// The scenario being read or written; only one is open at a time, during SaveScenario or LoadScenario.
struct ScenarioFile {
    HostHandle handle = nullptr;
    std::string path;
    std::FILE* out = nullptr;
    std::vector<std::string> lines;  // the current vessel's module and host lines
    std::vector<int> lineNumbers;    // their line numbers in the file
    size_t next = 0;
    int currentLine = 0;             // line number of the line last handed out
    std::vector<char> buffer;        // the line handed out; the module may write into it
};

ScenarioFile scenario;

// The status record the host handed to the vessel being loaded; only that pointer is ever read,
// so a module passing any other pointer to the host's state functions changes nothing.
HostStatus* openStatus = nullptr;

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

// Reads exactly `count` finite numbers from `text`, nothing after them.
bool ReadNumbers(const char* text, double* values, int count)
{
    const char* p = text;
    for (int i = 0; i < count; ++i) {
        char* end = nullptr;
        errno = 0;
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

void WriteVessel(std::FILE* out, int slot)
{
    World& w = world();
    Vessel& v = w.vessels[static_cast<size_t>(slot)];
    std::fprintf(out, "%s:%s\n", v.name.c_str(), v.className.c_str());
    const VesselState& s = v.state;
    double pos[3] = {s.pos.x, s.pos.y, s.pos.z};
    double vel[3] = {s.vel.x, s.vel.y, s.vel.z};
    double heading = s.anglesExact ? s.heading : std::atan2(s.rot[0][2], s.rot[2][2]);
    double att[3] = {PitchOf(s), BankOf(s), heading};
    double angVel[3] = {s.angVel.x, s.angVel.y, s.angVel.z};
    WriteLine(out, "POS", pos, 3);
    WriteLine(out, "VEL", vel, 3);
    WriteLine(out, "ATT", att, 3);
    WriteLine(out, "AVEL", angVel, 3);
    std::fprintf(out, "  MOTION %s\n", MOTION_NAMES[static_cast<int>(v.motion)]);
    if (v.className.empty()) {
        WriteLine(out, "SIZE", &v.size, 1);
        WriteLine(out, "MASS", &v.emptyMass, 1);
    }
    for (size_t i = 0; i < v.resources.size(); ++i) {
        double entry[2] = {static_cast<double>(i), v.resources[i].mass};
        WriteLine(out, "PRP", entry, 2);
    }
    for (size_t i = 0; i < v.thrusters.size(); ++i) {
        if (v.thrusters[i].level != 0.0) {
            double entry[2] = {static_cast<double>(i), v.thrusters[i].level};
            WriteLine(out, "THL", entry, 2);
        }
    }
    for (size_t i = 0; i < v.attachments.size(); ++i) {
        const Attachment& point = v.attachments[i];
        Vessel* parent = point.toParent ? LiveVessel(point.mate) : nullptr;
        if (parent != nullptr) {
            int parentPoint = point.matePoint != nullptr ? RecordIndex(point.matePoint) : -1;
            std::fprintf(out, "  ATTACHED %zu %d %s\n", i, parentPoint, parent->name.c_str());
        }
    }
    if (v.callbacks != nullptr) {
        CallbackScope scope(slot);
        v.callbacks->clbkSaveState(scenario.handle);
    }
    std::fputs("END\n", out);
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
    while (*line == ' ' || *line == '\t') {
        ++line;
    }
    const char* rest = nullptr;
    double n[3];
    // Only an unreadable line pays for building its message.
    auto fail = [&](const std::string& why) { status->error = Where(scenario.currentLine) + why; };
    auto readVector = [&](bool& has, VECTOR3& value) {
        if (!ReadNumbers(rest, n, 3)) {
            fail("expected three finite numbers after the key in \"" + std::string(line) + "\"");
            return;
        }
        has = true;
        value = VECTOR3{n[0], n[1], n[2]};
    };
    auto readPositive = [&](bool& has, double& value) {
        if (!ReadNumbers(rest, n, 1) || !(n[0] > 0.0)) {
            fail("expected one positive number after the key in \"" + std::string(line) + "\"");
            return;
        }
        has = true;
        value = n[0];
    };
    auto readEntry = [&](const char* key, int& count, int* indices, double* values) {
        if (!ReadNumbers(rest, n, 2) || n[0] < 0.0 || n[0] != std::floor(n[0]) || n[1] < 0.0) {
            fail("expected an index and a non-negative number in \"" + std::string(line) + "\"");
            return;
        }
        if (count >= STATUS_ENTRIES) {
            fail(std::string("too many ") + key + " lines for one vessel");
            return;
        }
        indices[count] = static_cast<int>(n[0]);
        values[count] = n[1];
        ++count;
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
            fail("expected \"MOTION dynamic|kinematic|pinned|landed\" in \"" + std::string(line) + "\"");
        }
    } else if (KeyIs(line, "SIZE", &rest)) {
        readPositive(status->hasSize, status->size);
    } else if (KeyIs(line, "MASS", &rest)) {
        readPositive(status->hasMass, status->mass);
    } else if (KeyIs(line, "PRP", &rest)) {
        readEntry("PRP", status->propellantCount, status->propellantIndex, status->propellantMass);
    } else if (KeyIs(line, "THL", &rest)) {
        readEntry("THL", status->levelCount, status->levelIndex, status->level);
    } else if (KeyIs(line, "ATTACHED", &rest)) {
        char* end = nullptr;
        long childPoint = std::strtol(rest, &end, 10);
        const char* p = end;
        long parentPoint = end != rest ? std::strtol(p, &end, 10) : 0;
        if (end == rest || end == p || childPoint < 0 || parentPoint < -1 || (*end != ' ' && *end != '\t')) {
            fail("expected \"ATTACHED <point> <parent point> <parent name>\" in \"" + std::string(line) + "\"");
            return;
        }
        std::string parentName = Trim(end);
        if (parentName.empty()) {
            fail("no parent vessel named in \"" + std::string(line) + "\"");
            return;
        }
        status->attached = true;
        status->childPoint = static_cast<int>(childPoint);
        status->parentPoint = static_cast<int>(parentPoint);
        status->parentName = parentName;
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
    Vessel& v = world().vessels[static_cast<size_t>(slot)];
    if (status->hasPos) {
        v.state.pos = status->pos;
    }
    if (status->hasVel) {
        v.state.vel = status->vel;
    }
    if (status->hasAtt) {
        SetStateAngles(v.state, status->pitch, status->bank, status->heading);
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
        size_t index = static_cast<size_t>(status->propellantIndex[i]);
        if (index < v.resources.size()) {
            Resource& r = v.resources[index];
            r.mass = status->propellantMass[i] < r.capacity ? status->propellantMass[i] : r.capacity;
        }
    }
    for (int i = 0; i < status->levelCount; ++i) {
        size_t index = static_cast<size_t>(status->levelIndex[i]);
        if (index < v.thrusters.size()) {
            v.thrusters[index].level = status->level[i] < 1.0 ? status->level[i] : 1.0;
        }
    }
}

bool SaveScenario(const char* path)
{
    if (path == nullptr) {
        SetError("no scenario file named");
        return false;
    }
    std::FILE* out = std::fopen(path, "w");
    if (out == nullptr) {
        SetError(std::string("cannot write scenario file ") + path + ": " + std::strerror(errno));
        return false;
    }
    World& w = world();
    scenario = ScenarioFile{};
    scenario.handle = MakeHandle(HandleKind::Scenario, NextEpoch(), 0, 0);
    scenario.path = path;
    scenario.out = out;
    std::fprintf(out, "%s\nTIME", FILE_MAGIC);
    WriteNumber(out, w.simt);
    std::fputs("\nDAMPING", out);
    WriteNumber(out, w.physics.rotationalDamping);
    std::fputs("\nBEGIN_VESSELS\n", out);
    for (size_t i = 0; i < w.order.size(); ++i) {
        WriteVessel(out, w.order[i]);
    }
    std::fputs("END_VESSELS\n", out);
    bool ok = std::ferror(out) == 0;
    ok = std::fclose(out) == 0 && ok;
    scenario = ScenarioFile{};
    if (!ok) {
        SetError(std::string("cannot write scenario file ") + path);
        return false;
    }
    SetError("");
    return true;
}

namespace {

struct PendingAttachment {
    int slot;
    HostStatus status;
};

bool Fail(const std::string& message)
{
    SetError(message);
    scenario = ScenarioFile{};
    return false;
}

bool LoadVessel(const std::string& header, int headerLine, std::vector<PendingAttachment>& pending)
{
    size_t colon = header.rfind(':');
    if (colon == std::string::npos || colon == 0) {
        return Fail(Where(headerLine) + "expected \"<name>:<class>\" to begin a vessel, got \"" + header + "\"");
    }
    VesselDesc desc;
    desc.name = header.substr(0, colon);
    std::string className = Trim(header.substr(colon + 1));
    HostStatus status;
    HostHandle vessel = className.empty() ? CreateBody(desc) : CreateModuleVessel(className.c_str(), desc);
    if (vessel == nullptr) {
        return Fail(Where(headerLine) + "cannot create vessel \"" + desc.name + "\": " + LastError());
    }
    int slot = SlotOf(vessel);
    Vessel& v = world().vessels[static_cast<size_t>(slot)];
    openStatus = &status;
    if (v.callbacks != nullptr) {
        CallbackScope scope(slot);
        v.callbacks->clbkLoadStateEx(scenario.handle, &status);
        v.callbacks->clbkSetStateEx(&status);
    } else {
        char* line = nullptr;
        while (zapiReadScenario_nextline(scenario.handle, line)) {
            ParseHostLine(slot, line, &status);
        }
        ApplyHostStatus(slot, &status);
    }
    openStatus = nullptr;
    if (!status.error.empty()) {
        return Fail(status.error);
    }
    if (status.attached) {
        pending.push_back(PendingAttachment{slot, status});
    }
    return true;
}

HostHandle PointOf(int slot, int index)
{
    const Vessel& v = world().vessels[static_cast<size_t>(slot)];
    if (index < 0 || static_cast<size_t>(index) >= v.attachments.size()) {
        return nullptr;
    }
    return MakeHandle(HandleKind::Attachment, v.recordEpoch, static_cast<uint32_t>(slot),
                      static_cast<uint32_t>(index));
}

}  // namespace

bool LoadScenario(const char* path)
{
    if (path == nullptr) {
        SetError("no scenario file named");
        return false;
    }
    std::ifstream in(path);
    if (!in) {
        SetError(std::string("cannot read scenario file ") + path + ": " + std::strerror(errno));
        return false;
    }
    scenario = ScenarioFile{};
    scenario.path = path;
    scenario.handle = MakeHandle(HandleKind::Scenario, NextEpoch(), 0, 0);

    std::vector<std::string> fileLines;
    for (std::string text; std::getline(in, text);) {
        fileLines.push_back(Trim(text));
    }
    size_t longest = 0;
    for (const std::string& text : fileLines) {
        longest = text.size() > longest ? text.size() : longest;
    }
    scenario.buffer.assign(longest + 1, '\0');

    size_t i = 0;
    auto nextMeaningful = [&]() {
        while (i < fileLines.size() && (fileLines[i].empty() || fileLines[i][0] == ';')) {
            ++i;
        }
    };
    nextMeaningful();
    if (i >= fileLines.size() || fileLines[i] != FILE_MAGIC) {
        return Fail(Where(static_cast<int>(i + 1)) + "not a scenario file: expected \"" + FILE_MAGIC + "\"");
    }
    ++i;
    nextMeaningful();
    // World settings, each a key and one number, until the vessels begin.
    double simt = 0.0;
    double damping = world().physics.rotationalDamping;
    const char* rest = nullptr;
    while (i < fileLines.size() && fileLines[i] != "BEGIN_VESSELS") {
        const char* line = fileLines[i].c_str();
        double* value = KeyIs(line, "TIME", &rest) ? &simt : (KeyIs(line, "DAMPING", &rest) ? &damping : nullptr);
        if (value == nullptr) {
            return Fail(Where(static_cast<int>(i + 1)) + "expected \"TIME\", \"DAMPING\" or \"BEGIN_VESSELS\", got \"" +
                        fileLines[i] + "\"");
        }
        if (!ReadNumbers(rest, value, 1) || (value == &damping && damping < 0.0)) {
            return Fail(Where(static_cast<int>(i + 1)) + "expected one finite number after the key in \"" +
                        fileLines[i] + "\"");
        }
        ++i;
        nextMeaningful();
    }
    if (i >= fileLines.size()) {
        return Fail(Where(static_cast<int>(i)) + "expected \"BEGIN_VESSELS\"");
    }
    ++i;
    world().simt = simt;
    world().physics.rotationalDamping = damping;
    std::vector<PendingAttachment> pending;
    for (;;) {
        nextMeaningful();
        if (i >= fileLines.size()) {
            return Fail(Where(static_cast<int>(i)) + "the file ends before \"END_VESSELS\"");
        }
        if (fileLines[i] == "END_VESSELS") {
            break;
        }
        int headerLine = static_cast<int>(i + 1);
        std::string header = fileLines[i++];
        scenario.lines.clear();
        scenario.lineNumbers.clear();
        scenario.next = 0;
        for (;; ++i) {
            if (i >= fileLines.size()) {
                return Fail(Where(headerLine) + "vessel \"" + header + "\" has no \"END\"");
            }
            if (fileLines[i] == "END") {
                ++i;
                break;
            }
            if (!fileLines[i].empty() && fileLines[i][0] != ';') {
                scenario.lines.push_back(fileLines[i]);
                scenario.lineNumbers.push_back(static_cast<int>(i + 1));
            }
        }
        if (!LoadVessel(header, headerLine, pending)) {
            return false;
        }
    }
    World& w = world();
    for (const PendingAttachment& entry : pending) {
        int parentSlot = -1;
        for (int slot : w.order) {
            if (w.vessels[static_cast<size_t>(slot)].name == entry.status.parentName) {
                parentSlot = slot;
                break;
            }
        }
        HostHandle child = VesselHandle(entry.slot);
        HostHandle childPoint = PointOf(entry.slot, entry.status.childPoint);
        HostHandle parentPoint = entry.status.parentPoint < 0 || parentSlot < 0
                                     ? nullptr
                                     : PointOf(parentSlot, entry.status.parentPoint);
        if (parentSlot < 0 || !Attach(VesselHandle(parentSlot), parentPoint, child, childPoint)) {
            return Fail(scenario.path + ": cannot attach \"" + w.vessels[static_cast<size_t>(entry.slot)].name +
                        "\" to \"" + entry.status.parentName + "\"");
        }
        FollowParent(w.vessels[static_cast<size_t>(entry.slot)]);
    }
    scenario = ScenarioFile{};
    SetError("");
    return true;
}

}  // namespace standin

bool zapiReadScenario_nextline(HostHandle scn, char*& line)
{
    standin::CallRecord(-1, "zapiReadScenario_nextline").Handle(scn);
    using standin::scenario;
    static char empty[1] = {'\0'};
    line = empty;
    if (scn == nullptr || scn != scenario.handle || scenario.out != nullptr ||
        scenario.next >= scenario.lines.size()) {
        return false;
    }
    const std::string& text = scenario.lines[scenario.next];
    std::memcpy(scenario.buffer.data(), text.c_str(), text.size() + 1);
    scenario.currentLine = scenario.lineNumbers[scenario.next];
    ++scenario.next;
    line = scenario.buffer.data();
    return true;
}

void zapiWriteScenario_float(HostHandle scn, const char* key, double value)
{
    standin::CallRecord(-1, "zapiWriteScenario_float").Handle(scn).Text(key).Num(value);
    using standin::scenario;
    if (scn == nullptr || scn != scenario.handle || scenario.out == nullptr || key == nullptr || key[0] == '\0' ||
        std::strpbrk(key, " \t\r\n") != nullptr) {
        return;  // a key with blanks or line breaks would not read back as one key
    }
    standin::WriteLine(scenario.out, key, &value, 1);
}
