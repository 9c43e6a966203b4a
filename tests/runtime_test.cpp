// The stand-in host on its own: handles, state, frames, propellant, journal, drag and scenarios.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "allocation_counter.h"
#include "host/zelvar.h"
#include "runtime/host_control.h"
#include "test_support.h"

namespace {

using standin::VesselDesc;

VesselDesc Body(const char* name, VECTOR3 pos = {0, 0, 0})
{
    VesselDesc desc;
    desc.name = name;
    desc.pos = pos;
    return desc;
}

// A vessel object that logs which callbacks reached it, and can delete itself after the step.
class Recorder : public VESSEL2 {
public:
    Recorder(HostHandle vessel, std::vector<std::string>* sink) : VESSEL2(vessel, 1), log(sink) {}
    void clbkPreStep(double, double, double) override { log->push_back(std::string("pre ") + GetName()); }
    void clbkPostStep(double simt, double, double) override
    {
        log->push_back(std::string("post ") + GetName() + " " + std::to_string(simt));
        if (deleteInPostStep) {
            zapiDeleteVessel(GetHandle(), nullptr);
            log->push_back(std::string("still named ") + GetName());
        }
    }
    void clbkAnimate(double) override { log->push_back(std::string("animate ") + GetName()); }
    std::vector<std::string>* log;
    bool deleteInPostStep = false;
};

using HostRuntime = WorldTest;

TEST_F(HostRuntime, StaleAndNullHandlesAnswerZeroAndAreIgnored)
{
    HostHandle a = standin::CreateBody(Body("a", {1, 2, 3}));
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
    HostHandle b = standin::CreateBody(Body("b", {4, 5, 6}));
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
    HostHandle a = standin::CreateBody(Body("a"));
    HostHandle b = standin::CreateBody(Body("b"));
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
    VESSEL va(standin::CreateBody(Body(name.c_str())));
    EXPECT_EQ(std::string(va.GetName()), name);
}

TEST_F(HostRuntime, AnglesSetExactlyComeBackExactly)
{
    VesselDesc desc = Body("a", {0, 5.0, 0});
    desc.pitch = 0.3;
    desc.bank = -1.1;
    desc.heading = 2.0;
    HostHandle a = standin::CreateBody(desc);
    VESSEL va(a);
    EXPECT_EQ(va.GetAltitude(), 5.0);
    EXPECT_EQ(va.GetPitch(), 0.3);
    EXPECT_EQ(va.GetBank(), -1.1);
    standin::SetAttitude(a, -PI / 2, 0.7, 0.0);
    EXPECT_EQ(va.GetPitch(), -PI / 2);
    EXPECT_EQ(va.GetBank(), 0.7);
}

TEST_F(HostRuntime, BodyFrameIsRightUpForward)
{
    VesselDesc desc = Body("a", {10, 20, 30});
    desc.heading = PI / 2;  // nose east
    HostHandle a = standin::CreateBody(desc);
    VESSEL va(a);
    VECTOR3 local{};
    va.Global2Local({10 + 100, 20, 30}, local);  // 100 m east: straight ahead
    EXPECT_NEAR(local.x, 0.0, 1e-12);
    EXPECT_NEAR(local.y, 0.0, 1e-12);
    EXPECT_NEAR(local.z, 100.0, 1e-12);
    va.Global2Local({10, 20, 30 - 50}, local);  // 50 m south: to the right
    EXPECT_NEAR(local.x, 50.0, 1e-12);
    EXPECT_NEAR(local.z, 0.0, 1e-12);

    // Banked with the right wing down, the sky lies toward the left wing.
    standin::SetAttitude(a, 0.0, PI / 6, 0.0);
    va.Global2Local({10, 20 + 1, 30}, local);
    EXPECT_NEAR(local.y, std::cos(PI / 6), 1e-12);
    EXPECT_NEAR(local.x, -std::sin(PI / 6), 1e-12);
}

TEST_F(HostRuntime, RelativeQueriesGiveSecondMinusFirst)
{
    VesselDesc da = Body("a", {1, 2, 3});
    da.vel = {1, 1, 1};
    VesselDesc db = Body("b", {4, 6, 8});
    db.vel = {0, 2, -1};
    HostHandle a = standin::CreateBody(da);
    HostHandle b = standin::CreateBody(db);
    VECTOR3 r{}, v{}, g{};
    zapiGetRelativePos(a, b, r);
    zapiGetRelativeVel(a, b, v);
    zapiGetGlobalPos(b, g);
    EXPECT_EQ(r.x, 3.0);
    EXPECT_EQ(r.y, 4.0);
    EXPECT_EQ(r.z, 5.0);
    EXPECT_EQ(v.x, -1.0);
    EXPECT_EQ(v.y, 1.0);
    EXPECT_EQ(v.z, -2.0);
    EXPECT_EQ(g.z, 8.0);
    EXPECT_EQ(zapiGetVesselByIndex(1), b);
}

TEST_F(HostRuntime, FrameRunsEachStageForEveryVesselAndDeletesAtTheEnd)
{
    std::vector<std::string> log;
    HostHandle a = standin::CreateBody(Body("a"));
    HostHandle b = standin::CreateBody(Body("b"));
    Recorder ra(a, &log), rb(b, &log);
    standin::Bind(a, &ra);
    standin::Bind(b, &rb);
    ra.RegisterAnimation();
    standin::CreateVisual(a);
    rb.deleteInPostStep = true;

    standin::Step(0.5);
    EXPECT_EQ(log, (std::vector<std::string>{"pre a", "pre b", "post a 0.500000", "post b 0.500000",
                                             "still named b", "animate a"}));
    EXPECT_EQ(zapiGetVesselCount(), 1u);
    EXPECT_EQ(zapiGetVesselByIndex(0), a);
    EXPECT_EQ(zapiGetSimTime(), 0.5);
}

TEST_F(HostRuntime, ThrustersDrawPropellantUntilExactlyEmpty)
{
    HostHandle a = standin::CreateBody(Body("a"));
    VESSEL va(a);
    va.SetEmptyMass(10.0);
    HostHandle r = va.CreatePropellantResource(3.0);
    HostHandle t = va.CreateThruster({0, 0, 0}, {0, 0, 1}, 1000.0, r, 2000.0);  // 0.5 kg/s at full level
    EXPECT_EQ(va.GetMass(), 13.0);
    standin::Step(1.0);
    EXPECT_EQ(va.GetPropellantMass(r), 3.0) << "a thruster at level 0 draws nothing";
    va.SetThrusterLevel(t, 0.5);
    standin::Step(2.0);
    EXPECT_EQ(va.GetPropellantMass(r), 2.5);
    va.SetThrusterLevel(t, 7.0);  // clamped to full level
    EXPECT_EQ(standin::FindThruster(a, t)->level, 1.0);
    for (int i = 0; i < 7; ++i) {
        standin::Step(0.7);  // 0.35 kg a step
    }
    EXPECT_NEAR(va.GetPropellantMass(r), 0.05, 1e-12);
    standin::Step(0.7);
    EXPECT_EQ(va.GetPropellantMass(r), 0.0) << "the last draw stops at exactly empty";
    EXPECT_EQ(va.GetMass(), 10.0);
    va.SetPropellantMass(r, 99.0);
    EXPECT_EQ(va.GetPropellantMass(r), 3.0) << "clamped to the capacity";
    va.SetPropellantMass(r, -1.0);
    EXPECT_EQ(va.GetPropellantMass(r), 0.0);
    va.SetPropellantMass(r, NAN);
    va.SetThrusterLevel(t, NAN);
    EXPECT_EQ(va.GetPropellantMass(r), 0.0) << "not a number changes nothing";
    EXPECT_EQ(standin::FindThruster(a, t)->level, 1.0);
    for (int type : {-1, standin::CONTROL_TYPES, 0}) {
        va.SetControlSurfaceLevel(type, type == 0 ? NAN : 1.0);
    }
    for (int sets : standin::Find(a)->controlSets) {
        EXPECT_EQ(sets, 0) << "no such type, or not a number";
    }
}

TEST_F(HostRuntime, PinnedVesselsStayAndAttachedOnesFollowTheirParent)
{
    VesselDesc dp = Body("launcher", {0, 100, 0});
    dp.vel = {0, 0, 50};
    HostHandle parent = standin::CreateBody(dp);
    HostHandle child = standin::CreateBody(Body("child", {500, 0, 0}));
    VESSEL vc(child);
    HostHandle point = vc.CreateAttachment(true, {0, 0.2, 0}, {0, 1, 0}, {0, 0, 1}, "WM");
    EXPECT_EQ(vc.GetAttachmentStatus(point), nullptr);
    ASSERT_TRUE(standin::Attach(parent, nullptr, child, point));
    EXPECT_FALSE(standin::Attach(parent, nullptr, child, point)) << "a taken point";
    EXPECT_EQ(vc.GetAttachmentStatus(point), parent);
    EXPECT_EQ(standin::AttachmentById(child, "WM"), point);

    standin::Step(1.0);
    VECTOR3 pos{};
    zapiGetGlobalPos(child, pos);
    EXPECT_EQ(pos.x, 0.0);
    EXPECT_EQ(pos.y, 100.0 - 0.2);
    EXPECT_EQ(pos.z, 50.0);

    standin::Detach(child, point);
    EXPECT_EQ(vc.GetAttachmentStatus(point), nullptr);
    standin::SetPinned(child, true);
    standin::Step(1.0);
    zapiGetGlobalPos(child, pos);
    EXPECT_EQ(pos.z, 50.0) << "pinned: not moved by its velocity";
}

TEST_F(HostRuntime, JournalRecordsCallsWithTheirArguments)
{
    HostHandle a = standin::CreateBody(Body("a"));
    VESSEL va(a);
    standin::ClearJournal();
    HostHandle tex = zapiRegisterExhaustTexture("exhaust2");
    HostHandle r = va.CreatePropellantResource(59.3216300466521, -1, 1);
    HostHandle t = va.CreateThruster({0, 0, -1}, {0, 0, 1}, 7512, r, 2190.7692, 2190.7692, 101400);
    va.AddExhaust(t, 1.5, 0.15, 0.35, tex);
    va.CreateControlSurface(2, 0.07, 0.35, {-0.25, 0, -1.1}, 0, 0xFFFFFFFF);
    va.CreateAttachment(true, {0, 0.2, 0}, {0, 1, 0}, {0, 0, 1}, "WM", false);
    va.AddMesh(zapiLoadMeshGlobal("Karvex"));
    va.SetThrusterLevel(t, 1);
    EXPECT_EQ(JournalTexts(), (std::vector<std::string>{
                                  "zapiRegisterExhaustTexture \"exhaust2\"",
                                  "CreatePropellantResource 59.3216300466521 -1 1",
                                  "CreateThruster (0,0,-1) (0,0,1) 7512 R0 2190.7692 2190.7692 101400",
                                  "AddExhaust T0 1.5 0.15 0.35 X0",
                                  "CreateControlSurface 2 0.07 0.35 (-0.25,0,-1.1) 0 4294967295",
                                  "CreateAttachment true (0,0.2,0) (0,1,0) (0,0,1) \"WM\" false",
                                  "zapiLoadMeshGlobal \"Karvex\"",
                                  "AddMesh M0 null",
                                  "SetThrusterLevel T0 1",
                              }));
    EXPECT_EQ(standin::Journal()[1].vessel, 0);
}

TEST_F(HostRuntime, JournalStopsWhenFullAndNeverOverrunsAnEntry)
{
    config.journalCapacity = 2;
    ResetWorld();
    std::string longName(1000, 'n');
    zapiLoadMeshGlobal(longName.c_str());
    zapiGetSimTime();
    zapiGetSimTime();
    ASSERT_EQ(standin::Journal().size(), 2u);
    EXPECT_EQ(std::string(standin::Journal()[0].text).size(), sizeof(standin::JournalEntry::text) - 1);
}

TEST_F(HostRuntime, DragFunctions)
{
    EXPECT_EQ(zapiGetWaveDrag(0.5, 0.95, 1.1, 1.15, 0.1), 0.0);
    EXPECT_EQ(zapiGetWaveDrag(0.95, 0.95, 1.1, 1.15, 0.1), 0.0);
    EXPECT_EQ(zapiGetWaveDrag(1.1, 0.95, 1.1, 1.15, 0.1), 0.1);
    EXPECT_EQ(zapiGetWaveDrag(1.15, 0.95, 1.1, 1.15, 0.1), 0.1);
    double rising = zapiGetWaveDrag(1.0, 0.95, 1.1, 1.15, 0.1);
    EXPECT_GT(rising, 0.0);
    EXPECT_LT(rising, 0.1);
    EXPECT_NEAR(zapiGetWaveDrag(1.15 + 1e-9, 0.95, 1.1, 1.15, 0.1), 0.1, 1e-6) << "continuous at the third Mach number";
    EXPECT_LT(zapiGetWaveDrag(3.0, 0.95, 1.1, 1.15, 0.1), zapiGetWaveDrag(2.0, 0.95, 1.1, 1.15, 0.1));
    EXPECT_EQ(zapiGetInducedDrag(3.0, 0.747, 0.2), 9.0 / (PI * 0.747 * 0.2));
    EXPECT_EQ(zapiGetInducedDrag(0.0, 0.747, 0.2), 0.0);
    EXPECT_EQ(zapiGetInducedDrag(1.0, 0.0, 0.2), 0.0) << "no wing, no induced drag, no division by zero";
}

TEST_F(HostRuntime, DynamicPressureComesFromAltitudeAndSpeed)
{
    VesselDesc desc = Body("a", {0, 0, 0});
    desc.vel = {0, 0, 100};
    HostHandle a = standin::CreateBody(desc);
    VESSEL va(a);
    EXPECT_NEAR(va.GetDynPressure(), 0.5 * 1.225 * 10000.0, 0.5 * 0.00005 * 10000.0) << "standard density at sea level";
    standin::SetPosition(a, {0, 5000, 0});
    EXPECT_NEAR(va.GetDynPressure(), 0.5 * 0.73643 * 10000.0, 0.5 * 0.000005 * 10000.0) << "standard density at 5 km";
}

TEST_F(HostRuntime, SteadyStepsAllocateNothing)
{
    std::vector<std::string> log;
    log.reserve(64);
    HostHandle a = standin::CreateBody(Body("a", {0, 10, 0}));
    VESSEL va(a);
    HostHandle r = va.CreatePropellantResource(1000.0);
    va.SetThrusterLevel(va.CreateThruster({0, 0, 0}, {0, 0, 1}, 10.0, r, 100.0), 1.0);
    for (int i = 0; i < 100; ++i) {
        standin::CreateBody(Body("target", {0, 0, double(i)}));
    }
    // A missile in free, powered flight: the flight model's integration allocates nothing either.
    VesselDesc missile = Body("missile", {0, 2000, 0});
    missile.vel = {0, 0, 230};
    ASSERT_NE(standin::CreateModuleVessel("Karvex", missile), nullptr) << standin::LastError();
    standin::Step(0.01);
    size_t before = AllocationCount();
    for (int i = 0; i < 50; ++i) {
        standin::Step(0.01);
    }
    EXPECT_EQ(AllocationCount(), before);
}

TEST_F(HostRuntime, ScenarioRoundTripKeepsHostState)
{
    VesselDesc desc = Body("target one", {1.5, 2.25, -3});
    desc.vel = {0.1, 0.2, 0.3};
    desc.pitch = 0.1;
    desc.bank = 0.2;
    desc.heading = 0.3;
    desc.size = 4.5;
    desc.emptyMass = 1234.5;
    HostHandle a = standin::CreateBody(desc);
    VESSEL va(a);
    va.CreatePropellantResource(10.0, 7.25);  // set-up a module would repeat on load; here the host's own
    standin::SetMotion(a, standin::Motion::Pinned);
    standin::PhysicsSettings().rotationalDamping = 75.0;
    standin::SetSimTime(12.5);
    ASSERT_TRUE(standin::SaveScenario("saved.scn")) << standin::LastError();

    ResetWorld();
    EXPECT_NE(standin::PhysicsSettings().rotationalDamping, 75.0) << "a new world starts from the defaults";
    ASSERT_TRUE(standin::LoadScenario("saved.scn")) << standin::LastError();
    ASSERT_EQ(zapiGetVesselCount(), 1u);
    HostHandle b = zapiGetVesselByIndex(0);
    VESSEL vb(b);
    EXPECT_STREQ(vb.GetName(), "target one");
    EXPECT_EQ(vb.GetSize(), 4.5);
    EXPECT_EQ(vb.GetMass(), 1234.5) << "a body's resources are not restored without a module to create them";
    EXPECT_EQ(vb.GetPitch(), 0.1);
    EXPECT_EQ(vb.GetBank(), 0.2);
    VECTOR3 pos{};
    zapiGetGlobalPos(b, pos);
    EXPECT_EQ(pos.y, 2.25);
    EXPECT_EQ(zapiGetSimTime(), 12.5);
    EXPECT_EQ(standin::Find(b)->motion, standin::Motion::Pinned);
    EXPECT_EQ(standin::PhysicsSettings().rotationalDamping, 75.0);
}

TEST_F(HostRuntime, StateFunctionsIgnoreRecordsTheHostDidNotIssue)
{
    HostHandle a = standin::CreateBody(Body("a", {1, 2, 3}));
    VESSEL va(a);
    double foreign[64] = {};
    char line[] = "POS 9 9 9";
    va.ParseScenarioLineEx(line, foreign);
    va.DefSetStateEx(foreign);
    va.DefSetStateEx(nullptr);
    EXPECT_EQ(va.GetAltitude(), 2.0);
    EXPECT_EQ(foreign[0], 0.0);
}

TEST_F(HostRuntime, UnreadableScenarioLinesNameFileLineAndReason)
{
    auto load = [](const char* text) {
        std::ofstream("bad.scn") << text;
        bool ok = standin::LoadScenario("bad.scn");
        return ok ? std::string("loaded") : standin::LastError();
    };
    EXPECT_EQ(load("ZELVAR-STANDIN-SCENARIO 1\nBEGIN_VESSELS\nt:\n  POS 1 2\nEND\nEND_VESSELS\n"),
              "bad.scn:4: expected three finite numbers after the key in \"POS 1 2\"");
    EXPECT_EQ(load("ZELVAR-STANDIN-SCENARIO 1\nBEGIN_VESSELS\nt:\n  POS 1 2 nan\nEND\nEND_VESSELS\n"),
              "bad.scn:4: expected three finite numbers after the key in \"POS 1 2 nan\"");
    EXPECT_EQ(load("ZELVAR-STANDIN-SCENARIO 1\nBEGIN_VESSELS\nt:\n\n  FUEL 3\nEND\nEND_VESSELS\n"),
              "bad.scn:5: unknown key \"FUEL\"");
    EXPECT_EQ(load("ZELVAR-STANDIN-SCENARIO 1\nBEGIN_VESSELS\nt:\n  POS 1 2 3\n"),
              "bad.scn:3: vessel \"t:\" has no \"END\"");
    EXPECT_EQ(load("hello\n"), "bad.scn:1: not a scenario file: expected \"ZELVAR-STANDIN-SCENARIO 1\"");
    EXPECT_EQ(load("ZELVAR-STANDIN-SCENARIO 1\nBEGIN_VESSELS\nt:Nowhere\nEND\nEND_VESSELS\n").rfind(
                  "bad.scn:3: cannot create vessel \"t\": cannot load module ", 0),
              0u);
    EXPECT_FALSE(standin::LoadScenario("missing.scn"));
    EXPECT_NE(standin::LastError().find("missing.scn"), std::string::npos);
}

// Every call through a deleted vessel's handle, or a null one, answers 0, null or "" and changes
// nothing, even on the vessel that took over its slot.
TEST_F(HostRuntime, DeadHandlesReachNothingInTheirReusedSlot)
{
    HostHandle old = standin::CreateBody(Body("old"));
    ASSERT_TRUE(zapiDeleteVessel(old, nullptr));
    standin::Step(0.1);
    VesselDesc desc = Body("new", {1, 2, 3});
    desc.vel = {4, 5, 6};
    HostHandle fresh = standin::CreateBody(desc);
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
    auto named = [](const std::string& name) {
        VesselDesc desc;
        desc.name = name;
        return desc;
    };
    for (const auto& [name, why] : names) {
        EXPECT_EQ(standin::CreateBody(named(name)), nullptr) << name;
        EXPECT_NE(standin::LastError().find(why), std::string::npos) << standin::LastError();
        EXPECT_EQ(standin::LastErrorKind(), standin::ErrorKind::Other);
    }
    EXPECT_NE(standin::CreateBody(named("a\tb")), nullptr) << "a blank inside a name reads back";

    const std::pair<const char*, const char*> classes[] = {
        {nullptr, "no module class given"},
        {"", "no module class given"},
        {"../modules/Karvex", "a module class is a plain name"},
        {"Nowhere", "cannot load module"},
    };
    for (const auto& [className, why] : classes) {
        EXPECT_EQ(standin::CreateModuleVessel(className, Body("m")), nullptr);
        EXPECT_NE(standin::LastError().find(why), std::string::npos) << standin::LastError();
        EXPECT_EQ(standin::LastErrorKind(), standin::ErrorKind::Module);
    }
    // A library that loads but has no entry points: the host's own.
    config.moduleDir = KARVEX_MODULE_DIR "/../lib";
    ResetWorld();
    EXPECT_EQ(standin::CreateModuleVessel("libzelvar_host", Body("m")), nullptr);
    EXPECT_NE(standin::LastError().find("does not export zvcInit and zvcExit"), std::string::npos) << standin::LastError();
    EXPECT_EQ(zapiGetVesselCount(), 0u);

    config.maxVessels = 1;
    config.moduleDir = KARVEX_MODULE_DIR;
    ResetWorld();
    ASSERT_NE(standin::CreateBody(Body("one")), nullptr);
    EXPECT_EQ(standin::CreateBody(Body("two")), nullptr);
    EXPECT_EQ(standin::LastError(), "no free vessel slot: the world holds 1 vessels");
    EXPECT_EQ(standin::CreateModuleVessel("Karvex", Body("K1")), nullptr);
    EXPECT_EQ(standin::LastError(), "no free vessel slot: the world holds 1 vessels");
    EXPECT_EQ(zapiGetVesselCount(), 1u);
}

// A parent hangs children on its own free points, a child hangs by its own free to-parent point,
// the two points face each other, and a deleted parent lets its children go.
TEST_F(HostRuntime, ChildrenHangOnFreePointsFacingEachOther)
{
    HostHandle p = standin::CreateBody(Body("parent", {0, 100, 0}));
    HostHandle c = standin::CreateBody(Body("child"));
    HostHandle other = standin::CreateBody(Body("other"));
    VESSEL vp(p), vc(c), vo(other);
    HostHandle hook = vp.CreateAttachment(true, {0, 1, 0}, {0, 1, 0}, {0, 0, 1}, "UP");
    HostHandle bay = vp.CreateAttachment(false, {1, -1, 2}, {0, -1, 0}, {0, 0, 1}, "BAY");
    HostHandle pylon = vp.CreateAttachment(false, {0, -1, 0}, {0, -1, 0}, {0, 0, 1}, "PYLON");
    // The child hangs nose up from its tail: its point's rotation reference lies along its direction.
    HostHandle tail = vc.CreateAttachment(true, {0, 0, -2}, {0, 0, -1}, {0, 0, -1}, "TAIL");
    HostHandle lug = vc.CreateAttachment(false, {0, 0, 0}, {0, -1, 0}, {0, 0, 1}, "LUG");
    HostHandle otherTail = vo.CreateAttachment(true, {0, 0, 0}, {0, 1, 0}, {0, 0, 1}, "TAIL");

    EXPECT_EQ(vp.GetAttachmentHandle(false, 1), pylon);
    EXPECT_EQ(vp.GetAttachmentHandle(true, 0), hook);
    EXPECT_EQ(vp.GetAttachmentHandle(true, 1), nullptr);
    EXPECT_STREQ(vp.GetAttachmentId(bay), "BAY");
    EXPECT_STREQ(vp.GetAttachmentId(tail), "") << "another vessel's point";
    EXPECT_EQ(standin::AttachmentById(p, nullptr), nullptr);
    EXPECT_EQ(standin::AttachmentById(p, "NONE"), nullptr);

    EXPECT_FALSE(vp.AttachChild(c, lug, tail)) << "the parent's point is the child's";
    EXPECT_FALSE(vp.AttachChild(c, hook, tail)) << "a to-parent point carries nothing";
    EXPECT_FALSE(vp.AttachChild(c, bay, lug)) << "the child's point is no to-parent point";
    EXPECT_FALSE(standin::Attach(c, nullptr, c, tail)) << "onto itself";
    EXPECT_FALSE(standin::Attach(p, bay, c, nullptr));
    ASSERT_TRUE(vp.AttachChild(c, bay, tail));
    EXPECT_FALSE(vp.AttachChild(other, bay, otherTail)) << "a taken point";
    EXPECT_EQ(vp.GetAttachmentStatus(bay), c);
    EXPECT_EQ(vc.GetAttachmentStatus(tail), p);
    EXPECT_EQ(vp.GetAttachmentStatus(pylon), nullptr);

    standin::Step(0.1);
    const standin::VesselState& ps = standin::Find(p)->state;
    const standin::VesselState& cs = standin::Find(c)->state;
    auto global = [](const standin::VesselState& s, const VECTOR3& b) {
        return VECTOR3{s.rot[0][0] * b.x + s.rot[0][1] * b.y + s.rot[0][2] * b.z,
                       s.rot[1][0] * b.x + s.rot[1][1] * b.y + s.rot[1][2] * b.z,
                       s.rot[2][0] * b.x + s.rot[2][1] * b.y + s.rot[2][2] * b.z};
    };
    VECTOR3 childDir = global(cs, {0, 0, -1});
    EXPECT_NEAR(childDir.y, 1.0, 1e-12) << "the tail's direction opposes the bay's: the child stands nose down";
    VECTOR3 bayAt = global(ps, {1, -1, 2}), tailAt = global(cs, {0, 0, -2});
    EXPECT_NEAR(cs.pos.x + tailAt.x, ps.pos.x + bayAt.x, 1e-12);
    EXPECT_NEAR(cs.pos.y + tailAt.y, ps.pos.y + bayAt.y, 1e-12);
    EXPECT_NEAR(cs.pos.z + tailAt.z, ps.pos.z + bayAt.z, 1e-12);

    EXPECT_FALSE(vp.DetachChild(pylon)) << "nothing hangs there";
    EXPECT_FALSE(vp.DetachChild(hook));
    standin::Detach(c, lug);  // the child's own carrying point: nothing to let go
    EXPECT_EQ(vc.GetAttachmentStatus(tail), p);
    ASSERT_TRUE(vp.DetachChild(bay, {0, 0, 3}));
    EXPECT_EQ(vp.GetAttachmentStatus(bay), nullptr);
    EXPECT_EQ(vc.GetAttachmentStatus(tail), nullptr);
    EXPECT_EQ(cs.vel.z, 3.0) << "the push, in the parent's frame";

    ASSERT_TRUE(vp.AttachChild(other, pylon, otherTail));
    ASSERT_TRUE(zapiDeleteVessel(p, nullptr));
    standin::Step(0.1);
    EXPECT_EQ(vo.GetAttachmentStatus(otherTail), nullptr);
    EXPECT_TRUE(standin::Attach(c, lug, other, otherTail)) << "its point is free again";
}

// A module's save writes only keys and values that read back as one line of one key, and nothing
// outside the save; reading lines is for loads only.
class Writer : public VESSEL2 {
public:
    using VESSEL2::VESSEL2;
    void clbkSaveState(HostHandle scn) override
    {
        zapiWriteScenario_float(scn, "GOOD", 1.5);
        zapiWriteScenario_string(scn, "WORD", "two words");
        for (const char* key : {static_cast<const char*>(nullptr), "", "A B", "A\tB", "A\nB"}) {
            zapiWriteScenario_float(scn, key, 2.0);
            zapiWriteScenario_string(scn, key, "x");
        }
        zapiWriteScenario_float(nullptr, "NULLSCN", 3.0);
        zapiWriteScenario_string(nullptr, "NULLSCN", "x");
        zapiWriteScenario_string(scn, "NOVALUE", nullptr);
        zapiWriteScenario_string(scn, "BREAK", "a\nb");
        char* line = nullptr;
        readDuringSave = zapiReadScenario_nextline(scn, line) || zapiReadScenario_nextline(nullptr, line);
        last = scn;
    }
    HostHandle last = nullptr;
    bool readDuringSave = true;
};

TEST_F(HostRuntime, SavesWriteWhatLoadsAgainOrSayWhyNot)
{
    HostHandle w = standin::CreateBody(Body("w"));
    Writer writer(w);
    standin::Bind(w, &writer);
    ASSERT_TRUE(standin::SaveScenario("w.scn")) << standin::LastError();
    EXPECT_NE(ReadFile("w.scn").find("  MOTION kinematic\n  SIZE 1\n  MASS 1\n  GOOD 1.5\n  WORD two words\nEND\n"),
              std::string::npos)
        << ReadFile("w.scn");
    EXPECT_FALSE(writer.readDuringSave);
    zapiWriteScenario_float(writer.last, "LATE", 1.0);  // the file is closed
    EXPECT_EQ(ReadFile("w.scn").find("LATE"), std::string::npos);

    const std::pair<const char*, const char*> failures[] = {
        {nullptr, "no scenario file named"},
        {"no/such/folder/x.scn", "cannot write scenario file no/such/folder/x.scn: "},
        {"/dev/full", "cannot write scenario file /dev/full"},
    };
    for (const auto& [path, why] : failures) {
        EXPECT_FALSE(standin::SaveScenario(path));
        EXPECT_EQ(standin::LastError().rfind(why, 0), 0u) << standin::LastError();
    }
    standin::CreateBody(Body("w"));
    EXPECT_FALSE(standin::SaveScenario("twins.scn"));
    EXPECT_EQ(standin::LastError(), "cannot save scenario file twins.scn: two vessels are named \"w\"");
    EXPECT_FALSE(standin::LoadScenario(nullptr));
    EXPECT_EQ(standin::LastErrorKind(), standin::ErrorKind::File);
}

// Children on their carrier's points and key events still to come are saved, and load as they were;
// a key already delivered is not saved again.
TEST_F(HostRuntime, SavedCarriageAndPendingKeysLoadAsTheyWere)
{
    const std::string text =
        "ZELVAR-STANDIN-SCENARIO 1\nBEGIN_VESSELS\n"
        "C:Carrier\n  POS 0 2000 0\n  MOTION pinned\n  STATION 0 -1.5 0\n  STATION 2 -1.5 0\nEND\n"
        "K1:Karvex\n  ATTACHED 0 1 C\nEND\n"
        "K2:Karvex\n  ATTACHED 0 -1 C\nEND\n"
        "t:\n  QUAT 0 0 0 2\n  KEY 0 0x20 press\n  KEY 5 0x17 press shift alt\n  KEY 6 0x17 release rctrl\nEND\n"
        "END_VESSELS\n";
    ASSERT_TRUE(standin::LoadScenarioText("c.scn", text)) << standin::LastError();
    standin::Step(0.01);
    // Hangs by a plain body's points, which no module declares again on load.
    HostHandle body = standin::CreateBody(Body("body", {0, 500, 0}));
    HostHandle hook = VESSEL(body).CreateAttachment(false, {0, -1, 0}, {0, -1, 0}, {0, 0, 1}, "HOOK");
    HostHandle k3 = standin::CreateModuleVessel("Karvex", Body("K3"));
    HostHandle crate = standin::CreateBody(Body("crate"));
    ASSERT_TRUE(standin::Attach(body, hook, k3, standin::AttachmentById(k3, "WM")));
    ASSERT_TRUE(standin::Attach(body, nullptr, crate, VESSEL(crate).CreateAttachment(true, {}, {0, 1, 0}, {0, 0, 1}, "X")));
    standin::Step(0.01);
    ASSERT_TRUE(standin::SaveScenario("first.scn")) << standin::LastError();
    const std::string first = ReadFile("first.scn");
    for (const char* line : {"  ATTACHED 0 1 C\n", "  ATTACHED 0 -1 C\n", "  QUAT 0 0 0 1\n",
                             "  KEY 5 0x17 press shift alt\n", "  KEY 6 0x17 release rctrl\n"}) {
        EXPECT_NE(first.find(line), std::string::npos) << line << "in\n" << first;
    }
    EXPECT_EQ(first.find("KEY 0 "), std::string::npos) << "delivered already";
    EXPECT_EQ(first.find("body\n"), std::string::npos) << "no hang by a plain body's points";

    ResetWorld();
    ASSERT_TRUE(standin::LoadScenario("first.scn")) << standin::LastError();
    HostHandle c = zapiGetVesselByIndex(0);
    VESSEL carrier(c);
    EXPECT_EQ(carrier.GetAttachmentStatus(carrier.GetAttachmentHandle(false, 1)), zapiGetVesselByIndex(1));
    EXPECT_EQ(carrier.GetAttachmentStatus(carrier.GetAttachmentHandle(false, 0)), nullptr);
    VESSEL k2(zapiGetVesselByIndex(2));
    EXPECT_EQ(k2.GetAttachmentStatus(standin::AttachmentById(k2.GetHandle(), "WM")), c);
    VECTOR3 pos{};
    zapiGetGlobalPos(zapiGetVesselByIndex(6), pos);
    EXPECT_EQ(pos.y, 500.0) << "the crate loads free where it hung";
    ASSERT_TRUE(standin::SaveScenario("second.scn"));
    EXPECT_EQ(ReadFile("second.scn"), first);
}

// Mesh-group transforms need the vessel's current visual and one of its meshes; rotations are
// summed per group and axis.
TEST_F(HostRuntime, MeshgroupTransformsNeedTheCurrentVisualAndAMesh)
{
    VesselDesc desc = Body("a");
    desc.capacity.transforms = 2;  // room for two records; the sums go on
    HostHandle a = standin::CreateBody(desc);
    VESSEL va(a);
    va.AddMesh(zapiLoadMeshGlobal("m"));
    HostHandle first = standin::CreateVisual(a);
    standin::DestroyVisual(a);
    standin::DestroyVisual(a);  // none left: nothing to do
    HostHandle visual = standin::CreateVisual(a);
    EXPECT_EQ(standin::CreateVisual(a), visual) << "one visual at a time";
    EXPECT_NE(visual, first);
    auto turn = [](int mesh, int group, VECTOR3 axis, float angle, int kind = MESHGROUP_ROTATE) {
        return MESHGROUP_TRANSFORM{{0, 0, 0}, axis, angle, mesh, group, kind};
    };
    const std::pair<MESHGROUP_TRANSFORM, bool> rows[] = {
        {turn(0, 0, {1, 0, 0}, 0.25f), true},  {turn(0, 0, {1, 0, 0}, 0.5f), true},
        {turn(0, 0, {0, 1, 0}, 0.125f), true}, {turn(0, 0, {1, 1, 0}, 0.125f), true},
        {turn(0, 0, {1, 0, 1}, 0.125f), true}, {turn(0, 1, {1, 0, 0}, 2.0f), true},
        {turn(0, 1, {1, 0, 0}, 9.0f, MESHGROUP_TRANSLATE), true},
        {turn(1, 0, {1, 0, 0}, 9.0f), false},  {turn(-1, 0, {1, 0, 0}, 9.0f), false},
        {turn(0, -1, {1, 0, 0}, 9.0f), false},
    };
    for (const auto& [transform, applied] : rows) {
        EXPECT_EQ(va.MeshgroupTransform(visual, transform), applied) << transform.mesh << " " << transform.group;
    }
    EXPECT_FALSE(va.MeshgroupTransform(first, turn(0, 0, {1, 0, 0}, 9.0f))) << "an old visual";
    EXPECT_FALSE(va.MeshgroupTransform(nullptr, turn(0, 0, {1, 0, 0}, 9.0f)));
    const std::vector<standin::GroupTurn>& turns = standin::Find(a)->turns;
    ASSERT_EQ(turns.size(), 3u);
    EXPECT_EQ(turns[0].angle, 0.75);
    EXPECT_TRUE(turns[0].lateral);
    EXPECT_EQ(turns[1].angle, 0.375) << "every other axis in one sum";
    EXPECT_FALSE(turns[1].lateral);
    EXPECT_EQ(turns[2].angle, 2.0);
    EXPECT_EQ(standin::Find(a)->transforms.size(), 2u);
}

}  // namespace
