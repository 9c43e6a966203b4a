// Envelope files: the input is written to an envelope file two folders below a copy of the
// reference scenario (so "../../scenarios/reference.scn" finds it), read, and the scenario of its
// first probe built.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_world.h"
#include "runner/envelope/envelope_definition.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::EnterScratchDir();
    static const bool prepared = [] {
        std::filesystem::create_directories("scenarios");
        std::filesystem::create_directories("envelopes/data");
        std::filesystem::copy_file(KARVEX_SCENARIO_DIR "/reference.scn", "scenarios/reference.scn",
                                   std::filesystem::copy_options::overwrite_existing);
        return true;
    }();
    (void)prepared;
    {
        std::ofstream out("envelopes/data/fuzz.envelope", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    runner::EnvelopeDefinition def;
    std::string error;
    if (!runner::ReadEnvelope("envelopes/data/fuzz.envelope", def, error)) {
        return 0;
    }
    // A file read is one whose every quantity resolves: its first probe's scenario builds, and
    // writes a file that reads back.
    formats::ScenarioDocument doc;
    if (!runner::RunScenario(def.batch, std::vector<double>(def.batch.dispersions.size(), 0.0), doc, error)) {
        std::abort();
    }
    std::istringstream text(formats::WriteScenario(doc));
    formats::ScenarioDocument again;
    if (!formats::ParseScenario(doc.path, text, again, error)) {
        std::abort();
    }
    return 0;
}
