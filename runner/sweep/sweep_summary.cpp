// A sweep's summary.json: what its rows add up to, and the sweep's own fields read back for a merge.
#include <algorithm>

#include <nlohmann/json.hpp>

#include "runner/batch/dispersions_json.h"
#include "runner/batch/wilson_interval.h"
#include "runner/sweep/sweep_rows.h"

namespace runner {

namespace {

using Json = nlohmann::ordered_json;

// Wilson's 95% interval for k successes in n trials.
Json Proportion(long long k, long long n)
{
    if (n == 0) {
        return {{"p", nullptr}, {"ci95", nullptr}};
    }
    double low = 0.0, high = 1.0;
    WilsonInterval(k, n, 1.959963984540054, low, high);
    double p = static_cast<double>(k) / static_cast<double>(n);
    return {{"p", p}, {"ci95", {low, high}}};
}

// The q-quantile of sorted `v` (linear between order statistics) with a 95% interval from the
// order statistics whose ranks bound it (normal approximation to the binomial).
Json Quantile(const std::vector<double>& v, double q)
{
    if (v.empty()) {
        return {{"value", nullptr}, {"ci95", nullptr}};
    }
    double n = static_cast<double>(v.size());
    double h = (n - 1.0) * q;
    size_t lo = static_cast<size_t>(std::floor(h));
    double value = v[lo] + (h - std::floor(h)) * (v[std::min(lo + 1, v.size() - 1)] - v[lo]);
    double spread = 1.959963984540054 * std::sqrt(n * q * (1.0 - q));
    auto rank = [&](double r) { return static_cast<size_t>(std::clamp(r, 0.0, n - 1.0)); };
    return {{"value", value}, {"ci95", {v[rank(std::floor(n * q - spread))], v[rank(std::ceil(n * q + spread))]}}};
}

// A salvo's fields: its weapons and targets, each weapon's outcome counts, and with Wilson's
// intervals the chance of each target hit, of every target hit, and of a head on a friend.
void AddSalvo(const SweepMeta& meta, const std::vector<SweepRow>& rows, Json& summary)
{
    const long long n = static_cast<long long>(rows.size());
    summary["weapons"] = meta.weapons;
    summary["targets"] = meta.targets;
    Json outcomes = Json::object();
    for (size_t w = 0; w < meta.weapons.size(); ++w) {
        long long counts[OUTCOME_COUNT] = {};
        for (const SweepRow& row : rows) {
            ++counts[static_cast<int>(row.weapons[w].outcome)];
        }
        for (int k = 0; k < OUTCOME_COUNT; ++k) {
            outcomes[meta.weapons[w]][OUTCOMES[k]] = counts[k];
        }
    }
    summary["outcomes"] = outcomes;
    Json hit = Json::object();
    for (size_t t = 0; t < meta.targets.size(); ++t) {
        hit[meta.targets[t]] = Proportion(std::count_if(rows.begin(), rows.end(), [&](const SweepRow& r) { return r.hit[t] != 0; }), n);
    }
    summary["target_hit_probability"] = hit;
    auto every = [](const SweepRow& r) { return std::all_of(r.hit.begin(), r.hit.end(), [](char h) { return h != 0; }); };
    auto friendLock = [](const SweepRow& r) {
        return std::any_of(r.weapons.begin(), r.weapons.end(), [](const WeaponRow& w) { return !std::isnan(w.friendLock); });
    };
    summary["every_target_hit_probability"] = Proportion(std::count_if(rows.begin(), rows.end(), every), n);
    summary["friend_lock_probability"] = Proportion(std::count_if(rows.begin(), rows.end(), friendLock), n);
}

}  // namespace

std::string SummaryJson(const SweepMeta& meta, const std::vector<SweepRow>& rows)
{
    long long counts[OUTCOME_COUNT] = {};
    long long within[3] = {0, 0, 0};
    const double radii[3] = {5.0, 10.0, 50.0};
    std::vector<double> misses;
    for (const SweepRow& row : rows) {
        ++counts[static_cast<int>(row.outcome)];
        if (!std::isnan(row.miss)) {
            misses.push_back(row.miss);
            for (int k = 0; k < 3; ++k) {
                within[k] += row.miss <= radii[k];
            }
        }
    }
    std::sort(misses.begin(), misses.end());
    long long n = static_cast<long long>(rows.size());
    Json summary;
    summary["sweep"] = meta.sweep;
    summary["scenario"] = meta.scenario;
    summary["seed"] = meta.seed;
    summary["runs"] = meta.runs;
    if (meta.shards > 1) {
        summary["shard"] = std::to_string(meta.shard) + "/" + std::to_string(meta.shards);
    }
    summary["runs_in_file"] = n;
    summary["dispersions"] = DispersionsJson(meta.inputs);
    if (!meta.settings.empty()) {
        summary["settings"] = meta.settings;  // a sweep without them keeps its summary as it was
    }
    if (meta.Salvo()) {
        AddSalvo(meta, rows, summary);
        return summary.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    }
    summary["outcomes"] = Json::object();
    for (int k = 0; k < SINGLE_OUTCOME_COUNT; ++k) {
        summary["outcomes"][OUTCOMES[k]] = counts[k];
    }
    summary["hit_probability"] = {{"within_5_m", Proportion(within[0], n)},
                                  {"within_10_m", Proportion(within[1], n)},
                                  {"within_50_m", Proportion(within[2], n)}};
    summary["cep_m"] = Quantile(misses, 0.5);
    summary["p90_miss_m"] = Quantile(misses, 0.9);
    return summary.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

bool ReadSummaryMeta(std::istream& in, SweepMeta& meta)
{
    Json summary = Json::parse(in, nullptr, false);
    if (summary.is_discarded()) {
        return false;
    }
    meta = SweepMeta{};
    try {
        meta.sweep = summary.at("sweep").get<std::string>();
        meta.scenario = summary.at("scenario").get<std::string>();
        meta.seed = summary.at("seed").get<uint64_t>();
        meta.runs = summary.at("runs").get<long long>();
        meta.inputs = ReadDispersionsJson(summary.at("dispersions"));
        if (summary.contains("settings")) {
            meta.settings = summary.at("settings").get<std::vector<std::string>>();
        }
        if (summary.contains("weapons")) {
            meta.weapons = summary.at("weapons").get<std::vector<std::string>>();
            meta.targets = summary.at("targets").get<std::vector<std::string>>();
        }
    } catch (const Json::exception&) {
        return false;
    }
    // The merge keeps a mark per run: a count no sweep can have is no sweep's summary.
    return meta.runs >= 1 && meta.runs <= MAX_RUNS;
}

}  // namespace runner
