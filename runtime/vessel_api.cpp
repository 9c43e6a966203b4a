// The VESSEL members a module calls while it flies: state queries, levels, the frame conversion,
// animation, scenario state and removal.
#include <cmath>

#include "air_data.h"
#include "attitude.h"
#include "host_control.h"
#include "journal.h"
#include "local_frame.h"
#include "physics/atmosphere.h"
#include "records.h"
#include "scenario.h"

using namespace standin;

HostHandle VESSEL::GetHandle() const
{
    STANDIN_RECORD(LiveSlot(vesselHandle), "GetHandle");
    return vesselHandle;
}

const char* VESSEL::GetName() const
{
    STANDIN_RECORD(LiveSlot(vesselHandle), "GetName");
    Vessel* v = LiveVessel(vesselHandle);
    return v != nullptr ? v->name.c_str() : "";
}

double VESSEL::GetMass() const
{
    STANDIN_RECORD(LiveSlot(vesselHandle), "GetMass");
    Vessel* v = LiveVessel(vesselHandle);
    return v != nullptr ? TotalMass(*v) : 0.0;
}

double VESSEL::GetSize() const
{
    STANDIN_RECORD(LiveSlot(vesselHandle), "GetSize");
    Vessel* v = LiveVessel(vesselHandle);
    return v != nullptr ? v->size : 0.0;
}

double VESSEL::GetAltitude() const
{
    STANDIN_RECORD(LiveSlot(vesselHandle), "GetAltitude");
    Vessel* v = LiveVessel(vesselHandle);
    return v != nullptr ? AltitudeOf(world().physics.planet, v->state) : 0.0;
}

double VESSEL::GetPitch() const
{
    STANDIN_RECORD(LiveSlot(vesselHandle), "GetPitch");
    Vessel* v = LiveVessel(vesselHandle);
    return v != nullptr ? PitchOf(v->state) : 0.0;
}

double VESSEL::GetBank() const
{
    STANDIN_RECORD(LiveSlot(vesselHandle), "GetBank");
    Vessel* v = LiveVessel(vesselHandle);
    return v != nullptr ? BankOf(v->state) : 0.0;
}

double VESSEL::GetDynPressure() const
{
    STANDIN_RECORD(LiveSlot(vesselHandle), "GetDynPressure");
    Vessel* v = LiveVessel(vesselHandle);
    if (v == nullptr) {
        return 0.0;
    }
    const physics::Settings& settings = world().physics;
    // Through the air, which turns with a round planet and moves with the wind.
    const VECTOR3 vel = AirVelocityOf(settings, *v);
    double speedSquared = vel.x * vel.x + vel.y * vel.y + vel.z * vel.z;
    return 0.5 * physics::Atmosphere(AltitudeOf(settings.planet, v->state)).density * speedSquared;
}

double VESSEL::GetPropellantMass(HostHandle resource) const
{
    int slot = LiveSlot(vesselHandle);
    CallRecord(slot, "GetPropellantMass").Handle(resource);
    if (slot < 0) {
        return 0.0;
    }
    Resource* r = ResourceOf(world().vessels[static_cast<size_t>(slot)], slot, resource);
    return r != nullptr ? r->mass : 0.0;
}

void VESSEL::SetPropellantMass(HostHandle resource, double mass) const
{
    int slot = LiveSlot(vesselHandle);
    CallRecord(slot, "SetPropellantMass").Handle(resource).Num(mass);
    if (slot < 0 || std::isnan(mass)) {
        return;
    }
    if (Resource* r = ResourceOf(world().vessels[static_cast<size_t>(slot)], slot, resource)) {
        r->mass = Clamp(mass, 0.0, r->capacity);
    }
}

void VESSEL::SetThrusterLevel(HostHandle thruster, double level) const
{
    int slot = LiveSlot(vesselHandle);
    CallRecord(slot, "SetThrusterLevel").Handle(thruster).Num(level);
    if (slot < 0 || std::isnan(level)) {
        return;
    }
    if (Thruster* t = ThrusterOf(world().vessels[static_cast<size_t>(slot)], slot, thruster)) {
        t->level = Clamp(level, 0.0, 1.0);
    }
}

void VESSEL::SetControlSurfaceLevel(int type, double level) const
{
    int slot = LiveSlot(vesselHandle);
    CallRecord(slot, "SetControlSurfaceLevel").Int(type).Num(level);
    if (slot < 0 || type < 0 || type >= CONTROL_TYPES || std::isnan(level)) {
        return;
    }
    Vessel& v = world().vessels[static_cast<size_t>(slot)];
    v.controlLevel[type] = Clamp(level, -1.0, 1.0);
    ++v.controlSets[type];
}

void VESSEL::Global2Local(const VECTOR3& global, VECTOR3& local) const
{
    STANDIN_RECORD(LiveSlot(vesselHandle), "Global2Local", .Vec(global));
    Vessel* v = LiveVessel(vesselHandle);
    if (v == nullptr) {
        local = VECTOR3{0.0, 0.0, 0.0};
        return;
    }
    VECTOR3 d{global.x - v->state.pos.x, global.y - v->state.pos.y, global.z - v->state.pos.z};
    local = GlobalToBody(v->state, d);
}

bool VESSEL::MeshgroupTransform(HostHandle visual, const MESHGROUP_TRANSFORM& transform) const
{
    int slot = LiveSlot(vesselHandle);
    CallRecord(slot, "MeshgroupTransform")
        .Handle(visual).Vec(transform.ref).Vec(transform.axis).Float(transform.angle).Int(transform.mesh)
        .Int(transform.group).Int(transform.kind);
    if (slot < 0) {
        return false;
    }
    Vessel& v = world().vessels[static_cast<size_t>(slot)];
    if (visual == nullptr || visual != v.visual || transform.mesh < 0 ||
        static_cast<size_t>(transform.mesh) >= v.meshes.size() || transform.group < 0) {
        return false;
    }
    // The records are kept for inspection while their reserved room lasts; the running sum of each
    // group's turns is kept always, so a long animated flight never allocates.
    if (v.transforms.size() < v.transforms.capacity()) {
        v.transforms.push_back(transform);
    }
    if (transform.kind == MESHGROUP_ROTATE) {
        bool lateral = transform.axis.x == 1.0 && transform.axis.y == 0.0 && transform.axis.z == 0.0;
        GroupTurn* turn = nullptr;
        for (GroupTurn& t : v.turns) {
            if (t.mesh == transform.mesh && t.group == transform.group && t.lateral == lateral) {
                turn = &t;
            }
        }
        if (turn == nullptr) {
            v.turns.push_back(GroupTurn{transform.mesh, transform.group, lateral, 0.0});
            turn = &v.turns.back();
        }
        turn->angle += static_cast<double>(transform.angle);
    }
    return true;
}

void VESSEL::ParseScenarioLineEx(char* line, void* status) const
{
    int slot = LiveSlot(vesselHandle);
    CallRecord(slot, "ParseScenarioLineEx").Text(line);
    if (HostStatus* open = OpenStatus(status, slot)) {
        ParseHostLine(slot, line, *open);
    }
}

void VESSEL::DefSetStateEx(const void* status) const
{
    int slot = LiveSlot(vesselHandle);
    CallRecord(slot, "DefSetStateEx").Pointer(status, "status");
    if (HostStatus* open = OpenStatus(status, slot)) {
        ApplyHostStatus(slot, *open);
    }
}

void VESSEL::ClearThrusterDefinitions() const
{
    STANDIN_RECORD(LiveSlot(vesselHandle), "ClearThrusterDefinitions");
    if (Vessel* v = LiveVessel(vesselHandle)) {
        v->thrusters.clear();
        v->exhausts.clear();
        v->streams.clear();
        v->thrusterEpoch = NextEpoch();
    }
}

void VESSEL::ClearPropellantResources() const
{
    STANDIN_RECORD(LiveSlot(vesselHandle), "ClearPropellantResources");
    if (Vessel* v = LiveVessel(vesselHandle)) {
        v->resources.clear();
        v->resourceEpoch = NextEpoch();
    }
}

void VESSEL::ClearMeshes() const
{
    STANDIN_RECORD(LiveSlot(vesselHandle), "ClearMeshes");
    if (Vessel* v = LiveVessel(vesselHandle)) {
        v->meshes.clear();
    }
}

namespace standin {

Thruster* FindThruster(HostHandle vessel, HostHandle thruster)
{
    int slot = LiveSlot(vessel);
    return slot < 0 ? nullptr : ThrusterOf(world().vessels[static_cast<size_t>(slot)], slot, thruster);
}

Resource* FindResource(HostHandle vessel, HostHandle resource)
{
    int slot = LiveSlot(vessel);
    return slot < 0 ? nullptr : ResourceOf(world().vessels[static_cast<size_t>(slot)], slot, resource);
}

Attachment* FindAttachment(HostHandle vessel, HostHandle attachment)
{
    int slot = LiveSlot(vessel);
    return slot < 0 ? nullptr : AttachmentOf(world().vessels[static_cast<size_t>(slot)], slot, attachment);
}

}  // namespace standin
