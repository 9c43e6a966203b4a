#include "runner/sweep.h"

#include <unistd.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "runner/commands.h"
#include "runner/exit_codes.h"
#include "runner/flight.h"
#include "runner/random.h"
#include "runner/sweep_rows.h"
#include "runtime/host_control.h"

namespace runner {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string Num(double value)
{
    if (std::isnan(value)) {
        return "";
    }
    char text[32];
    auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// The row of runs.csv for run `run` with inputs `values` and result `r`.
std::string Row(long long run, const std::vector<double>& values, const RunResult& r)
{
    const Milestones& m = r.milestones;
    // Never locked; locked but never went off; went off within the target's size of its centre, or not.
    const char* outcome = std::isnan(m.lock)                ? "no_lock"
                          : std::isnan(m.ignition)          ? "dud"
                          : r.missDistance <= r.targetSize ? "hit"
                                                            : "miss";
    std::string row = std::to_string(run);
    for (double v : values) {
        row += "," + Num(v);
    }
    bool offset = !std::isnan(r.missDistance);
    double flight = std::isnan(m.release) ? NAN : (std::isnan(m.removal) ? r.endTime : m.removal) - m.release;
    row += std::string(",") + outcome + "," + Num(r.missDistance) + "," + Num(flight) + "," + Num(m.lock - m.release) +
           "," + Num(offset ? r.ignitionPoint.x - r.targetPoint.x : NAN) + "," +
           Num(offset ? r.ignitionPoint.z - r.targetPoint.z : NAN);
    return row;
}

// Shard `shard` of `shards` holds runs [first, last).
void ShardRange(long long runs, int shard, int shards, long long& first, long long& last)
{
    first = runs * (shard - 1) / shards;
    last = runs * shard / shards;
}

// A fingerprint of everything that decides a sweep's rows, so resumed rows come from the same sweep.
std::string Signature(const SweepDefinition& spec, int shard, int shards)
{
    uint64_t h = Mix(spec.seed ^ static_cast<uint64_t>(spec.runs));
    for (char c : spec.scenarioText) {
        h = Mix(h + static_cast<unsigned char>(c));
    }
    for (const Dispersion& d : spec.dispersions) {
        for (char c : d.quantity) {
            h = Mix(h + static_cast<unsigned char>(c));
        }
        h = Mix(h + static_cast<uint64_t>(d.normal) + Bits(static_cast<uint64_t>(d.a * 1e6), 0, 0) +
                Bits(static_cast<uint64_t>(d.b * 1e6), 1, 1));
    }
    char text[96];
    std::snprintf(text, sizeof text, "# sweep %016llx shard %d/%d", static_cast<unsigned long long>(h), shard, shards);
    return text;
}

// Shows progress: a bar on a terminal, otherwise a line every five seconds.
class Progress {
public:
    Progress(long long runs, bool silent) : total(runs), quiet(silent), terminal(isatty(2) != 0), start(Clock::now()) {}

    void Show(long long done, bool last)
    {
        if (quiet) {
            return;
        }
        double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        if (!terminal && !last && elapsed - shown < 5.0) {
            return;
        }
        shown = elapsed;
        double rate = elapsed > 0.0 ? static_cast<double>(done) / elapsed : 0.0;
        double left = rate > 0.0 ? static_cast<double>(total - done) / rate : 0.0;
        if (terminal) {
            int filled = total > 0 ? static_cast<int>(30 * done / total) : 30;
            std::fprintf(stderr, "\r[%-30.*s] %lld/%lld runs  %.1f runs/s  %.0f s left ", filled,
                         "==============================", done, total, rate, left);
            if (last) {
                std::fputc('\n', stderr);
            }
        } else {
            std::fprintf(stderr, "%lld/%lld runs, %.1f runs/s, %.0f s left\n", done, total, rate, left);
        }
    }

private:
    long long total;
    bool quiet, terminal;
    Clock::time_point start;
    double shown = -10.0;
};

}  // namespace

int Sweep(const SweepOptions& options)
{
    SweepDefinition spec;
    std::string error;
    if (!ReadSweep(options.sweepFile, spec, error)) {
        std::fprintf(stderr, "karvex sweep: %s\n", error.c_str());
        return EXIT_SCENARIO;
    }
    if (options.shards < 1 || options.shard < 1 || options.shard > options.shards) {
        std::fprintf(stderr, "karvex sweep: shard %d/%d: expected K/N with 1 <= K <= N\n", options.shard,
                     options.shards);
        return EXIT_USAGE;
    }
    long long first = 0, last = 0;
    ShardRange(spec.runs, options.shard, options.shards, first, last);
    std::error_code fsError;
    fs::path out = fs::absolute(options.outDir, fsError);
    fs::create_directories(out / "work", fsError);
    if (options.writeInputs) {
        fs::create_directories(out / "inputs", fsError);
    }
    if (!fs::is_directory(out / "work")) {
        std::fprintf(stderr, "karvex sweep: cannot create %s\n", out.c_str());
        return EXIT_FAILED;
    }

    // Rows a stopped sweep finished, when resuming it.
    std::vector<std::string> rows(static_cast<size_t>(last - first));
    const std::string signature = Signature(spec, options.shard, options.shards);
    fs::path partialPath = out / "runs.partial";
    if (options.resume) {
        std::ifstream partial(partialPath);
        std::string line;
        if (partial && std::getline(partial, line) && line != signature) {
            std::fprintf(stderr, "karvex sweep: %s holds the runs of another sweep\n", partialPath.c_str());
            return EXIT_USAGE;
        }
        while (std::getline(partial, line)) {
            long long run = RunOfRow(line);
            // A row cut short by the stop has no line end and fails this test: it is flown again.
            if (run >= first && run < last && !partial.eof() && line.find(',') != std::string::npos) {
                rows[static_cast<size_t>(run - first)] = line;
            }
        }
    }
    std::FILE* partial = std::fopen(partialPath.c_str(), "w");
    if (partial == nullptr) {
        std::fprintf(stderr, "karvex sweep: cannot write %s\n", partialPath.c_str());
        return EXIT_FAILED;
    }
    std::fprintf(partial, "%s\n", signature.c_str());
    std::vector<long long> todo;
    for (long long run = first; run < last; ++run) {
        const std::string& row = rows[static_cast<size_t>(run - first)];
        if (row.empty()) {
            todo.push_back(run);
        } else {
            std::fprintf(partial, "%s\n", row.c_str());
        }
    }
    std::fflush(partial);

    // The modules append their log in the working directory: a scratch folder while the runs fly.
    fs::path previous = fs::current_path();
    fs::current_path(out / "work");
    std::atomic<size_t> next{0};
    std::atomic<long long> done{static_cast<long long>(rows.size() - todo.size())};
    std::atomic<bool> failed{false};
    std::mutex lock;
    std::string failure;
    auto worker = [&]() {
        standin::OwnWorld world;
        for (size_t k; !failed && (k = next++) < todo.size();) {
            long long run = todo[k];
            std::vector<double> values = DrawInputs(spec, run);
            RunOptions fly;
            fly.moduleDir = options.moduleDir;
            fly.maxVessels = 64;
            std::string why;
            char name[32];
            std::snprintf(name, sizeof name, "run-%06lld.scn", run);
            fly.scenario = name;
            formats::ScenarioDocument doc;
            if (!RunScenario(spec, values, doc, why)) {
                std::lock_guard<std::mutex> guard(lock);
                failed = true;
                failure = why;
                break;
            }
            doc.path = name;
            fly.document = &doc;
            if (options.writeInputs) {
                std::ofstream(out / "inputs" / name) << formats::WriteScenario(doc);
            }
            RunResult result = Run(fly);
            std::lock_guard<std::mutex> guard(lock);
            if (result.exitCode != EXIT_OK) {
                failed = true;
                failure = result.error;
                break;
            }
            rows[static_cast<size_t>(run - first)] = Row(run, values, result);
            std::fprintf(partial, "%s\n", rows[static_cast<size_t>(run - first)].c_str());
            std::fflush(partial);
            ++done;
        }
    };
    int jobs = options.jobs > 0 ? options.jobs : static_cast<int>(std::thread::hardware_concurrency());
    jobs = jobs > 0 ? jobs : 1;
    std::vector<std::thread> threads;
    threads.reserve(static_cast<size_t>(jobs));
    for (int j = 0; j < jobs; ++j) {
        threads.emplace_back(worker);
    }
    Progress progress(static_cast<long long>(rows.size()), options.quiet);
    while (done < static_cast<long long>(rows.size()) && !failed) {
        progress.Show(done, false);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    for (std::thread& t : threads) {
        t.join();
    }
    std::fclose(partial);
    fs::current_path(previous);
    fs::remove_all(out / "work", fsError);
    if (failed) {
        std::fprintf(stderr, "karvex sweep: %s\n", failure.c_str());
        return EXIT_SCENARIO;
    }
    progress.Show(done, true);

    SweepMeta meta = MetaOf(spec, options.sweepFile, options.shard, options.shards);
    if (!WriteSweep(out.string(), meta, rows)) {
        std::fprintf(stderr, "karvex sweep: cannot write runs.csv and summary.json in %s\n", out.c_str());
        return EXIT_FAILED;
    }
    fs::remove(partialPath, fsError);
    if (!options.quiet) {
        std::printf("wrote %s and %s\n", (out / "runs.csv").c_str(), (out / "summary.json").c_str());
    }
    return options.plot ? PlotSweep(out.string(), options.plotScript) : EXIT_OK;
}

}  // namespace runner
