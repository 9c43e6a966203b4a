// The host's scenario loader, whole files; the world is reset afterwards.
#include <string>

#include "fuzz_world.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::EnterScratchDir();
    fuzz::ResetWithModules(16);
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (standin::LoadScenarioText("fuzz.scn", text)) {
        standin::Step(0.01);
    }
    fuzz::ResetToEmpty();
    return 0;
}
