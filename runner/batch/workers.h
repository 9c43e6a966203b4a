// Work shared out over threads, each flying in a world of its own, with the progress shown.
#pragma once

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

/// Calls `work`(k, why) for every k from 0 to `count` - 1 on `jobs` threads (0: one per core),
/// each thread in its own world, showing progress in `things` (`already` of them done before)
/// unless `quiet`. Stops at the first
/// call that returns false, whose `why` becomes `failure`; false then. `work` is called from
/// several threads at once and must guard what they share.
bool OnEveryCore(size_t count, long long already, int jobs, bool quiet, const char* things,
                 const std::function<bool(size_t, std::string&)>& work, std::string& failure);

}  // namespace runner
