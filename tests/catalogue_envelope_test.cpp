// The catalogue's envelope rows: hostile envelope files, each refused with its line or read, and
// hostile envelope and merge command lines, each ending with its exit status.
#include <filesystem>
#include <fstream>

#include "catalogue.h"
#include "runner/envelope/envelope_definition.h"

namespace {

using catalogue::BIG;
using catalogue::Catalogue;

TEST_F(Catalogue, EnvelopeFiles)
{
    const std::string head = "KARVEX-ENVELOPE 1\nSCENARIO " KARVEX_SCENARIO_DIR "/reference.scn\nCARRIER Carrier\n"
                             "ALTITUDES 2000\nSPEEDS 230\nBEARINGS 0\nRANGE 1000 9000\n";
    const std::string good = head + "TOLERANCE 25\n";
    const std::pair<std::string, const char*> rows[] = {
        {good, nullptr},
        {"", ":1: not an envelope file"},
        {std::string("KARVEX-ENVELOPE 1\0\n", 19), ":1: not an envelope file"},
        {"KARVEX-ENVELOPE 1\r\nSCENARIO " KARVEX_SCENARIO_DIR "/reference.scn\r\nCARRIER Carrier\r\nALTITUDES 2000\r\n"
         "SPEEDS 230\r\nBEARINGS 0\r\nRANGE 1000 9000\r\nTOLERANCE 25\r\n",
         nullptr},
        {head + "TOLERANCE nan\n", ":8: TOLERANCE must be a finite number"},
        {head + "TOLERANCE 1e-320\n", nullptr},
        {head + "TOLERANCE -25\n", ":8: TOLERANCE must be above 0"},
        {good + "SCAN 1e308\n", ":9: SCAN must be no smaller than the tolerance"},
        {good + "BEARINGS 0\n", ":9: a second BEARINGS line"},
        {head.substr(0, head.find("BEARINGS")) + "BEARINGS 181\nRANGE 1000 9000\nTOLERANCE 25\n",
         ":6: BEARINGS must be numbers from -180 to 180"},
        {head.substr(0, head.find("RANGE")) + "RANGE -1 9000\nTOLERANCE 25\n", ":7: RANGE must start at 0 m or beyond"},
        {head.substr(0, head.find("RANGE")) + "RANGE 1000 1000\nTOLERANCE 25\n", ":7: RANGE empty"},
        {good + "VARY wind.speed uniform 0 5\nPROBABILITY 1\n",
         ":10: PROBABILITY must be a number above 0 and below 1"},
        {good + "VARY wind.speed uniform 0 5\nPROBABILITY 0.5\nRUNS 100001\n", ":11: RUNS must be a whole number"},
        {good + "VARY Carrier.speed normal 230 5\nPROBABILITY 0.5\n", ":9: the envelope sets Carrier.speed itself"},
        {good + "CARRIER Target\n", ":9: a second CARRIER line"},
        {good + "TARGET_SPEEDS 0 10 1e308\nTARGET_COURSES -90 0 90 270 1e6\n", nullptr},
        {good + "TARGET_SPEEDS -1\n", ":9: TARGET_SPEEDS must be numbers from 0 up, m/s, got \"-1\""},
        {good + "TARGET_SPEEDS inf\n", ":9: TARGET_SPEEDS must be numbers from 0 up"},
        {good + "TARGET_SPEEDS ; none\n", ":9: TARGET_SPEEDS needs one or more target speeds"},
        {good + "TARGET_SPEEDS 10 10\n", ":9: TARGET_SPEEDS gives \"10\" twice"},
        {good + "TARGET_SPEEDS 10\nTARGET_COURSES nan\n", ":10: TARGET_COURSES must be finite numbers, deg"},
        {good + "TARGET_SPEEDS 10\nTARGET_COURSES\n", ":10: TARGET_COURSES needs one or more target courses"},
        {good + "TARGET_SPEEDS 10\nTARGET_SPEEDS 20\n", ":10: a second TARGET_SPEEDS line"},
        {good + "TARGET_COURSES 90\n", ":9: TARGET_COURSES needs TARGET_SPEEDS"},
        {good + "TARGET_SPEEDS 5\nVARY Target.heading normal 0 1\nPROBABILITY 0.5\n",
         ":10: the envelope sets Target.heading itself"},
        {good + BIG + "\n", ":9: unknown line"},
    };
    catalogue::ExpectDefinitionFiles(rows, "c.envelope", [](std::string& why) {
        runner::EnvelopeDefinition def;
        return runner::ReadEnvelope("c.envelope", def, why);
    });
}

TEST_F(Catalogue, EnvelopeCommandLines)
{
    const std::string file = KARVEX_TEST_DATA_DIR "/small.envelope";
    std::filesystem::create_directories("half");
    std::ofstream("half/envelope.json") << "{}";
    std::ofstream("half/envelope.csv") << "altitude_m,speed_m_s,bearing_deg,interval,rmin_m,rmax_m,flights\n";
    const std::pair<std::vector<std::string>, int> rows[] = {
        {{"envelope"}, 2},
        {{"envelope", "missing.envelope", "-q"}, 3},
        {{"envelope", KARVEX_TEST_DATA_DIR "/small.sweep", "-q"}, 3},
        {{"envelope", file, "--shard", "0/2", "-q", "--out", "e1"}, 2},
        {{"envelope", file, "--shard", "3/2", "-q", "--out", "e2"}, 2},
        {{"envelope", file, "--jobs", "0", "-q"}, 2},
        {{"envelope", file, "-q", "--no-plot", "--modules", "/nonexistent", "--out", "e3"}, 4},
        {{"envelope", file, "-q", "--no-plot", "--out", "/proc/x"}, 1},
        {{"merge", "--out", "m", "half"}, 3},
    };
    catalogue::ExpectExitStatuses(KARVEX_PROGRAM, rows);
}

}  // namespace
