// Work shared out over threads, each flying in a world of its own, with the progress shown.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>

namespace runner {

/// Shard `shard` of `shards` (1 to `shards`) of `count` items holds items [first, last): the
/// same cut for a sweep's runs and an envelope's bearings.
inline void ShardRange(long long count, int shard, int shards, long long& first, long long& last)
{
    first = count * (shard - 1) / shards;
    last = count * shard / shards;
}

/// How a batch's items are shared out, shown and stopped.
struct BatchOptions {
    int jobs = 0;                             ///< threads; 0: one per core
    bool quiet = false;                       ///< no progress on stderr
    const char* things = "runs";              ///< what the items are called in the progress
    const std::atomic<bool>* stop = nullptr;  ///< once true, no further item starts
    /// Told (items done, items in all) at the start and as each item ends, from several threads at once.
    std::function<void(long long, long long)> progress{};
};

/// Calls `work`(k, why) for every k from 0 to `count` - 1 on `how.jobs` threads, each thread in its
/// own world, showing progress (`already` items done before). Returns EXIT_OK; EXIT_INTERRUPTED
/// when the stop flag turned true before every item was done; EXIT_SCENARIO at the first call that
/// returned false, whose `why` becomes `failure` ("interrupted" when stopped). `work` is called from
/// several threads at once and must guard what they share.
int OnEveryCore(size_t count, long long already, const BatchOptions& how,
                const std::function<bool(size_t, std::string&)>& work, std::string& failure);

}  // namespace runner
