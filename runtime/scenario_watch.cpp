// The scenario's watched weapons and targets, checked against the vessels loaded from it.
#include <algorithm>

#include "scenario.h"
#include "world/world.h"

namespace standin {

namespace {

const Vessel* VesselNamed(const std::string& name)
{
    const World& w = world();
    for (int slot : w.order) {
        if (w.vessels[static_cast<size_t>(slot)].name == name) {
            return &w.vessels[static_cast<size_t>(slot)];
        }
    }
    return nullptr;
}

// A weapon, as a host sees one: a module vessel with a point to hang from a carrier by.
bool IsWeapon(const Vessel& v)
{
    return !v.className.empty() &&
           std::any_of(v.attachments.begin(), v.attachments.end(), [](const Attachment& a) { return a.toParent; });
}

}  // namespace

std::string CheckWatched(const formats::ScenarioDocument& doc)
{
    std::vector<std::string> watched, targets;
    for (size_t i = 0; i < doc.settings.size(); ++i) {
        const formats::HostLine& s = doc.settings[i];
        const bool watch = s.key == formats::Key::Watch;
        if ((!watch && s.key != formats::Key::Target) || s.word.empty()) {
            continue;
        }
        const char* key = watch ? "WATCH" : "TARGET";
        const std::string where = Where(doc.settingLines[i]) + key + " names \"" + s.word + "\", ";
        const Vessel* v = VesselNamed(s.word);
        std::vector<std::string>& seen = watch ? watched : targets;
        if (v == nullptr) {
            return where + "which is no vessel";
        }
        if (std::find(seen.begin(), seen.end(), s.word) != seen.end()) {
            return where + "given twice";
        }
        if (watch && !IsWeapon(*v)) {
            return where + "which is no weapon (a module vessel that hangs from a carrier)";
        }
        const std::vector<std::string>& other = watch ? targets : watched;
        if (std::find(other.begin(), other.end(), s.word) != other.end()) {
            return where + (watch ? "which is a target too" : "which is watched too");
        }
        seen.push_back(s.word);
    }
    return "";
}

}  // namespace standin
