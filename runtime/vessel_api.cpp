// The VESSEL members: each looks its vessel up by handle and reads or writes the world.
#include <cmath>
#include <cstring>

#include "attitude.h"
#include "physics/atmosphere.h"
#include "handles.h"
#include "host_control.h"
#include "journal.h"
#include "scenario.h"

using namespace standin;

namespace {

double Clamp(double value, double low, double high)
{
    return value < low ? low : (value > high ? high : value);
}

template <typename Record>
HostHandle AddRecord(std::vector<Record>& list, const Record& record, HandleKind kind, uint16_t epoch,
                     int slot)
{
    if (list.size() >= HANDLE_FIELD_LIMIT) {
        return nullptr;
    }
    list.push_back(record);
    return MakeHandle(kind, epoch, static_cast<uint32_t>(slot), static_cast<uint32_t>(list.size() - 1));
}

Thruster* ThrusterOf(Vessel& v, int slot, HostHandle handle)
{
    int i = RecordOf(handle, HandleKind::Thruster, slot, v.thrusterEpoch, v.thrusters.size());
    return i < 0 ? nullptr : &v.thrusters[static_cast<size_t>(i)];
}

Resource* ResourceOf(Vessel& v, int slot, HostHandle handle)
{
    int i = RecordOf(handle, HandleKind::Resource, slot, v.resourceEpoch, v.resources.size());
    return i < 0 ? nullptr : &v.resources[static_cast<size_t>(i)];
}

Attachment* AttachmentOf(Vessel& v, int slot, HostHandle handle)
{
    int i = RecordOf(handle, HandleKind::Attachment, slot, v.recordEpoch, v.attachments.size());
    return i < 0 ? nullptr : &v.attachments[static_cast<size_t>(i)];
}

}  // namespace

VESSEL::VESSEL(HostHandle vessel, int flightModel) : vesselHandle(vessel)
{
    if (Vessel* v = LiveVessel(vessel)) {
        v->flightModel = flightModel;
    }
}

void VESSEL::SetSize(double size) const
{
    CallRecord(LiveSlot(vesselHandle), "SetSize").Num(size);
    if (Vessel* v = LiveVessel(vesselHandle)) {
        v->size = size;
    }
}

void VESSEL::SetEnableFocus(bool enable) const
{
    CallRecord(LiveSlot(vesselHandle), "SetEnableFocus").Flag(enable);
    if (Vessel* v = LiveVessel(vesselHandle)) {
        v->focusEnabled = enable;
    }
}

void VESSEL::SetEmptyMass(double mass) const
{
    CallRecord(LiveSlot(vesselHandle), "SetEmptyMass").Num(mass);
    if (Vessel* v = LiveVessel(vesselHandle)) {
        v->emptyMass = mass;
    }
}

void VESSEL::SetPMI(const VECTOR3& pmi) const
{
    CallRecord(LiveSlot(vesselHandle), "SetPMI").Vec(pmi);
    if (Vessel* v = LiveVessel(vesselHandle)) {
        v->pmi = pmi;
    }
}

void VESSEL::SetCrossSections(const VECTOR3& cs) const
{
    CallRecord(LiveSlot(vesselHandle), "SetCrossSections").Vec(cs);
    if (Vessel* v = LiveVessel(vesselHandle)) {
        v->crossSections = cs;
    }
}

unsigned int VESSEL::AddMesh(HostHandle mesh, const VECTOR3* offset) const
{
    CallRecord record(LiveSlot(vesselHandle), "AddMesh");
    record.Handle(mesh);
    if (offset != nullptr) {
        record.Vec(*offset);
    } else {
        record.Pointer(nullptr, "");
    }
    Vessel* v = LiveVessel(vesselHandle);
    if (v == nullptr) {
        return 0;
    }
    MeshRef ref{mesh, offset != nullptr, offset != nullptr ? *offset : VECTOR3{}};
    v->meshes.push_back(ref);
    return static_cast<unsigned int>(v->meshes.size() - 1);
}

void VESSEL::SetTouchdownPoints(const VECTOR3& p1, const VECTOR3& p2, const VECTOR3& p3) const
{
    CallRecord(LiveSlot(vesselHandle), "SetTouchdownPoints").Vec(p1).Vec(p2).Vec(p3);
    if (Vessel* v = LiveVessel(vesselHandle)) {
        v->touchdown[0] = p1;
        v->touchdown[1] = p2;
        v->touchdown[2] = p3;
    }
}

HostHandle VESSEL::CreateAttachment(bool toParent, const VECTOR3& pos, const VECTOR3& dir, const VECTOR3& rot,
                                    const char* id, bool loose) const
{
    int slot = LiveSlot(vesselHandle);
    CallRecord(slot, "CreateAttachment").Flag(toParent).Vec(pos).Vec(dir).Vec(rot).Text(id).Flag(loose);
    if (slot < 0) {
        return nullptr;
    }
    Vessel& v = world().vessels[static_cast<size_t>(slot)];
    Attachment point{toParent, pos, dir, rot, id != nullptr ? id : "", loose, nullptr, nullptr};
    return AddRecord(v.attachments, point, HandleKind::Attachment, v.recordEpoch, slot);
}

HostHandle VESSEL::CreatePropellantResource(double maxMass, double mass, double efficiency) const
{
    int slot = LiveSlot(vesselHandle);
    CallRecord(slot, "CreatePropellantResource").Num(maxMass).Num(mass).Num(efficiency);
    if (slot < 0) {
        return nullptr;
    }
    Vessel& v = world().vessels[static_cast<size_t>(slot)];
    double capacity = maxMass > 0.0 ? maxMass : 0.0;
    // A negative initial mass means a full tank.
    double initial = mass < 0.0 ? capacity : Clamp(mass, 0.0, capacity);
    Resource resource{capacity, initial, efficiency};
    return AddRecord(v.resources, resource, HandleKind::Resource, v.resourceEpoch, slot);
}

HostHandle VESSEL::CreateThruster(const VECTOR3& pos, const VECTOR3& dir, double maxThrust, HostHandle resource,
                                  double isp, double ispRef, double pressureRef) const
{
    int slot = LiveSlot(vesselHandle);
    CallRecord(slot, "CreateThruster")
        .Vec(pos).Vec(dir).Num(maxThrust).Handle(resource).Num(isp).Num(ispRef).Num(pressureRef);
    if (slot < 0) {
        return nullptr;
    }
    Vessel& v = world().vessels[static_cast<size_t>(slot)];
    Thruster thruster{pos, dir, maxThrust, resource, isp, ispRef, pressureRef, 0.0, 0.0};
    return AddRecord(v.thrusters, thruster, HandleKind::Thruster, v.thrusterEpoch, slot);
}

HostHandle VESSEL::CreateAirfoil(int orientation, const VECTOR3& ref, AirfoilCoeffFunc coeff, double chord,
                                 double area, double aspectRatio) const
{
    int slot = LiveSlot(vesselHandle);
    CallRecord(slot, "CreateAirfoil")
        .Int(orientation).Vec(ref).Pointer(reinterpret_cast<const void*>(coeff), "fn").Num(chord).Num(area)
        .Num(aspectRatio);
    if (slot < 0) {
        return nullptr;
    }
    Vessel& v = world().vessels[static_cast<size_t>(slot)];
    Airfoil airfoil{orientation, ref, coeff, chord, area, aspectRatio};
    return AddRecord(v.airfoils, airfoil, HandleKind::Airfoil, v.recordEpoch, slot);
}

HostHandle VESSEL::CreateControlSurface(int type, double area, double dCl, const VECTOR3& ref, int axis,
                                        unsigned int anim) const
{
    int slot = LiveSlot(vesselHandle);
    CallRecord(slot, "CreateControlSurface").Int(type).Num(area).Num(dCl).Vec(ref).Int(axis).Int(anim);
    if (slot < 0) {
        return nullptr;
    }
    Vessel& v = world().vessels[static_cast<size_t>(slot)];
    ControlSurface surface{type, area, dCl, ref, axis, anim};
    return AddRecord(v.surfaces, surface, HandleKind::Surface, v.recordEpoch, slot);
}

unsigned int VESSEL::AddExhaust(HostHandle thruster, double length, double width, double offset,
                                HostHandle texture) const
{
    int slot = LiveSlot(vesselHandle);
    CallRecord(slot, "AddExhaust").Handle(thruster).Num(length).Num(width).Num(offset).Handle(texture);
    if (slot < 0) {
        return 0;
    }
    Vessel& v = world().vessels[static_cast<size_t>(slot)];
    v.exhausts.push_back(Exhaust{thruster, length, width, offset, texture});
    return static_cast<unsigned int>(v.exhausts.size() - 1);
}

static HostHandle AddStream(HostHandle vessel, HostHandle thruster, const VECTOR3* pos,
                            const PARTICLESTREAMSPEC* spec)
{
    int slot = LiveSlot(vessel);
    CallRecord record(slot, "AddExhaustStream");
    record.Handle(thruster);
    if (pos != nullptr) {
        record.Vec(*pos);
    }
    record.Pointer(spec, "spec");
    if (slot < 0 || spec == nullptr) {
        return nullptr;
    }
    Vessel& v = world().vessels[static_cast<size_t>(slot)];
    Stream stream{thruster, pos != nullptr, pos != nullptr ? *pos : VECTOR3{}, *spec};
    return AddRecord(v.streams, stream, HandleKind::Stream, v.thrusterEpoch, slot);
}

HostHandle VESSEL::AddExhaustStream(HostHandle thruster, const PARTICLESTREAMSPEC* spec) const
{
    return AddStream(vesselHandle, thruster, nullptr, spec);
}

HostHandle VESSEL::AddExhaustStream(HostHandle thruster, const VECTOR3& pos, const PARTICLESTREAMSPEC* spec) const
{
    return AddStream(vesselHandle, thruster, &pos, spec);
}

void VESSEL::RegisterAnimation() const
{
    CallRecord(LiveSlot(vesselHandle), "RegisterAnimation");
    if (Vessel* v = LiveVessel(vesselHandle)) {
        v->animationRegistered = true;
    }
}

HostHandle VESSEL::GetHandle() const
{
    CallRecord(LiveSlot(vesselHandle), "GetHandle");
    return vesselHandle;
}

const char* VESSEL::GetName() const
{
    CallRecord(LiveSlot(vesselHandle), "GetName");
    Vessel* v = LiveVessel(vesselHandle);
    return v != nullptr ? v->name.c_str() : "";
}

double VESSEL::GetMass() const
{
    CallRecord(LiveSlot(vesselHandle), "GetMass");
    Vessel* v = LiveVessel(vesselHandle);
    return v != nullptr ? TotalMass(*v) : 0.0;
}

double VESSEL::GetSize() const
{
    CallRecord(LiveSlot(vesselHandle), "GetSize");
    Vessel* v = LiveVessel(vesselHandle);
    return v != nullptr ? v->size : 0.0;
}

double VESSEL::GetAltitude() const
{
    CallRecord(LiveSlot(vesselHandle), "GetAltitude");
    Vessel* v = LiveVessel(vesselHandle);
    return v != nullptr ? v->state.pos.y : 0.0;
}

double VESSEL::GetPitch() const
{
    CallRecord(LiveSlot(vesselHandle), "GetPitch");
    Vessel* v = LiveVessel(vesselHandle);
    return v != nullptr ? PitchOf(v->state) : 0.0;
}

double VESSEL::GetBank() const
{
    CallRecord(LiveSlot(vesselHandle), "GetBank");
    Vessel* v = LiveVessel(vesselHandle);
    return v != nullptr ? BankOf(v->state) : 0.0;
}

double VESSEL::GetDynPressure() const
{
    CallRecord(LiveSlot(vesselHandle), "GetDynPressure");
    Vessel* v = LiveVessel(vesselHandle);
    if (v == nullptr) {
        return 0.0;
    }
    const VECTOR3& vel = v->state.vel;
    double speedSquared = vel.x * vel.x + vel.y * vel.y + vel.z * vel.z;
    return 0.5 * physics::Atmosphere(v->state.pos.y).density * speedSquared;
}

HostHandle VESSEL::GetAttachmentStatus(HostHandle attachment) const
{
    int slot = LiveSlot(vesselHandle);
    CallRecord(slot, "GetAttachmentStatus").Handle(attachment);
    if (slot < 0) {
        return nullptr;
    }
    Attachment* point = AttachmentOf(world().vessels[static_cast<size_t>(slot)], slot, attachment);
    if (point == nullptr || LiveVessel(point->mate) == nullptr) {
        return nullptr;
    }
    return point->mate;
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
    CallRecord(LiveSlot(vesselHandle), "Global2Local").Vec(global);
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
    ParseHostLine(slot, line, status);
}

void VESSEL::DefSetStateEx(const void* status) const
{
    int slot = LiveSlot(vesselHandle);
    CallRecord(slot, "DefSetStateEx").Pointer(status, "status");
    ApplyHostStatus(slot, status);
}

void VESSEL::ClearThrusterDefinitions() const
{
    CallRecord(LiveSlot(vesselHandle), "ClearThrusterDefinitions");
    if (Vessel* v = LiveVessel(vesselHandle)) {
        v->thrusters.clear();
        v->exhausts.clear();
        v->streams.clear();
        v->thrusterEpoch = NextEpoch();
    }
}

void VESSEL::ClearPropellantResources() const
{
    CallRecord(LiveSlot(vesselHandle), "ClearPropellantResources");
    if (Vessel* v = LiveVessel(vesselHandle)) {
        v->resources.clear();
        v->resourceEpoch = NextEpoch();
    }
}

void VESSEL::ClearMeshes() const
{
    CallRecord(LiveSlot(vesselHandle), "ClearMeshes");
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
