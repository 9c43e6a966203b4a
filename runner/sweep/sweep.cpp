#include "runner/sweep/sweep.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "formats/fresh_file.h"
#include "formats/scenario_keys.h"
#include "physics/random.h"
#include "runner/batch/workers.h"
#include "runner/flight/flight.h"
#include "runner/plots/plot.h"
#include "runner/program/complaint.h"
#include "runner/program/exit_codes.h"
#include "runner/program/paths.h"
#include "runner/program/scratch_folder.h"
#include "runner/sweep/sweep_rows.h"
#include "runtime/host_control.h"

namespace runner {

namespace {

namespace fs = std::filesystem;

// A fingerprint of everything that decides a sweep's rows, so resumed rows come from the same sweep.
std::string Signature(const BatchDefinition& spec, int shard, int shards)
{
    using physics::Bits;
    using physics::Mix;
    uint64_t h = Mix(spec.seed ^ static_cast<uint64_t>(spec.runs));
    for (char c : spec.scenarioText) {
        h = Mix(h + static_cast<unsigned char>(c));
    }
    std::string settings;
    for (const formats::HostLine& setting : spec.settings) {
        formats::AppendHostLine(setting, settings);
        settings += '\n';
    }
    for (char c : settings) {
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

// Puts the rows a stopped sweep left in `path` into `rows` (rows[k] for run `first` + k); false
// when `path` holds the runs of another sweep than the one `signature` names.
bool Resume(const fs::path& path, const std::string& signature, long long first, const SweepMeta& meta,
            std::vector<SweepRow>& rows)
{
    std::ifstream in(path);
    formats::CsvReader csv(in);
    std::vector<std::string> fields;
    if (csv.Next(fields) && fields != std::vector<std::string>{signature}) {
        return false;
    }
    const long long last = first + static_cast<long long>(rows.size());
    for (SweepRow row; csv.Next(fields);) {
        // A row cut short by the stop has no line end: it is flown again.
        if (csv.Ended() && ReadRow(fields, meta, row) && row.run >= first && row.run < last) {
            rows[static_cast<size_t>(row.run - first)] = row;
        }
    }
    return true;
}

// Starts the partial file `path` afresh: the signature, then the rows flown already; null when it
// cannot be written.
std::FILE* StartPartial(const fs::path& path, const std::string& signature, const std::vector<SweepRow>& rows)
{
    std::FILE* partial = formats::OpenFresh(path.string());
    if (partial == nullptr) {
        return nullptr;
    }
    formats::CsvWriter csv;
    csv.Text(signature).End();
    for (const SweepRow& row : rows) {
        if (row.run >= 0) {
            WriteRow(csv, row);
        }
    }
    std::fputs(csv.Result().c_str(), partial);
    std::fflush(partial);
    return partial;
}

// Flies run `run` of `spec` into `row`; false with `why` when it cannot be flown.
bool FlyRun(const BatchDefinition& spec, const SweepOptions& options, const fs::path& out, long long run,
            SweepRow& row, std::string& why)
{
    std::vector<double> values = DrawInputs(spec, run);
    char name[32];
    std::snprintf(name, sizeof name, "run-%06lld.scn", run);
    formats::ScenarioDocument doc;
    if (!RunScenario(spec, values, doc, why)) {
        return false;
    }
    doc.path = name;
    if (options.writeInputs && !formats::ReplaceFile((out / "inputs" / name).string(), formats::WriteScenario(doc))) {
        why = "cannot write " + (out / "inputs" / name).string();
        return false;
    }
    RunOptions fly;
    fly.moduleDir = options.moduleDir;
    fly.maxVessels = 64;
    fly.scenario = name;
    fly.document = &doc;
    fly.stop = options.stop;
    RunResult result = Run(fly);
    if (result.exitCode != EXIT_OK) {
        why = result.error;
        return false;
    }
    row = RowOf(run, std::move(values), result);
    return true;
}

// Flies the runs not in `rows` yet (rows[k] for run `first` + k) on the option's threads, each row
// also appended to `partial` as it lands; an ExitCode, with `failure` when not EXIT_OK.
int FlyAll(const BatchDefinition& spec, const SweepOptions& options, const fs::path& out, long long first,
           std::vector<SweepRow>& rows, std::FILE* partial, std::string& failure)
{
    std::vector<long long> todo;
    for (size_t k = 0; k < rows.size(); ++k) {
        if (rows[k].run < 0) {
            todo.push_back(first + static_cast<long long>(k));
        }
    }
    std::mutex lock;
    formats::CsvWriter csv;
    auto fly = [&](size_t k, std::string& why) {
        SweepRow row;
        bool flown = FlyRun(spec, options, out, todo[k], row, why);
        std::lock_guard<std::mutex> guard(lock);
        if (flown) {
            csv.Clear();
            WriteRow(csv, row);
            std::fputs(csv.Result().c_str(), partial);
            std::fflush(partial);
            rows[static_cast<size_t>(row.run - first)] = std::move(row);
        }
        return flown;
    };
    const BatchOptions how{options.jobs, options.quiet, "runs", options.stop, options.progress};
    return OnEveryCore(todo.size(), static_cast<long long>(rows.size() - todo.size()), how, fly, failure);
}

}  // namespace

int Sweep(const SweepOptions& options)
{
    // Refused before anything is read or made.
    if (const int refused = RefuseJobFolders("sweep", options.outDir, options.moduleDir); refused != EXIT_OK) {
        return refused;
    }
    BatchDefinition read;
    std::string error;
    if (options.definition == nullptr && !ReadSweep(options.sweepFile, read, error)) {
        Complain("sweep", "%s", error.c_str());
        return EXIT_SCENARIO;
    }
    const BatchDefinition& spec = options.definition != nullptr ? *options.definition : read;
    if (options.shards < 1 || options.shard < 1 || options.shard > options.shards) {
        Complain("sweep", "shard %d/%d: expected K/N with 1 <= K <= N", options.shard, options.shards);
        return EXIT_USAGE;
    }
    long long first = 0, last = 0;
    ShardRange(spec.runs, options.shard, options.shards, first, last);
    std::error_code fsError;
    fs::path out = fs::absolute(options.outDir, fsError);
    fs::create_directories(out, fsError);
    if (options.writeInputs) {
        // A link planted at the name is replaced by a folder of the sweep's own, not written through.
        if (fs::is_symlink(out / "inputs", fsError)) {
            fs::remove(out / "inputs", fsError);
        }
        fs::create_directories(out / "inputs", fsError);
    }
    if (!fs::is_directory(out) || (options.writeInputs && !fs::is_directory(out / "inputs"))) {
        Complain("sweep", "cannot create %s", out.c_str());
        return EXIT_FAILED;
    }

    const SweepMeta meta = MetaOf(spec, spec.path, options.shard, options.shards);
    std::vector<SweepRow> rows(static_cast<size_t>(last - first));
    const std::string signature = Signature(spec, options.shard, options.shards);
    fs::path partialPath = out / "runs.partial";
    if (options.resume && !Resume(partialPath, signature, first, meta, rows)) {
        Complain("sweep", "%s holds the runs of another sweep", partialPath.c_str());
        return EXIT_USAGE;
    }
    std::FILE* partial = StartPartial(partialPath, signature, rows);
    if (partial == nullptr) {
        Complain("sweep", "cannot write %s", partialPath.c_str());
        return EXIT_FAILED;
    }
    // The modules append their log in the working directory: a scratch folder of the sweep's own
    // while the runs fly, from which a module folder named relative to where the sweep began is no
    // longer found. Only that folder is removed afterwards, whatever else the output folder holds.
    SweepOptions fly = options;
    fly.moduleDir = fs::absolute(options.moduleDir, fsError).string();
    std::string failure = "cannot create a scratch folder in " + out.string();
    int flown = EXIT_FAILED;
    if (const ScratchFolder scratch(out); !scratch.Path().empty()) {
        const fs::path previous = fs::current_path();
        fs::current_path(scratch.Path());
        failure.clear();
        flown = FlyAll(spec, fly, out, first, rows, partial, failure);
        fs::current_path(previous);
    }
    std::fclose(partial);
    if (flown != EXIT_OK) {
        Complain("sweep", "%s", failure.c_str());
        return flown;
    }

    if (!WriteSweep(out.string(), meta, rows)) {
        Complain("sweep", "cannot write runs.csv and summary.json in %s", out.c_str());
        return EXIT_FAILED;
    }
    fs::remove(partialPath, fsError);
    if (!options.quiet) {
        std::printf("wrote %s and %s\n", (out / "runs.csv").c_str(), (out / "summary.json").c_str());
    }
    return options.plot ? PlotSweep(out.string(), options.plotScript) : EXIT_OK;
}

}  // namespace runner
