// Sweeps, envelopes and merges from Python: the karvex program's jobs, defined by their files or by
// a Scenario and lines, stopped by Ctrl-C, their progress passed to Python, their files read back.
#include <filesystem>
#include <optional>

#include "python/bindings.h"
#include "python/isolated.h"
#include "python/job_files.h"
#include "runner/envelope/envelope.h"
#include "runner/program/complaint.h"
#include "runner/program/exit_codes.h"
#include "runner/program/paths.h"
#include "runner/sweep/sweep.h"

#include <pybind11/stl.h>

namespace karvex_python {

namespace {

namespace py = pybind11;
namespace fs = std::filesystem;

// A sweep's or an envelope's definition as Python gives it: the file `path`, or lines over a copy
// of a Scenario's document (taken while the interpreter holds it still), going by the name `path`.
struct Given {
    std::string path;
    std::optional<formats::ScenarioDocument> base;
    std::vector<std::string> lines, places;  // with a base: each line, and what its errors name it by

    // The lines as the readers take them, valid while this lives.
    runner::DefinitionText Text() const { return {path, lines, places, base ? &*base : nullptr}; }
};

// The file `path`, or with `document` its `lines` and their `places`.
Given GivenOf(const std::string& path, const formats::ScenarioDocument* document, const std::vector<std::string>& lines,
              const std::vector<std::string>& places)
{
    Given given{path, std::nullopt, lines, places};
    if (document != nullptr) {
        given.base = *document;
    }
    return given;
}

// What a job came to: its ExitCode, why it failed, and the file or folder it missed when that was why.
struct JobEnd {
    int code = runner::EXIT_OK;
    std::string why, missing;
};

const std::string& ScenarioPath(const runner::BatchDefinition& spec)
{
    return spec.scenarioPath;
}

const std::string& ScenarioPath(const runner::EnvelopeDefinition& def)
{
    return def.batch.scenarioPath;
}

// Reads `given` into `spec` with `reader` (ReadSweep or ReadEnvelope, for a file or for lines);
// false with `end`'s reason, and the file missed when the definition or its scenario is not there.
template <typename Spec, typename Reader>
bool ReadGiven(const Given& given, Reader reader, Spec& spec, JobEnd& end)
{
    if (given.base ? reader(given.Text(), spec, end.why) : reader(given.path, spec, end.why)) {
        return true;
    }
    const std::string& scenario = ScenarioPath(spec);
    if (!given.base && !fs::exists(given.path)) {
        end.missing = given.path;
    } else if (!given.base && !scenario.empty() && !fs::exists(scenario)) {
        end.missing = scenario;
    }
    return false;
}

// Runs `job`(folder, call, end) (which returns an ExitCode) in isolation, writing into `out` or into
// a scratch folder when it is None, passing its progress to `progress`; reads back what it wrote
// with `read`.
template <typename Job, typename Read>
py::tuple Perform(const std::optional<std::string>& out, const py::object& progress, Job job, Read read)
{
    if (out) {
        // Refused before the job reads or makes anything.
        if (std::string why = runner::RefusedOutputFolder(*out); !why.empty()) {
            Raise(runner::EXIT_USAGE, why);
        }
    }
    std::optional<ScratchDir> scratch;
    const std::string dir = out ? *out : scratch.emplace().Path();
    JobEnd end;
    Isolated([&](Call& call) {
        runner::ComplaintCapture complaints;
        end.code = job(dir, call, end);
        if (end.why.empty()) {
            end.why = complaints.Last();
        }
    }, progress);
    if (!end.missing.empty()) {
        RaiseMissing(end.missing);
    }
    if (end.code != runner::EXIT_OK) {
        Raise(end.code, end.why);
    }
    return read(dir);
}

// A sweep's or an envelope's options with what Python gives both: quiet (progress goes to Python),
// no picture, stopped and watched through `call`.
template <typename Options>
Options JobOptions(const std::string& modules, int jobs, int shard, int shards, Call& call)
{
    Options options;
    options.moduleDir = modules;
    options.jobs = jobs;
    options.shard = shard;
    options.shards = shards;
    options.plot = false;
    options.quiet = true;
    options.stop = call.Stop();
    options.progress = [&call](long long done, long long total) { call.Progress(done, total); };
    return options;
}

py::tuple Sweep(const std::string& path, const formats::ScenarioDocument* document,
                const std::vector<std::string>& lines, const std::vector<std::string>& places,
                const std::string& modules, const std::optional<std::string>& out, int jobs, int shard, int shards,
                bool resume, const py::object& progress)
{
    const Given given = GivenOf(path, document, lines, places);
    auto reader = [](const auto& from, runner::BatchDefinition& spec, std::string& error) {
        return runner::ReadSweep(from, spec, error);
    };
    return Perform(out, progress, [&](const std::string& dir, Call& call, JobEnd& end) {
        runner::BatchDefinition spec;
        if (!ReadGiven(given, reader, spec, end)) {
            return static_cast<int>(runner::EXIT_SCENARIO);
        }
        auto options = JobOptions<runner::SweepOptions>(modules, jobs, shard, shards, call);
        options.definition = &spec;
        options.outDir = dir;
        options.resume = resume;
        return runner::Sweep(options);
    }, [](const std::string& dir) { return SweepFiles(dir); });
}

py::tuple Envelope(const std::string& path, const formats::ScenarioDocument* document,
                   const std::vector<std::string>& lines, const std::vector<std::string>& places,
                   const std::string& modules, const std::optional<std::string>& out, int jobs, int shard, int shards,
                   const py::object& progress)
{
    const Given given = GivenOf(path, document, lines, places);
    auto reader = [](const auto& from, runner::EnvelopeDefinition& def, std::string& error) {
        return runner::ReadEnvelope(from, def, error);
    };
    return Perform(out, progress, [&](const std::string& dir, Call& call, JobEnd& end) {
        runner::EnvelopeDefinition def;
        if (!ReadGiven(given, reader, def, end)) {
            return static_cast<int>(runner::EXIT_SCENARIO);
        }
        auto options = JobOptions<runner::EnvelopeOptions>(modules, jobs, shard, shards, call);
        options.definition = &def;
        options.outDir = dir;
        return runner::Envelope(options);
    }, [](const std::string& dir) { return EnvelopeFiles(dir); });
}

// Merges the shard folders `dirs` of a sweep or an envelope (told apart as the program does, by
// the first folder's envelope.json); returns ("sweep" or "envelope", columns, summary text).
py::tuple Merge(const std::vector<std::string>& dirs, const std::optional<std::string>& out)
{
    const bool envelope = !dirs.empty() && fs::is_regular_file(fs::path(dirs[0]) / "envelope.json");
    py::tuple files = Perform(out, py::none(), [&](const std::string& dir, Call&, JobEnd&) {
        return envelope ? runner::MergeEnvelope(dirs, dir, false, "") : runner::Merge(dirs, dir, false, "");
    }, [&](const std::string& dir) { return envelope ? EnvelopeFiles(dir) : SweepFiles(dir); });
    return py::make_tuple(envelope ? "envelope" : "sweep", files[0], files[1]);
}

}  // namespace

void BindJobs(py::module_& m)
{
    // The definition is the file `path`, or with `document` the `lines` over it (errors naming each
    // by its entry of `places`), going by the name `path`.
    m.def("sweep", &Sweep, py::arg("path"), py::arg("document"), py::arg("lines"), py::arg("places"),
          py::arg("modules"), py::arg("out"), py::arg("jobs"), py::arg("shard"), py::arg("shards"), py::arg("resume"),
          py::arg("progress"),
          "Flies a sweep; returns (runs.csv's columns, summary.json's text), passing progress(done, total) on.");
    m.def("envelope", &Envelope, py::arg("path"), py::arg("document"), py::arg("lines"), py::arg("places"),
          py::arg("modules"), py::arg("out"), py::arg("jobs"), py::arg("shard"), py::arg("shards"),
          py::arg("progress"),
          "Computes an envelope; returns (envelope.csv's columns, envelope.json's text), passing progress on.");
    m.def("merge", &Merge, py::arg("dirs"), py::arg("out"),
          "Merges shard folders; returns (\"sweep\" or \"envelope\", the rows' columns, the summary's text).");
}

}  // namespace karvex_python
