// A sweep's files: runs.csv (one row per run) and summary.json (what the rows add up to), written
// the same way by a sweep, a shard and a merge of shards.
#pragma once

#include <cmath>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "formats/csv.h"
#include "runner/flight/outcome.h"
#include "runner/sweep/sweep_definition.h"

namespace runner {

/// One salvo weapon's fields in a row of runs.csv. NaN or "" stands for what it did not have.
struct WeaponRow {
    Outcome outcome = Outcome::DUD;
    std::string target;       ///< the target its result is against
    double miss = NAN;        ///< from its warhead's ignition to that target's centre, m
    double lock = NAN;        ///< time from its release to its head's first target, s
    double friendLock = NAN;  ///< time from its release to its head's first friend, s
};

/// One run of a sweep: a row of runs.csv. NaN stands for what the run did not have, an empty field.
struct SweepRow {
    long long run = -1;          ///< the run's number from 0; -1 for a run not flown yet
    std::vector<double> inputs;  ///< the dispersed values, one per dispersion, in the column's unit
    Outcome outcome = Outcome::DUD;
    double miss = NAN;           ///< from warhead ignition to the target's centre, m
    double flight = NAN;         ///< time of flight from release to removal or the end, s
    double lock = NAN;           ///< time from release to the seeker's lock, s
    double east = NAN;           ///< warhead ignition east of the target, m
    double north = NAN;          ///< warhead ignition north of the target, m
    double closest = NAN;        ///< closest approach of the missile's centre to the target's after release, m
    double closestTime = NAN;    ///< simulation time of the closest approach, s
    double relativeSpeed = NAN;  ///< the missile's speed relative to the target at warhead ignition, m/s
    std::vector<WeaponRow> weapons;  ///< in a salvo, each watched weapon's fields (the above unused)
    std::vector<char> hit;           ///< in a salvo, whether each target was hit
};

/// What a sweep's summary says about the sweep itself.
struct SweepMeta {
    std::string sweep;               ///< the sweep file's name
    std::string scenario;            ///< the base scenario's file name
    uint64_t seed = 0;
    long long runs = 0;              ///< runs of the whole sweep
    std::vector<DispersedInput> inputs;  ///< the dispersed quantities, in the order of their columns
    std::vector<std::string> settings;   ///< the SETTING lines put after the scenario's, as written
    int shard = 1, shards = 1;
    std::vector<std::string> weapons;  ///< a salvo's watched weapons; empty for a single weapon's sweep
    std::vector<std::string> targets;  ///< a salvo's targets
    /// True for a sweep of a salvo: more than one watched weapon or target.
    bool Salvo() const { return weapons.size() > 1 || targets.size() > 1; }
};

/// The summary fields of sweep `spec` run from sweep file `path`, shard `shard` of `shards`.
SweepMeta MetaOf(const BatchDefinition& spec, const std::string& path, int shard, int shards);
/// The header of runs.csv for the sweep `meta`: "run", its input columns, then the outcome's; in a
/// salvo, each weapon's "<weapon>.outcome", ".target", ".miss_m", ".lock_after_release_s" and
/// ".friend_lock_after_release_s", then each target's "<target>.hit" (1 or 0).
std::vector<std::string> RunsHeader(const SweepMeta& meta);
/// The row of runs.csv for run `run` with inputs `values` and result `r`.
SweepRow RowOf(long long run, std::vector<double> values, const RunResult& r);
/// Adds `row` to `csv` as a record of runs.csv.
void WriteRow(formats::CsvWriter& csv, const SweepRow& row);
/// Reads `fields`, a record of the runs.csv of sweep `meta`, into `row`; false when it is no run's
/// row: another field count, a run that is not a whole number from 0, an unknown outcome, a hit
/// that is neither 0 nor 1, or a field that is neither empty nor a number.
bool ReadRow(const std::vector<std::string>& fields, const SweepMeta& meta, SweepRow& row);
/// Writes `dir`/runs.csv (header and `rows`, in run order) and `dir`/summary.json; false on failure.
bool WriteSweep(const std::string& dir, const SweepMeta& meta, const std::vector<SweepRow>& rows);
/// Appends the rows of runs.csv `in`, written for the sweep `meta`, to `rows`; false with `error`
/// when its header is not that sweep's or a record is no run's row.
bool ReadRuns(std::istream& in, const SweepMeta& meta, std::vector<SweepRow>& rows, std::string& error);
/// summary.json's text for `rows` of the sweep `meta`: counts by outcome, hit probability within
/// 5, 10 and 50 m (Wilson 95% intervals), the CEP (median miss) and the 90th percentile miss (95%
/// intervals from order statistics).
std::string SummaryJson(const SweepMeta& meta, const std::vector<SweepRow>& rows);
/// Reads the sweep's own fields of the summary.json text `in` into `meta` (the shard left 1 of 1);
/// false when it is not a sweep's summary.
bool ReadSummaryMeta(std::istream& in, SweepMeta& meta);
}  // namespace runner
