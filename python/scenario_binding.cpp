// Scenario documents in Python: read from a file or a text, their settings and vessels' lines read
// and changed one key at a time through the key table, and written back.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "formats/fresh_file.h"
#include "formats/number_text.h"
#include "formats/scenario_keys.h"
#include "python/bindings.h"
#include "python/isolated.h"
#include "runner/batch/definition_lines.h"
#include "runner/program/exit_codes.h"
#include "runner/sweep/sweep_definition.h"

#include <pybind11/stl.h>

namespace karvex_python {

namespace {

namespace py = pybind11;
using formats::ScenarioDocument;
using formats::ScenarioLine;
using formats::Section;

// A block of a document: its settings (vessel -1) or one vessel's lines.
struct Block {
    ScenarioDocument& doc;
    int vessel;

    Section section() const { return vessel < 0 ? Section::Settings : Section::Vessel; }
    formats::ScenarioVessel& Vessel() const { return doc.vessels[static_cast<size_t>(vessel)]; }
    size_t Count() const { return vessel < 0 ? doc.settings.size() : Vessel().lines.size(); }
    ScenarioLine At(size_t k) const
    {
        if (vessel >= 0) {
            return Vessel().lines[k];
        }
        ScenarioLine line;
        line.host = true;
        line.value = doc.settings[k];
        line.line = doc.settingLines[k];
        return line;
    }
    void Put(size_t k, const ScenarioLine& line) const
    {
        if (vessel >= 0) {
            Vessel().lines[k] = line;
        } else {
            doc.settings[k] = line.value;
            doc.settingLines[k] = 0;
        }
    }
    void Insert(size_t k, const ScenarioLine& line) const
    {
        if (vessel >= 0) {
            Vessel().lines.insert(Vessel().lines.begin() + static_cast<long>(k), line);
        } else {
            doc.settings.insert(doc.settings.begin() + static_cast<long>(k), line.value);
            doc.settingLines.insert(doc.settingLines.begin() + static_cast<long>(k), 0);
        }
    }
    void Erase(size_t k) const
    {
        if (vessel >= 0) {
            Vessel().lines.erase(Vessel().lines.begin() + static_cast<long>(k));
        } else {
            doc.settings.erase(doc.settings.begin() + static_cast<long>(k));
            doc.settingLines.erase(doc.settingLines.begin() + static_cast<long>(k));
        }
    }
};

Block BlockOf(ScenarioDocument& doc, int vessel)
{
    if (vessel < -1 || vessel >= static_cast<int>(doc.vessels.size())) {
        throw py::index_error("no vessel " + std::to_string(vessel) + " in the scenario " + doc.path);
    }
    return Block{doc, vessel};
}

// `text` read as a line of `block`; a line that cannot be read raises ScenarioError naming the document.
ScenarioLine Read(const Block& block, const std::string& text)
{
    ScenarioLine line;
    std::string why;
    if (!formats::ReadScenarioLine(text, block.section(), line, why)) {
        Raise(runner::EXIT_SCENARIO, block.doc.path + ": " + why);
    }
    return line;
}

ScenarioDocument Parse(const std::string& text, const std::string& name)
{
    ScenarioDocument doc;
    std::istringstream in(text);
    std::string error;
    if (!formats::ParseScenario(name, in, doc, error)) {
        Raise(runner::EXIT_SCENARIO, error);
    }
    return doc;
}

ScenarioDocument Load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) {
        Raise(runner::EXIT_SCENARIO, "cannot read scenario file " + path);
    }
    return Parse(text.str(), path);
}

void Save(const ScenarioDocument& doc, const std::string& path)
{
    if (!formats::ReplaceFile(path, formats::WriteScenario(doc))) {
        Raise(runner::EXIT_FAILED, "cannot write scenario file " + path);
    }
}

// The key of `line` as the file writes it: a host line's key, or a module line's first word.
std::string KeyOf(const ScenarioLine& line)
{
    if (line.host) {
        return formats::EntryOf(line.value.key).name;
    }
    return line.text.substr(0, line.text.find_first_of(" \t"));
}

// The key `name` names among `block`'s, as the file writes it: a host key (in any case), or in a
// vessel's block any other word, a line of its module's; KeyError when it can name none.
std::string KeyNamed(const Block& block, const std::string& name)
{
    const char* rest = nullptr;
    const formats::KeyEntry* entry = formats::FindKey(name.c_str(), block.section(), &rest);
    if (entry != nullptr && *rest == '\0') {
        return entry->name;
    }
    if (block.vessel < 0 || name.empty() || name.find_first_of(std::string(" \t\r\n\0", 5)) != std::string::npos ||
        name[0] == ';') {
        throw py::key_error("no " + std::string(block.vessel < 0 ? "settings" : "vessel") + " key \"" + name + "\"");
    }
    return name;
}

// The indices of `block`'s lines of the key `key`, in order.
std::vector<size_t> LinesOf(const Block& block, const std::string& key)
{
    std::vector<size_t> found;
    for (size_t k = 0; k < block.Count(); ++k) {
        if (KeyOf(block.At(k)) == key) {
            found.push_back(k);
        }
    }
    return found;
}

// The distinct keys of `block`'s lines, in the order they first come.
std::vector<std::string> Keys(ScenarioDocument& doc, int vessel)
{
    const Block block = BlockOf(doc, vessel);
    std::vector<std::string> keys;
    for (size_t k = 0; k < block.Count(); ++k) {
        std::string key = KeyOf(block.At(k));
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
            keys.push_back(std::move(key));
        }
    }
    return keys;
}

// The arguments of each of `block`'s lines of key `name`, as the file writes them, in order.
std::vector<std::string> Values(ScenarioDocument& doc, int vessel, const std::string& name)
{
    const Block block = BlockOf(doc, vessel);
    std::vector<std::string> values;
    for (size_t k : LinesOf(block, KeyNamed(block, name))) {
        const std::string text = formats::LineText(block.At(k));
        const size_t blank = text.find_first_of(" \t");
        values.push_back(blank == std::string::npos ? std::string() : text.substr(blank + 1));
    }
    return values;
}

// Makes `block`'s lines of key `name` read "<name> <arguments>", one per item of `arguments`, in
// place of the ones it has: they keep their places, extra ones follow the last, and a key it had
// none of is added (at the end of the settings, at the start of a vessel's host lines, at the end
// of its module's). Every line is read before anything changes.
void Put(ScenarioDocument& doc, int vessel, const std::string& name, const std::vector<std::string>& arguments)
{
    const Block block = BlockOf(doc, vessel);
    const std::string key = KeyNamed(block, name);
    std::vector<ScenarioLine> lines;
    lines.reserve(arguments.size());
    for (const std::string& text : arguments) {
        std::string line = key;
        if (!text.empty()) {
            line += ' ';
            line += text;
        }
        lines.push_back(Read(block, line));
    }
    const std::vector<size_t> old = LinesOf(block, key);
    size_t at = old.empty() ? (vessel < 0 || (!lines.empty() && !lines[0].host) ? block.Count() : 0) : old.back() + 1;
    for (size_t k = 0; k < lines.size(); ++k) {
        if (k < old.size()) {
            block.Put(old[k], lines[k]);
        } else {
            block.Insert(at++, lines[k]);
        }
    }
    for (size_t k = old.size(); k-- > lines.size();) {
        block.Erase(old[k]);
    }
}

// Removes every line of key `name` from `block`; returns how many there were.
size_t Remove(ScenarioDocument& doc, int vessel, const std::string& name)
{
    const Block block = BlockOf(doc, vessel);
    const std::vector<size_t> old = LinesOf(block, KeyNamed(block, name));
    for (size_t k = old.size(); k-- > 0;) {
        block.Erase(old[k]);
    }
    return old.size();
}

std::vector<std::string> Lines(ScenarioDocument& doc, int vessel)
{
    const Block block = BlockOf(doc, vessel);
    std::vector<std::string> lines;
    for (size_t k = 0; k < block.Count(); ++k) {
        lines.push_back(formats::LineText(block.At(k)));
    }
    return lines;
}

void Add(ScenarioDocument& doc, int vessel, const std::string& text)
{
    const Block block = BlockOf(doc, vessel);
    block.Insert(block.Count(), Read(block, text));
}

// Why a line of `doc` would not read back from its file, "" when every line would.
std::string Unreadable(ScenarioDocument& doc)
{
    std::string why;
    for (int vessel = -1; vessel < static_cast<int>(doc.vessels.size()); ++vessel) {
        const Block block{doc, vessel};
        for (size_t k = 0; k < block.Count(); ++k) {
            ScenarioLine again;
            if (!formats::ReadScenarioLine(formats::LineText(block.At(k)), block.section(), again, why)) {
                return why;
            }
        }
    }
    return why;
}

// Sets a quantity as a sweep's VARY line names it ("Carrier.heading", "wind.speed", ...) to `value`;
// a value its line cannot hold (a latitude past a pole) leaves the document as it was.
void SetQuantity(ScenarioDocument& doc, const std::string& quantity, double value)
{
    runner::Dispersion d;
    std::string why;
    ScenarioDocument edited = doc;
    if (std::isnan(value)) {
        Raise(runner::EXIT_SCENARIO, doc.path + ": " + quantity + " = nan: not a number");
    }
    if (!runner::ReadQuantity(quantity, d, why) || !runner::SetQuantity(edited, doc.path, d, value, why)) {
        Raise(runner::EXIT_SCENARIO, why);
    }
    if (why = Unreadable(edited); !why.empty()) {
        Raise(runner::EXIT_SCENARIO, doc.path + ": " + quantity + " = " + formats::FormatNumber(value) + ": " + why);
    }
    doc = std::move(edited);
}

}  // namespace

void BindScenario(py::module_& m)
{
    py::class_<ScenarioDocument>(m, "Document", "A scenario document: its settings and vessels, line by line.")
        .def(py::init(&Parse), py::arg("text"), py::arg("name"), "Reads the text of a scenario file, its errors naming it `name`.")
        .def_static("load", &Load, py::arg("path"), "Reads the scenario file `path`.")
        .def("text", &formats::WriteScenario, "The document as the text of a scenario file.")
        .def("save", &Save, py::arg("path"), "Writes the document to the scenario file `path`.")
        .def("copy", [](const ScenarioDocument& doc) { return doc; }, "A copy to edit apart.")
        .def_readwrite("path", &ScenarioDocument::path, "The name errors give it: its file, or the name given.")
        .def("vessel_names", [](const ScenarioDocument& doc) {
            std::vector<std::string> names;
            for (const formats::ScenarioVessel& v : doc.vessels) {
                names.push_back(v.name);
            }
            return names;
        }, "The vessels' names, in file order.")
        .def("vessel_class", [](ScenarioDocument& doc, int vessel) { return BlockOf(doc, vessel).Vessel().className; },
             py::arg("vessel"), "The module class of vessel `vessel` (by index), \"\" for a plain body.")
        .def("keys", &Keys, py::arg("vessel"), "The distinct keys of vessel `vessel`'s lines (-1: the settings'), in order.")
        .def("values", &Values, py::arg("vessel"), py::arg("key"),
             "The arguments of each `key` line of vessel `vessel` (-1: the settings), in order.")
        .def("put", &Put, py::arg("vessel"), py::arg("key"), py::arg("arguments"),
             "Makes the `key` lines read \"<key> <arguments>\", one per item, in place of the ones there were.")
        .def("remove", &Remove, py::arg("vessel"), py::arg("key"), "Removes every `key` line; returns their count.")
        .def("lines", &Lines, py::arg("vessel"), "Every line, as the file writes it.")
        .def("add", &Add, py::arg("vessel"), py::arg("line"), "Appends a line, read as the file reads one.")
        .def("set_quantity", &SetQuantity, py::arg("quantity"), py::arg("value"),
             "Sets a quantity as a sweep's VARY line names it, e.g. \"Carrier.heading\" (rad).");
}

}  // namespace karvex_python
