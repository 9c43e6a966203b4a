// Reading a scenario file: run settings, then each vessel created, handed its lines and placed,
// then attachments, which may name any vessel of the file.
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include "attachments.h"
#include "handles.h"
#include "host_control.h"
#include "journal.h"
#include "lifecycle.h"
#include "scenario_file.h"

namespace standin {

namespace {

struct PendingAttachment {
    int slot;
    HostStatus status;
};

bool Fail(const std::string& message, ErrorKind kind = ErrorKind::Scenario)
{
    SetError(message, kind);
    scenario = ScenarioFile{};
    openStatus = nullptr;
    return false;
}

int SlotNamed(const std::string& name)
{
    const World& w = world();
    for (int slot : w.order) {
        if (w.vessels[static_cast<size_t>(slot)].name == name) {
            return slot;
        }
    }
    return -1;
}

bool LoadVessel(const std::string& header, int headerLine, std::vector<PendingAttachment>& pending)
{
    size_t colon = header.find(':');
    if (colon == std::string::npos) {
        return Fail(Where(headerLine) + "expected \"<name>:<class>\" to begin a vessel, got \"" + header + "\"");
    }
    VesselDesc desc;
    desc.name = header.substr(0, colon);
    std::string className = Trim(header.substr(colon + 1));
    std::string problem = VesselNameProblem(desc.name);
    if (!problem.empty()) {
        return Fail(Where(headerLine) + "vessel \"" + desc.name + "\": " + problem);
    }
    if (SlotNamed(desc.name) >= 0) {
        return Fail(Where(headerLine) + "a second vessel named \"" + desc.name + "\"");
    }
    HostHandle vessel = className.empty() ? CreateBody(desc) : CreateModuleVessel(className.c_str(), desc);
    if (vessel == nullptr) {
        return Fail(Where(headerLine) + "cannot create vessel \"" + desc.name + "\": " + LastError(), LastErrorKind());
    }
    int slot = SlotOf(vessel);
    Vessel& v = world().vessels[static_cast<size_t>(slot)];
    HostStatus status;
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
    return MakeHandle(HandleKind::Attachment, v.recordEpoch, static_cast<uint32_t>(slot), static_cast<uint32_t>(index));
}

bool AttachPending(const PendingAttachment& entry)
{
    World& w = world();
    const HostStatus& s = entry.status;
    const std::string& child = w.vessels[static_cast<size_t>(entry.slot)].name;
    int parentSlot = SlotNamed(s.parentName);
    if (parentSlot < 0) {
        return Fail(Where(s.attachedLine) + "\"" + child + "\" hangs from \"" + s.parentName + "\", which is no vessel");
    }
    HostHandle parentPoint = nullptr;
    if (s.parentPoint >= 0) {
        parentPoint = PointOf(parentSlot, s.parentPoint);
        if (parentPoint == nullptr || w.vessels[static_cast<size_t>(parentSlot)].attachments[static_cast<size_t>(s.parentPoint)].toParent) {
            return Fail(Where(s.attachedLine) + "\"" + s.parentName + "\" has no point " + std::to_string(s.parentPoint) +
                        " to carry a child on");
        }
    }
    if (!Attach(VesselHandle(parentSlot), parentPoint, VesselHandle(entry.slot), PointOf(entry.slot, s.childPoint))) {
        return Fail(Where(s.attachedLine) + "cannot hang \"" + child + "\" on \"" + s.parentName +
                    "\": the point is taken");
    }
    FollowParent(w.vessels[static_cast<size_t>(entry.slot)]);
    return true;
}

// Reads the run settings, each a key and a value, up to the line "BEGIN_VESSELS"; `i` is left on it.
bool ReadSettings(const std::vector<std::string>& lines, size_t& i, RunSettings& run, double& simt, double& damping,
                  int& watchLine, int& targetLine)
{
    for (; i < lines.size() && lines[i] != "BEGIN_VESSELS"; ++i) {
        const std::string& text = lines[i];
        if (text.empty()) {
            continue;
        }
        int number = static_cast<int>(i + 1);
        const char* line = text.c_str();
        const char* rest = nullptr;
        if (KeyIs(line, "WATCH", &rest) || KeyIs(line, "TARGET", &rest)) {
            bool watch = line[0] == 'W' || line[0] == 'w';
            (watch ? run.watch : run.target) = Trim(rest);
            (watch ? watchLine : targetLine) = number;
            continue;
        }
        struct Setting {
            const char* key;
            double* value;
            double low;
            bool positive;
        };
        const Setting settings[] = {{"TIME", &simt, -HUGE_VAL, false},      {"STEP", &run.step, 0.0, true},
                                    {"END", &run.endTime, 0.0, false},      {"TELEMETRY", &run.telemetryRate, 0.0, true},
                                    {"DAMPING", &damping, 0.0, false}};
        const Setting* found = nullptr;
        for (const Setting& s : settings) {
            found = found == nullptr && KeyIs(line, s.key, &rest) ? &s : found;
        }
        if (found == nullptr) {
            return Fail(Where(number) + "unknown key \"" + text.substr(0, text.find_first_of(" \t")) +
                        "\": expected TIME, STEP, END, TELEMETRY, DAMPING, WATCH, TARGET or BEGIN_VESSELS");
        }
        double value = 0.0;
        if (!ReadNumbers(rest, &value, 1) || value < found->low || (found->positive && !(value > 0.0))) {
            return Fail(Where(number) + "expected one finite" + (found->positive ? " positive" : "") +
                        (found->low == 0.0 && !found->positive ? " non-negative" : "") + " number after " + found->key);
        }
        *found->value = value;
    }
    if (i >= lines.size()) {
        return Fail(Where(static_cast<int>(i)) + "expected \"BEGIN_VESSELS\"");
    }
    ++i;
    return true;
}

bool Load(const char* path, std::istream& in);

// A file that fails to load leaves the world as it found it.
bool LoadOrUndo(const char* path, std::istream& in)
{
    World& w = world();
    const size_t vessels = w.order.size(), keys = w.keys.size();
    const double simt = w.simt, damping = w.physics.rotationalDamping;
    if (Load(path, in)) {
        return true;
    }
    // A copy: removing the half-loaded vessels below may set the last error again.
    std::string error = LastError();  // NOLINT(performance-unnecessary-copy-initialization)
    ErrorKind kind = LastErrorKind();
    while (w.order.size() > vessels) {
        DestroyVessel(w.order.back());
    }
    w.keys.resize(keys);
    w.simt = simt;
    w.physics.rotationalDamping = damping;
    SetError(error, kind);
    return false;
}

bool Load(const char* path, std::istream& in)
{
    scenario = ScenarioFile{};
    scenario.path = path;
    scenario.handle = MakeHandle(HandleKind::Scenario, NextEpoch(), 0, 0);

    std::vector<std::string> lines;
    size_t longest = 0;
    for (std::string text; std::getline(in, text);) {
        if (text.find('\0') != std::string::npos) {
            return Fail(Where(static_cast<int>(lines.size() + 1)) + "holds a NUL byte: not a text file");
        }
        lines.push_back(Trim(text.substr(0, text.find(';'))));  // ';' starts a comment
        longest = lines.back().size() > longest ? lines.back().size() : longest;
    }
    scenario.buffer.assign(longest + 1, '\0');

    size_t i = 0;
    auto nextMeaningful = [&]() {
        while (i < lines.size() && lines[i].empty()) {
            ++i;
        }
    };
    nextMeaningful();
    if (i >= lines.size() || lines[i] != FILE_MAGIC) {
        return Fail(Where(static_cast<int>(i + 1)) + "not a scenario file: expected \"" + FILE_MAGIC + "\"");
    }
    ++i;
    World& w = world();
    RunSettings run;
    double simt = 0.0;
    double damping = w.physics.rotationalDamping;
    int watchLine = 0, targetLine = 0;
    if (!ReadSettings(lines, i, run, simt, damping, watchLine, targetLine)) {
        return false;
    }
    w.simt = simt;
    w.physics.rotationalDamping = damping;
    std::vector<PendingAttachment> pending;
    for (;;) {
        nextMeaningful();
        if (i >= lines.size()) {
            return Fail(Where(static_cast<int>(i)) + "the file ends before \"END_VESSELS\"");
        }
        if (lines[i] == "END_VESSELS") {
            break;
        }
        int headerLine = static_cast<int>(i + 1);
        std::string header = lines[i++];
        scenario.lines.clear();
        scenario.lineNumbers.clear();
        scenario.next = 0;
        for (;; ++i) {
            if (i >= lines.size()) {
                return Fail(Where(headerLine) + "vessel \"" + header + "\" has no \"END\"");
            }
            if (lines[i] == "END") {
                ++i;
                break;
            }
            if (!lines[i].empty()) {
                scenario.lines.push_back(lines[i]);
                scenario.lineNumbers.push_back(static_cast<int>(i + 1));
            }
        }
        if (!LoadVessel(header, headerLine, pending)) {
            return false;
        }
    }
    ++i;
    nextMeaningful();
    if (i < lines.size()) {
        return Fail(Where(static_cast<int>(i + 1)) + "text after \"END_VESSELS\"");
    }
    for (const PendingAttachment& entry : pending) {
        if (!AttachPending(entry)) {
            return false;
        }
    }
    if (!run.watch.empty() && SlotNamed(run.watch) < 0) {
        return Fail(Where(watchLine) + "WATCH names \"" + run.watch + "\", which is no vessel");
    }
    if (!run.target.empty() && SlotNamed(run.target) < 0) {
        return Fail(Where(targetLine) + "TARGET names \"" + run.target + "\", which is no vessel");
    }
    w.run = run;
    scenario = ScenarioFile{};
    SetError("");
    return true;
}

}  // namespace

bool LoadScenario(const char* path)
{
    if (path == nullptr) {
        SetError("no scenario file named", ErrorKind::File);
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        SetError(std::string("cannot read scenario file ") + path + ": " + std::strerror(errno), ErrorKind::File);
        return false;
    }
    return LoadOrUndo(path, in);
}

bool LoadScenarioText(const char* name, const std::string& text)
{
    std::istringstream in(text);
    return LoadOrUndo(name != nullptr ? name : "", in);
}

}  // namespace standin

bool zapiReadScenario_nextline(HostHandle scn, char*& line)
{
    standin::CallRecord(-1, "zapiReadScenario_nextline").Handle(scn);
    using standin::scenario;
    thread_local char empty[1] = {'\0'};
    line = empty;
    if (scn == nullptr || scn != scenario.handle || scenario.out != nullptr || scenario.next >= scenario.lines.size()) {
        return false;
    }
    const std::string& text = scenario.lines[scenario.next];
    std::memcpy(scenario.buffer.data(), text.c_str(), text.size() + 1);
    scenario.currentLine = scenario.lineNumbers[scenario.next];
    ++scenario.next;
    line = scenario.buffer.data();
    return true;
}
