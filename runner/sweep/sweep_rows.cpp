#include "runner/sweep/sweep_rows.h"

#include <filesystem>

#include "formats/fresh_file.h"
#include "formats/scenario_keys.h"
#include "runner/sweep/salvo_rows.h"

namespace runner {

namespace {

// The fields of runs.csv after the inputs; new ones go at the end, so the old keep their places.
constexpr const char* RESULT_COLUMNS[] = {"outcome", "miss_m", "time_of_flight_s", "lock_after_release_s",
                                          "impact_east_m", "impact_north_m", "closest_approach_m",
                                          "time_of_closest_approach_s", "relative_speed_m_s"};

}  // namespace

SweepRow RowOf(long long run, std::vector<double> values, const RunResult& r)
{
    const Milestones& m = r.milestones;
    SweepRow row;
    row.run = run;
    row.inputs = std::move(values);
    row.outcome = OutcomeOf(r);
    bool offset = !std::isnan(r.missDistance);
    row.miss = r.missDistance;
    row.flight = std::isnan(m.release) ? NAN : (std::isnan(m.removal) ? r.endTime : m.removal) - m.release;
    row.lock = m.lock - m.release;
    row.east = offset ? r.missOffset.x : NAN;
    row.north = offset ? r.missOffset.z : NAN;
    row.closest = r.closestApproach;
    row.closestTime = r.closestApproachTime;
    row.relativeSpeed = r.relativeSpeed;
    if (r.salvo) {
        SalvoFields(r, row);
    }
    return row;
}

SweepMeta MetaOf(const BatchDefinition& spec, const std::string& path, int shard, int shards)
{
    SweepMeta meta;
    meta.sweep = std::filesystem::path(path).filename().string();
    meta.scenario = std::filesystem::path(spec.scenarioPath).filename().string();
    meta.seed = spec.seed;
    meta.runs = spec.runs;
    meta.shard = shard;
    meta.shards = shards;
    meta.inputs = InputsOf(spec);
    meta.settings = SettingTexts(spec);
    SalvoOf(spec, meta);
    return meta;
}

std::vector<std::string> RunsHeader(const SweepMeta& meta)
{
    std::vector<std::string> header = {"run"};
    for (const DispersedInput& input : meta.inputs) {
        header.push_back(input.column);
    }
    if (meta.Salvo()) {
        AddSalvoColumns(meta, header);
    } else {
        header.insert(header.end(), std::begin(RESULT_COLUMNS), std::end(RESULT_COLUMNS));
    }
    return header;
}

void WriteRow(formats::CsvWriter& csv, const SweepRow& row)
{
    csv.Whole(row.run);
    for (double value : row.inputs) {
        csv.Optional(value);
    }
    if (!row.weapons.empty() || !row.hit.empty()) {
        WriteSalvoFields(csv, row);
        csv.End();
        return;
    }
    csv.Text(OUTCOMES[static_cast<int>(row.outcome)]);
    for (double value :
         {row.miss, row.flight, row.lock, row.east, row.north, row.closest, row.closestTime, row.relativeSpeed}) {
        csv.Optional(value);
    }
    csv.End();
}

bool ReadRow(const std::vector<std::string>& fields, const SweepMeta& meta, SweepRow& row)
{
    const size_t inputs = meta.inputs.size();
    const size_t count = 1 + inputs + (meta.Salvo() ? SalvoColumnCount(meta) : std::size(RESULT_COLUMNS));
    if (fields.size() != count || !formats::ParseField(fields[0], row.run) || row.run < 0) {
        return false;
    }
    row.inputs.assign(inputs, NAN);
    bool numbers = true;
    for (size_t k = 0; k < inputs; ++k) {
        numbers = formats::ParseOptional(fields[1 + k], row.inputs[k]) && numbers;
    }
    size_t at = 1 + inputs;
    if (meta.Salvo()) {
        return ReadSalvoFields(fields, at, meta, row) && numbers;
    }
    const bool outcome = ReadOutcome(fields[at], row.outcome, SINGLE_OUTCOME_COUNT);
    for (double* value : {&row.miss, &row.flight, &row.lock, &row.east, &row.north, &row.closest, &row.closestTime,
                          &row.relativeSpeed}) {
        numbers = formats::ParseOptional(fields[++at], *value) && numbers;
    }
    return numbers && outcome;
}

bool WriteSweep(const std::string& dir, const SweepMeta& meta, const std::vector<SweepRow>& rows)
{
    formats::CsvWriter csv;
    for (const std::string& column : RunsHeader(meta)) {
        csv.Text(column);
    }
    csv.End();
    for (const SweepRow& row : rows) {
        WriteRow(csv, row);
    }
    const std::filesystem::path folder(dir);
    const bool runs = formats::ReplaceFile((folder / "runs.csv").string(), csv.Result());
    return formats::ReplaceFile((folder / "summary.json").string(), SummaryJson(meta, rows)) && runs;
}

bool ReadRuns(std::istream& in, const SweepMeta& meta, std::vector<SweepRow>& rows, std::string& error)
{
    formats::CsvReader csv(in);
    std::vector<std::string> fields;
    if (!csv.Next(fields) || fields != RunsHeader(meta)) {
        error = csv.Error().empty() ? "a header of other columns than its summary names" : csv.Error();
        return false;
    }
    for (size_t count = 1; csv.Next(fields); ++count) {
        SweepRow row;
        if (!csv.Ended() || !ReadRow(fields, meta, row)) {
            error = "row " + std::to_string(count) + (csv.Ended() ? " is no run's row" : " is cut short");
            return false;
        }
        rows.push_back(std::move(row));
    }
    error = csv.Error();
    return error.empty();
}

}  // namespace runner
