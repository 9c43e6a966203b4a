// A catalogue of hostile inputs for every parser, each with the outcome it must have: weapon
// commands, the module's scenario lines, host scenario files, sweep files and the command line.
#include <cmath>
#include <fstream>

#include "catalogue.h"
#include "missile/guided_missile.h"
#include "missile/weapon_interface.h"
#include "runner/sweep/sweep_definition.h"

namespace {

using catalogue::BIG;
using catalogue::Catalogue;
using catalogue::HEAD;

std::string Repeat(const std::string& line, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += line;
    }
    return text;
}

// Commands on an active missile hanging on a carrier: 1 GETTYPE, 0 done or not a command, -1 unknown.
TEST_F(Catalogue, WeaponCommands)
{
    const std::pair<std::string, int> rows[] = {
        {"", 0},                          {"WEAPON::", -1},                    {"WEAPON:", 0},
        {"WEAPON:ARM", 0},                {"GETTYPE", 0},                      {"WEAPON::GETTYPE", 1},
        {"weapon::gettype", 1},           {"WeApOn::GeTtYpE", 1},              {"WEAPON::GETTYP", -1},
        {"WEAPON::GETTYPEX", 1},          {"WEAPON::WEAPON::GETTYPE", -1},     {" WEAPON::GETTYPE", 0},
        {"WEAPON:: GETTYPE", -1},         {"WEAPON::\tARM", -1},               {"WEAPON::ARM\r\n", 0},
        {std::string("WEAPON::\0ARM", 11), -1}, {std::string("WEAPON::GETTYPE\0X", 17), 1},
        {"WEAPON::ACTIVATE", 0},          {"WEAPON::ACTIVAT", -1},             {"WEAPON::ACTIVATEARM", 0},
        {"WEAPON::SAFE", 0},              {"WEAPON::SAFETY", 0},               {"WEAPON::ARMED", 0},
        {"WEAPON::ar", -1},               {"WEAPON::1e999", -1},               {"WEAPON::NAN", -1},
        {"WEAPON::0x17", -1},             {"WEAPON::-0", -1},                  {"\xff\xfe\xfd", 0},
        {BIG, 0},                         {"WEAPON::GETTYPE" + BIG, 1},        {"WEAPON::" + BIG, -1},
    };
    HostHandle carrier = CreateBodyAt("carrier", {0.0, 10.0, 0.0});
    HostHandle missile = CreateKarvexAt("K1", {0.0, 9.0, 0.0});
    ASSERT_TRUE(standin::Attach(carrier, nullptr, missile, standin::AttachmentById(missile, "WM")));
    VESSEL* weapon = zapiGetVesselInterface(missile);
    ASSERT_EQ(WeaponCommand(weapon, "WEAPON::ACTIVATE"), 0);
    standin::Step(0.01);  // notices it hangs
    for (const auto& [text, answer] : rows) {
        // An exact-length copy on the heap, so that a read past the end is caught by the sanitizer.
        std::vector<char> copy(text.begin(), text.end());
        copy.push_back('\0');
        EXPECT_EQ(WeaponCommand(weapon, copy.data()), answer) << '"' << text.substr(0, 40) << '"';
    }
    EXPECT_EQ(WeaponCommand(weapon, nullptr), 0);
}

// The module's scenario lines: the motor clock it reads, the lines it leaves to the host.
TEST_F(Catalogue, ModuleScenarioLines)
{
    const double SAME = -1.0;  // the clock as constructed: the line changed nothing
    struct Row {
        std::string line;
        double burnTime;
        const char* error;  // the host's complaint when the line reached it, or null
    };
    const Row rows[] = {
        {"BURNTIME 12.5", 12.5, nullptr},      {"burntime 3", 3.0, nullptr},        {"BuRnTiMe 4", 4.0, nullptr},
        {"BURNTIME", SAME, nullptr},           {"BURNTIME nan", SAME, nullptr},     {"BURNTIME inf", SAME, nullptr},
        {"BURNTIME -inf", SAME, nullptr},      {"BURNTIME 1e999", SAME, nullptr},   {"BURNTIME -0", -0.0, nullptr},
        {"BURNTIME 0x10", 16.0, nullptr},      {"BURNTIME 5abc", 5.0, nullptr},     {"BURNTIMEX 3", SAME, nullptr},
        {"BURNTIME\t7", 7.0, nullptr},         {"  BURNTIME 7", 7.0, nullptr},      {"BURNTIME 7\r", 7.0, nullptr},
        {"BURNTIME 1e-320", 1e-320, nullptr},  {"BURNTIME +2", 2.0, nullptr},       {"BURNTIME .5", 0.5, nullptr},
        {"BURNTIME 1,5", 1.0, nullptr},        {"BURNTIME1", 1.0, nullptr},         {"BURNTIME -1", -1.0, nullptr},
        {"BURNTIME " + std::string(65526, '9'), SAME, nullptr},
        {"BURNTIME BURNTIME 3", SAME, nullptr},
        {"BURN 7", SAME, "unknown key \"BURN\""}, {"URNTIME 7", SAME, "unknown key \"URNTIME\""},
        {"POS 1 2 3", SAME, nullptr},          {"POS 1 2", SAME, "expected three finite numbers"},
        {"POS 1 2 nan", SAME, "expected three finite numbers"},
        {"POS 1 2 3 4", SAME, "expected three finite numbers"},
        {"THL 0 2", SAME, "expected an index and a number from 0 to 1"},
        {"PRP -1 3", SAME, "expected an index"}, {BIG, SAME, "unknown key"},
    };
    for (const Row& row : rows) {
        ResetWorld();
        std::string text = HEAD + "BEGIN_VESSELS\nK1:Karvex\n" + row.line + "\nEND\nEND_VESSELS\n";
        bool loaded = standin::LoadScenarioText("m.scn", text);
        std::string shown = row.line.substr(0, 40);
        if (row.error != nullptr) {
            EXPECT_FALSE(loaded) << shown;
            EXPECT_NE(standin::LastError().find(row.error), std::string::npos) << shown << ": " << standin::LastError();
            continue;
        }
        ASSERT_TRUE(loaded) << shown << ": " << standin::LastError();
        auto* m = static_cast<GuidedMissile*>(standin::Find(zapiGetVesselByIndex(0))->callbacks);
        EXPECT_EQ(m->burnTime, row.burnTime) << shown;
        EXPECT_EQ(std::signbit(m->burnTime), std::signbit(row.burnTime)) << shown;
    }
}

// Whole host scenario files: loaded, or refused with the line and the reason.
TEST_F(Catalogue, HostScenarioFiles)
{
    const std::string body = "t:\n  POS 1 2 3\nEND\n";
    const std::pair<std::string, const char*> rows[] = {
        {"", ":1: not a scenario file"},
        {"\n\n\n", ":4: not a scenario file"},
        {HEAD, ":1: expected \"BEGIN_VESSELS\""},
        {HEAD + "BEGIN_VESSELS\nEND_VESSELS\n", nullptr},
        {"zelvar-standin-scenario 1\nBEGIN_VESSELS\nEND_VESSELS\n", ":1: not a scenario file"},
        {"ZELVAR-STANDIN-SCENARIO 1\r\nBEGIN_VESSELS\r\n" + body + "END_VESSELS\r\n", nullptr},
        {HEAD + "\tBEGIN_VESSELS\t\n" + body + "END_VESSELS\n", nullptr},
        {HEAD + "begin_vessels\nEND_VESSELS\n", ":2: unknown key \"begin_vessels\""},
        {HEAD + HEAD + "BEGIN_VESSELS\nEND_VESSELS\n", ":2: unknown key \"ZELVAR-STANDIN-SCENARIO\""},
        {HEAD + "BEGIN_VESSELS\n" + body + "END\nEND_VESSELS\n", ":6: vessel \"END\" has no \"END\""},
        {HEAD + "BEGIN_VESSELS\n" + body + "END_VESSELS\nEND_VESSELS\n", ":7: text after \"END_VESSELS\""},
        {HEAD + "BEGIN_VESSELS\n" + body, "the file ends before \"END_VESSELS\""},
        {HEAD + "TIME nan\nBEGIN_VESSELS\nEND_VESSELS\n", ":2: expected one finite number after TIME"},
        {HEAD + "TIME inf\nBEGIN_VESSELS\nEND_VESSELS\n", ":2: expected one finite number after TIME"},
        {HEAD + "TIME 1e999\nBEGIN_VESSELS\nEND_VESSELS\n", ":2: expected one finite number after TIME"},
        {HEAD + "TIME -0\nBEGIN_VESSELS\nEND_VESSELS\n", nullptr},
        {HEAD + "TIME 0x10\nBEGIN_VESSELS\nEND_VESSELS\n", nullptr},
        {HEAD + "TIME 1 x\nBEGIN_VESSELS\nEND_VESSELS\n", ":2: expected one finite number after TIME"},
        {HEAD + "STEP 0\nBEGIN_VESSELS\nEND_VESSELS\n", ":2: expected one finite positive number after STEP"},
        {HEAD + "TELEMETRY -1\nBEGIN_VESSELS\nEND_VESSELS\n", ":2: expected one finite positive number"},
        {HEAD + "DAMPING -1\nBEGIN_VESSELS\nEND_VESSELS\n", ":2: expected one finite non-negative number"},
        {HEAD + BIG + "\nBEGIN_VESSELS\nEND_VESSELS\n", ":2: unknown key"},
        {HEAD + "BEGIN_VESSELS\n" + BIG + "\nEND\nEND_VESSELS\n", ":3: expected \"<name>:<class>\""},
        {HEAD + "BEGIN_VESSELS\n" + BIG + ":\nEND\nEND_VESSELS\n", nullptr},
        {HEAD + "BEGIN_VESSELS\nt:\n  POS 1 2 99999999999999999999999999\nEND\nEND_VESSELS\n", nullptr},
        {HEAD + "BEGIN_VESSELS\nt:\n  POS 1 2 1e400\nEND\nEND_VESSELS\n", ":4: expected three finite numbers"},
        {HEAD + "BEGIN_VESSELS\nt:\n  SIZE -0\nEND\nEND_VESSELS\n", ":4: expected one positive number"},
        {HEAD + "BEGIN_VESSELS\nt:\n  MOTION Flying\nEND\nEND_VESSELS\n", ":4: expected \"MOTION"},
        {HEAD + "BEGIN_VESSELS\nt:\n  motion LANDED\nEND\nEND_VESSELS\n", nullptr},
        {HEAD + "BEGIN_VESSELS\nt:\n  QUAT 0 0 0 0\nEND\nEND_VESSELS\n", ":4: expected a quaternion"},
        {HEAD + "BEGIN_VESSELS\nK1:Karvex\n  PRP 99999999999999999999 1\nEND\nEND_VESSELS\n", ":4: expected an index"},
        {HEAD + "BEGIN_VESSELS\nK1:Karvex\n  KEY 1 0x17 press hyper\nEND\nEND_VESSELS\n", ":4: unknown modifier"},
        {HEAD + "BEGIN_VESSELS\nK1:Karvex\n  KEY nan 0x17 press\nEND\nEND_VESSELS\n", ":4: expected \"KEY"},
        {HEAD + "TARGET\nBEGIN_VESSELS\nEND_VESSELS\n", nullptr},
        {HEAD + "TIME 1\tx\nBEGIN_VESSELS\nEND_VESSELS\n", ":2: expected one finite number after TIME"},
        {HEAD + "watch t\ntarget t\nBEGIN_VESSELS\n" + body + "END_VESSELS\n", ":2: WATCH names \"t\", which is no weapon"},
        {HEAD + "WATCH K1\nTARGET t\nTARGET t\nBEGIN_VESSELS\nK1:Karvex\nEND\n" + body + "END_VESSELS\n",
         ":4: TARGET names \"t\", given twice"},
        {HEAD + "WATCH K1\nTARGET K1\nBEGIN_VESSELS\nK1:Karvex\nEND\nEND_VESSELS\n", ":3: TARGET names \"K1\", which is watched too"},
        {HEAD + "BEGIN_VESSELS\nC:Carrier\n  STATION 0 -1.5 0\n  AT 2 1 RELEASE 0 -1 0\nEND\nEND_VESSELS\n",
         ":5: \"C\" has no station 1 for \"AT 2 1 RELEASE 0 -1 0\" (its stations are 0 to 0)"},
        {HEAD + "WATCH nobody\nBEGIN_VESSELS\n" + body + "END_VESSELS\n", ":2: WATCH names \"nobody\", which is no vessel"},
        {HEAD + "TARGET nobody\nBEGIN_VESSELS\n" + body + "END_VESSELS\n", ":2: TARGET names \"nobody\""},
        {HEAD + std::string("BEGIN_VESSELS\0\n", 15), ":2: holds a NUL byte"},
        {HEAD + "BEGIN_VESSELS\nt :\nEND\nEND_VESSELS\n", ":3: vessel \"t \": a vessel name may not begin or end"},
        {HEAD + "BEGIN_VESSELS\n" + body + body + "END_VESSELS\n", ":6: a second vessel named \"t\""},
        {HEAD + "BEGIN_VESSELS\nt:\n  POS\t1 2 3\nEND\nEND_VESSELS\n", nullptr},
        {HEAD + "BEGIN_VESSELS\nt:\n  POS 1 -2 3\nEND\nEND_VESSELS\n", ":3: \"t\" starts 2.00 m below the ground"},
        {HEAD + "BEGIN_VESSELS\nC:Carrier\n  POS 0 1 0\n  STATION 0 -1.5 0\nEND\nK1:Karvex\n  ATTACHED 0 0 C\nEND\nEND_VESSELS\n",
         ":7: \"K1\" starts 0.70 m below the ground, hanging from \"C\""},
        {HEAD + "BEGIN_VESSELS\nt:\n  VEL 1\n  SIZE 0\nEND\nEND_VESSELS\n", ":4: expected three finite numbers"},
        {HEAD + "BEGIN_VESSELS\nt:\n  QUAT 1 0 0\nEND\nEND_VESSELS\n", ":4: expected a quaternion"},
        {HEAD + "BEGIN_VESSELS\nt:\n  ATTACHED 0 -1 t\nEND\nEND_VESSELS\n", ":4: the vessel has no point 0 to hang"},
        {HEAD + "BEGIN_VESSELS\nK1:Karvex\n  ATTACHED 0\nEND\nEND_VESSELS\n", ":4: expected \"ATTACHED"},
        {HEAD + "BEGIN_VESSELS\nK1:Karvex\n  ATTACHED 0 -2 t\nEND\nEND_VESSELS\n", ":4: expected \"ATTACHED"},
        {HEAD + "BEGIN_VESSELS\nK1:Karvex\n  ATTACHED 0 -1\nEND\nEND_VESSELS\n", ":4: no parent vessel named"},
        {HEAD + "BEGIN_VESSELS\nK1:Karvex\n  ATTACHED 0 -1 nobody\nEND\nEND_VESSELS\n", ":4: \"K1\" hangs from \"nobody\", which is no vessel"},
        {HEAD + "BEGIN_VESSELS\nK1:Karvex\n  ATTACHED 0 0 t\nEND\n" + body + "END_VESSELS\n", ":4: \"t\" has no point 0 to carry"},
        {HEAD + "BEGIN_VESSELS\nK1:Karvex\n  ATTACHED 0 0 K2\nEND\nK2:Karvex\nEND\nEND_VESSELS\n", ":4: \"K2\" has no point 0 to carry"},
        {HEAD + "BEGIN_VESSELS\nC:Carrier\n  STATION 0 -1.5 0\nEND\nK1:Karvex\n  ATTACHED 0 0 C\nEND\nK2:Karvex\n  ATTACHED 0 0 C\nEND\nEND_VESSELS\n",
         ":10: cannot hang \"K2\" on \"C\": the point is taken"},
        {HEAD + "BEGIN_VESSELS\nC:Carrier\n  POS 0 10 0\nEND\nK1:Karvex\n  ATTACHED 0 -1 C\nEND\nEND_VESSELS\n", nullptr},
        {HEAD + "BEGIN_VESSELS\nK1:Karvex\n  THL 99999999999999999999 1\nEND\nEND_VESSELS\n", ":4: expected an index"},
        {HEAD + "BEGIN_VESSELS\nK1:Karvex\n  THL 0x 1\nEND\nEND_VESSELS\n", ":4: expected an index"},
        {HEAD + "BEGIN_VESSELS\nK1:Karvex\n  THL 0 x\nEND\nEND_VESSELS\n", ":4: expected an index"},
        {HEAD + "BEGIN_VESSELS\nK1:Karvex\n  PRP 0 -1\nEND\nEND_VESSELS\n", ":4: expected an index"},
        {HEAD + "BEGIN_VESSELS\nK1:Karvex\n  THL 50 1\nEND\nEND_VESSELS\n", ":4: thruster 50 is out of range: the vessel has"},
        {HEAD + "BEGIN_VESSELS\nK1:Karvex\n" + Repeat("  THL 0 1\n", 129) + "END\nEND_VESSELS\n", ":132: too many lines for thrusters"},
        {HEAD + "BEGIN_VESSELS\nK1:Karvex\n" + Repeat("  KEY 1 0x17 press\n", 129) + "END\nEND_VESSELS\n", ":132: too many KEY lines"},
        {HEAD + "BEGIN_VESSELS\nK1:Karvex\n  KEY -1 0x17 press\nEND\nEND_VESSELS\n", ":4: expected \"KEY"},
        {HEAD + "BEGIN_VESSELS\nK1:Karvex\n  KEY 1x 0x17 press\nEND\nEND_VESSELS\n", ":4: expected \"KEY"},
        {HEAD + "BEGIN_VESSELS\nK1:Karvex\n  KEY 1 256 press\nEND\nEND_VESSELS\n", ":4: expected \"KEY"},
        {HEAD + "BEGIN_VESSELS\nK1:Karvex\n  KEY 1 0x17 hold\nEND\nEND_VESSELS\n", ":4: expected \"KEY"},
        {HEAD + "BEGIN_VESSELS\nK1:Karvex\n  KEY 1\t0x17\tRelease\tshift  ALT\nEND\nEND_VESSELS\n", nullptr},
    };
    ExpectScenarios(rows);
}

// Sweep files: read, or refused with the line and the reason.
TEST_F(Catalogue, SweepFiles)
{
    const std::string head = "KARVEX-SWEEP 1\nSCENARIO " KARVEX_SCENARIO_DIR "/reference.scn\n";
    const std::string runs = head + "RUNS 3\n";
    const std::pair<std::string, const char*> rows[] = {
        {"", ":1: not a sweep file"},
        {"karvex-sweep 1\n", ":1: not a sweep file"},
        {"KARVEX-SWEEP 1\n", ": no SCENARIO line"},
        {head, ": no RUNS line"},
        {runs, nullptr},
        {"KARVEX-SWEEP 1\r\nSCENARIO " KARVEX_SCENARIO_DIR "/reference.scn\r\nRUNS 3\r\n", nullptr},
        {"KARVEX-SWEEP 1\n\tSCENARIO\t" KARVEX_SCENARIO_DIR "/reference.scn\nRUNS\t3\n", nullptr},
        {"KARVEX-SWEEP 1\nKARVEX-SWEEP 1\n", ":2: unknown line"},
        {head + "runs 3\nseed 4\nvary Carrier.y UNIFORM 1 2\n", nullptr},
        {head + "RUNS 0\n", ":3: RUNS must be a whole number"},
        {head + "RUNS -3\n", ":3: RUNS must be a whole number"},
        {head + "RUNS 3.5\n", ":3: RUNS must be a whole number"},
        {head + "RUNS 0x10\n", ":3: RUNS must be a whole number"},
        {head + "RUNS 99999999999999999999\n", ":3: RUNS must be a whole number"},
        {head + "RUNS 3 4\n", ":3: unknown line"},
        {runs + "SEED 18446744073709551615\n", nullptr},
        {runs + "SEED 18446744073709551616\n", ":4: SEED must be a whole number"},
        {runs + "SEED -0\n", ":4: SEED must be a whole number"},
        {runs + "SEED nan\n", ":4: SEED must be a whole number"},
        {runs + "VARY Carrier.y uniform nan 2\n", ":4: expected two finite numbers"},
        {runs + "VARY Carrier.y uniform 1 inf\n", ":4: expected two finite numbers"},
        {runs + "VARY Carrier.y uniform 1 2x\n", ":4: expected two finite numbers"},
        {runs + "VARY Carrier.y uniform -0 0\n", nullptr},
        {runs + "VARY Carrier.y normal 1 -0\n", nullptr},
        {runs + "VARY Carrier.y normal 1 -1e-300\n", ":4: negative deviation"},
        {runs + "VARY Carrier.y uniform 2 1\n", ":4: uniform bounds reversed"},
        {runs + "VARY Carrier.y triangular 1 2\n", ":4: unknown distribution"},
        {runs + "VARY Carrier.Y uniform 1 2\n", ":4: unknown quantity"},
        {runs + "VARY Carrier uniform 1 2\n", ":4: unknown quantity"},
        {runs + "VARY .y uniform 1 2\n", ":4: unknown quantity"},
        {runs + "VARY Carrier.y.y uniform 1 2\n", "no vessel named \"Carrier.y\""},
        {runs + "VARY " + BIG + ".y uniform 1 2\n", "no vessel named"},
        {runs + BIG + "\n", ":4: unknown line"},
        {std::string("KARVEX-SWEEP 1\0\n", 16), ":1: not a sweep file"},
    };
    catalogue::ExpectDefinitionFiles(rows, "c.sweep", [](std::string& why) {
        runner::BatchDefinition spec;
        return runner::ReadSweep("c.sweep", spec, why);
    });
}

// The command line: each hostile invocation ends with its exit status and never crashes.
TEST_F(Catalogue, CommandLines)
{
    const std::string scenario = KARVEX_SCENARIO_DIR "/safe_release.scn";
    std::ofstream("empty.scn").flush();
    const std::pair<std::vector<std::string>, int> rows[] = {
        {{}, 2},
        {{""}, 2},
        {{"RUN", scenario}, 2},
        {{"run"}, 2},
        {{"run", ""}, 3},
        {{"run", "empty.scn", "-q"}, 3},
        {{"run", "/dev/null", "-q"}, 3},
        {{"run", "/", "-q"}, 3},
        {{"run", scenario, "-q", "--out", "o1"}, 0},
        {{"run", scenario, "--quiet", "--out=o2"}, 0},
        {{"run", scenario, "-q", "--out"}, 2},
        {{"run", scenario, "--bogus"}, 2},
        {{"run", scenario, scenario}, 2},
        {{"run", scenario, "-q", "--out", "/proc/x"}, 1},
        {{"run", scenario, "-q", "--modules", "/nonexistent", "--out", "o3"}, 4},
        {{"run", scenario, "-q", "--modules", "", "--out", "o4"}, 4},
        {{"run", "missing.scn", "-q", "--out", "/"}, 2},
        {{"run", std::string(BIG), "-q"}, 3},
        {{"run", std::string("\xff\xfe"), "-q"}, 3},
        {{"inspect"}, 2},
        {{"inspect", "Nothing", "--modules", KARVEX_MODULE_DIR}, 4},
        {{"inspect", "../modules/Karvex", "--modules", KARVEX_MODULE_DIR}, 4},
        {{"inspect", "Karvex", "--modules", KARVEX_MODULE_DIR}, 0},
        {{"plot"}, 2},
        {{"plot", "nowhere"}, 3},
        {{"sweep"}, 2},
        {{"sweep", "missing.sweep", "-q"}, 3},
        {{"sweep", KARVEX_TEST_DATA_DIR "/small.sweep", "--shard", "0/3", "-q", "--out", "s1"}, 2},
        {{"sweep", KARVEX_TEST_DATA_DIR "/small.sweep", "--shard", "4/3", "-q", "--out", "s2"}, 2},
        {{"sweep", KARVEX_TEST_DATA_DIR "/small.sweep", "--shard", "1/x", "-q", "--out", "s3"}, 2},
        {{"sweep", KARVEX_TEST_DATA_DIR "/small.sweep", "--jobs", "0", "-q"}, 2},
        {{"sweep", KARVEX_TEST_DATA_DIR "/small.sweep", "--jobs", "-1", "-q"}, 2},
        {{"merge"}, 2},
        {{"merge", "--out", "m", "nowhere"}, 3},
        {{"merge", "--out", "/", "nowhere"}, 2},
        {{"sweep", "missing.sweep", "-q", "--out", "/"}, 2},
        {{"sweep", "missing.sweep", "-q", "--modules", ""}, 4},
        {{"envelope", "missing.envelope", "-q", "--out", "/"}, 2},
        {{"--help"}, 0},
        {{"--version-that-does-not-exist"}, 2},
    };
    catalogue::ExpectExitStatuses(KARVEX_PROGRAM, rows);
}

}  // namespace
