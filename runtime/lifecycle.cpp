#include "lifecycle.h"

#include <utility>

#include "attitude.h"
#include "handles.h"
#include "formats/scenario_keys.h"
#include "formats/utf8.h"
#include "physics/integrator.h"

namespace standin {

namespace {

// The world of threads that use none of their own.
World defaultWorld;  // NOLINT(cert-err58-cpp): an empty world allocates nothing, so it cannot throw

template <typename Record>
void ReserveList(std::vector<Record>& list, int count)
{
    list.reserve(count > 0 ? static_cast<size_t>(count) : 0);
}

void Unlink(Vessel& v)
{
    for (Attachment& point : v.attachments) {
        if (Vessel* mate = LiveVessel(point.mate)) {
            for (Attachment& matePoint : mate->attachments) {
                if (LiveVessel(matePoint.mate) == &v) {
                    matePoint.mate = nullptr;
                    matePoint.matePoint = nullptr;
                }
            }
        }
        point.mate = nullptr;
        point.matePoint = nullptr;
    }
}

}  // namespace

__thread World* currentWorld = &defaultWorld;

World* UseWorld(World* w)
{
    World* previous = currentWorld;
    currentWorld = w != nullptr ? w : &defaultWorld;
    return previous;
}

OwnWorld::OwnWorld() : previous(UseWorld(&own)) {}

OwnWorld::~OwnWorld()
{
    WorldConfig least;
    least.maxVessels = 1;
    Reset(least);
    UseWorld(previous);
}

double TotalMass(const Vessel& vessel)
{
    double mass = vessel.emptyMass;
    for (const Resource& resource : vessel.resources) {
        mass += resource.mass;
    }
    return mass;
}

Motion DefaultMotion(const Vessel& vessel)
{
    return vessel.className.empty() ? Motion::Kinematic : Motion::Dynamic;
}

void SetError(std::string message, ErrorKind kind)
{
    World& w = world();
    w.lastErrorKind = message.empty() ? ErrorKind::None : kind;
    w.lastError = std::move(message);
}

const std::string& LastError()
{
    return world().lastError;
}

ErrorKind LastErrorKind()
{
    return world().lastErrorKind;
}

int CreateSlot(const VesselDesc& desc, const char* className)
{
    World& w = world();
    std::string problem = formats::VesselNameProblem(desc.name);
    if (!problem.empty()) {
        // A name that is not UTF-8 is left out of the message, which reaches Python as text.
        const bool quotable = formats::Utf8Problem(desc.name).empty();
        SetError((quotable ? "cannot name a vessel \"" + desc.name + "\": " : "cannot name a vessel: ") + problem);
        return -1;
    }
    int slot;
    if (!w.freeSlots.empty()) {
        slot = w.freeSlots.back();
        w.freeSlots.pop_back();
    } else if (w.vessels.size() < w.vessels.capacity() && w.vessels.size() < HANDLE_FIELD_LIMIT) {
        w.vessels.emplace_back();
        w.slotCount = static_cast<uint32_t>(w.vessels.size());
        slot = static_cast<int>(w.vessels.size() - 1);
    } else {
        SetError("no free vessel slot: the world holds " + std::to_string(w.vessels.size()) + " vessels");
        return -1;
    }
    Vessel& v = w.vessels[static_cast<size_t>(slot)];
    uint16_t generation = v.generation;
    v = Vessel{};
    v.generation = generation;
    v.handle = MakeHandle(HandleKind::Vessel, generation, static_cast<uint32_t>(slot), 0);
    v.name = desc.name;
    v.className = className != nullptr ? className : "";
    v.flightModel = desc.flightModel;
    v.size = desc.size;
    v.emptyMass = desc.emptyMass;
    v.thrusterEpoch = NextEpoch();
    v.resourceEpoch = NextEpoch();
    v.recordEpoch = NextEpoch();
    const VesselCapacity& c = desc.capacity;
    ReserveList(v.thrusters, c.thrusters);
    ReserveList(v.resources, c.resources);
    ReserveList(v.attachments, c.attachments);
    ReserveList(v.airfoils, c.airfoils);
    ReserveList(v.surfaces, c.surfaces);
    ReserveList(v.meshes, c.meshes);
    ReserveList(v.exhausts, c.exhausts);
    ReserveList(v.streams, c.streams);
    ReserveList(v.transforms, c.transforms);
    ReserveList(v.turns, c.turns);
    v.state.pos = desc.pos;
    v.state.vel = desc.vel;
    SetStateAngles(v.state, desc.pitch, desc.bank, desc.heading);
    v.motion = desc.motion.value_or(DefaultMotion(v));
    w.order.push_back(slot);
    SetError("");
    return slot;
}

void DestroyVessel(int slot)
{
    World& w = world();
    Vessel& v = w.vessels[static_cast<size_t>(slot)];
    if (v.module >= 0 && v.iface != nullptr) {
        CallbackScope scope(slot);
        w.modules[static_cast<size_t>(v.module)].exit(v.iface);
    }
    Unlink(v);
    for (size_t i = 0; i < w.order.size(); ++i) {
        if (w.order[i] == slot) {
            w.order.erase(w.order.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    v.handle = nullptr;
    v.deletePending = false;
    v.iface = nullptr;
    v.callbacks = nullptr;
    if (++v.generation == 0) {
        v.generation = 1;
    }
    w.freeSlots.push_back(slot);
}

void Reset(const WorldConfig& config)
{
    World& w = world();
    while (!w.order.empty()) {
        DestroyVessel(w.order.back());
    }
    w.vessels.clear();
    w.vessels.shrink_to_fit();
    w.slotCount = 0;
    int maxVessels = config.maxVessels > 0 ? config.maxVessels : 1;
    w.vessels.reserve(static_cast<size_t>(maxVessels));
    w.order.clear();
    w.order.reserve(static_cast<size_t>(maxVessels));
    w.freeSlots.clear();
    w.freeSlots.reserve(static_cast<size_t>(maxVessels));
    w.meshes.clear();
    w.textures.clear();
    w.moduleDir = config.moduleDir;
    w.simt = 0.0;
    w.mjd = 0.0;
    w.physics = physics::Settings{};
    w.run = RunSettings{};
    w.keys.clear();
    w.keys.reserve(1024);
    w.currentVessel = -1;
    w.debugString[0] = '\0';
    SetJournal(config.journalCapacity);
    SetError("");
}

HostHandle CreateBody(const VesselDesc& desc)
{
    int slot = CreateSlot(desc, "");
    if (slot < 0) {
        return nullptr;
    }
    Vessel& v = world().vessels[static_cast<size_t>(slot)];
    if (v.motion == Motion::Landed) {
        physics::PlaceOnGround(v, world().physics.planet);
    }
    return VesselHandle(slot);
}

void Bind(HostHandle vessel, VESSEL2* object)
{
    if (Vessel* v = LiveVessel(vessel)) {
        v->callbacks = object;
        v->iface = object;
    }
}

}  // namespace standin
