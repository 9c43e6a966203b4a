#include "runner/envelope/envelope.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include <nlohmann/json.hpp>

#include "formats/number_text.h"
#include "runner/batch/workers.h"
#include "runner/envelope/envelope_probe.h"
#include "runner/envelope/envelope_rows.h"
#include "runner/plots/plot.h"
#include "runner/program/complaint.h"
#include "runner/program/exit_codes.h"
#include "runner/program/paths.h"
#include "runner/program/scratch_folder.h"
#include "runtime/host_control.h"

namespace runner {

namespace {

namespace fs = std::filesystem;

// One bearing of one release condition and target motion: the envelope's unit of work.
struct Unit {
    size_t release = 0, target = 0, bearing = 0;
    BearingSearch found;
};

// Searches every unit of `units` on the option's threads; an ExitCode, with `failure` when not EXIT_OK.
int SearchAll(const EnvelopeDefinition& def, const EnvelopeOptions& options,
              const std::vector<ReleaseCondition>& conditions, const std::vector<TargetMotion>& targets,
              std::vector<Unit>& units, std::string& failure)
{
    const SequentialRule rule = RuleOf(def);
    auto search = [&](size_t k, std::string& why) {
        Unit& unit = units[k];
        const ReleaseCondition& c = conditions[unit.release];
        const TargetMotion& target = targets[unit.target];
        const double bearing = def.bearings[unit.bearing];
        unit.found = SearchBearing(def.rangeMin, def.rangeMax, def.scan, def.tolerance, [&](double range) {
            return why.empty() ? ProbePoint(def, rule, options.moduleDir, c, target, bearing, range, why, options.stop)
                               : Probe{};
        });
        return why.empty();
    };
    const BatchOptions how{options.jobs, options.quiet, "bearings", options.stop, options.progress};
    return OnEveryCore(units.size(), 0, how, search, failure);
}

// Builds and flies every release condition of `def` once, into `conditions`; an ExitCode, with
// `error` when not EXIT_OK.
int PrepareAll(const EnvelopeDefinition& def, const EnvelopeOptions& options,
               std::vector<ReleaseCondition>& conditions, std::string& error)
{
    standin::OwnWorld world;
    for (double altitude : def.altitudes) {
        for (double speed : def.speeds) {
            const int code = PrepareCondition(def, options.moduleDir, altitude, speed, conditions.emplace_back(),
                                              error, options.stop);
            if (code != EXIT_OK) {
                return code;
            }
        }
    }
    return EXIT_OK;
}

// The rows of envelope.csv for `units`, and each condition's tally.
std::vector<EnvelopeRow> RowsOf(const EnvelopeDefinition& def, const std::vector<ReleaseCondition>& conditions,
                                const std::vector<TargetMotion>& targets, const std::vector<Unit>& units,
                                std::vector<ConditionTally>& tallies)
{
    std::vector<EnvelopeRow> rows;
    for (const Unit& unit : units) {
        const ReleaseCondition& c = conditions[unit.release];
        const TargetMotion& target = targets[unit.target];
        EnvelopeRow row{c.altitude, c.speed, def.bearings[unit.bearing], 0, NAN, NAN, unit.found.flights,
                        target.speed, target.course};
        if (unit.found.intervals.empty()) {
            rows.push_back(row);
        }
        for (const RangeInterval& interval : unit.found.intervals) {
            ++row.interval;
            row.rmin = interval.rmin;
            row.rmax = interval.rmax;
            rows.push_back(row);
        }
        ConditionTally& tally = tallies[unit.release * targets.size() + unit.target];
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
        std::string target;
        if (c.contains("target_speed_m_s")) {
            const double speed = c.at("target_speed_m_s").get<double>();
            target = speed == 0.0 ? ", target still"
                                  : ", target at " + formats::FormatNumber(speed) + " m/s, " +
                                        formats::FormatNumber(c.at("target_course_deg").get<double>()) +
                                        " deg off the track";
        }
        std::printf("%s m, %s m/s%s: on the track %s to %s, across %s, %s km2; %lld flights, %lld undecided\n",
                    formats::FormatNumber(c.at("altitude_m").get<double>()).c_str(),
                    formats::FormatNumber(c.at("speed_m_s").get<double>()).c_str(), target.c_str(),
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
    // Refused before anything is read or made.
    if (const int refused = RefuseJobFolders("envelope", options.outDir, options.moduleDir); refused != EXIT_OK) {
        return refused;
    }
    EnvelopeDefinition read;
    std::string error;
    if (options.definition == nullptr && !ReadEnvelope(options.envelopeFile, read, error)) {
        Complain("envelope", "%s", error.c_str());
        return EXIT_SCENARIO;
    }
    const EnvelopeDefinition& def = options.definition != nullptr ? *options.definition : read;
    if (options.shards < 1 || options.shard < 1 || options.shard > options.shards) {
        Complain("envelope", "shard %d/%d: expected K/N with 1 <= K <= N", options.shard, options.shards);
        return EXIT_USAGE;
    }
    std::error_code fsError;
    const fs::path out = fs::absolute(options.outDir, fsError);
    fs::create_directories(out, fsError);
    // The modules append their log in the working directory: a scratch folder of the envelope's own
    // while the probes fly, the only thing it removes afterwards.
    std::optional<ScratchFolder> scratch;
    if (!fs::is_directory(out) || scratch.emplace(out).Path().empty()) {
        Complain("envelope", "cannot create %s%s", scratch ? "a scratch folder in " : "", out.c_str());
        return EXIT_FAILED;
    }
    EnvelopeOptions fly = options;
    fly.moduleDir = fs::absolute(options.moduleDir, fsError).string();
    const fs::path previous = fs::current_path();
    fs::current_path(scratch->Path());
    std::vector<ReleaseCondition> conditions;
    std::vector<Unit> units;
    int code = PrepareAll(def, fly, conditions, error);
    const std::vector<TargetMotion> targets = TargetMotions(def.targetSpeeds, def.targetCourses);
    const size_t bearings = def.bearings.size(), perRelease = targets.size() * bearings;
    long long first = 0, last = 0;
    const auto total = static_cast<long long>(conditions.size()) * static_cast<long long>(perRelease);
    ShardRange(total, options.shard, options.shards, first, last);
    for (auto k = static_cast<size_t>(first); k < static_cast<size_t>(last); ++k) {
        units.push_back({k / perRelease, k % perRelease / bearings, k % bearings, {}});
    }
    if (code == EXIT_OK) {
        code = SearchAll(def, fly, conditions, targets, units, error);
    }
    fs::current_path(previous);
    scratch.reset();
    if (code != EXIT_OK) {
        Complain("envelope", "%s", error.c_str());
        return code;
    }
    std::vector<ConditionTally> tallies(conditions.size() * targets.size());
    const std::vector<EnvelopeRow> rows = RowsOf(def, conditions, targets, units, tallies);
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
