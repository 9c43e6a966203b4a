#include "runner/sweep_rows.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "runner/commands.h"
#include "runner/exit_codes.h"
#include "runner/paths.h"
#include "runner/sweep.h"

namespace runner {

long long RunOfRow(const std::string& row)
{
    long long run = -1;
    const char* end = row.data() + row.size();
    const auto [next, error] = std::from_chars(row.data(), end, run);
    if (error != std::errc() || next == end || *next != ',' || run < 0) {
        return -1;
    }
    return run;
}

namespace {

using Json = nlohmann::ordered_json;

// Wilson's 95% interval for k successes in n trials.
Json Proportion(long long k, long long n)
{
    if (n == 0) {
        return {{"p", nullptr}, {"ci95", nullptr}};
    }
    const double z = 1.959963984540054;
    double p = static_cast<double>(k) / static_cast<double>(n), nn = static_cast<double>(n);
    double centre = (p + z * z / (2.0 * nn)) / (1.0 + z * z / nn);
    double half = z * std::sqrt(p * (1.0 - p) / nn + z * z / (4.0 * nn * nn)) / (1.0 + z * z / nn);
    return {{"p", p}, {"ci95", {std::max(0.0, centre - half), std::min(1.0, centre + half)}}};
}

// The q-quantile of sorted `v` (linear between order statistics) with a 95% interval from the
// order statistics whose ranks bound it (normal approximation to the binomial).
Json Quantile(const std::vector<double>& v, double q)
{
    if (v.empty()) {
        return {{"value", nullptr}, {"ci95", nullptr}};
    }
    double n = static_cast<double>(v.size());
    double h = (n - 1.0) * q;
    size_t lo = static_cast<size_t>(std::floor(h));
    double value = v[lo] + (h - std::floor(h)) * (v[std::min(lo + 1, v.size() - 1)] - v[lo]);
    double spread = 1.959963984540054 * std::sqrt(n * q * (1.0 - q));
    auto rank = [&](double r) { return static_cast<size_t>(std::clamp(r, 0.0, n - 1.0)); };
    return {{"value", value}, {"ci95", {v[rank(std::floor(n * q - spread))], v[rank(std::ceil(n * q + spread))]}}};
}

// The cells of one row.
std::vector<std::string> Cells(const std::string& row)
{
    std::vector<std::string> cells;
    std::stringstream in(row);
    for (std::string cell; std::getline(in, cell, ',');) {
        cells.push_back(cell);
    }
    if (!row.empty() && row.back() == ',') {
        cells.emplace_back();
    }
    return cells;
}

}  // namespace

std::string ColumnOf(const Dispersion& d)
{
    const std::string& f = d.field;
    const char* unit = (f == "x" || f == "y" || f == "z")                                 ? "m"
                       : (f == "heading" || f == "pitch" || f == "bank")                  ? "rad"
                       : f == "release"                                                   ? "s"
                                                                                          : "m_s";
    return d.quantity + "_" + unit;
}

SweepMeta MetaOf(const SweepDefinition& spec, const std::string& path, int shard, int shards)
{
    SweepMeta meta;
    meta.sweep = std::filesystem::path(path).filename().string();
    meta.scenario = std::filesystem::path(spec.scenarioPath).filename().string();
    meta.seed = spec.seed;
    meta.runs = spec.runs;
    meta.shard = shard;
    meta.shards = shards;
    Json dispersions = Json::array();
    for (const Dispersion& d : spec.dispersions) {
        Json one = {{"quantity", d.quantity}, {"column", ColumnOf(d)}, {"distribution", d.normal ? "normal" : "uniform"}};
        one[d.normal ? "mean" : "low"] = d.a;
        one[d.normal ? "deviation" : "high"] = d.b;
        dispersions.push_back(one);
        meta.columns.push_back(ColumnOf(d));
    }
    meta.dispersions = dispersions.dump();
    return meta;
}

std::string SummaryJson(const SweepMeta& meta, const std::vector<std::string>& rows)
{
    const size_t inputs = meta.columns.size();
    long long counts[4] = {0, 0, 0, 0};
    long long within[3] = {0, 0, 0};
    const double radii[3] = {5.0, 10.0, 50.0};
    std::vector<double> misses;
    for (const std::string& row : rows) {
        std::vector<std::string> cells = Cells(row);
        if (cells.size() < inputs + 3) {
            continue;
        }
        for (int k = 0; k < 4; ++k) {
            counts[k] += cells[inputs + 1] == OUTCOMES[k];
        }
        if (!cells[inputs + 2].empty()) {
            double miss = std::strtod(cells[inputs + 2].c_str(), nullptr);
            misses.push_back(miss);
            for (int k = 0; k < 3; ++k) {
                within[k] += miss <= radii[k];
            }
        }
    }
    std::sort(misses.begin(), misses.end());
    long long n = static_cast<long long>(rows.size());
    Json summary;
    summary["sweep"] = meta.sweep;
    summary["scenario"] = meta.scenario;
    summary["seed"] = meta.seed;
    summary["runs"] = meta.runs;
    if (meta.shards > 1) {
        summary["shard"] = std::to_string(meta.shard) + "/" + std::to_string(meta.shards);
    }
    summary["runs_in_file"] = n;
    summary["dispersions"] = Json::parse(meta.dispersions);
    summary["outcomes"] = {{"hit", counts[0]}, {"miss", counts[1]}, {"no_lock", counts[2]}, {"dud", counts[3]}};
    summary["hit_probability"] = {{"within_5_m", Proportion(within[0], n)},
                                  {"within_10_m", Proportion(within[1], n)},
                                  {"within_50_m", Proportion(within[2], n)}};
    summary["cep_m"] = Quantile(misses, 0.5);
    summary["p90_miss_m"] = Quantile(misses, 0.9);
    return summary.dump(2) + "\n";
}

bool WriteSweep(const std::string& dir, const SweepMeta& meta, const std::vector<std::string>& rows)
{
    std::ofstream csv(std::filesystem::path(dir) / "runs.csv");
    csv << "run";
    for (const std::string& column : meta.columns) {
        csv << "," << column;
    }
    csv << ",outcome,miss_m,time_of_flight_s,lock_after_release_s,impact_east_m,impact_north_m\n";
    for (const std::string& row : rows) {
        csv << row << "\n";
    }
    std::ofstream json(std::filesystem::path(dir) / "summary.json");
    json << SummaryJson(meta, rows);
    return static_cast<bool>(csv) && static_cast<bool>(json);
}

int PlotSweep(const std::string& dir, const std::string& script)
{
    return Plot(dir, script.empty() ? (ProgramDir() / "sweep_plot.py").string() : script, "runs.csv");
}

int Merge(const std::vector<std::string>& shardDirs, const std::string& outDir, bool plot, const std::string& plotScript)
{
    namespace fs = std::filesystem;
    SweepMeta meta;
    std::string header;
    std::vector<std::string> rows;
    std::vector<char> seen;
    for (size_t s = 0; s < shardDirs.size(); ++s) {
        fs::path dir = shardDirs[s];
        std::ifstream summaryFile(dir / "summary.json"), csv(dir / "runs.csv");
        Json summary = Json::parse(summaryFile, nullptr, false);
        std::string first;
        if (!summaryFile || !csv || summary.is_discarded() || !std::getline(csv, first)) {
            std::fprintf(stderr, "karvex merge: %s holds no readable runs.csv and summary.json\n", dir.c_str());
            return EXIT_SCENARIO;
        }
        SweepMeta mine;
        try {
            mine.sweep = summary.at("sweep").get<std::string>();
            mine.scenario = summary.at("scenario").get<std::string>();
            mine.seed = summary.at("seed").get<uint64_t>();
            mine.runs = summary.at("runs").get<long long>();
            mine.dispersions = summary.at("dispersions").dump();
            for (const Json& d : summary.at("dispersions")) {
                mine.columns.push_back(d.at("column").get<std::string>());
            }
        } catch (const Json::exception&) {
            std::fprintf(stderr, "karvex merge: %s/summary.json is not a sweep's summary\n", dir.c_str());
            return EXIT_SCENARIO;
        }
        if (s == 0) {
            meta = mine;
            header = first;
            seen.assign(static_cast<size_t>(meta.runs), 0);
        } else if (mine.sweep != meta.sweep || mine.scenario != meta.scenario || mine.seed != meta.seed ||
                   mine.runs != meta.runs || mine.dispersions != meta.dispersions || first != header) {
            std::fprintf(stderr, "karvex merge: %s is a shard of another sweep than %s\n", dir.c_str(),
                         shardDirs[0].c_str());
            return EXIT_SCENARIO;
        }
        for (std::string row; std::getline(csv, row);) {
            long long run = RunOfRow(row);
            if (run < 0 || run >= meta.runs || seen[static_cast<size_t>(run)]++ != 0) {
                std::fprintf(stderr, "karvex merge: run %lld in %s is out of range or in two shards\n", run, dir.c_str());
                return EXIT_SCENARIO;
            }
            rows.push_back(row);
        }
    }
    if (shardDirs.empty() || std::count(seen.begin(), seen.end(), 0) != 0) {
        std::fprintf(stderr, "karvex merge: the shards leave %lld of %lld runs missing\n",
                     static_cast<long long>(std::count(seen.begin(), seen.end(), 0)), meta.runs);
        return EXIT_SCENARIO;
    }
    std::sort(rows.begin(), rows.end(),
              [](const std::string& a, const std::string& b) { return RunOfRow(a) < RunOfRow(b); });
    std::error_code error;
    fs::create_directories(outDir, error);
    if (!WriteSweep(outDir, meta, rows)) {
        std::fprintf(stderr, "karvex merge: cannot write into %s\n", outDir.c_str());
        return EXIT_FAILED;
    }
    return plot ? PlotSweep(outDir, plotScript) : EXIT_OK;
}

}  // namespace runner
