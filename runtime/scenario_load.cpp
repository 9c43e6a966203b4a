// Loading a scenario document into the world: run settings, then each vessel created, handed its
// lines and placed, then attachments, which may name any vessel of the file.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "attachments.h"
#include "formats/scenario_keys.h"
#include "handles.h"
#include "host_control.h"
#include "journal.h"
#include "lifecycle.h"
#include "steering.h"
#include "scenario.h"

namespace standin {

namespace {

struct PendingAttachment {
    int slot;
    int parentPoint;
    int childPoint;
    int line;
    std::string parentName;
};

bool Fail(const std::string& message, ErrorKind kind = ErrorKind::Scenario)
{
    SetError(message, kind);
    world().scenario = ScenarioFile{};
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

// Puts the vessel's lines where zapiReadScenario_nextline hands them out: host lines as the key
// table writes them, module lines as they stand.
void OpenLines(const formats::ScenarioVessel& vessel)
{
    ScenarioFile& scenario = world().scenario;
    scenario.lines.clear();
    scenario.lineNumbers.clear();
    scenario.next = 0;
    size_t longest = 0;
    for (const formats::ScenarioLine& line : vessel.lines) {
        std::string text;
        if (line.host) {
            formats::AppendHostLine(line.value, text);
        }
        scenario.lines.push_back(line.host ? text : line.text);
        scenario.lineNumbers.push_back(line.line != 0 ? line.line : vessel.line);
        longest = scenario.lines.back().size() > longest ? scenario.lines.back().size() : longest;
    }
    scenario.buffer.assign(longest + 1, '\0');
}

bool LoadVessel(const formats::ScenarioVessel& vessel, std::vector<PendingAttachment>& pending)
{
    if (SlotNamed(vessel.name) >= 0) {
        return Fail(Where(vessel.line) + "a second vessel named \"" + vessel.name + "\"");
    }
    VesselDesc desc;
    desc.name = vessel.name;
    HostHandle handle = vessel.className.empty() ? CreateBody(desc) : CreateModuleVessel(vessel.className.c_str(), desc);
    if (handle == nullptr) {
        return Fail(Where(vessel.line) + "cannot create vessel \"" + desc.name + "\": " + LastError(), LastErrorKind());
    }
    int slot = SlotOf(handle);
    Vessel& v = world().vessels[static_cast<size_t>(slot)];
    ScenarioFile& scenario = world().scenario;
    OpenLines(vessel);
    scenario.status = HostStatus{};
    scenario.statusHandle = MakeHandle(HandleKind::Status, NextEpoch(), static_cast<uint32_t>(slot), 0);
    if (v.callbacks != nullptr) {
        CallbackScope scope(slot);
        v.callbacks->clbkLoadStateEx(scenario.handle, scenario.statusHandle);
        v.callbacks->clbkSetStateEx(scenario.statusHandle);
    } else {
        char* line = nullptr;
        while (zapiReadScenario_nextline(scenario.handle, line)) {
            ParseHostLine(slot, line, scenario.status);
        }
        ApplyHostStatus(slot, scenario.status);
    }
    scenario.statusHandle = nullptr;
    const HostStatus& status = scenario.status;
    if (!status.error.empty()) {
        return Fail(status.error);
    }
    if (status.attached) {
        pending.push_back({slot, status.parentPoint, status.childPoint, status.attachedLine, status.parentName});
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
    const std::string& child = w.vessels[static_cast<size_t>(entry.slot)].name;
    int parentSlot = SlotNamed(entry.parentName);
    if (parentSlot < 0) {
        return Fail(Where(entry.line) + "\"" + child + "\" hangs from \"" + entry.parentName + "\", which is no vessel");
    }
    HostHandle parentPoint = nullptr;
    if (entry.parentPoint >= 0) {
        parentPoint = PointOf(parentSlot, entry.parentPoint);
        if (parentPoint == nullptr ||
            w.vessels[static_cast<size_t>(parentSlot)].attachments[static_cast<size_t>(entry.parentPoint)].toParent) {
            return Fail(Where(entry.line) + "\"" + entry.parentName + "\" has no point " +
                        std::to_string(entry.parentPoint) + " to carry a child on");
        }
    }
    if (!Attach(VesselHandle(parentSlot), parentPoint, VesselHandle(entry.slot), PointOf(entry.slot, entry.childPoint))) {
        return Fail(Where(entry.line) + "cannot hang \"" + child + "\" on \"" + entry.parentName +
                    "\": the point is taken");
    }
    FollowParent(w.vessels[static_cast<size_t>(entry.slot)]);
    return true;
}

// The line of the first TRIGGER of `doc` that names `weapon`.
int TriggerLine(const formats::ScenarioDocument& doc, const std::string& weapon)
{
    for (const formats::ScenarioVessel& vessel : doc.vessels) {
        for (const formats::ScenarioLine& line : vessel.lines) {
            if (line.host && line.value.key == formats::Key::Trigger && line.value.word == weapon) {
                return line.line != 0 ? line.line : vessel.line;
            }
        }
    }
    return 0;
}

bool Apply(const formats::ScenarioDocument& doc)
{
    World& w = world();
    w.scenario = ScenarioFile{};
    w.scenario.path = doc.path;
    w.scenario.handle = MakeHandle(HandleKind::Scenario, NextEpoch(), 0, 0);
    RunSettings run;
    if (std::string why = ApplySettings(doc, run); !why.empty()) {
        return Fail(why);
    }
    std::vector<PendingAttachment> pending;
    for (const formats::ScenarioVessel& vessel : doc.vessels) {
        int line = 0;
        if (std::string why = formats::StationlessAction(vessel, line); !why.empty()) {
            return Fail(Where(line) + why);
        }
        if (!LoadVessel(vessel, pending)) {
            return false;
        }
    }
    for (const PendingAttachment& entry : pending) {
        if (!AttachPending(entry)) {
            return false;
        }
    }
    if (std::string weapon = FindTriggerWeapons(w); !weapon.empty()) {
        return Fail(Where(TriggerLine(doc, weapon)) + "TRIGGER names \"" + weapon + "\", which is no vessel");
    }
    if (std::string why = CheckWatched(doc); !why.empty()) {
        return Fail(why);
    }
    if (std::string why = CheckAboveGround(doc); !why.empty()) {
        return Fail(why);
    }
    w.run = run;
    w.scenario = ScenarioFile{};
    SetError("");
    return true;
}

bool ParseText(const char* name, std::istream& in, formats::ScenarioDocument& doc)
{
    std::string error;
    if (!formats::ParseScenario(name, in, doc, error)) {
        SetError(error, ErrorKind::Scenario);
        return false;
    }
    return true;
}

}  // namespace

std::string Where(int line)
{
    return world().scenario.path + ":" + std::to_string(line) + ": ";
}

bool LoadScenarioDocument(const formats::ScenarioDocument& doc)
{
    // A document that fails to load leaves the world as it found it.
    World& w = world();
    const size_t vessels = w.order.size(), keys = w.keys.size();
    const double simt = w.simt, damping = w.physics.rotationalDamping;
    const physics::Planet planet = w.physics.planet;
    if (Apply(doc)) {
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
    w.physics.planet = planet;
    SetError(error, kind);
    return false;
}

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
    formats::ScenarioDocument doc;
    return ParseText(path, in, doc) && LoadScenarioDocument(doc);
}

bool LoadScenarioText(const char* name, const std::string& text)
{
    std::istringstream in(text);
    formats::ScenarioDocument doc;
    return ParseText(name != nullptr ? name : "", in, doc) && LoadScenarioDocument(doc);
}

}  // namespace standin

bool zapiReadScenario_nextline(HostHandle scn, char*& line)
{
    standin::CallRecord(-1, "zapiReadScenario_nextline").Handle(scn);
    standin::ScenarioFile& scenario = standin::world().scenario;
    scenario.emptyLine[0] = '\0';
    line = scenario.emptyLine;
    if (scn == nullptr || scn != scenario.handle || scenario.saving || scenario.next >= scenario.lines.size()) {
        return false;
    }
    const std::string& text = scenario.lines[scenario.next];
    std::memcpy(scenario.buffer.data(), text.c_str(), text.size() + 1);
    scenario.currentLine = scenario.lineNumbers[scenario.next];
    ++scenario.next;
    line = scenario.buffer.data();
    return true;
}
