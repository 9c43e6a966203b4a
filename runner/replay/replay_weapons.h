// The replay page's weapons: which vessels are watched weapons, with their milestones, and a
// salvo's weapons and targets as the page shows them.
#pragma once

#include <map>
#include <string>

#include <nlohmann/json.hpp>

namespace runner {

/// Whether `summary` is a salvo's: one that lists its watched weapons under "weapons".
bool IsSalvo(const nlohmann::json& summary);

/// Puts each watched weapon's milestones into `watched` by name (a single weapon's from the
/// summary's top level) and, for a salvo, its "weapons" and "targets" into the page's `data`.
void AddWeapons(const nlohmann::json& summary, nlohmann::json& data, std::map<std::string, nlohmann::json>& watched);

}  // namespace runner
