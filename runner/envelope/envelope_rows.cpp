#include "runner/envelope/envelope_rows.h"

#include <filesystem>

#include "formats/csv.h"
#include "formats/fresh_file.h"
#include "formats/scenario_keys.h"

namespace runner {

namespace {

// The target columns of a row of envelope.csv: a speed from 0, and a finite course exactly when it
// is above 0.
bool ReadTarget(const std::string& speed, const std::string& course, EnvelopeRow& row)
{
    if (!formats::ParseField(speed, row.targetSpeed) || !(row.targetSpeed >= 0.0 && std::isfinite(row.targetSpeed))) {
        return false;
    }
    if (course.empty()) {
        return row.targetSpeed == 0.0;
    }
    return formats::ParseField(course, row.targetCourse) && std::isfinite(row.targetCourse) && row.targetSpeed > 0.0;
}

// A row of envelope.csv, with the target columns after the speed when `targets`: finite numbers,
// ranges both given or both empty, a whole interval from 0 that is 0 exactly when the ranges are empty.
bool ReadRow(std::vector<std::string> f, bool targets, EnvelopeRow& row)
{
    using formats::ParseField;
    if (f.size() != (targets ? 9u : 7u) || (targets && !ReadTarget(f[2], f[3], row))) {
        return false;
    }
    if (targets) {
        f.erase(f.begin() + 2, f.begin() + 4);
    }
    if (!ParseField(f[0], row.altitude) || !ParseField(f[1], row.speed) || !ParseField(f[2], row.bearing) ||
        !ParseField(f[3], row.interval) || !ParseField(f[6], row.flights)) {
        return false;
    }
    const bool empty = f[4].empty() && f[5].empty();
    if (!empty && !(ParseField(f[4], row.rmin) && ParseField(f[5], row.rmax))) {
        return false;
    }
    return std::isfinite(row.altitude) && std::isfinite(row.speed) && std::isfinite(row.bearing) &&
           row.interval >= 0 && row.flights >= 0 && (row.interval == 0) == empty;
}

}  // namespace

EnvelopeMeta EnvelopeMetaOf(const EnvelopeDefinition& def, double targetSize, int shard, int shards)
{
    EnvelopeMeta meta;
    meta.envelope = std::filesystem::path(def.path).filename().string();
    meta.scenario = std::filesystem::path(def.batch.scenarioPath).filename().string();
    meta.target = def.target;
    meta.targetSize = targetSize;
    meta.rangeMin = def.rangeMin;
    meta.rangeMax = def.rangeMax;
    meta.tolerance = def.tolerance;
    meta.scan = def.scan;
    meta.altitudes = def.altitudes;
    meta.speeds = def.speeds;
    meta.bearings = def.bearings;
    meta.targetConditions = def.TargetConditions();
    meta.targetSpeeds = def.targetSpeeds;
    meta.targetCourses = def.targetCourses;
    meta.probabilistic = def.Probabilistic();
    if (meta.probabilistic) {
        meta.probability = def.probability;
        meta.confidence = def.confidence;
        meta.cap = def.batch.runs;
        meta.seed = def.batch.seed;
    }
    meta.inputs = InputsOf(def.batch);
    meta.settings = SettingTexts(def.batch);
    meta.shard = shard;
    meta.shards = shards;
    return meta;
}

std::vector<TargetMotion> TargetMotionsOf(const EnvelopeMeta& meta)
{
    return TargetMotions(meta.targetSpeeds, meta.targetCourses);
}

long long DenseProbes(const EnvelopeMeta& meta)
{
    const double steps = std::floor((meta.rangeMax - meta.rangeMin) / meta.tolerance);
    const long long perBearing = static_cast<long long>(steps) + 1;
    const size_t conditions = meta.altitudes.size() * meta.speeds.size() * TargetMotionsOf(meta).size();
    return perBearing * static_cast<long long>(meta.bearings.size() * conditions);
}

bool WriteEnvelope(const std::string& dir, const EnvelopeMeta& meta, const std::vector<EnvelopeRow>& rows,
                   const std::vector<ConditionTally>& tallies)
{
    formats::CsvWriter csv;
    for (const EnvelopeRow& row : rows) {
        csv.Number(row.altitude).Number(row.speed);
        if (meta.targetConditions) {
            csv.Number(row.targetSpeed).Optional(row.targetCourse);
        }
        csv.Number(row.bearing).Whole(row.interval);
        csv.Optional(row.rmin).Optional(row.rmax).Whole(row.flights).End();
    }
    const std::filesystem::path folder(dir);
    const std::string header = meta.targetConditions ? ENVELOPE_TARGET_HEADER : ENVELOPE_HEADER;
    const bool table = formats::ReplaceFile((folder / "envelope.csv").string(), header + '\n' + csv.Result());
    return formats::ReplaceFile((folder / "envelope.json").string(), EnvelopeJson(meta, rows, tallies)) && table;
}

bool ReadEnvelopeRows(std::istream& in, std::vector<EnvelopeRow>& rows, std::string& error, bool* targets)
{
    formats::CsvReader csv(in);
    std::vector<std::string> fields;
    std::string header;
    const bool read = csv.Next(fields);
    for (const std::string& field : fields) {
        header += (header.empty() ? "" : ",") + field;
    }
    const bool withTargets = header == ENVELOPE_TARGET_HEADER;
    if (targets != nullptr) {
        *targets = withTargets;
    }
    if (!read || (header != ENVELOPE_HEADER && !withTargets)) {
        error = csv.Error().empty() ? "not an envelope.csv: expected the header " + std::string(ENVELOPE_HEADER)
                                    : csv.Error();
        return false;
    }
    for (size_t count = 1; csv.Next(fields); ++count) {
        EnvelopeRow row;
        if (!csv.Ended() || !ReadRow(fields, withTargets, row)) {
            error = "row " + std::to_string(count) + (csv.Ended() ? " is no interval's row" : " is cut short");
            return false;
        }
        rows.push_back(row);
    }
    error = csv.Error();
    return error.empty();
}

}  // namespace runner
