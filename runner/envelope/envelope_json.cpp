// envelope.json: per release condition, the ranges on the track, the largest cross-range and the
// footprint's area, worked out from the rows; and the envelope's own fields read back for a merge.
#include <algorithm>
#include <numbers>

#include <nlohmann/json.hpp>

#include "runner/batch/dispersions_json.h"
#include "runner/envelope/envelope_rows.h"
#include "runner/envelope/envelope_search.h"

namespace runner {

namespace {

using Json = nlohmann::ordered_json;

constexpr double DEG = std::numbers::pi / 180.0;

Json NumberOrNull(double value)
{
    return std::isnan(value) ? Json(nullptr) : Json(value);
}

// The angle each bearing stands for, rad: halfway to its neighbours (an end bearing's reaches no
// further out than itself).
std::vector<double> Shares(const std::vector<double>& bearings)
{
    std::vector<double> share(bearings.size(), 0.0);
    for (size_t i = 0; i + 1 < bearings.size(); ++i) {
        const double half = 0.5 * (bearings[i + 1] - bearings[i]) * DEG;
        share[i] += half;
        share[i + 1] += half;
    }
    return share;
}

// The condition at `altitude` m and `speed` m/s, its target moving as `target`, from its rows.
Json Condition(const EnvelopeMeta& meta, double altitude, double speed, const TargetMotion& target,
               const std::vector<EnvelopeRow>& rows, const ConditionTally& tally)
{
    const std::vector<double> share = Shares(meta.bearings);
    double nearest = NAN, farthest = NAN, across = NAN, area = 0.0;
    for (const EnvelopeRow& row : rows) {
        if (row.altitude != altitude || row.speed != speed || row.interval == 0 ||
            !(TargetMotion{row.targetSpeed, row.targetCourse} == target)) {
            continue;
        }
        if (row.bearing == 0.0) {
            nearest = std::isnan(nearest) ? row.rmin : std::fmin(nearest, row.rmin);
            farthest = std::isnan(farthest) ? row.rmax : std::fmax(farthest, row.rmax);
        }
        const double side = row.rmax * std::fabs(std::sin(row.bearing * DEG));
        across = std::isnan(across) ? side : std::fmax(across, side);
        const auto at = std::find(meta.bearings.begin(), meta.bearings.end(), row.bearing);
        if (at != meta.bearings.end()) {
            const double angle = share[static_cast<size_t>(at - meta.bearings.begin())];
            area += angle * 0.5 * (row.rmax * row.rmax - row.rmin * row.rmin);
        }
    }
    Json condition = {{"altitude_m", altitude}, {"speed_m_s", speed}};
    if (meta.targetConditions) {
        condition["target_speed_m_s"] = target.speed;
        condition["target_course_deg"] = NumberOrNull(target.course);
    }
    condition.update({{"rmin_on_track_m", NumberOrNull(nearest)}, {"rmax_on_track_m", NumberOrNull(farthest)},
                      {"max_cross_range_m", NumberOrNull(across)}, {"area_km2", area / 1e6},
                      {"probes", tally.probes}, {"flights", tally.flights}, {"undecided", tally.undecided}});
    return condition;
}

}  // namespace

std::string EnvelopeJson(const EnvelopeMeta& meta, const std::vector<EnvelopeRow>& rows,
                         const std::vector<ConditionTally>& tallies)
{
    Json json;
    json["envelope"] = meta.envelope;
    json["scenario"] = meta.scenario;
    json["target"] = meta.target;
    json["target_size_m"] = meta.targetSize;
    json["range_m"] = {meta.rangeMin, meta.rangeMax};
    json["tolerance_m"] = meta.tolerance;
    // The narrowest interval of hits (or of misses between hits) the scan is sure to see.
    json["scan_m"] = (meta.rangeMax - meta.rangeMin) / ScanSteps(meta.rangeMin, meta.rangeMax, meta.scan);
    json["scan_limit_m"] = meta.scan;
    json["altitudes_m"] = meta.altitudes;
    json["speeds_m_s"] = meta.speeds;
    if (meta.targetConditions) {
        json["target_speeds_m_s"] = meta.targetSpeeds;
        json["target_courses_deg"] = meta.targetCourses;
    }
    json["bearings_deg"] = meta.bearings;
    json["probability"] = NumberOrNull(meta.probability);
    json["confidence"] = NumberOrNull(meta.confidence);
    json["runs_cap"] = meta.probabilistic ? Json(meta.cap) : Json(nullptr);
    json["seed"] = meta.probabilistic ? Json(meta.seed) : Json(nullptr);
    json["dispersions"] = DispersionsJson(meta.inputs);
    if (!meta.settings.empty()) {
        json["settings"] = meta.settings;
    }
    if (meta.shards > 1) {
        json["shard"] = std::to_string(meta.shard) + "/" + std::to_string(meta.shards);
    }
    ConditionTally total;
    Json conditions = Json::array();
    size_t c = 0;
    const std::vector<TargetMotion> targets = TargetMotionsOf(meta);
    for (double altitude : meta.altitudes) {
        for (double speed : meta.speeds) {
            for (const TargetMotion& target : targets) {
                const ConditionTally tally = c < tallies.size() ? tallies[c] : ConditionTally{};
                total.probes += tally.probes;
                total.flights += tally.flights;
                total.undecided += tally.undecided;
                conditions.push_back(Condition(meta, altitude, speed, target, rows, tally));
                ++c;
            }
        }
    }
    json["probes"] = total.probes;
    json["dense_probes"] = DenseProbes(meta);
    json["flights"] = total.flights;
    json["undecided"] = total.undecided;
    json["conditions"] = conditions;
    return json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

bool ReadEnvelopeJson(std::istream& in, EnvelopeMeta& meta, std::vector<ConditionTally>& tallies)
{
    Json json = Json::parse(in, nullptr, false);
    if (json.is_discarded()) {
        return false;
    }
    meta = EnvelopeMeta{};
    tallies.clear();
    try {
        meta.envelope = json.at("envelope").get<std::string>();
        meta.scenario = json.at("scenario").get<std::string>();
        meta.target = json.at("target").get<std::string>();
        meta.targetSize = json.at("target_size_m").get<double>();
        meta.rangeMin = json.at("range_m").at(0).get<double>();
        meta.rangeMax = json.at("range_m").at(1).get<double>();
        meta.tolerance = json.at("tolerance_m").get<double>();
        meta.scan = json.at("scan_limit_m").get<double>();
        meta.altitudes = json.at("altitudes_m").get<std::vector<double>>();
        meta.speeds = json.at("speeds_m_s").get<std::vector<double>>();
        meta.bearings = json.at("bearings_deg").get<std::vector<double>>();
        meta.targetConditions = json.contains("target_speeds_m_s");
        if (meta.targetConditions) {
            meta.targetSpeeds = json.at("target_speeds_m_s").get<std::vector<double>>();
            meta.targetCourses = json.at("target_courses_deg").get<std::vector<double>>();
        }
        meta.probabilistic = !json.at("probability").is_null();
        if (meta.probabilistic) {
            meta.probability = json.at("probability").get<double>();
            meta.confidence = json.at("confidence").get<double>();
            meta.cap = json.at("runs_cap").get<long long>();
            meta.seed = json.at("seed").get<uint64_t>();
        }
        meta.inputs = ReadDispersionsJson(json.at("dispersions"));
        if (json.contains("settings")) {
            meta.settings = json.at("settings").get<std::vector<std::string>>();
        }
        for (const Json& c : json.at("conditions")) {
            tallies.push_back({c.at("probes").get<long long>(), c.at("flights").get<long long>(),
                               c.at("undecided").get<long long>()});
        }
    } catch (const Json::exception&) {
        return false;
    }
    const bool ranges = meta.tolerance > 0.0 && meta.scan >= meta.tolerance && meta.rangeMax > meta.rangeMin;
    const bool targets = !meta.targetConditions || (!meta.targetSpeeds.empty() && !meta.targetCourses.empty());
    return ranges && targets &&
           tallies.size() == meta.altitudes.size() * meta.speeds.size() * TargetMotionsOf(meta).size();
}

}  // namespace runner
