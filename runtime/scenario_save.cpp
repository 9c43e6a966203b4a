// Saving the world as a scenario document: run settings, then every vessel's host lines and the
// lines its module writes.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "formats/fresh_file.h"
#include "formats/number_text.h"
#include "formats/scenario_keys.h"
#include "handles.h"
#include "host_control.h"
#include "journal.h"
#include "lifecycle.h"
#include "steering.h"

namespace standin {

namespace {

using formats::HostLine;
using formats::Key;

HostLine Numbers(Key key, std::initializer_list<double> values)
{
    return formats::MakeHostLine(key, values);
}

HostLine Entry(Key key, size_t index, double value)
{
    return formats::MakeHostLine(key, {value}, {static_cast<long long>(index)});
}

void Add(formats::ScenarioVessel& vessel, HostLine value)
{
    formats::AddHostLine(vessel, std::move(value));
}

// Attachments and key events of the vessel in `slot`, as far as they will load again.
void AddLinks(const Vessel& v, int slot, formats::ScenarioVessel& vessel)
{
    // Points come back only where a module declares them again: a hang by a plain body's point is
    // not written (the child loads free, where it hung), or the file would not load.
    for (size_t i = 0; i < v.attachments.size() && !v.className.empty(); ++i) {
        const Attachment& point = v.attachments[i];
        Vessel* parent = point.toParent ? LiveVessel(point.mate) : nullptr;
        if (parent != nullptr && (point.matePoint == nullptr || !parent->className.empty())) {
            HostLine line = Entry(Key::Attached, i, 0.0);
            line.integer[1] = point.matePoint != nullptr ? RecordIndex(point.matePoint) : -1;
            line.word = parent->name;
            Add(vessel, std::move(line));
        }
    }
    for (const KeyEvent& key : world().keys) {
        if (!key.delivered && LiveSlot(key.vessel) == slot) {
            HostLine line = Numbers(Key::KeyEvent, {key.time});
            line.integer[0] = key.code;
            line.integer[1] = key.down ? 1 : 0;
            line.integer[2] = key.modifiers;
            Add(vessel, std::move(line));
        }
    }
}

void SaveVessel(int slot, formats::ScenarioVessel& vessel)
{
    World& w = world();
    Vessel& v = w.vessels[static_cast<size_t>(slot)];
    vessel.name = v.name;
    vessel.className = v.className;
    const VesselState& s = v.state;
    Add(vessel, Numbers(Key::Pos, {s.pos.x, s.pos.y, s.pos.z}));
    Add(vessel, Numbers(Key::Vel, {s.vel.x, s.vel.y, s.vel.z}));
    // Angles set by hand read back exactly as angles; an integrated attitude keeps every bit as a quaternion.
    Add(vessel, s.anglesExact ? Numbers(Key::Att, {s.pitch, s.bank, s.heading})
                              : Numbers(Key::Quat, {s.quat[0], s.quat[1], s.quat[2], s.quat[3]}));
    Add(vessel, Numbers(Key::Avel, {s.angVel.x, s.angVel.y, s.angVel.z}));
    HostLine motion = Numbers(Key::Motion, {});
    motion.integer[0] = static_cast<int>(v.motion);
    Add(vessel, motion);
    if (v.className.empty()) {
        Add(vessel, Numbers(Key::Size, {v.size}));
        Add(vessel, Numbers(Key::Mass, {v.emptyMass}));
        // Mass properties only where a body has them, so files of bodies without keep their lines.
        for (const auto& [key, value] : {std::pair{Key::Pmi, &v.pmi}, std::pair{Key::CrossSections, &v.crossSections}}) {
            if (value->x != 0.0 || value->y != 0.0 || value->z != 0.0) {
                Add(vessel, Numbers(key, {value->x, value->y, value->z}));
            }
        }
    }
    // A plain body's records have no module to declare them again on load, so only a module
    // vessel's propellant and levels are written.
    for (size_t i = 0; i < v.resources.size() && !v.className.empty(); ++i) {
        Add(vessel, Entry(Key::Prp, i, v.resources[i].mass));
    }
    for (size_t i = 0; i < v.thrusters.size() && !v.className.empty(); ++i) {
        if (v.thrusters[i].level != 0.0) {
            Add(vessel, Entry(Key::Thl, i, v.thrusters[i].level));
        }
    }
    AddSteeringLines(v, vessel);
    AddLinks(v, slot, vessel);
    if (v.callbacks != nullptr) {
        w.scenario.lines.clear();
        {
            CallbackScope scope(slot);
            v.callbacks->clbkSaveState(w.scenario.handle);
        }
        for (std::string& text : w.scenario.lines) {
            formats::ScenarioLine line;
            line.text = std::move(text);
            vessel.lines.push_back(std::move(line));
        }
    }
}

// The air's motion as settings lines, when the air moves.
void AddWeather(const physics::Weather& weather, std::vector<HostLine>& settings)
{
    const physics::Wind& wind = weather.wind;
    for (int i = 0; i < wind.rows && wind.profile == physics::WindProfile::Table; ++i) {
        settings.push_back(Numbers(Key::WindRow, {wind.table[i].height, wind.table[i].east, wind.table[i].north}));
    }
    const bool power = wind.profile == physics::WindProfile::Power;
    if (wind.profile != physics::WindProfile::Table && (wind.speed != 0.0 || wind.from != 0.0 || power)) {
        HostLine line = Numbers(Key::Wind, {wind.speed, wind.from, wind.exponent});
        line.integer[0] = power ? 1 : 0;
        settings.push_back(line);
    }
    const physics::Turbulence& turbulence = weather.turbulence;
    if (turbulence.level != physics::TurbulenceLevel::Off || turbulence.seed != 0) {
        HostLine line = Numbers(Key::Turbulence, {});
        line.integer[0] = static_cast<long long>(turbulence.level);
        line.integer[1] = static_cast<long long>(turbulence.seed);
        settings.push_back(line);
    }
    if (turbulence.w20 >= 0.0) {
        settings.push_back(Numbers(Key::TurbulenceW20, {turbulence.w20}));
    }
    if (const physics::Gust& g = weather.gust; g.on) {
        settings.push_back(Numbers(Key::Gust, {g.start, g.length, g.east, g.up, g.north}));
    }
}

// The world as a document.
formats::ScenarioDocument SaveDocument(const char* path)
{
    World& w = world();
    formats::ScenarioDocument doc;
    doc.path = path;
    const Key keys[] = {Key::Time, Key::Step, Key::End, Key::Telemetry, Key::Damping};
    const double values[] = {w.simt, w.run.step, w.run.endTime, w.run.telemetryRate, w.physics.rotationalDamping};
    for (int i = 0; i < 5; ++i) {
        doc.settings.push_back(Numbers(keys[i], {values[i]}));
    }
    if (const physics::Planet& planet = w.physics.planet; planet.round) {
        HostLine model = Numbers(Key::Planet, {});
        model.integer[0] = 1;
        doc.settings.push_back(model);
        // Every parameter to the bit, whether it is the model's or was changed.
        const Key parameters[] = {Key::PlanetRadius, Key::PlanetFlattening, Key::PlanetGm, Key::PlanetJ2,
                                  Key::PlanetRotation};
        const double numbers[] = {planet.radius, planet.flattening, planet.gm, planet.j2, planet.rotation};
        for (int i = 0; i < 5; ++i) {
            doc.settings.push_back(Numbers(parameters[i], {numbers[i]}));
        }
    }
    AddWeather(w.physics.weather, doc.settings);
    for (const auto& [key, names] : {std::pair{Key::Watch, &w.run.watches}, std::pair{Key::Target, &w.run.targets}}) {
        for (const std::string& name : *names) {
            HostLine line = Numbers(key, {});
            line.word = name;
            doc.settings.push_back(std::move(line));
        }
    }
    for (size_t i = 0; i < w.order.size(); ++i) {
        SaveVessel(w.order[i], doc.vessels.emplace_back());
    }
    return doc;
}

// A saved world must load again: names that read back, and one vessel per name.
std::string NamesProblem()
{
    const World& w = world();
    for (size_t i = 0; i < w.order.size(); ++i) {
        const std::string& name = w.vessels[static_cast<size_t>(w.order[i])].name;
        std::string problem = formats::VesselNameProblem(name);
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

bool SaveScenario(const char* path, bool everyPlace)
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
    formats::FreshFile fresh(path);
    std::FILE* out = fresh.Stream();
    if (out == nullptr) {
        SetError(std::string("cannot write scenario file ") + path + ": " + std::strerror(errno));
        return false;
    }
    World& w = world();
    w.scenario = ScenarioFile{};
    w.scenario.handle = MakeHandle(HandleKind::Scenario, NextEpoch(), 0, 0);
    w.scenario.path = path;
    w.scenario.saving = true;
    w.scenario.everyPlace = everyPlace;
    const std::string text = formats::WriteScenario(SaveDocument(path));
    w.scenario = ScenarioFile{};
    bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    ok = std::fclose(out) == 0 && ok;
    if (!ok || !fresh.Commit()) {
        SetError(std::string("cannot write scenario file ") + path);
        return false;
    }
    SetError("");
    return true;
}

}  // namespace standin

namespace {

// The open save, when `scn` is its handle.
standin::ScenarioFile* OpenSave(HostHandle scn)
{
    standin::ScenarioFile& scenario = standin::world().scenario;
    return scn != nullptr && scn == scenario.handle && scenario.saving ? &scenario : nullptr;
}

// A key with blanks or line breaks would not read back as one key.
bool OneWord(const char* key)
{
    return key != nullptr && key[0] != '\0' && std::strpbrk(key, " \t\r\n") == nullptr;
}

}  // namespace

void zapiWriteScenario_float(HostHandle scn, const char* key, double value)
{
    standin::CallRecord(-1, "zapiWriteScenario_float").Handle(scn).Text(key).Num(value);
    if (standin::ScenarioFile* save = OpenSave(scn); save != nullptr && OneWord(key)) {
        save->lines.push_back(std::string(key) + " " + formats::FormatNumber(value));
    }
}

void zapiWriteScenario_string(HostHandle scn, const char* key, const char* value)
{
    standin::CallRecord(-1, "zapiWriteScenario_string").Handle(scn).Text(key).Text(value);
    // A value with a line break would not read back as one line.
    if (standin::ScenarioFile* save = OpenSave(scn);
        save != nullptr && OneWord(key) && value != nullptr && std::strpbrk(value, "\r\n") == nullptr) {
        save->lines.push_back(std::string(key) + " " + value);
    }
}
