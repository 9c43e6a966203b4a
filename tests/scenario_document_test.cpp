// Scenario documents: every key of the table reads back what it writes, a file survives a read and
// a write, and a dispersion edits typed fields and the carrier's release, not text.
#include <cmath>
#include <fstream>
#include <sstream>

#include "formats/scenario_keys.h"
#include "runner/sweep/sweep_definition.h"
#include "test_support.h"

namespace {

using formats::Key;

formats::ScenarioDocument Parse(const std::string& path)
{
    std::ifstream in(path);
    formats::ScenarioDocument doc;
    std::string error;
    EXPECT_TRUE(formats::ParseScenario(path, in, doc, error)) << error;
    return doc;
}

// One row per key: a line as a user might write it, and the line the table writes back. A new key
// adds its row here.
struct KeyRow {
    Key key;
    const char* written;
    const char* canonical;
};

const KeyRow ROWS[] = {
    {Key::Time, "time -12.5", "TIME -12.5"},
    {Key::Step, "STEP 1e-2", "STEP 0.01"},
    {Key::End, "END 0", "END 0"},
    {Key::Telemetry, "TELEMETRY 20", "TELEMETRY 20"},
    {Key::Damping, "DAMPING 0.1", "DAMPING 0.1"},
    {Key::Watch, "WATCH  K 1 ", "WATCH K 1"},
    {Key::Target, "TARGET Tgt,1", "TARGET Tgt,1"},
    {Key::Planet, "planet Earth", "PLANET earth"},
    {Key::PlanetRadius, "PLANET_RADIUS 6.371e6", "PLANET_RADIUS 6371000"},
    {Key::PlanetFlattening, "PLANET_FLATTENING 0.0033528106647474805", "PLANET_FLATTENING 0.0033528106647474805"},
    {Key::PlanetGm, "PLANET_GM 3.986004418e14", "PLANET_GM 398600441800000"},
    {Key::PlanetJ2, "PLANET_J2 0", "PLANET_J2 0"},
    {Key::PlanetRotation, "PLANET_ROTATION 7.292115e-5", "PLANET_ROTATION 7.292115e-05"},
    {Key::Wind, "wind 7.5 270 Power", "WIND 7.5 270 power 0.14285714285714285"},
    {Key::WindRow, "WIND_ROW 100 2 -1.5", "WIND_ROW 100 2 -1.5"},
    {Key::Turbulence, "TURBULENCE Severe 18446744073709551615", "TURBULENCE severe 18446744073709551615"},
    {Key::TurbulenceW20, "TURBULENCE_W20 15.24", "TURBULENCE_W20 15.24"},
    {Key::Gust, "GUST 10 120 0 5e0 -0.5", "GUST 10 120 0 5 -0.5"},
    {Key::Pos, "POS 0.1 -2e3 3", "POS 0.1 -2000 3"},
    {Key::Vel, "vel 0 0 230", "VEL 0 0 230"},
    {Key::Location, "LOCATION -90 190.5 2e3", "LOCATION -90 190.5 2000"},
    {Key::GroundVel, "GROUNDVEL 0 -1.5 230", "GROUNDVEL 0 -1.5 230"},
    {Key::Att, "ATT 0.30000000000000004 0 -1", "ATT 0.30000000000000004 0 -1"},
    {Key::Quat, "QUAT 0.5 0.5 0.5 0.5", "QUAT 0.5 0.5 0.5 0.5"},
    {Key::Avel, "AVEL 1 2 3", "AVEL 1 2 3"},
    {Key::Motion, "MOTION Landed", "MOTION landed"},
    {Key::Size, "SIZE 10", "SIZE 10"},
    {Key::Mass, "MASS 2.5e4", "MASS 25000"},
    {Key::Pmi, "PMI 0.4 0.4 0", "PMI 0.4 0.4 0"},
    {Key::CrossSections, "CROSS_SECTIONS 0.785 0.785 0.785", "CROSS_SECTIONS 0.785 0.785 0.785"},
    {Key::Prp, "PRP 1 12.5", "PRP 1 12.5"},
    {Key::Thl, "THL 07 1", "THL 7 1"},
    {Key::Attached, "ATTACHED 0 -1 The Carrier", "ATTACHED 0 -1 The Carrier"},
    {Key::KeyEvent, "KEY 1.5 57 press ALT shift", "KEY 1.5 0x39 press shift alt"},
    {Key::Course, "COURSE 90 15", "COURSE 90 15 2"},
    {Key::Route, "route LOOP accel 1.96133", "ROUTE loop accel 1.96133 1"},
    {Key::Waypoint, "WAYPOINT 40.08 15.001 15 0", "WAYPOINT 40.08 15.001 15 0"},
    {Key::Weave, "WEAVE 50 20", "WEAVE 50 20 0"},
    {Key::Trigger, "TRIGGER range 2e3  The Carrier ", "TRIGGER range 2000 The Carrier"},
    {Key::Reaction, "REACTION turn Left 90 rate 5 20", "REACTION turn left 90 rate 5 20"},
    {Key::Place, "PLACE 0.6 0.8 -1 0 1e-3", "PLACE 0.6 0.8 -1 0 0.001"},
};

TEST(ScenarioKeys, EveryKeyReadsBackWhatItWrites)
{
    ASSERT_EQ(std::size(ROWS), static_cast<size_t>(formats::KEY_COUNT)) << "every key has its row";
    for (const KeyRow& row : ROWS) {
        const formats::Section section = formats::EntryOf(row.key).section;
        formats::HostLine first, again;
        std::string why, text, back;
        ASSERT_TRUE(formats::ReadHostLine(row.written, section, first, why)) << row.written << ": " << why;
        EXPECT_EQ(first.key, row.key) << row.written;
        formats::AppendHostLine(first, text);
        EXPECT_EQ(text, row.canonical);
        ASSERT_TRUE(formats::ReadHostLine(text.c_str(), section, again, why)) << why;
        formats::AppendHostLine(again, back);
        EXPECT_EQ(back, text);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(again.number[i], first.number[i]) << text;
        }
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(again.integer[i], first.integer[i]) << text;
        }
        EXPECT_EQ(again.word, first.word);
    }
    // A key of the other section is no key there.
    formats::HostLine line;
    std::string why;
    EXPECT_FALSE(formats::ReadHostLine("POS 1 2 3", formats::Section::Settings, line, why));
    EXPECT_FALSE(formats::ReadHostLine("TIME 1", formats::Section::Vessel, line, why));
    EXPECT_EQ(why, "unknown key \"TIME\"");
}

TEST(ScenarioDocument, ReadAndWrittenKeepsEveryLineInOrder)
{
    formats::ScenarioDocument doc = Parse(KARVEX_SCENARIO_DIR "/reference_flat.scn");
    ASSERT_EQ(doc.vessels.size(), 3u);
    const formats::ScenarioVessel& carrier = doc.vessels[0];
    EXPECT_EQ(carrier.className, "Carrier");
    EXPECT_EQ(doc.vessels[2].className, "");
    // Host lines are typed, the module's stay text, in file order, with their line numbers.
    ASSERT_GE(carrier.lines.size(), 6u);
    EXPECT_TRUE(carrier.lines[0].host);
    EXPECT_EQ(carrier.lines[0].value.number[1], 2000.0);
    EXPECT_FALSE(carrier.lines[4].host);
    EXPECT_EQ(carrier.lines[4].text, "STATION 0 -1.5 0");
    EXPECT_EQ(carrier.lines[4].line, carrier.line + 5);
    std::string text = formats::WriteScenario(doc);
    std::istringstream in(text);
    formats::ScenarioDocument again;
    std::string error;
    ASSERT_TRUE(formats::ParseScenario("again.scn", in, again, error)) << error;
    EXPECT_EQ(formats::WriteScenario(again), text);
    EXPECT_EQ(text.find(';'), std::string::npos) << "comments are not kept";
}

TEST(ScenarioDocument, DispersionsEditTypedFieldsAndTheRelease)
{
    runner::BatchDefinition spec;
    spec.scenarioPath = KARVEX_SCENARIO_DIR "/reference_flat.scn";
    spec.base = Parse(spec.scenarioPath);
    auto vary = [](const char* vessel, const char* field) {
        runner::Dispersion d;
        d.vessel = vessel;
        d.field = field;
        d.quantity = std::string(vessel) + "." + field;
        return d;
    };
    spec.dispersions = {vary("Carrier", "y"), vary("Carrier", "heading"), vary("Carrier", "release"),
                        vary("Target", "vx")};
    formats::ScenarioDocument doc;
    std::string error;
    ASSERT_TRUE(runner::RunScenario(spec, {1800.0, 0.5, 6.25, 3.0}, doc, error)) << error;
    formats::ScenarioVessel& carrier = *formats::FindVessel(doc, "Carrier");
    EXPECT_EQ(formats::LastLine(carrier, Key::Pos)->number[1], 1800.0);
    EXPECT_EQ(formats::LastLine(carrier, Key::Vel)->number[0], 230.0 * std::sin(0.5));
    EXPECT_EQ(formats::LastLine(carrier, Key::Att)->number[2], 0.5);
    // Everything due at the release moves with it; what came before stays.
    std::string text = formats::WriteScenario(doc);
    EXPECT_NE(text.find("  AT 0 0 ACTIVATE\n"), std::string::npos);
    EXPECT_NE(text.find("  AT 6.25 0 ARM\n  AT 6.25 0 RELEASE 0 -1 0\n"), std::string::npos) << text;
    // A missing line is made at the vessel's start.
    formats::ScenarioVessel& target = *formats::FindVessel(doc, "Target");
    EXPECT_EQ(target.lines[0].value.key, Key::Vel);
    EXPECT_EQ(target.lines[0].value.number[0], 3.0);
    // The base stays as it was read.
    EXPECT_EQ(formats::LastLine(*formats::FindVessel(spec.base, "Carrier"), Key::Pos)->number[1], 2000.0);

    spec.dispersions = {vary("Target", "release")};
    EXPECT_FALSE(runner::RunScenario(spec, {1.0}, doc, error));
    EXPECT_NE(error.find("\"Target\" releases nothing"), std::string::npos) << error;
}

// A ripple spaces the releases by rank, earliest first, a tie in station order, the first keeping
// its time; a station's release moves that station's actions due with it and no other's.
TEST(ScenarioDocument, RippleAndAStationsReleaseMoveOnlyTheirStationsActions)
{
    formats::ScenarioVessel carrier;
    carrier.name = "C";
    for (const char* text : {"STATION 0 0 0", "STATION 1 0 0", "STATION 2 0 0", "AT 3 2 ARM", "AT 3 2 RELEASE",
                             "AT 5 0 ARM", "AT 5 0 RELEASE", "AT 3 1 RELEASE", "AT 5 1 SAFE"}) {
        carrier.lines.push_back({.line = 0, .host = false, .value = {}, .text = text});
    }
    auto texts = [&] {
        std::string all;
        for (const formats::ScenarioLine& line : carrier.lines) {
            all += line.text + "\n";
        }
        return all;
    };
    ASSERT_TRUE(formats::SetRipple(carrier, 0.5));
    EXPECT_EQ(texts(), "STATION 0 0 0\nSTATION 1 0 0\nSTATION 2 0 0\nAT 3.5 2 ARM\nAT 3.5 2 RELEASE\n"
                       "AT 4 0 ARM\nAT 4 0 RELEASE\nAT 3 1 RELEASE\nAT 5 1 SAFE\n");
    ASSERT_TRUE(formats::MoveStationRelease(carrier, 1, 7.0));
    EXPECT_NE(texts().find("AT 7 1 RELEASE\nAT 5 1 SAFE\n"), std::string::npos) << texts();
    EXPECT_FALSE(formats::MoveStationRelease(carrier, 3, 1.0));
    carrier.lines.resize(5);
    EXPECT_FALSE(formats::SetRipple(carrier, 1.0)) << "one releasing station has no ripple";
}

// A course made from the truck's velocity takes the speed drawn after it; a weave or a trigger's
// range is set only where the vessel has one.
TEST(ScenarioDocument, DispersionsSteerAMovingTarget)
{
    runner::BatchDefinition spec;
    spec.scenarioPath = KARVEX_SCENARIO_DIR "/moving_target.scn";
    spec.base = Parse(spec.scenarioPath);
    spec.dispersions = {{.quantity = "Truck.course", .vessel = "Truck", .field = "course"},
                        {.quantity = "Truck.speed", .vessel = "Truck", .field = "speed"}};
    formats::ScenarioDocument doc;
    std::string error;
    ASSERT_TRUE(runner::RunScenario(spec, {135.0, 9.5}, doc, error)) << error;
    const formats::HostLine& course = *formats::LastLine(*formats::FindVessel(doc, "Truck"), Key::Course);
    EXPECT_EQ(course.number[0], 135.0);
    EXPECT_EQ(course.number[1], 9.5);
    for (const char* field : {"weave_amplitude", "trigger_range"}) {
        spec.dispersions = {{.quantity = std::string("Truck.") + field, .vessel = "Truck", .field = field}};
        EXPECT_FALSE(runner::RunScenario(spec, {10.0}, doc, error));
        EXPECT_NE(error.find("\"Truck\" has no "), std::string::npos) << error;
    }
}

// A document edited in code loads as a file would: the later of two lines wins, and a line an edit
// made is reported at its vessel's header, with the world left as it was.
using ScenarioDocumentLoad = WorldTest;

TEST_F(ScenarioDocumentLoad, AnEditedDocumentNamesItsVesselWhenItFails)
{
    formats::ScenarioDocument doc = Parse(KARVEX_SCENARIO_DIR "/reference_flat.scn");
    formats::ScenarioVessel& target = *formats::FindVessel(doc, "Target");
    formats::ScenarioLine moved = target.lines[0];
    moved.line = 0;
    moved.value.key = Key::Pos;
    moved.value.number[0] = 123.5;
    target.lines.push_back(moved);
    ASSERT_TRUE(standin::LoadScenarioDocument(doc)) << standin::LastError();
    VECTOR3 pos{};
    zapiGetGlobalPos(zapiGetVesselByIndex(2), pos);
    EXPECT_EQ(pos.x, 123.5);

    ResetWorld();
    formats::HostLine& level = formats::LineFor(target, Key::Thl);
    level.integer[0] = 3;
    level.number[0] = 1.0;
    EXPECT_FALSE(standin::LoadScenarioDocument(doc));
    EXPECT_EQ(standin::LastError(), doc.path + ":" + std::to_string(target.line) +
                                        ": thruster 3 is out of range: the vessel has 0");
    EXPECT_EQ(zapiGetVesselCount(), 0u);
}

}  // namespace
