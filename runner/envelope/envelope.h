// Launch envelopes: for each release altitude, speed and target bearing, the intervals of range
// from which the missile hits; on every core, in shards, and merged.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "runner/envelope/envelope_definition.h"

namespace runner {

/// How to compute an envelope.
struct EnvelopeOptions {
    std::string envelopeFile;   ///< the envelope file
    std::string moduleDir;      ///< folder of the vessel modules
    std::string outDir;         ///< where envelope.csv, envelope.json and envelope.png go
    int jobs = 0;               ///< worker threads; 0: one per core
    int shard = 1, shards = 1;  ///< compute only shard `shard` (1 to `shards`) of the bearings
    bool plot = true;           ///< draw envelope.png
    bool quiet = false;         ///< no progress and no figures on stdout
    std::string plotScript;     ///< the envelope plotting script; "" for the one beside the program
    const EnvelopeDefinition* definition = nullptr;  ///< computed instead of reading envelopeFile, when set
    /// When set, once true no further flight starts and those in flight end: EXIT_INTERRUPTED.
    const std::atomic<bool>* stop = nullptr;
    /// Told (bearings done, bearings in all) at the start and as each bearing's search ends, from
    /// several threads at once.
    std::function<void(long long, long long)> progress{};
};

/// Computes the envelope; returns an ExitCode, printing what went wrong on stderr.
int Envelope(const EnvelopeOptions& options);

/// Merges the envelope shard folders `shardDirs` into `outDir`: the envelope.csv and envelope.json
/// one unsharded envelope writes. Returns an ExitCode.
int MergeEnvelope(const std::vector<std::string>& shardDirs, const std::string& outDir, bool plot,
                  const std::string& plotScript);

}  // namespace runner
