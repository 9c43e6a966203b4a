// The host's free functions over the world.
#include "host/zapi.h"

#include <cstring>

#include "handles.h"
#include "journal.h"

using namespace standin;

namespace {

HostHandle FindOrAddName(std::vector<std::string>& names, const char* name, HandleKind kind)
{
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) {
            return MakeHandle(kind, 1, 0, static_cast<uint32_t>(i));
        }
    }
    if (names.size() >= HANDLE_FIELD_LIMIT) {
        return nullptr;
    }
    names.emplace_back(name);
    return MakeHandle(kind, 1, 0, static_cast<uint32_t>(names.size() - 1));
}

}  // namespace

double zapiGetSimTime()
{
    STANDIN_RECORD(-1, "zapiGetSimTime");
    return world().simt;
}

unsigned int zapiGetVesselCount()
{
    STANDIN_RECORD(-1, "zapiGetVesselCount");
    return static_cast<unsigned int>(world().order.size());
}

HostHandle zapiGetVesselByIndex(int index)
{
    STANDIN_RECORD(-1, "zapiGetVesselByIndex", .Int(index));
    World& w = world();
    if (index < 0 || static_cast<size_t>(index) >= w.order.size()) {
        return nullptr;
    }
    return VesselHandle(w.order[static_cast<size_t>(index)]);
}

void zapiGetGlobalPos(HostHandle vessel, VECTOR3& pos)
{
    STANDIN_RECORD(-1, "zapiGetGlobalPos", .Handle(vessel));
    Vessel* v = LiveVessel(vessel);
    pos = v != nullptr ? v->state.pos : VECTOR3{0.0, 0.0, 0.0};
}

namespace {

// `field` of vessel b minus the same of vessel a; zero when either handle is stale.
VECTOR3 Difference(HostHandle a, HostHandle b, VECTOR3 VesselState::*field)
{
    Vessel* va = LiveVessel(a);
    Vessel* vb = LiveVessel(b);
    if (va == nullptr || vb == nullptr) {
        return VECTOR3{0.0, 0.0, 0.0};
    }
    const VECTOR3& p = va->state.*field;
    const VECTOR3& q = vb->state.*field;
    return VECTOR3{q.x - p.x, q.y - p.y, q.z - p.z};
}

}  // namespace

void zapiGetRelativePos(HostHandle a, HostHandle b, VECTOR3& pos)
{
    STANDIN_RECORD(-1, "zapiGetRelativePos", .Handle(a).Handle(b));
    pos = Difference(a, b, &VesselState::pos);
}

void zapiGetRelativeVel(HostHandle a, HostHandle b, VECTOR3& vel)
{
    STANDIN_RECORD(-1, "zapiGetRelativeVel", .Handle(a).Handle(b));
    vel = Difference(a, b, &VesselState::vel);
}

double zapiGetSize(HostHandle vessel)
{
    STANDIN_RECORD(-1, "zapiGetSize", .Handle(vessel));
    Vessel* v = LiveVessel(vessel);
    return v != nullptr ? v->size : 0.0;
}

double zapiGetMass(HostHandle vessel)
{
    STANDIN_RECORD(-1, "zapiGetMass", .Handle(vessel));
    Vessel* v = LiveVessel(vessel);
    return v != nullptr ? TotalMass(*v) : 0.0;
}

bool zapiDeleteVessel(HostHandle vessel, HostHandle newFocus)
{
    STANDIN_RECORD(-1, "zapiDeleteVessel", .Handle(vessel).Handle(newFocus));
    Vessel* v = LiveVessel(vessel);
    if (v == nullptr || v->deletePending) {
        return false;
    }
    v->deletePending = true;
    return true;
}

HostHandle zapiLoadMeshGlobal(const char* name)
{
    STANDIN_RECORD(-1, "zapiLoadMeshGlobal", .Text(name));
    return name != nullptr ? FindOrAddName(world().meshes, name, HandleKind::Mesh) : nullptr;
}

HostHandle zapiRegisterExhaustTexture(const char* name)
{
    STANDIN_RECORD(-1, "zapiRegisterExhaustTexture", .Text(name));
    return name != nullptr ? FindOrAddName(world().textures, name, HandleKind::Texture) : nullptr;
}

char* zapiDebugString()
{
    STANDIN_RECORD(-1, "zapiDebugString");
    return world().debugString;
}

VESSEL* zapiGetVesselInterface(HostHandle vessel)
{
    STANDIN_RECORD(-1, "zapiGetVesselInterface", .Handle(vessel));
    Vessel* v = LiveVessel(vessel);
    return v != nullptr ? v->iface : nullptr;
}
