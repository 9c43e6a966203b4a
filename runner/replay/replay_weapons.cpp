// The replay page's weapons, from a run's summary.
#include "runner/replay/replay_weapons.h"

#include <utility>

namespace runner {

namespace {

using Json = nlohmann::json;

// `record`'s `key` when it has `fallback`'s type, else `fallback`: the page's script relies on them.
Json Typed(const Json& record, const char* key, const Json& fallback)
{
    const Json value = record.value(key, Json());
    return value.type() == fallback.type() ? value : fallback;
}

}  // namespace

bool IsSalvo(const Json& summary)
{
    return summary.contains("weapons") && summary["weapons"].is_array();
}

void AddWeapons(const Json& summary, Json& data, std::map<std::string, Json>& watched)
{
    if (summary.value("missile", Json()).is_string()) {
        watched[summary["missile"]] = summary.value("milestones", Json::object());
    }
    if (!IsSalvo(summary)) {
        return;  // a single weapon's page carries no more than it did before salvos
    }
    Json weapons = Json::array(), targets = Json::array();
    for (const Json& w : summary["weapons"]) {
        if (w.is_object() && w.value("name", Json()).is_string()) {
            const Json milestones = Typed(w, "milestones", Json::object());
            watched[w["name"]] = milestones;
            weapons.push_back({{"name", w["name"]}, {"target", w.value("target", Json())},
                               {"outcome", w.value("outcome", Json())}, {"milestones", milestones},
                               {"seeker", Typed(w, "seeker", Json::array())}});
        }
    }
    for (const Json& t : Typed(summary, "targets", Json::array())) {
        if (t.is_object() && t.value("name", Json()).is_string()) {
            targets.push_back(
                {{"name", t["name"]}, {"size", t.value("size_m", Json())}, {"hit", t.value("hit", Json())}});
        }
    }
    data["weapons"] = std::move(weapons);
    data["targets"] = std::move(targets);
}

}  // namespace runner
