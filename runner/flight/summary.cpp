// summary.json: the run's events, milestones and result, for tools that read it back.

#include <nlohmann/json.hpp>

#include "formats/fresh_file.h"
#include "runner/flight/flight.h"
#include "runner/flight/outcome.h"

namespace runner {

namespace {

using Json = nlohmann::ordered_json;

Json Number(double value)
{
    return std::isnan(value) ? Json(nullptr) : Json(value);
}

Json Name(const std::string& name)
{
    return name.empty() ? Json(nullptr) : Json(name);
}

Json MilestonesJson(const Milestones& m)
{
    Json marks = Json::object();
    const std::pair<const char*, double> named[] = {
        {"release", m.release},   {"motor_lit", m.motorLit}, {"booster_cut", m.boosterCut}, {"lock", m.lock},
        {"impact", m.impact},     {"ignition", m.ignition},  {"burn_out", m.burnOut},       {"removal", m.removal},
    };
    for (const auto& [name, time] : named) {
        if (!std::isnan(time)) {
            marks[name] = time;
        }
    }
    return marks;
}

Json IgnitionJson(double time, const VECTOR3& point, bool round, const VECTOR3& place)
{
    Json ignition = {{"time_s", Number(time)}, {"position_m", {point.x, point.y, point.z}}};
    if (round) {
        // Over a round planet the global position is inertial: where over the ground, too.
        ignition["latitude_deg"] = place.x;
        ignition["longitude_deg"] = place.y;
        ignition["altitude_m"] = place.z;
    }
    return ignition;
}

// A salvo weapon's record: its result against its own target, what its head was on, its milestones.
Json WeaponJson(const WeaponRecord& w, const RunResult& r)
{
    const Milestones& m = w.milestones;
    const double landed = std::isnan(m.removal) ? r.endTime : m.removal;
    Json seeker = Json::array();
    for (const HeadOn& on : w.seeker) {
        seeker.push_back({{"time_s", on.time}, {"on", Name(on.vessel)}, {"as", HEAD_KINDS[static_cast<int>(on.kind)]}});
    }
    return {{"name", w.name},
            {"carrier", Name(w.carrier)},
            {"outcome", OUTCOMES[static_cast<int>(OutcomeOf(w))]},
            {"target", Name(w.target)},
            {"time_of_flight_s", Number(std::isnan(m.release) ? NAN : landed - m.release)},
            {"time_of_lock_s", Number(m.lock)},
            {"lock_target", Name(w.lockTarget)},
            {"time_of_friend_lock_s", Number(w.friendLock)},
            {"friend", Name(w.friendName)},
            {"miss_distance_m", Number(w.missDistance)},
            {"closest_approach_m", Number(w.closestApproach)},
            {"time_of_closest_approach_s", Number(w.closestApproachTime)},
            {"closest_target", Name(w.closestTarget)},
            {"relative_speed_m_s", Number(w.relativeSpeed)},
            {"ignition", std::isnan(m.ignition) ? Json(nullptr)
                                                : IgnitionJson(m.ignition, w.ignitionPoint, r.round, w.ignitionPlace)},
            {"milestones", MilestonesJson(m)},
            {"seeker", seeker}};
}

Json TargetJson(const TargetRecord& t)
{
    return {{"name", t.name},
            {"size_m", Number(t.size)},
            {"hit", !t.hitBy.empty()},
            {"hit_by", t.hitBy},
            {"closest_miss_m", Number(t.closestMiss)},
            {"closest_miss_by", Name(t.closestMissBy)},
            {"closest_approach_m", Number(t.closestApproach)},
            {"closest_approach_by", Name(t.closestApproachBy)}};
}

}  // namespace

std::string SummaryJson(const std::string& scenario, const RunResult& r)
{
    const Milestones& m = r.milestones;
    Json summary;
    summary["scenario"] = scenario;
    summary["missile"] = Name(r.watch);
    summary["target"] = Name(r.target);
    summary["target_size_m"] = Number(r.targetSize);
    summary["step_s"] = r.step;
    summary["end_time_s"] = r.endTime;
    double landed = std::isnan(m.removal) ? r.endTime : m.removal;
    summary["time_of_flight_s"] = Number(std::isnan(m.release) ? NAN : landed - m.release);
    summary["time_of_lock_s"] = Number(m.lock);
    summary["miss_distance_m"] = Number(r.missDistance);
    summary["closest_approach_m"] = Number(r.closestApproach);
    summary["time_of_closest_approach_s"] = Number(r.closestApproachTime);
    summary["relative_speed_m_s"] = Number(r.relativeSpeed);
    if (std::isnan(r.missDistance) && std::isnan(m.ignition)) {
        summary["ignition"] = nullptr;
    } else {
        summary["ignition"] = IgnitionJson(m.ignition, r.ignitionPoint, r.round, r.ignitionPlace);
    }
    summary["milestones"] = MilestonesJson(m);
    if (r.salvo) {
        // The fields above are the first weapon's; a salvo's every weapon and target follow.
        Json weapons = Json::array(), targets = Json::array();
        for (const WeaponRecord& w : r.weapons) {
            weapons.push_back(WeaponJson(w, r));
        }
        for (const TargetRecord& t : r.targets) {
            targets.push_back(TargetJson(t));
        }
        summary["weapons"] = weapons;
        summary["targets"] = targets;
    }
    Json events = Json::array();
    for (const Event& e : r.events) {
        events.push_back({{"time_s", e.time}, {"kind", e.kind}, {"vessel", Name(e.vessel)}, {"text", e.text}});
        if (r.salvo) {
            events.back()["weapon"] = Name(e.weapon);
        }
    }
    summary["events"] = events;
    // A text that is not UTF-8 comes out as U+FFFD: a throw here would leave the file empty.
    return summary.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + '\n';
}

bool WriteSummary(const std::string& path, const std::string& scenario, const RunResult& r)
{
    return formats::ReplaceFile(path, SummaryJson(scenario, r));
}

}  // namespace runner
