// karvex merge: the shard folders of one sweep joined into the files an unsharded sweep writes.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "runner/plots/plot.h"
#include "runner/program/complaint.h"
#include "runner/program/exit_codes.h"
#include "runner/sweep/sweep.h"
#include "runner/sweep/sweep_rows.h"

namespace runner {

namespace {

// Reads shard folder `dir`'s summary.json into `meta` and its runs.csv's rows into `rows`; false
// after saying on stderr what is wrong.
bool ReadShard(const std::filesystem::path& dir, SweepMeta& meta, std::vector<SweepRow>& rows)
{
    std::ifstream summary(dir / "summary.json"), csv(dir / "runs.csv");
    if (!summary || !csv) {
        Complain("merge", "%s holds no readable runs.csv and summary.json", dir.c_str());
        return false;
    }
    if (!ReadSummaryMeta(summary, meta)) {
        Complain("merge", "%s/summary.json is not a sweep's summary", dir.c_str());
        return false;
    }
    std::string error;
    if (!ReadRuns(csv, meta, rows, error)) {
        Complain("merge", "%s/runs.csv: %s", dir.c_str(), error.c_str());
        return false;
    }
    return true;
}

// Whether shards `a` and `b` come from the same sweep.
bool SameSweep(const SweepMeta& a, const SweepMeta& b)
{
    return a.sweep == b.sweep && a.scenario == b.scenario && a.seed == b.seed && a.runs == b.runs &&
           a.inputs == b.inputs && a.settings == b.settings && a.weapons == b.weapons && a.targets == b.targets;
}

}  // namespace

int Merge(const std::vector<std::string>& shardDirs, const std::string& outDir, bool plot, const std::string& plotScript)
{
    SweepMeta meta;
    std::vector<SweepRow> rows;
    std::vector<char> seen;
    for (size_t s = 0; s < shardDirs.size(); ++s) {
        SweepMeta mine;
        std::vector<SweepRow> mineRows;
        if (!ReadShard(shardDirs[s], mine, mineRows)) {
            return EXIT_SCENARIO;
        }
        if (s == 0) {
            meta = mine;
            seen.assign(static_cast<size_t>(meta.runs), 0);
        } else if (!SameSweep(mine, meta)) {
            Complain("merge", "%s is a shard of another sweep than %s", shardDirs[s].c_str(), shardDirs[0].c_str());
            return EXIT_SCENARIO;
        }
        for (SweepRow& row : mineRows) {
            if (row.run >= meta.runs || seen[static_cast<size_t>(row.run)]++ != 0) {
                Complain("merge", "run %lld in %s is out of range or in two shards", row.run, shardDirs[s].c_str());
                return EXIT_SCENARIO;
            }
            rows.push_back(std::move(row));
        }
    }
    if (shardDirs.empty() || std::count(seen.begin(), seen.end(), 0) != 0) {
        Complain("merge", "the shards leave %lld of %lld runs missing",
                 static_cast<long long>(std::count(seen.begin(), seen.end(), 0)), meta.runs);
        return EXIT_SCENARIO;
    }
    std::sort(rows.begin(), rows.end(), [](const SweepRow& a, const SweepRow& b) { return a.run < b.run; });
    std::error_code error;
    std::filesystem::create_directories(outDir, error);
    if (!WriteSweep(outDir, meta, rows)) {
        Complain("merge", "cannot write into %s", outDir.c_str());
        return EXIT_FAILED;
    }
    return plot ? PlotSweep(outDir, plotScript) : EXIT_OK;
}

}  // namespace runner
