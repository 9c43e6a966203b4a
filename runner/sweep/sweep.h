// Monte Carlo sweeps: many runs of one engagement with dispersed inputs, on every core, in shards,
// resumable; their rows, their statistics, and the merge of shards.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "runner/flight/flight.h"
#include "runner/sweep/sweep_definition.h"
#include "runner/sweep/sweep_rows.h"

namespace runner {

/// How to run a sweep.
struct SweepOptions {
    std::string sweepFile;     ///< the sweep file
    std::string moduleDir;     ///< folder of the vessel modules
    std::string outDir;        ///< where runs.csv, summary.json and sweep.png go
    int jobs = 0;              ///< worker threads; 0: one per core
    int shard = 1, shards = 1; ///< run only shard `shard` (1 to `shards`) of the runs
    bool writeInputs = false;  ///< write each run's scenario into outDir/inputs
    bool resume = false;       ///< keep the runs a stopped sweep finished, fly the rest
    bool plot = true;          ///< draw sweep.png
    bool quiet = false;        ///< no progress
    std::string plotScript;    ///< the sweep plotting script; "" for the one beside the program
    const BatchDefinition* definition = nullptr;  ///< flown instead of reading sweepFile, when set
    /// When set, once true no further run starts and the runs in flight end: the sweep returns
    /// EXIT_INTERRUPTED, its finished runs kept in runs.partial for a resume.
    const std::atomic<bool>* stop = nullptr;
    /// Told (runs done, runs in all) at the start and as each run ends, from several threads at once.
    std::function<void(long long, long long)> progress{};
};

/// Runs the sweep; returns an ExitCode, printing what went wrong on stderr.
int Sweep(const SweepOptions& options);

/// Merges the shard folders `shardDirs` into `outDir`: the runs.csv and summary.json one unsharded
/// sweep writes. Returns an ExitCode.
int Merge(const std::vector<std::string>& shardDirs, const std::string& outDir, bool plot,
          const std::string& plotScript);

}  // namespace runner
