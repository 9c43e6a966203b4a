// Lines handed one at a time to a scenario document, as the Python package's edits hand them: the
// first byte picks the settings or a vessel's block, the rest is the line. A line the document
// takes writes a file that reads back to the same text; one it refuses says why.
#include <sstream>
#include <string>

#include "formats/scenario_document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    const formats::Section section = (data[0] & 1) != 0 ? formats::Section::Vessel : formats::Section::Settings;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    formats::ScenarioLine line;
    std::string why;
    if (!formats::ReadScenarioLine(text, section, line, why)) {
        if (why.empty()) {
            __builtin_trap();
        }
        return 0;
    }
    formats::ScenarioDocument doc;
    doc.path = "fuzz.scn";
    doc.vessels.push_back({"V", "", 0, {}});
    if (section == formats::Section::Settings) {
        doc.settings.push_back(line.value);
        doc.settingLines.push_back(0);
    } else {
        doc.vessels[0].lines.push_back(line);
    }
    const std::string written = formats::WriteScenario(doc);
    std::istringstream in(written);
    formats::ScenarioDocument back;
    std::string error;
    if (!formats::ParseScenario(doc.path, in, back, error) || formats::WriteScenario(back) != written) {
        __builtin_trap();
    }
    return 0;
}
