// One run from Python: the scenario flown by the engine the karvex program flies, its result kept
// in the engine's own types until Python asks for a part of it.
#include <filesystem>

#include "python/bindings.h"
#include "python/columns.h"
#include "python/isolated.h"
#include "runner/flight/flight.h"
#include "runner/flight/outcome.h"
#include "runner/program/paths.h"
#include "runner/sweep/sweep_rows.h"

#include <pybind11/stl.h>

namespace karvex_python {

namespace {

namespace py = pybind11;

// What a run gave back, and the summary.json it would write.
struct Flight {
    runner::RunResult result;
    std::string summary;
};

// Flies `doc` (or, when it is null, the scenario file `path`) with the modules in `modules`,
// writing the run's files into `out` when it is given, keeping the first telemetry sample and
// every `keepEvery`-th after it (none for 0).
Flight Fly(const std::string& path, const formats::ScenarioDocument* doc, const std::string& modules,
           const std::optional<std::string>& out, long long keepEvery)
{
    if (keepEvery < 0) {
        Raise(runner::EXIT_USAGE, "telemetry takes every nth sample from 1, or none, got " + std::to_string(keepEvery));
    }
    if (out && out->empty()) {
        Raise(runner::EXIT_USAGE, runner::RefusedOutputFolder(*out));
    }
    runner::RunOptions options;
    options.scenario = doc != nullptr ? doc->path : path;
    std::optional<formats::ScenarioDocument> copy;
    if (doc != nullptr) {
        copy = *doc;  // flown while the interpreter, free meanwhile, may change the original
        options.document = &*copy;
    }
    options.moduleDir = modules;
    options.outDir = out.value_or("");
    options.keepTelemetry = keepEvery > 0;
    options.keepEvery = keepEvery > 0 ? keepEvery : 1;
    Flight flight;
    Isolated([&](Call& call) {
        // With no output folder the run still reads its modules' log, in the call's own folder.
        if (options.outDir.empty()) {
            options.workDir = call.Folder();
        }
        options.stop = call.Stop();
        flight.result = runner::Run(options);
        if (flight.result.exitCode == runner::EXIT_OK) {
            flight.summary = runner::SummaryJson(options.scenario, flight.result);
        }
    });
    if (flight.result.exitCode != runner::EXIT_OK) {
        Raise(flight.result.exitCode, flight.result.error);
    }
    return flight;
}

py::object Optional(double value)
{
    return std::isnan(value) ? py::none() : py::cast(value);
}

// The run as a single weapon's sweep row names it: its outcome, then its numbers (None for NaN).
py::dict Row(const Flight& f)
{
    const runner::SweepRow row = runner::RowOf(0, {}, f.result);
    const std::vector<std::string> header = runner::RunsHeader(runner::SweepMeta{});
    const double numbers[] = {row.miss,  row.flight,  row.lock,        row.east,
                              row.north, row.closest, row.closestTime, row.relativeSpeed};
    py::dict fields;
    fields[py::str(header[1])] = runner::OUTCOMES[static_cast<int>(row.outcome)];
    for (size_t k = 2; k < header.size(); ++k) {
        fields[py::str(header[k])] = Optional(numbers[k - 2]);
    }
    return fields;
}

}  // namespace

py::object FlightOf(runner::RunResult result, std::string summary)
{
    return py::cast(Flight{std::move(result), std::move(summary)});
}

py::dict TelemetryDict(const runner::TelemetryColumns& t)
{
    py::dict columns;
    for (size_t k = 0; k < t.names.size(); ++k) {
        columns[py::str(t.names[k])] = t.text[k] ? py::object(Texts(t.texts[k])) : py::object(Array(t.numbers[k]));
    }
    return columns;
}

void BindFlight(py::module_& m)
{
    py::class_<Flight>(m, "Flight", "What one run gave back.")
        .def_property_readonly("miss_distance", [](const Flight& f) { return Optional(f.result.missDistance); },
                               "From warhead ignition to the target's centre, m; None without both.")
        .def_property_readonly("closest_approach", [](const Flight& f) { return Optional(f.result.closestApproach); },
                               "The least distance between the missile's and the target's centres after release, m; "
                               "None without both.")
        .def_property_readonly("time_of_closest_approach",
                               [](const Flight& f) { return Optional(f.result.closestApproachTime); },
                               "The simulation time of the closest approach, s; None without it.")
        .def_property_readonly("relative_speed", [](const Flight& f) { return Optional(f.result.relativeSpeed); },
                               "The missile's speed relative to the target at ignition, m/s; None without both.")
        .def_property_readonly("summary_json", [](const Flight& f) { return f.summary; },
                               "The text of the run's summary.json.")
        .def_property_readonly("end_time", [](const Flight& f) { return f.result.endTime; },
                               "The simulation time the run stopped at, s.")
        .def_property_readonly("written", [](const Flight& f) { return f.result.written; },
                               "The paths of the files written.")
        .def("row", &Row, "The run's fields as a sweep's runs.csv names them, from outcome on (None for none).")
        .def("events", [](const Flight& f) {
            py::list events;
            for (const runner::Event& e : f.result.events) {
                events.append(py::make_tuple(e.time, e.kind, e.text, e.vessel));
            }
            return events;
        }, "The timeline: (time s, kind, text, vessel) in order.")
        .def("telemetry", [](const Flight& f) { return TelemetryDict(f.result.telemetry); },
             "The columns of telemetry.csv: numbers as float64 arrays, texts as lists of str.");
    m.def("fly", &Fly, py::arg("path"), py::arg("document"), py::arg("modules"), py::arg("out"), py::arg("keep_every"),
          "Flies the document, or the scenario file `path` when it is None; writes files into `out` when given; "
          "keeps the first telemetry sample and every `keep_every`-th after it (0: none).");
}

}  // namespace karvex_python
