#include "runner/envelope/envelope.h"

#include <cstdio>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "formats/number_text.h"
#include "runner/batch/workers.h"
#include "runner/envelope/envelope_probe.h"
#include "runner/envelope/envelope_rows.h"
#include "runner/plots/plot.h"
#include "runner/program/complaint.h"
#include "runner/program/exit_codes.h"
#include "runner/program/paths.h"
#include "runtime/host_control.h"

namespace runner {

namespace {

namespace fs = std::filesystem;

// One bearing of one release condition: the envelope's unit of work.
struct Unit {
    size_t condition = 0, bearing = 0;
    BearingSearch found;
};

// Searches every unit of `units` on the option's threads; false with `failure` when a flight fails.
bool SearchAll(const EnvelopeDefinition& def, const EnvelopeOptions& options,
               const std::vector<ReleaseCondition>& conditions, std::vector<Unit>& units, std::string& failure)
{
    const SequentialRule rule = RuleOf(def);
    auto search = [&](size_t k, std::string& why) {
        Unit& unit = units[k];
        const ReleaseCondition& c = conditions[unit.condition];
        const double bearing = def.bearings[unit.bearing];
        unit.found = SearchBearing(def.rangeMin, def.rangeMax, def.scan, def.tolerance, [&](double range) {
            return why.empty() ? ProbePoint(def, rule, options.moduleDir, c, bearing, range, why) : Probe{};
        });
        return why.empty();
    };
    return OnEveryCore(units.size(), 0, options.jobs, options.quiet, "bearings", search, failure);
}

// The rows of envelope.csv for `units`, and each condition's tally.
std::vector<EnvelopeRow> RowsOf(const EnvelopeDefinition& def, const std::vector<ReleaseCondition>& conditions,
                                const std::vector<Unit>& units, std::vector<ConditionTally>& tallies)
{
    std::vector<EnvelopeRow> rows;
    for (const Unit& unit : units) {
        const ReleaseCondition& c = conditions[unit.condition];
        EnvelopeRow row{c.altitude, c.speed, def.bearings[unit.bearing], 0, NAN, NAN, unit.found.flights};
        if (unit.found.intervals.empty()) {
            rows.push_back(row);
        }
        for (const RangeInterval& interval : unit.found.intervals) {
            ++row.interval;
            row.rmin = interval.rmin;
            row.rmax = interval.rmax;
            rows.push_back(row);
        }
        ConditionTally& tally = tallies[unit.condition];
        tally.probes += unit.found.probes;
        tally.flights += unit.found.flights;
        tally.undecided += unit.found.undecided;
    }
    return rows;
}

// Prints each condition's ranges on the track and what the search took, from envelope.json's `text`.
void Report(const std::string& text, long long releaseFlights)
{
    const nlohmann::ordered_json json = nlohmann::ordered_json::parse(text);
    auto metres = [](const nlohmann::ordered_json& value) {
        return value.is_null() ? std::string("-") : formats::FormatNumber(value.get<double>()) + " m";
    };
    for (const nlohmann::ordered_json& c : json.at("conditions")) {
        std::printf("%s m, %s m/s: on the track %s to %s, across %s, %s km2; %lld flights, %lld undecided\n",
                    formats::FormatNumber(c.at("altitude_m").get<double>()).c_str(),
                    formats::FormatNumber(c.at("speed_m_s").get<double>()).c_str(),
                    metres(c.at("rmin_on_track_m")).c_str(),
                    metres(c.at("rmax_on_track_m")).c_str(), metres(c.at("max_cross_range_m")).c_str(),
                    formats::FormatNumber(c.at("area_km2").get<double>()).c_str(), c.at("flights").get<long long>(),
                    c.at("undecided").get<long long>());
    }
    std::printf("%lld probes and %lld flights, and %lld to find the release points; a dense scan at the tolerance "
                "would probe %lld points; intervals narrower than the scan step (%s m) may go unseen\n",
                json.at("probes").get<long long>(), json.at("flights").get<long long>(), releaseFlights,
                json.at("dense_probes").get<long long>(),
                formats::FormatNumber(json.at("scan_m").get<double>()).c_str());
}

}  // namespace

int Envelope(const EnvelopeOptions& options)
{
    EnvelopeDefinition def;
    std::string error;
    if (!ReadEnvelope(options.envelopeFile, def, error)) {
        Complain("envelope", "%s", error.c_str());
        return EXIT_SCENARIO;
    }
    if (options.shards < 1 || options.shard < 1 || options.shard > options.shards) {
        Complain("envelope", "shard %d/%d: expected K/N with 1 <= K <= N", options.shard, options.shards);
        return EXIT_USAGE;
    }
    std::error_code fsError;
    const fs::path out = fs::absolute(options.outDir, fsError);
    fs::create_directories(out / "work", fsError);
    if (!fs::is_directory(out / "work")) {
        Complain("envelope", "cannot create %s", out.c_str());
        return EXIT_FAILED;
    }
    EnvelopeOptions fly = options;
    fly.moduleDir = fs::absolute(options.moduleDir, fsError).string();
    // The modules append their log in the working directory: a scratch folder while the probes fly.
    const fs::path previous = fs::current_path();
    fs::current_path(out / "work");
    std::vector<ReleaseCondition> conditions;
    std::vector<Unit> units;
    int code = EXIT_OK;
    {
        standin::OwnWorld world;
        for (double altitude : def.altitudes) {
            for (double speed : def.speeds) {
                if (code == EXIT_OK) {
                    code = PrepareCondition(def, fly.moduleDir, altitude, speed, conditions.emplace_back(), error);
                }
            }
        }
    }
    const size_t total = conditions.size() * def.bearings.size();
    long long first = 0, last = 0;
    ShardRange(static_cast<long long>(total), options.shard, options.shards, first, last);
    for (auto k = static_cast<size_t>(first); k < static_cast<size_t>(last); ++k) {
        units.push_back({k / def.bearings.size(), k % def.bearings.size(), {}});
    }
    if (code == EXIT_OK && !SearchAll(def, fly, conditions, units, error)) {
        code = EXIT_SCENARIO;
    }
    fs::current_path(previous);
    fs::remove_all(out / "work", fsError);
    if (code != EXIT_OK) {
        Complain("envelope", "%s", error.c_str());
        return code;
    }
    std::vector<ConditionTally> tallies(conditions.size());
    const std::vector<EnvelopeRow> rows = RowsOf(def, conditions, units, tallies);
    const EnvelopeMeta meta = EnvelopeMetaOf(def, conditions.front().release.targetSize, options.shard, options.shards);
    if (!WriteEnvelope(out.string(), meta, rows, tallies)) {
        Complain("envelope", "cannot write envelope.csv and envelope.json in %s", out.c_str());
        return EXIT_FAILED;
    }
    if (!options.quiet) {
        Report(EnvelopeJson(meta, rows, tallies), static_cast<long long>(conditions.size()));
        std::printf("wrote %s and %s\n", (out / "envelope.csv").c_str(), (out / "envelope.json").c_str());
    }
    return options.plot ? PlotEnvelope(out.string(), options.plotScript) : EXIT_OK;
}

}  // namespace runner
