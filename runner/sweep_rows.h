// A sweep's files: runs.csv (one row per run) and summary.json (what the rows add up to), written
// the same way by a sweep, a shard and a merge of shards.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runner/sweep_definition.h"

namespace runner {

/// What a sweep's summary says about the sweep itself.
struct SweepMeta {
    std::string sweep;        ///< the sweep file's name
    std::string scenario;     ///< the base scenario's file name
    uint64_t seed = 0;
    long long runs = 0;       ///< runs of the whole sweep
    std::string dispersions;  ///< the dispersions as a JSON array's text
    std::vector<std::string> columns;  ///< runs.csv's input columns
    int shard = 1, shards = 1;
};

/// The run number that starts a row of runs.csv, -1 when the row does not start with a number and a comma.
long long RunOfRow(const std::string& row);
/// The column of runs.csv for dispersion `d`: its quantity and unit, e.g. "Carrier.y_m".
std::string ColumnOf(const Dispersion& d);
/// The summary fields of sweep `spec` run from sweep file `path`, shard `shard` of `shards`.
SweepMeta MetaOf(const SweepDefinition& spec, const std::string& path, int shard, int shards);
/// Writes `dir`/runs.csv (header and `rows`, in run order) and `dir`/summary.json; false on failure.
bool WriteSweep(const std::string& dir, const SweepMeta& meta, const std::vector<std::string>& rows);
/// summary.json's text for `rows` of the sweep `meta`: counts by outcome, hit probability within
/// 5, 10 and 50 m (Wilson 95% intervals), the CEP (median miss) and the 90th percentile miss (95%
/// intervals from order statistics).
std::string SummaryJson(const SweepMeta& meta, const std::vector<std::string>& rows);
/// Draws `dir`/sweep.png with the sweep plotting script (`script`, or the one beside the program).
int PlotSweep(const std::string& dir, const std::string& script);

}  // namespace runner
