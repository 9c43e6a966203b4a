// What a simulation tells of its vessels and the commands it takes from outside.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "missile/weapon_interface.h"
#include "runner/flight/simulation_flight.h"
#include "runtime/host_control.h"

namespace runner {

namespace {

// Appends one record to the host's log file in the working directory, as a carrier does.
void Log(const std::string& line)
{
    if (std::FILE* file = std::fopen(observable::LOG_FILE, "at")) {
        std::fputs(line.c_str(), file);
        std::fclose(file);
    }
}

std::string Seconds(double time)
{
    char text[32];
    std::snprintf(text, sizeof text, "%fs", time);
    return text;
}

}  // namespace

int Simulation::VesselCount() const
{
    return open ? static_cast<int>(flight->world->order.size()) : 0;
}

std::vector<VesselInfo> Simulation::Vessels() const
{
    std::vector<VesselInfo> list;
    if (open) {
        Scope world(*flight, false);
        for (int slot : flight->world->order) {
            list.push_back(InfoOf(flight->world->vessels[static_cast<size_t>(slot)]));
        }
    }
    return list;
}

int Simulation::IndexOf(const std::string& name) const
{
    if (open) {
        const std::vector<int>& order = flight->world->order;
        for (size_t i = 0; i < order.size(); ++i) {
            if (flight->world->vessels[static_cast<size_t>(order[i])].name == name) {
                return static_cast<int>(i);
            }
        }
    }
    error = "no vessel is called \"" + name + "\"";
    return -1;
}

VesselReadout Simulation::State(int index) const
{
    VesselReadout out;
    std::fill_n(reinterpret_cast<double*>(&out), sizeof out / sizeof(double), NAN);
    if (open && index >= 0 && index < VesselCount()) {
        Scope world(*flight, false);
        const int slot = flight->world->order[static_cast<size_t>(index)];
        ReadOut(flight->world->vessels[static_cast<size_t>(slot)], FrameAt(Time()), out);
    }
    return out;
}

int Simulation::States(VesselReadout* out, int room) const
{
    const int count = std::min(room, VesselCount());
    if (count > 0) {
        Scope world(*flight, false);
        const ReadoutFrame now = FrameAt(Time());
        for (int i = 0; i < count; ++i) {
            const int slot = flight->world->order[static_cast<size_t>(i)];
            ReadOut(flight->world->vessels[static_cast<size_t>(slot)], now, out[i]);
        }
    }
    return count;
}

standin::Vessel* Simulation::Named(const std::string& name)
{
    if (!Usable(false)) {
        return nullptr;
    }
    const int index = IndexOf(name);
    if (index < 0) {
        Fail(EXIT_USAGE, error);
        return nullptr;
    }
    return &flight->world->vessels[static_cast<size_t>(flight->world->order[static_cast<size_t>(index)])];
}

std::optional<int> Simulation::Command(const std::string& vessel, const std::string& command)
{
    standin::Vessel* v = Named(vessel);
    if (v == nullptr) {
        return std::nullopt;
    }
    // Weapons are what a scenario watches: a vessel of a watched weapon's class takes their commands.
    const standin::World& w = *flight->world;
    bool weapon = false;
    for (int slot : w.order) {
        const standin::Vessel& o = w.vessels[static_cast<size_t>(slot)];
        const bool watched = std::find(w.run.watches.begin(), w.run.watches.end(), o.name) != w.run.watches.end();
        weapon = weapon || (watched && !o.className.empty() && o.className == v->className);
    }
    if (!weapon || v->iface == nullptr) {
        Fail(EXIT_USAGE, "\"" + vessel + "\" is not a weapon: weapon commands go to vessels of a watched weapon's class");
        return std::nullopt;
    }
    const std::string text = command.rfind(observable::COMMAND_PREFIX, 0) == 0 ? command
                                                                               : observable::COMMAND_PREFIX + command;
    Scope folder(*flight, true);
    const int answer = WeaponCommand(v->iface, text.c_str());
    Log("Simulation" + std::string(observable::LOG_SENT) + text + " to " + vessel + ": answer " +
        std::to_string(answer) + " at " + Seconds(Time()) + ".\n");
    return answer;
}

bool Simulation::Release(const std::string& carrier, int station, const VECTOR3& velocity)
{
    standin::Vessel* v = Named(carrier);
    if (v == nullptr) {
        return false;
    }
    Scope folder(*flight, true);
    HostHandle point = v->iface != nullptr && station >= 0
                           ? v->iface->GetAttachmentHandle(false, static_cast<unsigned int>(station))
                           : nullptr;
    if (point == nullptr) {
        Fail(EXIT_USAGE, "\"" + carrier + "\" has no station " + std::to_string(station));
        return false;
    }
    const standin::Attachment* at = standin::FindAttachment(v->handle, point);
    const standin::Vessel* child = at != nullptr ? standin::Find(at->mate) : nullptr;
    const std::string weapon = child != nullptr ? child->name : "";
    if (!v->iface->DetachChild(point, velocity)) {
        Fail(EXIT_USAGE, "station " + std::to_string(station) + " of \"" + carrier + "\" holds nothing");
        return false;
    }
    Log(carrier + " released " + weapon + " (" + std::to_string(station) + ") at " + Seconds(Time()) + ".\n");
    return true;
}

bool Simulation::Key(const std::string& vessel, unsigned int code, bool down, uint8_t modifiers)
{
    standin::Vessel* v = Named(vessel);
    if (v == nullptr) {
        return false;
    }
    if (code > 255) {
        Fail(EXIT_USAGE, "a key code is 0 to 255, not " + std::to_string(code));
        return false;
    }
    // Before the keys still to come, so that the timeline reports it as soon as the next frame hands it over.
    std::vector<standin::KeyEvent>& keys = flight->world->keys;
    auto next = std::find_if(keys.begin(), keys.end(), [](const standin::KeyEvent& k) { return !k.delivered; });
    keys.insert(next, standin::KeyEvent{v->handle, Time(), code, down, modifiers, false, 0});
    return true;
}

bool Simulation::Kinematic(standin::Vessel* v, const std::string& name)
{
    if (v == nullptr) {
        return false;
    }
    Scope world(*flight, false);
    const VesselInfo info = InfoOf(*v);
    if (info.motion != "kinematic") {
        Fail(EXIT_USAGE, "\"" + name + "\" is " + info.motion + ", and only a kinematic vessel is moved from outside");
        return false;
    }
    return true;
}

bool Simulation::SetVelocity(const std::string& vessel, const VECTOR3& velocity)
{
    standin::Vessel* v = Named(vessel);
    if (!Kinematic(v, vessel)) {
        return false;
    }
    if (!std::isfinite(velocity.x) || !std::isfinite(velocity.y) || !std::isfinite(velocity.z)) {
        Fail(EXIT_USAGE, "a velocity must be finite");
        return false;
    }
    Scope world(*flight, false);
    v->steering.on = false;
    standin::SetVelocity(v->handle, velocity);
    return true;
}

bool Simulation::Steer(const std::string& vessel, const std::string& lines)
{
    standin::Vessel* v = Named(vessel);
    if (!Kinematic(v, vessel)) {
        return false;
    }
    Scope world(*flight, false);
    if (std::string problem = standin::Steer(v->handle, lines); !problem.empty()) {
        Fail(EXIT_USAGE, problem);
        return false;
    }
    return true;
}

bool Simulation::Save(const std::string& path)
{
    if (!Usable(false)) {
        return false;
    }
    std::error_code ignored;
    const std::string absolute = std::filesystem::absolute(path, ignored).string();
    Scope folder(*flight, true);
    if (!standin::SaveScenario(absolute.c_str(), true)) {
        Fail(EXIT_FAILED, standin::LastError());
        return false;
    }
    return true;
}

}  // namespace runner
