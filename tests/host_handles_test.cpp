// The stand-in host's handles: stale, null and foreign ones reach nothing, names are stored whole,
// and creation refuses what it cannot hold.
#include <string>
#include <utility>

#include "host/zelvar.h"
#include "runtime/host_control.h"
#include "test_support.h"

namespace {

using HostRuntime = WorldTest;

TEST_F(HostRuntime, StaleAndNullHandlesAnswerZeroAndAreIgnored)
{
    HostHandle a = standin::CreateBody(Desc("a", {1, 2, 3}));
    VESSEL va(a);
    HostHandle r = va.CreatePropellantResource(10.0);
    HostHandle t = va.CreateThruster({0, 0, 0}, {0, 0, 1}, 100.0, r, 1000.0);
    ASSERT_TRUE(zapiDeleteVessel(a, nullptr));
    EXPECT_FALSE(zapiDeleteVessel(a, nullptr)) << "a second request is refused";
    standin::Step(0.1);

    EXPECT_EQ(zapiGetVesselCount(), 0u);
    EXPECT_EQ(va.GetAltitude(), 0.0);
    EXPECT_STREQ(va.GetName(), "");
    EXPECT_EQ(va.GetPropellantMass(r), 0.0);
    va.SetThrusterLevel(t, 1.0);
    EXPECT_EQ(zapiGetSize(a), 0.0);
    EXPECT_EQ(zapiGetVesselInterface(a), nullptr);

    // The freed slot is reused, but the old handle does not reach the new vessel.
    HostHandle b = standin::CreateBody(Desc("b", {4, 5, 6}));
    EXPECT_NE(a, b);
    EXPECT_EQ(standin::SlotOf(b), 0);
    EXPECT_EQ(zapiGetSize(a), 0.0);
    EXPECT_EQ(zapiGetSize(b), 1.0);

    VESSEL none(nullptr);
    EXPECT_EQ(none.GetMass(), 0.0);
    EXPECT_EQ(none.CreateThruster({0, 0, 0}, {0, 0, 1}, 1.0, nullptr, 1.0), nullptr);
    EXPECT_EQ(zapiGetVesselByIndex(-1), nullptr);
    EXPECT_EQ(zapiGetVesselByIndex(1), nullptr);
    VECTOR3 pos{7, 7, 7};
    zapiGetRelativePos(nullptr, b, pos);
    EXPECT_EQ(pos.x, 0.0);
}

TEST_F(HostRuntime, RecordHandlesBelongToOneVesselAndDieWithTheirList)
{
    HostHandle a = standin::CreateBody(Desc("a"));
    HostHandle b = standin::CreateBody(Desc("b"));
    VESSEL va(a), vb(b);
    HostHandle ra = va.CreatePropellantResource(5.0, 2.0);
    HostHandle ta = va.CreateThruster({0, 0, 0}, {0, 0, 1}, 10.0, ra, 100.0);
    vb.CreatePropellantResource(9.0);

    EXPECT_EQ(vb.GetPropellantMass(ra), 0.0) << "another vessel's resource handle";
    vb.SetThrusterLevel(ta, 1.0);
    EXPECT_EQ(standin::FindThruster(a, ta)->level, 0.0);
    EXPECT_EQ(va.GetPropellantMass(ta), 0.0) << "a thruster handle is no resource handle";

    va.ClearThrusterDefinitions();
    va.SetThrusterLevel(ta, 1.0);
    EXPECT_EQ(standin::FindThruster(a, ta), nullptr);
    va.ClearPropellantResources();
    EXPECT_EQ(va.GetPropellantMass(ra), 0.0);
    EXPECT_EQ(va.GetMass(), 1.0);
}

TEST_F(HostRuntime, NamesOfAnyLengthAreStoredWhole)
{
    std::string name(10000, 'k');
    name += "-end";
    VESSEL va(standin::CreateBody(Desc(name.c_str())));
    EXPECT_EQ(std::string(va.GetName()), name);
}

// Every call through a deleted vessel's handle, or a null one, answers 0, null or "" and changes
// nothing, even on the vessel that took over its slot.
TEST_F(HostRuntime, DeadHandlesReachNothingInTheirReusedSlot)
{
    HostHandle old = standin::CreateBody(Desc("old"));
    ASSERT_TRUE(zapiDeleteVessel(old, nullptr));
    standin::Step(0.1);
    HostHandle fresh = standin::CreateBody(Desc("new", {1, 2, 3}, {4, 5, 6}));
    ASSERT_EQ(standin::SlotOf(fresh), 0) << "the freed slot is taken again";
    HostHandle mesh = zapiLoadMeshGlobal("m");
    const VESSEL stale(old, 3);
    const VESSEL none(nullptr);
    PARTICLESTREAMSPEC spec{};
    for (const VESSEL* v : {&stale, &none}) {
        v->SetSize(9);
        v->SetEnableFocus(false);
        v->SetEmptyMass(9);
        v->SetPMI({9, 9, 9});
        v->SetCrossSections({9, 9, 9});
        v->SetTouchdownPoints({9, 9, 9}, {9, 9, 9}, {9, 9, 9});
        v->RegisterAnimation();
        v->SetControlSurfaceLevel(0, 1.0);
        v->ClearThrusterDefinitions();
        v->ClearPropellantResources();
        v->ClearMeshes();
        EXPECT_EQ(v->AddMesh(mesh), 0u);
        EXPECT_EQ(v->AddExhaust(nullptr, 1, 1, 1, nullptr), 0u);
        EXPECT_EQ(v->AddExhaustStream(nullptr, &spec), nullptr);
        EXPECT_EQ(v->AddExhaustStream(nullptr, {0, 0, 0}, &spec), nullptr);
        EXPECT_EQ(v->CreateAttachment(true, {0, 0, 0}, {0, 1, 0}, {0, 0, 1}, "WM"), nullptr);
        EXPECT_EQ(v->CreatePropellantResource(1.0), nullptr);
        EXPECT_EQ(v->CreateAirfoil(LIFT_VERTICAL, {0, 0, 0}, nullptr, 1, 1, 1), nullptr);
        EXPECT_EQ(v->CreateControlSurface(0, 1, 1, {0, 0, 0}, 0, 0), nullptr);
        EXPECT_EQ(v->GetSize(), 0.0);
        EXPECT_EQ(v->GetPitch(), 0.0);
        EXPECT_EQ(v->GetBank(), 0.0);
        EXPECT_EQ(v->GetDynPressure(), 0.0);
        VECTOR3 local{7, 7, 7};
        v->Global2Local({1, 2, 3}, local);
        EXPECT_EQ(local.x + local.y + local.z, 0.0);
        EXPECT_FALSE(v->MeshgroupTransform(nullptr, MESHGROUP_TRANSFORM{}));
        EXPECT_EQ(v->GetAttachmentStatus(nullptr), nullptr);
        EXPECT_EQ(v->GetAttachmentHandle(true, 0), nullptr);
        EXPECT_STREQ(v->GetAttachmentId(nullptr), "");
        EXPECT_FALSE(v->AttachChild(fresh, nullptr, nullptr));
        EXPECT_FALSE(v->DetachChild(nullptr));
    }
    for (HostHandle h : {old, static_cast<HostHandle>(nullptr)}) {
        standin::SetPosition(h, {9, 9, 9});
        standin::SetVelocity(h, {9, 9, 9});
        standin::SetAttitude(h, 1, 1, 1);
        standin::SetAngularVelocity(h, {9, 9, 9});
        standin::SetMotion(h, standin::Motion::Landed);
        standin::SetPinned(h, true);
        standin::Bind(h, nullptr);
        standin::DestroyVisual(h);
        EXPECT_EQ(standin::CreateVisual(h), nullptr);
        EXPECT_EQ(standin::AttachmentById(h, "WM"), nullptr);
        EXPECT_EQ(zapiGetMass(h), 0.0);
        VECTOR3 pos{7, 7, 7}, vel{7, 7, 7};
        zapiGetGlobalPos(h, pos);
        zapiGetRelativeVel(fresh, h, vel);
        EXPECT_EQ(pos.x + pos.y + pos.z + vel.x + vel.y + vel.z, 0.0);
    }
    EXPECT_EQ(standin::RecordIndex(fresh), -1) << "a vessel handle is no record";
    EXPECT_EQ(standin::RecordIndex(nullptr), -1);

    const standin::Vessel& v = *standin::Find(fresh);
    EXPECT_EQ(v.size, 1.0);
    EXPECT_EQ(v.emptyMass, 1.0);
    EXPECT_EQ(v.flightModel, 1);
    EXPECT_TRUE(v.focusEnabled);
    EXPECT_FALSE(v.animationRegistered);
    EXPECT_EQ(v.pmi.x + v.crossSections.x + v.touchdown[0].x + v.state.angVel.x, 0.0);
    EXPECT_EQ(v.controlSets[0], 0);
    EXPECT_TRUE(v.meshes.empty() && v.exhausts.empty() && v.streams.empty() && v.attachments.empty() &&
                v.resources.empty() && v.airfoils.empty() && v.surfaces.empty());
    EXPECT_EQ(v.state.pos.y, 2.0);
    EXPECT_EQ(v.state.vel.z, 6.0);
    EXPECT_EQ(v.state.pitch, 0.0);
    EXPECT_EQ(v.motion, standin::Motion::Kinematic);
    EXPECT_EQ(v.visual, nullptr);
    EXPECT_EQ(v.callbacks, nullptr);
}

// Creation refuses names that would not read back, a full world and classes that name no module.
TEST_F(HostRuntime, CreationRefusesBadNamesFullWorldsAndNonModules)
{
    const std::pair<std::string, const char*> names[] = {
        {"", "a vessel needs a name"},         {std::string("a\0b", 3), "may not hold a NUL"},
        {"a\nb", "may not hold a NUL"},        {"a\rb", "may not hold a NUL"},
        {"a:b", "may not hold a NUL"},         {"a;b", "may not hold a NUL"},
        {" a", "may not begin or end"},        {"a\t", "may not begin or end"},
    };
    for (const auto& [name, why] : names) {
        EXPECT_EQ(standin::CreateBody(Desc(name)), nullptr) << name;
        EXPECT_NE(standin::LastError().find(why), std::string::npos) << standin::LastError();
        EXPECT_EQ(standin::LastErrorKind(), standin::ErrorKind::Other);
    }
    EXPECT_NE(standin::CreateBody(Desc("a\tb")), nullptr) << "a blank inside a name reads back";

    const std::pair<const char*, const char*> classes[] = {
        {nullptr, "no module class given"},
        {"", "no module class given"},
        {"../modules/Karvex", "a module class is a plain name"},
        {"Nowhere", "cannot load module"},
    };
    for (const auto& [className, why] : classes) {
        EXPECT_EQ(standin::CreateModuleVessel(className, Desc("m")), nullptr);
        EXPECT_NE(standin::LastError().find(why), std::string::npos) << standin::LastError();
        EXPECT_EQ(standin::LastErrorKind(), standin::ErrorKind::Module);
    }
    // A library that loads but has no entry points: the host's own.
    config.moduleDir = KARVEX_MODULE_DIR "/../lib";
    ResetWorld();
    EXPECT_EQ(standin::CreateModuleVessel("libzelvar_host", Desc("m")), nullptr);
    EXPECT_NE(standin::LastError().find("does not export zvcInit and zvcExit"), std::string::npos) << standin::LastError();
    EXPECT_EQ(zapiGetVesselCount(), 0u);

    config.maxVessels = 1;
    config.moduleDir = KARVEX_MODULE_DIR;
    ResetWorld();
    ASSERT_NE(standin::CreateBody(Desc("one")), nullptr);
    EXPECT_EQ(standin::CreateBody(Desc("two")), nullptr);
    EXPECT_EQ(standin::LastError(), "no free vessel slot: the world holds 1 vessels");
    EXPECT_EQ(standin::CreateModuleVessel("Karvex", Desc("K1")), nullptr);
    EXPECT_EQ(standin::LastError(), "no free vessel slot: the world holds 1 vessels");
    EXPECT_EQ(zapiGetVesselCount(), 1u);

    // A class loaded from one folder is not taken for the class of another folder.
    config.maxVessels = 4;
    ResetWorld();
    ASSERT_NE(standin::CreateModuleVessel("Karvex", Desc("K1")), nullptr);
    config.moduleDir = KARVEX_MODULE_DIR "/../lib";
    ResetWorld();
    EXPECT_EQ(standin::CreateModuleVessel("Karvex", Desc("K1")), nullptr);
    EXPECT_NE(standin::LastError().find("cannot load module " KARVEX_MODULE_DIR "/../lib/Karvex.so"), std::string::npos)
        << standin::LastError();
}

}  // namespace
