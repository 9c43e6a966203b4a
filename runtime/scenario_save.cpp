// Writing the world to a scenario file: run settings, then every vessel's host lines and the lines
// its module writes.
#include <cerrno>
#include <cmath>
#include <cstring>

#include "attitude.h"
#include "handles.h"
#include "host_control.h"
#include "journal.h"
#include "lifecycle.h"
#include "scenario_file.h"

namespace standin {

namespace {

void WriteVessel(std::FILE* out, int slot)
{
    World& w = world();
    Vessel& v = w.vessels[static_cast<size_t>(slot)];
    std::fprintf(out, "%s:%s\n", v.name.c_str(), v.className.c_str());
    const VesselState& s = v.state;
    double pos[3] = {s.pos.x, s.pos.y, s.pos.z};
    double vel[3] = {s.vel.x, s.vel.y, s.vel.z};
    double angVel[3] = {s.angVel.x, s.angVel.y, s.angVel.z};
    WriteLine(out, "POS", pos, 3);
    WriteLine(out, "VEL", vel, 3);
    // Angles set by hand read back exactly as angles; an integrated attitude keeps every bit as a quaternion.
    if (s.anglesExact) {
        double att[3] = {s.pitch, s.bank, s.heading};
        WriteLine(out, "ATT", att, 3);
    } else {
        WriteLine(out, "QUAT", s.quat, 4);
    }
    WriteLine(out, "AVEL", angVel, 3);
    std::fprintf(out, "  MOTION %s\n", MOTION_NAMES[static_cast<int>(v.motion)]);
    if (v.className.empty()) {
        WriteLine(out, "SIZE", &v.size, 1);
        WriteLine(out, "MASS", &v.emptyMass, 1);
    }
    // A plain body's records have no module to declare them again on load, so only a module
    // vessel's propellant and levels are written.
    for (size_t i = 0; i < v.resources.size() && !v.className.empty(); ++i) {
        double entry[2] = {static_cast<double>(i), v.resources[i].mass};
        WriteLine(out, "PRP", entry, 2);
    }
    for (size_t i = 0; i < v.thrusters.size() && !v.className.empty(); ++i) {
        if (v.thrusters[i].level != 0.0) {
            double entry[2] = {static_cast<double>(i), v.thrusters[i].level};
            WriteLine(out, "THL", entry, 2);
        }
    }
    // Points, too, come back only where a module declares them again: a hang by a plain body's point
    // is not written (the child loads free, where it hung), or the file would not load.
    for (size_t i = 0; i < v.attachments.size() && !v.className.empty(); ++i) {
        const Attachment& point = v.attachments[i];
        Vessel* parent = point.toParent ? LiveVessel(point.mate) : nullptr;
        if (parent != nullptr && (point.matePoint == nullptr || !parent->className.empty())) {
            int parentPoint = point.matePoint != nullptr ? RecordIndex(point.matePoint) : -1;
            std::fprintf(out, "  ATTACHED %zu %d %s\n", i, parentPoint, parent->name.c_str());
        }
    }
    for (const KeyEvent& key : w.keys) {
        if (key.delivered || LiveSlot(key.vessel) != slot) {
            continue;
        }
        std::fputs("  KEY", out);
        WriteNumber(out, key.time);
        std::fprintf(out, " 0x%02X %s", key.code, key.down ? "press" : "release");
        for (int bit = 0; bit < 5; ++bit) {
            if ((key.modifiers & (1u << bit)) != 0) {
                std::fprintf(out, " %s", MODIFIER_NAMES[bit]);
            }
        }
        std::fputc('\n', out);
    }
    if (v.callbacks != nullptr) {
        CallbackScope scope(slot);
        v.callbacks->clbkSaveState(scenario.handle);
    }
    std::fputs("END\n", out);
}

// A saved world must load again: names that read back, and one vessel per name.
std::string NamesProblem()
{
    const World& w = world();
    for (size_t i = 0; i < w.order.size(); ++i) {
        const std::string& name = w.vessels[static_cast<size_t>(w.order[i])].name;
        std::string problem = VesselNameProblem(name);
        if (!problem.empty()) {
            return problem;
        }
        for (size_t j = 0; j < i; ++j) {
            if (w.vessels[static_cast<size_t>(w.order[j])].name == name) {
                return "two vessels are named \"" + name + "\"";
            }
        }
    }
    return "";
}

}  // namespace

bool SaveScenario(const char* path)
{
    if (path == nullptr) {
        SetError("no scenario file named");
        return false;
    }
    std::string problem = NamesProblem();
    if (!problem.empty()) {
        SetError(std::string("cannot save scenario file ") + path + ": " + problem);
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
    std::fprintf(out, "%s\n", FILE_MAGIC);
    const double settings[] = {w.simt, w.run.step, w.run.endTime, w.run.telemetryRate, w.physics.rotationalDamping};
    const char* keys[] = {"TIME", "STEP", "END", "TELEMETRY", "DAMPING"};
    for (int i = 0; i < 5; ++i) {
        std::fputs(keys[i], out);
        WriteNumber(out, settings[i]);
        std::fputc('\n', out);
    }
    if (!w.run.watch.empty()) {
        std::fprintf(out, "WATCH %s\n", w.run.watch.c_str());
    }
    if (!w.run.target.empty()) {
        std::fprintf(out, "TARGET %s\n", w.run.target.c_str());
    }
    std::fputs("BEGIN_VESSELS\n", out);
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

}  // namespace standin

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

void zapiWriteScenario_string(HostHandle scn, const char* key, const char* value)
{
    standin::CallRecord(-1, "zapiWriteScenario_string").Handle(scn).Text(key).Text(value);
    using standin::scenario;
    if (scn == nullptr || scn != scenario.handle || scenario.out == nullptr || key == nullptr || key[0] == '\0' ||
        std::strpbrk(key, " \t\r\n") != nullptr || value == nullptr || std::strpbrk(value, "\r\n") != nullptr) {
        return;  // either would not read back as one line of one key
    }
    std::fprintf(scenario.out, "  %s %s\n", key, value);
}
