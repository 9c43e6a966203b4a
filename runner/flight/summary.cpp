// summary.json: the run's events, milestones and result, for tools that read it back.
#include <fstream>

#include <nlohmann/json.hpp>

#include "runner/flight/flight.h"

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
        summary["ignition"] = {{"time_s", Number(m.ignition)},
                               {"position_m", {r.ignitionPoint.x, r.ignitionPoint.y, r.ignitionPoint.z}}};
        if (r.round) {
            // Over a round planet the global position is inertial: where over the ground, too.
            summary["ignition"]["latitude_deg"] = r.ignitionPlace.x;
            summary["ignition"]["longitude_deg"] = r.ignitionPlace.y;
            summary["ignition"]["altitude_m"] = r.ignitionPlace.z;
        }
    }
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
    summary["milestones"] = marks;
    Json events = Json::array();
    for (const Event& e : r.events) {
        events.push_back({{"time_s", e.time}, {"kind", e.kind}, {"vessel", Name(e.vessel)}, {"text", e.text}});
    }
    summary["events"] = events;
    return summary.dump(2) + '\n';
}

bool WriteSummary(const std::string& path, const std::string& scenario, const RunResult& r)
{
    std::ofstream out(path);
    out << SummaryJson(scenario, r);
    return static_cast<bool>(out);
}

}  // namespace runner
