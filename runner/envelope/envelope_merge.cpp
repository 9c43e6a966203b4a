// karvex merge of envelope shards: their rows joined in the order one unsharded envelope writes.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "runner/envelope/envelope.h"
#include "runner/envelope/envelope_rows.h"
#include "runner/plots/plot.h"
#include "runner/program/complaint.h"
#include "runner/program/exit_codes.h"

namespace runner {

namespace {

// Reads shard folder `dir`'s envelope.json into `meta` and `tallies` and its rows into `rows`;
// false after saying on stderr what is wrong.
bool ReadShard(const std::filesystem::path& dir, EnvelopeMeta& meta, std::vector<ConditionTally>& tallies,
               std::vector<EnvelopeRow>& rows)
{
    std::ifstream json(dir / "envelope.json"), csv(dir / "envelope.csv");
    if (!json || !csv) {
        Complain("merge", "%s holds no readable envelope.csv and envelope.json", dir.c_str());
        return false;
    }
    if (!ReadEnvelopeJson(json, meta, tallies)) {
        Complain("merge", "%s/envelope.json is not an envelope's", dir.c_str());
        return false;
    }
    std::string error;
    bool targets = false;
    if (!ReadEnvelopeRows(csv, rows, error, &targets)) {
        Complain("merge", "%s/envelope.csv: %s", dir.c_str(), error.c_str());
        return false;
    }
    if (targets != meta.targetConditions) {
        Complain("merge", "%s/envelope.csv %s the target columns its envelope.json names", dir.c_str(),
                 targets ? "has" : "lacks");
        return false;
    }
    return true;
}

// Whether shards `a` and `b` come from the same envelope: all but their shard numbers agree.
bool SameEnvelope(const EnvelopeMeta& a, const EnvelopeMeta& b)
{
    auto same = [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); };
    return a.envelope == b.envelope && a.scenario == b.scenario && a.target == b.target &&
           a.targetSize == b.targetSize && a.rangeMin == b.rangeMin && a.rangeMax == b.rangeMax &&
           a.tolerance == b.tolerance && a.scan == b.scan && a.altitudes == b.altitudes && a.speeds == b.speeds &&
           a.bearings == b.bearings && a.targetConditions == b.targetConditions &&
           a.targetSpeeds == b.targetSpeeds && a.targetCourses == b.targetCourses &&
           a.probabilistic == b.probabilistic && same(a.probability, b.probability) &&
           same(a.confidence, b.confidence) && a.cap == b.cap && a.seed == b.seed && a.inputs == b.inputs &&
           a.settings == b.settings;
}

// The unit (condition, then bearing) of `row` in the order of `meta` and its `targets`; -1 when it
// has none.
long long UnitOf(const EnvelopeMeta& meta, const std::vector<TargetMotion>& targets, const EnvelopeRow& row)
{
    auto index = [](const auto& v, const auto& x) {
        const auto at = std::find(v.begin(), v.end(), x);
        return at == v.end() ? -1LL : static_cast<long long>(at - v.begin());
    };
    const long long a = index(meta.altitudes, row.altitude), s = index(meta.speeds, row.speed),
                    t = index(targets, TargetMotion{row.targetSpeed, row.targetCourse}),
                    b = index(meta.bearings, row.bearing);
    const auto speeds = static_cast<long long>(meta.speeds.size());
    const auto motions = static_cast<long long>(targets.size());
    const auto bearings = static_cast<long long>(meta.bearings.size());
    return a < 0 || s < 0 || t < 0 || b < 0 ? -1 : ((a * speeds + s) * motions + t) * bearings + b;
}

}  // namespace

int MergeEnvelope(const std::vector<std::string>& shardDirs, const std::string& outDir, bool plot,
                  const std::string& plotScript)
{
    EnvelopeMeta meta;
    std::vector<ConditionTally> tallies;
    std::vector<std::pair<long long, EnvelopeRow>> rows;
    std::vector<int> owner;  // the shard each unit came from, -1 for none yet
    std::vector<TargetMotion> targets;
    for (size_t s = 0; s < shardDirs.size(); ++s) {
        EnvelopeMeta mine;
        std::vector<ConditionTally> mineTallies;
        std::vector<EnvelopeRow> mineRows;
        if (!ReadShard(shardDirs[s], mine, mineTallies, mineRows)) {
            return EXIT_SCENARIO;
        }
        if (s == 0) {
            meta = mine;
            tallies.assign(mineTallies.size(), ConditionTally{});
            targets = TargetMotionsOf(meta);
            owner.assign(tallies.size() * meta.bearings.size(), -1);
        } else if (!SameEnvelope(mine, meta)) {
            Complain("merge", "%s is a shard of another envelope than %s", shardDirs[s].c_str(), shardDirs[0].c_str());
            return EXIT_SCENARIO;
        }
        for (size_t c = 0; c < tallies.size(); ++c) {
            tallies[c].probes += mineTallies[c].probes;
            tallies[c].flights += mineTallies[c].flights;
            tallies[c].undecided += mineTallies[c].undecided;
        }
        for (const EnvelopeRow& row : mineRows) {
            const long long unit = UnitOf(meta, targets, row);
            const int from = static_cast<int>(s);
            if (unit < 0 || (owner[static_cast<size_t>(unit)] >= 0 && owner[static_cast<size_t>(unit)] != from)) {
                Complain("merge", "a row of %s is of no bearing of the envelope or in two shards",
                         shardDirs[s].c_str());
                return EXIT_SCENARIO;
            }
            owner[static_cast<size_t>(unit)] = from;
            rows.emplace_back(unit, row);
        }
    }
    const long long missing = std::count(owner.begin(), owner.end(), -1);
    if (shardDirs.empty() || missing != 0) {
        Complain("merge", "the shards leave %lld bearings of the envelope missing", missing);
        return EXIT_SCENARIO;
    }
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<EnvelopeRow> ordered;
    ordered.reserve(rows.size());
    for (const auto& [unit, row] : rows) {
        ordered.push_back(row);
    }
    std::error_code error;
    std::filesystem::create_directories(outDir, error);
    if (!WriteEnvelope(outDir, meta, ordered, tallies)) {
        Complain("merge", "cannot write into %s", outDir.c_str());
        return EXIT_FAILED;
    }
    return plot ? PlotEnvelope(outDir, plotScript) : EXIT_OK;
}

}  // namespace runner
