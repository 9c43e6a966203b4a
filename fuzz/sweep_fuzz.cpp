// Sweep files: the input is written to a sweep file two folders below copies of the reference
// scenario and the ripple salvo (so "../../scenarios/reference.scn" finds one), read, and its first
// runs drawn and built.
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_world.h"
#include "runner/sweep/sweep_definition.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::EnterScratchDir();
    static const bool prepared = [] {
        std::filesystem::create_directories("scenarios");
        std::filesystem::create_directories("sweeps/data");
        for (const char* name : {"reference.scn", "ripple_salvo.scn"}) {
            std::filesystem::copy_file(std::string(KARVEX_SCENARIO_DIR "/") + name, std::string("scenarios/") + name,
                                       std::filesystem::copy_options::overwrite_existing);
        }
        return true;
    }();
    (void)prepared;
    {
        std::ofstream out("sweeps/data/fuzz.sweep", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    runner::BatchDefinition spec;
    std::string error;
    if (!runner::ReadSweep("sweeps/data/fuzz.sweep", spec, error)) {
        return 0;
    }
    for (long long run = 0; run < spec.runs && run < 3; ++run) {
        const std::vector<double> values = runner::DrawInputs(spec, run);
        formats::ScenarioDocument doc;
        if (runner::RunScenario(spec, values, doc, error)) {
            // Every edited scenario writes a file that reads back.
            std::istringstream text(formats::WriteScenario(doc));
            formats::ScenarioDocument again;
            if (!formats::ParseScenario(doc.path, text, again, error)) {
                std::abort();
            }
        }
    }
    return 0;
}
