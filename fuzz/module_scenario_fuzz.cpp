// The missile's scenario lines: the input becomes the lines of one Karvex vessel's block, loaded
// through the host so that the module's clbkLoadStateEx reads them; then a frame and a save.
#include <string>

#include "fuzz_world.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::EnterScratchDir();
    fuzz::ResetWithModules(4);
    std::string text = "ZELVAR-STANDIN-SCENARIO 1\nBEGIN_VESSELS\nK1:Karvex\n";
    text.append(reinterpret_cast<const char*>(data), size);
    text += "\nEND\nEND_VESSELS\n";
    if (standin::LoadScenarioText("fuzz.scn", text)) {
        standin::Step(0.01);
        standin::SaveScenario("saved.scn");
    }
    fuzz::ResetToEmpty();
    return 0;
}
