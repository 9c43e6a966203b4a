#include "runner/sweep_definition.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <strings.h>

#include "formats/scenario_keys.h"
#include "physics/random.h"

namespace runner {

namespace {

constexpr const char* SWEEP_MAGIC = "KARVEX-SWEEP 1";
const char* const FIELDS[] = {"x",     "y",       "z",    "vx",       "vy",        "vz",      "speed",
                              "heading", "pitch", "bank", "latitude", "longitude", "altitude", "release"};

// The words of `line` before any ';' comment.
std::vector<std::string> Words(const std::string& line)
{
    std::istringstream in(line.substr(0, line.find(';')));
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

bool Same(const std::string& a, const char* b)
{
    return strcasecmp(a.c_str(), b) == 0;
}

// A whole finite number.
bool Number(const std::string& text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && std::isfinite(value);
}

// "SCENARIO <file>": the base scenario, found from the sweep file's folder, read and parsed.
bool ReadBase(const std::string& path, const std::string& file, SweepDefinition& spec, std::string& why)
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

// "VARY <vessel>.<quantity> uniform|normal <a> <b>".
bool ReadVary(const std::vector<std::string>& w, Dispersion& d, std::string& why)
{
    if (w.size() != 5) {
        why = "expected \"VARY <vessel>.<quantity> uniform <low> <high>\" or \"... normal <mean> <deviation>\"";
        return false;
    }
    d.quantity = w[1];
    size_t dot = w[1].rfind('.');
    d.vessel = dot == std::string::npos ? "" : w[1].substr(0, dot);
    d.field = dot == std::string::npos ? "" : w[1].substr(dot + 1);
    bool known = false;
    for (const char* field : FIELDS) {
        known = known || d.field == field;
    }
    // The scenario's own quantities: the names "wind" and "turbulence" stand for its settings.
    d.setting = w[1] == "wind.speed" || w[1] == "wind.from" || w[1] == "turbulence.seed";
    if (d.vessel.empty() || (!known && !d.setting)) {
        why = "unknown quantity \"" + w[1] + "\": expected <vessel>.x, y, z, vx, vy, vz, speed, heading, pitch, bank, "
              "latitude, longitude, altitude or release, or wind.speed, wind.from or turbulence.seed";
    } else if (!Same(w[2], "uniform") && !Same(w[2], "normal")) {
        why = "unknown distribution \"" + w[2] + "\": expected uniform or normal";
    } else if (d.normal = Same(w[2], "normal"); !Number(w[3], d.a) || !Number(w[4], d.b)) {
        why = "expected two finite numbers after \"" + w[2] + "\"";
    } else if (!d.normal && d.a > d.b) {
        why = "uniform bounds reversed: " + w[3] + " is above " + w[4];
    } else if (d.normal && d.b < 0.0) {
        why = "negative deviation " + w[4];
    }
    return why.empty();
}

// One line after the magic line; false with `why`.
bool ReadLine(const std::string& path, const std::string& line, const std::vector<std::string>& w,
              SweepDefinition& spec, bool& hasRuns, std::string& why)
{
    char* end = nullptr;
    errno = 0;
    if (Same(w[0], "SCENARIO") && w.size() == 2) {
        return ReadBase(path, w[1], spec, why);
    }
    if (Same(w[0], "RUNS") && w.size() == 2) {
        spec.runs = std::strtoll(w[1].c_str(), &end, 10);
        hasRuns = *end == '\0' && errno != ERANGE && spec.runs >= 1 && spec.runs <= MAX_RUNS;
        why = hasRuns ? "" : "RUNS must be a whole number from 1 to " + std::to_string(MAX_RUNS) + ", got \"" + w[1] + "\"";
    } else if (Same(w[0], "SEED") && w.size() == 2) {
        spec.seed = std::strtoull(w[1].c_str(), &end, 10);
        if (*end != '\0' || errno == ERANGE || w[1][0] == '-') {
            why = "SEED must be a whole number from 0 to 18446744073709551615, got \"" + w[1] + "\"";
        }
    } else if (Same(w[0], "VARY")) {
        Dispersion d;
        if (ReadVary(w, d, why)) {
            spec.dispersions.push_back(d);
        }
    } else if (Same(w[0], "SETTING") && w.size() >= 2) {
        // A settings line of the scenario format, put after the base scenario's own.
        const std::string text = line.substr(0, line.find(';'));
        formats::HostLine setting;
        if (formats::ReadHostLine(text.c_str() + text.find(w[1]), formats::Section::Settings, setting, why)) {
            spec.settings.push_back(setting);
        }
    } else {
        why = "unknown line \"" + line + "\": expected SCENARIO, RUNS, SEED, SETTING or VARY";
    }
    return why.empty();
}

}  // namespace

bool ReadSweep(const std::string& path, SweepDefinition& spec, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = "cannot read sweep file " + path;
        return false;
    }
    spec = SweepDefinition{};
    spec.path = path;
    int number = 0;
    bool magic = false, hasRuns = false;
    auto fail = [&](const std::string& why) {
        error = path + ":" + std::to_string(number) + ": " + why;
        return false;
    };
    for (std::string line; std::getline(in, line);) {
        ++number;
        std::vector<std::string> w = Words(line);
        std::string why;
        if (w.empty()) {
            continue;
        }
        if (!magic && line.substr(0, line.find_last_not_of(" \t\r") + 1) != SWEEP_MAGIC) {
            return fail(std::string("not a sweep file: expected \"") + SWEEP_MAGIC + "\"");
        }
        if (!magic) {
            magic = true;
        } else if (!ReadLine(path, line, w, spec, hasRuns, why)) {
            return fail(why);
        }
    }
    if (!magic) {
        number = 1;
        return fail(std::string("not a sweep file: expected \"") + SWEEP_MAGIC + "\"");
    }
    if (spec.scenarioPath.empty() || !hasRuns) {
        return fail(spec.scenarioPath.empty() ? "no SCENARIO line" : "no RUNS line");
    }
    // Every quantity must name something in the base scenario.
    formats::ScenarioDocument doc;
    std::string why;
    if (!RunScenario(spec, std::vector<double>(spec.dispersions.size(), 0.0), doc, why)) {
        error = path + ": " + why;
        return false;
    }
    return true;
}

std::vector<double> DrawInputs(const SweepDefinition& spec, long long run)
{
    std::vector<double> values;
    for (size_t k = 0; k < spec.dispersions.size(); ++k) {
        const Dispersion& d = spec.dispersions[k];
        uint64_t r = static_cast<uint64_t>(run);
        double value = d.normal ? d.a + d.b * physics::Normal(spec.seed, r, k)
                                : d.a + (d.b - d.a) * physics::Uniform(spec.seed, r, k);
        // A seed is a whole number: the draw's, rounded down, and never below 0.
        values.push_back(d.quantity == "turbulence.seed" ? std::floor(std::fmax(value, 0.0)) : value);
    }
    return values;
}

}  // namespace runner
