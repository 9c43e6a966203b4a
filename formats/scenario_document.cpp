#include "formats/scenario_document.h"

#include "formats/scenario_keys.h"
#include "formats/utf8.h"

namespace formats {

namespace {

// The file's lines, each without its ';' comment and outer blanks, and where the reader stands.
struct Reader {
    const std::string& path;
    std::vector<std::string> lines;
    size_t i = 0;
    std::string& error;

    // "file:line: " for line number `line`.
    std::string Where(size_t line) const { return path + ":" + std::to_string(line) + ": "; }
    bool Fail(size_t line, const std::string& why)
    {
        error = Where(line) + why;
        return false;
    }
    void SkipEmpty()
    {
        while (i < lines.size() && lines[i].empty()) {
            ++i;
        }
    }
};

// Reads the non-empty line `text` (comment and outer blanks gone) of `section` into `line`. A
// settings line with no key fails with `line.host` false and `why` the start of its message.
bool ReadLine(const std::string& text, Section section, ScenarioLine& line, std::string& why)
{
    const char* rest = nullptr;
    const KeyEntry* entry = FindKey(text.c_str(), section, &rest);
    line.host = entry != nullptr;
    if (entry == nullptr && section == Section::Settings) {
        why = "unknown key \"" + text.substr(0, text.find_first_of(" \t")) + "\": expected " + SettingKeyList();
        return false;
    }
    if (entry == nullptr) {
        line.text = text;  // the module's own line, read by the module alone
        return true;
    }
    line.value.key = entry->key;
    return entry->read(text.c_str(), rest, line.value, why);
}

// Reads the run settings up to the line "BEGIN_VESSELS", and steps past it.
bool ReadSettings(Reader& r, ScenarioDocument& doc)
{
    for (; r.i < r.lines.size() && r.lines[r.i] != "BEGIN_VESSELS"; ++r.i) {
        const std::string& text = r.lines[r.i];
        if (text.empty()) {
            continue;
        }
        ScenarioLine line;
        std::string why;
        if (!ReadLine(text, Section::Settings, line, why)) {
            return r.Fail(r.i + 1, line.host ? why : why + " or BEGIN_VESSELS");
        }
        doc.settings.push_back(std::move(line.value));
        doc.settingLines.push_back(static_cast<int>(r.i + 1));
    }
    if (r.i >= r.lines.size()) {
        return r.Fail(r.i, "expected \"BEGIN_VESSELS\"");
    }
    ++r.i;
    return true;
}

// Reads one vessel's block, from its header line to its END.
bool ReadVessel(Reader& r, ScenarioDocument& doc)
{
    const size_t headerLine = r.i + 1;
    const std::string header = r.lines[r.i++];
    ScenarioVessel vessel;
    vessel.line = static_cast<int>(headerLine);
    for (;; ++r.i) {
        if (r.i >= r.lines.size()) {
            return r.Fail(headerLine, "vessel \"" + header + "\" has no \"END\"");
        }
        const std::string& text = r.lines[r.i];
        if (text == "END") {
            ++r.i;
            break;
        }
        if (text.empty()) {
            continue;
        }
        ScenarioLine line;
        line.line = static_cast<int>(r.i + 1);
        std::string why;
        if (!ReadLine(text, Section::Vessel, line, why)) {
            return r.Fail(r.i + 1, why);
        }
        vessel.lines.push_back(std::move(line));
    }
    size_t colon = header.find(':');
    if (colon == std::string::npos) {
        return r.Fail(headerLine, "expected \"<name>:<class>\" to begin a vessel, got \"" + header + "\"");
    }
    vessel.name = header.substr(0, colon);
    vessel.className = Trim(header.substr(colon + 1));
    std::string problem = VesselNameProblem(vessel.name);
    if (!problem.empty()) {
        return r.Fail(headerLine, "vessel \"" + vessel.name + "\": " + problem);
    }
    doc.vessels.push_back(std::move(vessel));
    return true;
}

}  // namespace

bool ParseScenario(const std::string& path, std::istream& in, ScenarioDocument& doc, std::string& error)
{
    doc = ScenarioDocument{};
    doc.path = path;
    Reader r{path, {}, 0, error};
    for (std::string text; std::getline(in, text);) {
        if (text.find('\0') != std::string::npos) {
            return r.Fail(r.lines.size() + 1, "holds a NUL byte: not a text file");
        }
        // Names, classes and module lines reach the JSON outputs, which hold only UTF-8.
        if (std::string problem = Utf8Problem(text); !problem.empty()) {
            return r.Fail(r.lines.size() + 1, problem);
        }
        r.lines.push_back(Trim(text.substr(0, text.find(';'))));  // ';' starts a comment
    }
    r.SkipEmpty();
    if (r.i >= r.lines.size() || r.lines[r.i] != SCENARIO_MAGIC) {
        return r.Fail(r.i + 1, std::string("not a scenario file: expected \"") + SCENARIO_MAGIC + "\"");
    }
    ++r.i;
    if (!ReadSettings(r, doc)) {
        return false;
    }
    for (;;) {
        r.SkipEmpty();
        if (r.i >= r.lines.size()) {
            return r.Fail(r.i, "the file ends before \"END_VESSELS\"");
        }
        if (r.lines[r.i] == "END_VESSELS") {
            break;
        }
        if (!ReadVessel(r, doc)) {
            return false;
        }
    }
    ++r.i;
    r.SkipEmpty();
    if (r.i < r.lines.size()) {
        return r.Fail(r.i + 1, "text after \"END_VESSELS\"");
    }
    return true;
}

bool ReadScenarioLine(const std::string& text, Section section, ScenarioLine& line, std::string& why)
{
    if (text.find_first_of(std::string("\n\r\0", 3)) != std::string::npos) {
        why = "a line cannot hold a line break or a NUL";
        return false;
    }
    why = Utf8Problem(text);
    if (!why.empty()) {
        return false;
    }
    const std::string kept = Trim(text.substr(0, text.find(';')));  // ';' starts a comment
    if (kept.empty()) {
        why = "the line is empty";
        return false;
    }
    if (kept == "END" && section == Section::Vessel) {
        why = "\"END\" closes a vessel's block: it cannot be one of its lines";
        return false;
    }
    line = ScenarioLine{};
    return ReadLine(kept, section, line, why);
}

std::string LineText(const ScenarioLine& line)
{
    std::string out;
    if (line.host) {
        AppendHostLine(line.value, out);
    } else {
        out = line.text;
    }
    return out;
}

std::string WriteScenario(const ScenarioDocument& doc)
{
    std::string out = SCENARIO_MAGIC;
    out += '\n';
    for (const HostLine& setting : doc.settings) {
        AppendHostLine(setting, out);
        out += '\n';
    }
    out += "BEGIN_VESSELS\n";
    for (const ScenarioVessel& vessel : doc.vessels) {
        out += vessel.name + ":" + vessel.className + "\n";
        for (const ScenarioLine& line : vessel.lines) {
            out += "  " + LineText(line) + '\n';
        }
        out += "END\n";
    }
    out += "END_VESSELS\n";
    return out;
}

HostLine* LastLine(ScenarioVessel& vessel, Key key)
{
    HostLine* last = nullptr;
    for (ScenarioLine& line : vessel.lines) {
        last = line.host && line.value.key == key ? &line.value : last;
    }
    return last;
}

HostLine& LineFor(ScenarioVessel& vessel, Key key)
{
    if (HostLine* last = LastLine(vessel, key)) {
        return *last;
    }
    ScenarioLine line;
    line.host = true;
    line.value.key = key;
    vessel.lines.insert(vessel.lines.begin(), std::move(line));
    return vessel.lines.front().value;
}

ScenarioVessel* FindVessel(ScenarioDocument& doc, const std::string& name)
{
    for (ScenarioVessel& vessel : doc.vessels) {
        if (vessel.name == name) {
            return &vessel;
        }
    }
    return nullptr;
}

HostLine MakeHostLine(Key key, std::initializer_list<double> numbers, std::initializer_list<long long> integers)
{
    HostLine line;
    line.key = key;
    size_t i = 0;
    for (double n : numbers) {
        line.number[i++] = n;
    }
    i = 0;
    for (long long n : integers) {
        line.integer[i++] = n;
    }
    return line;
}

void AddHostLine(ScenarioVessel& vessel, HostLine value)
{
    ScenarioLine line;
    line.host = true;
    line.value = std::move(value);
    vessel.lines.push_back(std::move(line));
}

}  // namespace formats
