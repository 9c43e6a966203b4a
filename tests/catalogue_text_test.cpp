// The catalogue's texts that are not UTF-8: names, classes and lines that would reach the JSON
// outputs, each refused where it is read, with its line and the byte that breaks it.
#include <filesystem>
#include <fstream>

#include "catalogue.h"
#include "formats/scenario_document.h"
#include "formats/scenario_keys.h"
#include "runner/envelope/envelope_definition.h"
#include "runner/sweep/sweep_definition.h"

namespace {

using catalogue::Catalogue;
using catalogue::HEAD;

const std::string VESSELS = "BEGIN_VESSELS\n";
const std::string TAIL = "END\nEND_VESSELS\n";

// Scenario files: UTF-8 names of any length load; a byte that begins no well-formed sequence is
// refused at its line, wherever it stands.
TEST_F(Catalogue, ScenarioTextThatIsNotUtf8)
{
    const std::pair<std::string, const char*> rows[] = {
        {HEAD + VESSELS + "K\xC3\xA9:Karvex\n" + TAIL, nullptr},
        {HEAD + VESSELS + "t\xE6\x97\xA5\xF0\x9F\x9A\x80:\n" + TAIL, nullptr},
        {HEAD + VESSELS + "K\xFF" "1:Karvex\n" + TAIL, ":3: not UTF-8 text: byte 0xFF at column 2"},
        {HEAD + VESSELS + "\x80t:\n" + TAIL, ":3: not UTF-8 text: byte 0x80 at column 1"},
        {HEAD + VESSELS + "t\xC0\xAF:\n" + TAIL, ":3: not UTF-8 text: byte 0xC0 at column 2"},
        {HEAD + VESSELS + "t\xED\xA0\x80:\n" + TAIL, ":3: not UTF-8 text: byte 0xED at column 2"},
        {HEAD + VESSELS + "t\xF4\x90\x80\x80:\n" + TAIL, ":3: not UTF-8 text: byte 0xF4 at column 2"},
        {HEAD + VESSELS + "t\xE6\x97:\n" + TAIL, ":3: not UTF-8 text: byte 0xE6 at column 2"},
        {HEAD + VESSELS + "t\xE6\x97", ":3: not UTF-8 text: byte 0xE6 at column 2"},
        {HEAD + VESSELS + "t:Kar\xE9vex\n" + TAIL, ":3: not UTF-8 text: byte 0xE9 at column 6"},
        {HEAD + VESSELS + "K1:Karvex\n  NOTE caf\xE9\n" + TAIL, ":4: not UTF-8 text: byte 0xE9 at column 11"},
        {HEAD + "WATCH K\xFF\n" + VESSELS + "END_VESSELS\n", ":2: not UTF-8 text: byte 0xFF at column 8"},
        {HEAD + "BEGIN_VESSELS ; caf\xE9\nEND_VESSELS\n", ":2: not UTF-8 text"},
    };
    ExpectScenarios(rows);
}

// The other ways in: a line given to a scenario, a vessel's name, steering lines, sweep and
// envelope lines; and the program, which refuses the file before it flies, leaving no summary.
TEST_F(Catalogue, OtherTextThatIsNotUtf8)
{
    formats::ScenarioLine line;
    std::string why;
    EXPECT_FALSE(formats::ReadScenarioLine("NOTE caf\xE9", formats::Section::Vessel, line, why));
    EXPECT_EQ(why, "not UTF-8 text: byte 0xE9 at column 9");
    EXPECT_EQ(formats::VesselNameProblem("K\xFF"), "a vessel name is not UTF-8 text: byte 0xFF at column 2");
    EXPECT_EQ(formats::VesselNameProblem("K\xC3\xA9"), "");

    ASSERT_TRUE(standin::LoadScenarioText("s.scn", HEAD + VESSELS + "K1:Karvex\nEND\nt:\n  MOTION kinematic\n"
                                                           "  COURSE 90 10\n" + TAIL))
        << standin::LastError();
    EXPECT_EQ(standin::Steer(zapiGetVesselByIndex(1), "COURSE 90 10\nTRIGGER release K\xFF\nREACTION stop"),
              "steering:2: not UTF-8 text: byte 0xFF at column 18");

    const std::string sweep = "KARVEX-SWEEP 1\nSCENARIO " KARVEX_SCENARIO_DIR "/reference.scn\nRUNS 3\n";
    const std::pair<std::string, const char*> sweeps[] = {
        {sweep + "VARY Carri\xE9r.y uniform 1 2\n", ":4: not UTF-8 text: byte 0xE9 at column 11"},
    };
    catalogue::ExpectDefinitionFiles(sweeps, "c.sweep", [](std::string& reason) {
        runner::BatchDefinition spec;
        return runner::ReadSweep("c.sweep", spec, reason);
    });
    const std::string envelope = "KARVEX-ENVELOPE 1\nSCENARIO " KARVEX_SCENARIO_DIR "/reference.scn\nCARRIER Carri\xE9r\n";
    const std::pair<std::string, const char*> envelopes[] = {
        {envelope, ":3: not UTF-8 text: byte 0xE9 at column 14"},
    };
    catalogue::ExpectDefinitionFiles(envelopes, "c.envelope", [](std::string& reason) {
        runner::EnvelopeDefinition def;
        return runner::ReadEnvelope("c.envelope", def, reason);
    });

    std::ifstream in(KARVEX_SCENARIO_DIR "/safe_release.scn");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const std::string from : {"Carrier:Carrier", "ATTACHED 0 0 Carrier"}) {
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at + from.find("Carrier"), 7, "Carri\xE9r");  // the carrier's name, in Latin-1
    }
    std::ofstream("latin.scn", std::ios::binary) << text;
    const std::pair<std::vector<std::string>, int> runs[] = {{{"run", "latin.scn", "-q", "--out", "latin"}, 3}};
    catalogue::ExpectExitStatuses(KARVEX_PROGRAM, runs);
    EXPECT_FALSE(std::filesystem::exists("latin/summary.json"));
}

}  // namespace
