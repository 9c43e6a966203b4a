#include "runner/sweep/sweep_definition.h"

#include <cmath>

#include "formats/utf8.h"
#include "physics/random.h"
#include "runner/batch/definition_lines.h"

namespace runner {

namespace {

constexpr const char* SWEEP_MAGIC = "KARVEX-SWEEP 1";

// One line after the magic line; false with `why`.
bool ReadLine(const std::string& path, const std::string& line, const std::vector<std::string>& w,
              BatchDefinition& spec, bool& hasRuns, std::string& why)
{
    if (SameKeyword(w[0], "SCENARIO") && w.size() == 2) {
        return ReadBaseScenario(path, w[1], spec, why);
    }
    if (SameKeyword(w[0], "RUNS") && w.size() == 2) {
        hasRuns = ReadRunsWord(w[1], MAX_RUNS, spec.runs, why);
    } else if (SameKeyword(w[0], "SEED") && w.size() == 2) {
        ReadSeedWord(w[1], spec.seed, why);
    } else if (SameKeyword(w[0], "VARY")) {
        Dispersion d;
        if (ReadVaryLine(w, d, why)) {
            spec.dispersions.push_back(d);
        }
    } else if (SameKeyword(w[0], "SETTING") && w.size() >= 2) {
        ReadSettingLine(line, w, spec, why);
    } else {
        why = "unknown line \"" + line + "\": expected SCENARIO, RUNS, SEED, SETTING or VARY";
    }
    return why.empty();
}

}  // namespace

bool ReadSweep(const std::string& path, BatchDefinition& spec, std::string& error)
{
    DefinitionText text;
    if (!ReadDefinitionFile(path, text)) {
        error = "cannot read sweep file " + path;
        return false;
    }
    return ReadSweep(text, spec, error);
}

bool ReadSweep(const DefinitionText& text, BatchDefinition& spec, std::string& error)
{
    spec = BatchDefinition{};
    spec.path = text.path;
    if (text.base != nullptr) {
        TakeBaseScenario(*text.base, spec);
    }
    int number = 0;
    bool magic = false, hasRuns = false;
    auto fail = [&](const std::string& why) { return FailAt(text, number, why, error); };
    for (const std::string& line : text.lines) {
        ++number;
        // Labels and names reach the JSON outputs, which hold only UTF-8.
        if (const std::string bad = formats::Utf8Problem(line); !bad.empty()) {
            return fail(bad);
        }
        std::vector<std::string> w = DefinitionWords(line);
        std::string why;
        if (w.empty()) {
            continue;
        }
        if (!magic && !IsMagicLine(line, SWEEP_MAGIC)) {
            return fail(std::string("not a sweep file: expected \"") + SWEEP_MAGIC + "\"");
        }
        if (!magic) {
            magic = true;
        } else if (!ReadLine(text.path, line, w, spec, hasRuns, why)) {
            return fail(why);
        }
    }
    if (!magic) {
        number = 1;
        return fail(std::string("not a sweep file: expected \"") + SWEEP_MAGIC + "\"");
    }
    const bool noScenario = spec.scenarioPath.empty() && text.base == nullptr;
    if (noScenario || !hasRuns) {
        return fail(noScenario ? "no SCENARIO line" : "no RUNS line");
    }
    // Every quantity must name something in the base scenario.
    formats::ScenarioDocument doc;
    std::string why;
    if (!RunScenario(spec, std::vector<double>(spec.dispersions.size(), 0.0), doc, why)) {
        return FailAt(text, 0, why, error);
    }
    return true;
}

}  // namespace runner
