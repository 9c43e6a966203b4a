// The VESSEL members a module calls in its class set-up: each looks its vessel up by handle and
// records what was declared.
#include "host_control.h"
#include "journal.h"
#include "records.h"

using namespace standin;

VESSEL::VESSEL(HostHandle vessel, int flightModel) : vesselHandle(vessel)
{
    if (Vessel* v = LiveVessel(vessel)) {
        v->flightModel = flightModel;
    }
}

void VESSEL::SetSize(double size) const
{
    CallRecord(vesselHandle, "SetSize").Num(size);
    if (Vessel* v = LiveVessel(vesselHandle)) {
        v->size = size;
    }
}

void VESSEL::SetEnableFocus(bool enable) const
{
    CallRecord(vesselHandle, "SetEnableFocus").Flag(enable);
    if (Vessel* v = LiveVessel(vesselHandle)) {
        v->focusEnabled = enable;
    }
}

void VESSEL::SetEmptyMass(double mass) const
{
    CallRecord(vesselHandle, "SetEmptyMass").Num(mass);
    if (Vessel* v = LiveVessel(vesselHandle)) {
        v->emptyMass = mass;
    }
}

void VESSEL::SetPMI(const VECTOR3& pmi) const
{
    CallRecord(vesselHandle, "SetPMI").Vec(pmi);
    if (Vessel* v = LiveVessel(vesselHandle)) {
        v->pmi = pmi;
    }
}

void VESSEL::SetCrossSections(const VECTOR3& cs) const
{
    CallRecord(vesselHandle, "SetCrossSections").Vec(cs);
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
    CallRecord(vesselHandle, "SetTouchdownPoints").Vec(p1).Vec(p2).Vec(p3);
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
    Thruster thruster{pos, dir, maxThrust, resource, isp, ispRef, pressureRef, 0.0, 0.0, -1};
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
    CallRecord record(vesselHandle, "RegisterAnimation");
    if (Vessel* v = LiveVessel(vesselHandle)) {
        v->animationRegistered = true;
    }
}
