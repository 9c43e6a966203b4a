// The stand-in host's frame: the order of the callbacks, propellant drawn by thrusters, the journal,
// drag and dynamic pressure, and steady steps that allocate nothing.
#include <cmath>
#include <string>
#include <vector>

#include "allocation_counter.h"
#include "host/zelvar.h"
#include "runtime/host_control.h"
#include "test_support.h"

namespace {

using HostRuntime = WorldTest;

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

TEST_F(HostRuntime, FrameRunsEachStageForEveryVesselAndDeletesAtTheEnd)
{
    std::vector<std::string> log;
    HostHandle a = standin::CreateBody(Desc("a"));
    HostHandle b = standin::CreateBody(Desc("b"));
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
    HostHandle a = standin::CreateBody(Desc("a"));
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

TEST_F(HostRuntime, JournalRecordsCallsWithTheirArguments)
{
    HostHandle a = standin::CreateBody(Desc("a"));
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
    HostHandle a = standin::CreateBody(Desc("a", {0, 0, 0}, {0, 0, 100}));
    VESSEL va(a);
    EXPECT_NEAR(va.GetDynPressure(), 0.5 * 1.225 * 10000.0, 0.5 * 0.00005 * 10000.0) << "standard density at sea level";
    standin::SetPosition(a, {0, 5000, 0});
    EXPECT_NEAR(va.GetDynPressure(), 0.5 * 0.73643 * 10000.0, 0.5 * 0.000005 * 10000.0) << "standard density at 5 km";
}

TEST_F(HostRuntime, SteadyStepsAllocateNothing)
{
    std::vector<std::string> log;
    log.reserve(64);
    HostHandle a = standin::CreateBody(Desc("a", {0, 10, 0}));
    VESSEL va(a);
    HostHandle r = va.CreatePropellantResource(1000.0);
    va.SetThrusterLevel(va.CreateThruster({0, 0, 0}, {0, 0, 1}, 10.0, r, 100.0), 1.0);
    for (int i = 0; i < 100; ++i) {
        standin::CreateBody(Desc("target", {0, 0, double(i)}));
    }
    // A missile in free, powered flight: the flight model's integration allocates nothing either.
    HostHandle missile = standin::CreateModuleVessel("Karvex", Desc("missile", {0, 2000, 0}, {0, 0, 230}));
    ASSERT_NE(missile, nullptr) << standin::LastError();
    standin::Step(0.01);
    size_t before = AllocationCount();
    for (int i = 0; i < 50; ++i) {
        standin::Step(0.01);
    }
    EXPECT_EQ(AllocationCount(), before);
}

}  // namespace
