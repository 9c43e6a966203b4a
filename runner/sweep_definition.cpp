#include "runner/sweep_definition.h"

#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <strings.h>

#include "runner/random.h"

namespace runner {

namespace {

constexpr const char* SWEEP_MAGIC = "KARVEX-SWEEP 1";
const char* const FIELDS[] = {"x", "y", "z", "vx", "vy", "vz", "speed", "heading", "pitch", "bank", "release"};

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

std::string Num(double value)
{
    char text[32];
    auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// A vessel's block in a scenario's lines: its header line, its END line, and its name.
struct Block {
    size_t header, end;
    std::string name;
};

std::vector<Block> Blocks(const std::vector<std::string>& lines)
{
    std::vector<Block> blocks;
    bool inVessels = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::vector<std::string> w = Words(lines[i]);
        if (w.empty()) {
            continue;
        }
        if (!inVessels) {
            inVessels = w[0] == "BEGIN_VESSELS";
            continue;
        }
        if (w[0] == "END_VESSELS") {
            break;
        }
        std::string text = lines[i].substr(0, lines[i].find(';'));
        size_t colon = text.find(':');
        size_t first = text.find_first_not_of(" \t");
        if (colon == std::string::npos || first >= colon) {
            continue;
        }
        Block block{i, i, text.substr(first, colon - first)};
        while (block.end < lines.size() && Words(lines[block.end]) != std::vector<std::string>{"END"}) {
            ++block.end;
        }
        blocks.push_back(block);
        i = block.end;
    }
    return blocks;
}

// The index of `key`'s line in `block` (-1 for none) and its numbers.
long Find(const std::vector<std::string>& lines, const Block& block, const char* key, std::vector<double>& values)
{
    for (size_t i = block.header + 1; i < block.end; ++i) {
        std::vector<std::string> w = Words(lines[i]);
        if (!w.empty() && Same(w[0], key)) {
            values.clear();
            for (size_t k = 1; k < w.size(); ++k) {
                double v = 0.0;
                values.push_back(Number(w[k], v) ? v : NAN);
            }
            return static_cast<long>(i);
        }
    }
    return -1;
}

std::string Line(const char* key, const std::vector<double>& values)
{
    std::string line = std::string("  ") + key;
    for (double v : values) {
        line += " " + Num(v);
    }
    return line;
}

// Sets the three numbers of `key` in `block` (a line of zeros added when missing).
void SetVector(std::vector<std::string>& lines, const Block& block, const char* key, const std::vector<double>& values)
{
    std::vector<double> old;
    long at = Find(lines, block, key, old);
    if (at < 0) {
        lines.insert(lines.begin() + static_cast<long>(block.header) + 1, Line(key, values));
    } else {
        lines[static_cast<size_t>(at)] = Line(key, values);
    }
}

std::vector<double> Vector(const std::vector<std::string>& lines, const Block& block, const char* key)
{
    std::vector<double> v;
    if (Find(lines, block, key, v) < 0 || v.size() != 3) {
        v = {0.0, 0.0, 0.0};
    }
    return v;
}

// Moves the carrier's actions due at its release time to `time`; false when it releases nothing.
bool MoveRelease(std::vector<std::string>& lines, const Block& block, double time)
{
    double release = NAN;
    for (size_t i = block.header + 1; i < block.end && std::isnan(release); ++i) {
        std::vector<std::string> w = Words(lines[i]);
        double t = 0.0;
        if (w.size() >= 4 && Same(w[0], "AT") && Same(w[3], "RELEASE") && Number(w[1], t)) {
            release = t;
        }
    }
    if (std::isnan(release)) {
        return false;
    }
    for (size_t i = block.header + 1; i < block.end; ++i) {
        std::vector<std::string> w = Words(lines[i]);
        double t = 0.0;
        if (w.size() >= 4 && Same(w[0], "AT") && Number(w[1], t) && t == release) {
            std::string line = "  AT " + Num(time);
            for (size_t k = 2; k < w.size(); ++k) {
                line += " " + w[k];
            }
            lines[i] = line;
        }
    }
    return true;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
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
        if (w.empty()) {
            continue;
        }
        if (!magic) {
            if (line.substr(0, line.find_last_not_of(" \t\r") + 1) != SWEEP_MAGIC) {
                return fail(std::string("not a sweep file: expected \"") + SWEEP_MAGIC + "\"");
            }
            magic = true;
            continue;
        }
        if (Same(w[0], "SCENARIO") && w.size() == 2) {
            std::filesystem::path base = std::filesystem::path(path).parent_path() / w[1];
            spec.scenarioPath = w[1].front() == '/' ? w[1] : base.lexically_normal().string();
            std::ifstream scenario(spec.scenarioPath, std::ios::binary);
            if (!scenario) {
                return fail("cannot read the scenario " + spec.scenarioPath);
            }
            std::stringstream text;
            text << scenario.rdbuf();
            spec.scenarioText = text.str();
        } else if (Same(w[0], "RUNS") && w.size() == 2) {
            char* end = nullptr;
            errno = 0;
            spec.runs = std::strtoll(w[1].c_str(), &end, 10);
            if (*end != '\0' || errno == ERANGE || spec.runs < 1 || spec.runs > 100000000) {
                return fail("RUNS must be a whole number from 1 to 100000000, got \"" + w[1] + "\"");
            }
            hasRuns = true;
        } else if (Same(w[0], "SEED") && w.size() == 2) {
            char* end = nullptr;
            errno = 0;
            spec.seed = std::strtoull(w[1].c_str(), &end, 10);
            if (*end != '\0' || errno == ERANGE || w[1][0] == '-') {
                return fail("SEED must be a whole number from 0 to 18446744073709551615, got \"" + w[1] + "\"");
            }
        } else if (Same(w[0], "VARY")) {
            if (w.size() != 5) {
                return fail("expected \"VARY <vessel>.<quantity> uniform <low> <high>\" or \"... normal <mean> <deviation>\"");
            }
            Dispersion d;
            d.quantity = w[1];
            size_t dot = w[1].rfind('.');
            d.vessel = dot == std::string::npos ? "" : w[1].substr(0, dot);
            d.field = dot == std::string::npos ? "" : w[1].substr(dot + 1);
            bool known = false;
            for (const char* field : FIELDS) {
                known = known || d.field == field;
            }
            if (d.vessel.empty() || !known) {
                return fail("unknown quantity \"" + w[1] +
                            "\": expected <vessel>.x, y, z, vx, vy, vz, speed, heading, pitch, bank or release");
            }
            if (!Same(w[2], "uniform") && !Same(w[2], "normal")) {
                return fail("unknown distribution \"" + w[2] + "\": expected uniform or normal");
            }
            d.normal = Same(w[2], "normal");
            if (!Number(w[3], d.a) || !Number(w[4], d.b)) {
                return fail("expected two finite numbers after \"" + w[2] + "\"");
            }
            if (!d.normal && d.a > d.b) {
                return fail("uniform bounds reversed: " + w[3] + " is above " + w[4]);
            }
            if (d.normal && d.b < 0.0) {
                return fail("negative deviation " + w[4]);
            }
            spec.dispersions.push_back(d);
        } else {
            return fail("unknown line \"" + line + "\": expected SCENARIO, RUNS, SEED or VARY");
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
    std::vector<double> zeros(spec.dispersions.size(), 0.0);
    std::string text, why;
    for (size_t i = 0; i < spec.dispersions.size(); ++i) {
        SweepDefinition one = spec;
        one.dispersions = {spec.dispersions[i]};
        if (!RunScenario(one, {0.0}, text, why)) {
            error = path;
            error += ": ";
            error += why;
            return false;
        }
    }
    return true;
}

std::vector<double> DrawInputs(const SweepDefinition& spec, long long run)
{
    std::vector<double> values;
    for (size_t k = 0; k < spec.dispersions.size(); ++k) {
        const Dispersion& d = spec.dispersions[k];
        uint64_t r = static_cast<uint64_t>(run);
        values.push_back(d.normal ? d.a + d.b * Normal(spec.seed, r, k) : d.a + (d.b - d.a) * Uniform(spec.seed, r, k));
    }
    return values;
}

bool RunScenario(const SweepDefinition& spec, const std::vector<double>& values, std::string& text, std::string& error)
{
    std::vector<std::string> lines = Lines(spec.scenarioText);
    for (size_t k = 0; k < spec.dispersions.size(); ++k) {
        const Dispersion& d = spec.dispersions[k];
        const double value = values[k];
        std::vector<Block> blocks = Blocks(lines);
        const Block* block = nullptr;
        for (const Block& b : blocks) {
            block = b.name == d.vessel ? &b : block;
        }
        if (block == nullptr) {
            error = "no vessel named \"" + d.vessel + "\" in the scenario " + spec.scenarioPath;
            return false;
        }
        std::vector<double> pos = Vector(lines, *block, "POS"), vel = Vector(lines, *block, "VEL"),
                            att = Vector(lines, *block, "ATT");
        const std::string& f = d.field;
        if (f == "x" || f == "y" || f == "z") {
            pos[static_cast<size_t>(f[0] - 'x')] = value;
            SetVector(lines, *block, "POS", pos);
        } else if (f == "vx" || f == "vy" || f == "vz") {
            vel[static_cast<size_t>(f[1] - 'x')] = value;
            SetVector(lines, *block, "VEL", vel);
        } else if (f == "speed") {
            double speed = std::sqrt(vel[0] * vel[0] + vel[1] * vel[1] + vel[2] * vel[2]);
            std::vector<double> dir = speed > 0.0 ? std::vector<double>{vel[0] / speed, vel[1] / speed, vel[2] / speed}
                                                  : std::vector<double>{std::sin(att[2]), 0.0, std::cos(att[2])};
            SetVector(lines, *block, "VEL", {dir[0] * value, dir[1] * value, dir[2] * value});
        } else if (f == "heading") {
            // The course turns with the nose.
            double level = std::sqrt(vel[0] * vel[0] + vel[2] * vel[2]);
            SetVector(lines, *block, "VEL", {level * std::sin(value), vel[1], level * std::cos(value)});
            att[2] = value;
            SetVector(lines, Blocks(lines)[static_cast<size_t>(block - blocks.data())], "ATT", att);
        } else if (f == "pitch" || f == "bank") {
            att[f == "pitch" ? 0 : 1] = value;
            SetVector(lines, *block, "ATT", att);
        } else if (!MoveRelease(lines, *block, value)) {
            error = "\"" + d.vessel + "\" releases nothing (no \"AT <time> <station> RELEASE\" line) for " + d.quantity;
            return false;
        }
    }
    text.clear();
    for (const std::string& line : lines) {
        text += line;
        text += '\n';
    }
    return true;
}

}  // namespace runner
