// The stand-in host's scenario files: what a save keeps, what a load refuses and why, and what a
// module may write.
#include <fstream>
#include <string>
#include <utility>

#include "host/zelvar.h"
#include "runtime/host_control.h"
#include "test_support.h"

namespace {

using HostRuntime = WorldTest;
using standin::VesselDesc;

TEST_F(HostRuntime, ScenarioRoundTripKeepsHostState)
{
    VesselDesc desc = Desc("target one", {1.5, 2.25, -3}, {0.1, 0.2, 0.3});
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
    HostHandle a = standin::CreateBody(Desc("a", {1, 2, 3}));
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
    HostHandle w = standin::CreateBody(Desc("w"));
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
    standin::CreateBody(Desc("w"));
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
    HostHandle body = standin::CreateBody(Desc("body", {0, 500, 0}));
    HostHandle hook = VESSEL(body).CreateAttachment(false, {0, -1, 0}, {0, -1, 0}, {0, 0, 1}, "HOOK");
    HostHandle k3 = standin::CreateModuleVessel("Karvex", Desc("K3"));
    HostHandle crate = standin::CreateBody(Desc("crate"));
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

}  // namespace
