#include "runner/batch/definition_lines.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <strings.h>

#include "formats/scenario_keys.h"

namespace runner {

namespace {

const char* const FIELDS[] = {"x",        "y",         "z",        "vx",     "vy",
                              "vz",       "speed",     "heading",  "pitch",  "bank",
                              "latitude", "longitude", "altitude", "release", "course",
                              "weave_amplitude", "weave_period", "trigger_range", "ripple"};

// A station's own release: "release" and the station's number, as the carrier's lines give it.
bool StationRelease(const std::string& field)
{
    return field.size() > 7 && field.compare(0, 7, "release") == 0 &&
           field.find_first_not_of("0123456789", 7) == std::string::npos && field.size() <= 10;
}

}  // namespace

std::string DefinitionText::Where(int number) const
{
    if (places.empty()) {
        return number > 0 ? path + ":" + std::to_string(number) : path;
    }
    return number > 0 && static_cast<size_t>(number) <= places.size() ? places[static_cast<size_t>(number - 1)] : path;
}

bool ReadDefinitionFile(const std::string& path, DefinitionText& text)
{
    std::ifstream in(path);
    text = DefinitionText{};
    text.path = path;
    if (!in) {
        return false;
    }
    for (std::string line; std::getline(in, line);) {
        text.lines.push_back(line);
    }
    return true;
}

bool FailAt(const DefinitionText& text, int number, const std::string& why, std::string& error)
{
    error = text.Where(number) + ": " + why;
    return false;
}

void TakeBaseScenario(const formats::ScenarioDocument& base, BatchDefinition& spec)
{
    spec.scenarioPath = base.path;
    spec.scenarioText = formats::WriteScenario(base);
    spec.base = base;
}

bool IsMagicLine(const std::string& line, const char* magic)
{
    return line.substr(0, line.find_last_not_of(" \t\r") + 1) == magic;
}

std::vector<std::string> DefinitionWords(const std::string& line)
{
    std::istringstream in(line.substr(0, line.find(';')));
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

bool SameKeyword(const std::string& word, const char* keyword)
{
    return strcasecmp(word.c_str(), keyword) == 0;
}

bool FiniteNumber(const std::string& text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && std::isfinite(value);
}

bool ReadBaseScenario(const std::string& path, const std::string& file, BatchDefinition& spec, std::string& why)
{
    std::filesystem::path base = std::filesystem::path(path).parent_path() / file;
    spec.scenarioPath = file.front() == '/' ? file : base.lexically_normal().string();
    std::ifstream scenario(spec.scenarioPath, std::ios::binary);
    if (!scenario) {
        why = "cannot read the scenario " + spec.scenarioPath;
        return false;
    }
    std::stringstream text;
    text << scenario.rdbuf();
    spec.scenarioText = text.str();
    std::istringstream in(spec.scenarioText);
    return formats::ParseScenario(spec.scenarioPath, in, spec.base, why);
}

bool ReadQuantity(const std::string& quantity, Dispersion& d, std::string& why)
{
    d.quantity = quantity;
    size_t dot = quantity.rfind('.');
    d.vessel = dot == std::string::npos ? "" : quantity.substr(0, dot);
    d.field = dot == std::string::npos ? "" : quantity.substr(dot + 1);
    bool known = StationRelease(d.field);
    for (const char* field : FIELDS) {
        known = known || d.field == field;
    }
    // The scenario's own quantities: the names "wind" and "turbulence" stand for its settings.
    d.setting = quantity == "wind.speed" || quantity == "wind.from" || quantity == "turbulence.seed";
    if (d.vessel.empty() || (!known && !d.setting)) {
        why = "unknown quantity \"" + quantity + "\": expected <vessel>.x, y, z, vx, vy, vz, speed, heading, pitch, bank, "
              "latitude, longitude, altitude, release, release<station>, ripple, course, weave_amplitude, weave_period or "
              "trigger_range, or wind.speed, wind.from or turbulence.seed";
        return false;
    }
    return true;
}

bool ReadVaryLine(const std::vector<std::string>& w, Dispersion& d, std::string& why)
{
    if (w.size() != 5) {
        why = "expected \"VARY <vessel>.<quantity> uniform <low> <high>\" or \"... normal <mean> <deviation>\"";
        return false;
    }
    if (!ReadQuantity(w[1], d, why)) {
        return false;
    }
    if (!SameKeyword(w[2], "uniform") && !SameKeyword(w[2], "normal")) {
        why = "unknown distribution \"" + w[2] + "\": expected uniform or normal";
    } else if (d.normal = SameKeyword(w[2], "normal"); !FiniteNumber(w[3], d.a) || !FiniteNumber(w[4], d.b)) {
        why = "expected two finite numbers after \"" + w[2] + "\"";
    } else if (!d.normal && d.a > d.b) {
        why = "uniform bounds reversed: " + w[3] + " is above " + w[4];
    } else if (d.normal && d.b < 0.0) {
        why = "negative deviation " + w[4];
    }
    return why.empty();
}

bool ReadSettingLine(const std::string& line, const std::vector<std::string>& w, BatchDefinition& spec,
                     std::string& why)
{
    // A settings line of the scenario format, put after the base scenario's own.
    const std::string text = line.substr(0, line.find(';'));
    formats::HostLine setting;
    if (!formats::ReadHostLine(text.c_str() + text.find(w[1]), formats::Section::Settings, setting, why)) {
        return false;
    }
    spec.settings.push_back(setting);
    return true;
}

bool ReadSeedWord(const std::string& word, uint64_t& seed, std::string& why)
{
    char* end = nullptr;
    errno = 0;
    seed = std::strtoull(word.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || word[0] == '-') {
        why = "SEED must be a whole number from 0 to 18446744073709551615, got \"" + word + "\"";
        return false;
    }
    return true;
}

bool ReadRunsWord(const std::string& word, long long most, long long& runs, std::string& why)
{
    char* end = nullptr;
    errno = 0;
    runs = std::strtoll(word.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || runs < 1 || runs > most) {
        why = "RUNS must be a whole number from 1 to " + std::to_string(most) + ", got \"" + word + "\"";
        return false;
    }
    return true;
}

}  // namespace runner
