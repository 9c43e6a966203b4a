// The lines sweep and envelope files share: their words, keywords, numbers, the base scenario, the
// dispersed quantities, the settings and the seed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runner/batch/dispersion.h"

namespace runner {

/// A sweep's or an envelope's definition as lines: a file's, or lines given apart from any file
/// with their base scenario in place of a SCENARIO line.
struct DefinitionText {
    std::string path;                ///< the file; for lines given apart, the name the outputs give it
    std::vector<std::string> lines;  ///< every line, the magic line first
    std::vector<std::string> places; ///< for lines given apart, what each line's errors name it by
    const formats::ScenarioDocument* base = nullptr;  ///< for lines given apart, the base scenario

    /// What an error at line `number` names: "file:line", the line's place, or with 0 (no one line)
    /// the file.
    std::string Where(int number) const;
};

/// Reads the file `path` into `text`'s path and lines; false when it cannot be read.
bool ReadDefinitionFile(const std::string& path, DefinitionText& text);

/// `error` as "<where>: `why`" for line `number` of `text` (0: no one line); false.
bool FailAt(const DefinitionText& text, int number, const std::string& why, std::string& error);

/// Takes `base` as `spec`'s base scenario, as a SCENARIO line naming its file would.
void TakeBaseScenario(const formats::ScenarioDocument& base, BatchDefinition& spec);

/// Whether `line` is the magic line `magic`, trailing blanks allowed.
bool IsMagicLine(const std::string& line, const char* magic);

/// The words of `line` before any ';' comment.
std::vector<std::string> DefinitionWords(const std::string& line);

/// Whether `word` is the keyword `keyword`, in any case.
bool SameKeyword(const std::string& word, const char* keyword);

/// Reads `text` as a whole finite number; false when it is not one.
bool FiniteNumber(const std::string& text, double& value);

/// "SCENARIO <file>": the base scenario `file`, found from the folder of the definition file `path`,
/// read and parsed into `spec`'s scenarioPath, scenarioText and base; false with `why`.
bool ReadBaseScenario(const std::string& path, const std::string& file, BatchDefinition& spec, std::string& why);

/// The quantity `quantity` ("<vessel>.<field>", "wind.speed", "wind.from" or "turbulence.seed")
/// into `d`'s quantity, vessel, field and setting; false with `why` when there is no such quantity.
bool ReadQuantity(const std::string& quantity, Dispersion& d, std::string& why);

/// "VARY <vessel>.<quantity> uniform|normal <a> <b>", as words `w`, into `d`; false with `why`.
bool ReadVaryLine(const std::vector<std::string>& w, Dispersion& d, std::string& why);

/// "SETTING <settings line>": the settings line of `line` (words `w`, two or more) added to
/// `spec`'s settings; false with `why`.
bool ReadSettingLine(const std::string& line, const std::vector<std::string>& w, BatchDefinition& spec,
                     std::string& why);

/// The SEED's `word` as a whole number from 0 up into `seed`; false with `why`.
bool ReadSeedWord(const std::string& word, uint64_t& seed, std::string& why);

/// The RUNS's `word` as a whole number from 1 to `most` into `runs`; false with `why`.
bool ReadRunsWord(const std::string& word, long long most, long long& runs, std::string& why);

}  // namespace runner
