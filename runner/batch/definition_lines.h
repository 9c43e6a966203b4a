// The lines sweep and envelope files share: their words, keywords, numbers, the base scenario, the
// dispersed quantities, the settings and the seed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runner/batch/dispersion.h"

namespace runner {

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
