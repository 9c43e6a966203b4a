// What sweeps, envelopes and merges wrote, read back by the files' owners and handed over as columns.
#include "python/job_files.h"

#include <fstream>
#include <sstream>

#include "python/columns.h"
#include "python/isolated.h"
#include "runner/envelope/envelope_rows.h"
#include "runner/program/exit_codes.h"
#include "runner/sweep/sweep_rows.h"

namespace karvex_python {

namespace {

namespace py = pybind11;
namespace fs = std::filesystem;

std::string TextOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) {
        Raise(runner::EXIT_FAILED, "cannot read " + path.string());
    }
    return text.str();
}

// The columns of a single weapon's sweep `meta` with `rows`: the run, the inputs, the outcome's.
py::dict SweepColumns(const runner::SweepMeta& meta, const std::vector<runner::SweepRow>& rows)
{
    const std::vector<std::string> header = runner::RunsHeader(meta);
    std::vector<long long> run;
    std::vector<std::vector<double>> numbers(header.size());
    std::vector<std::string> outcome;
    for (const runner::SweepRow& row : rows) {
        run.push_back(row.run);
        size_t c = 1;
        for (double input : row.inputs) {
            numbers[c++].push_back(input);
        }
        outcome.emplace_back(runner::OUTCOMES[static_cast<int>(row.outcome)]);
        for (double value :
             {row.miss, row.flight, row.lock, row.east, row.north, row.closest, row.closestTime, row.relativeSpeed}) {
            numbers[++c].push_back(value);
        }
    }
    py::dict columns;
    const size_t outcomeColumn = 1 + meta.inputs.size();
    for (size_t c = 0; c < header.size(); ++c) {
        columns[py::str(header[c])] = c == 0               ? py::object(Array(run))
                                      : c == outcomeColumn ? py::object(Texts(outcome))
                                                           : py::object(Array(numbers[c]));
    }
    return columns;
}

// The columns of a salvo's sweep `meta` with `rows`, as runs.csv names them: the run, the inputs,
// each weapon's outcome and target (texts), miss and lock times, each target's hit (0 or 1).
py::dict SalvoColumns(const runner::SweepMeta& meta, const std::vector<runner::SweepRow>& rows)
{
    const std::vector<std::string> header = runner::RunsHeader(meta);
    std::vector<long long> run;
    std::vector<std::vector<double>> inputs(meta.inputs.size());
    for (const runner::SweepRow& row : rows) {
        run.push_back(row.run);
        for (size_t k = 0; k < inputs.size(); ++k) {
            inputs[k].push_back(row.inputs[k]);
        }
    }
    py::dict columns;
    size_t c = 0;
    columns[py::str(header[c++])] = Array(run);
    for (const std::vector<double>& input : inputs) {
        columns[py::str(header[c++])] = Array(input);
    }
    for (size_t w = 0; w < meta.weapons.size(); ++w) {
        std::vector<std::string> outcome, target;
        std::vector<std::vector<double>> times(3);
        for (const runner::SweepRow& row : rows) {
            const runner::WeaponRow& weapon = row.weapons[w];
            outcome.emplace_back(runner::OUTCOMES[static_cast<int>(weapon.outcome)]);
            target.push_back(weapon.target);
            times[0].push_back(weapon.miss);
            times[1].push_back(weapon.lock);
            times[2].push_back(weapon.friendLock);
        }
        columns[py::str(header[c++])] = Texts(outcome);
        columns[py::str(header[c++])] = Texts(target);
        for (const std::vector<double>& values : times) {
            columns[py::str(header[c++])] = Array(values);
        }
    }
    for (size_t t = 0; t < meta.targets.size(); ++t) {
        std::vector<long long> hit;
        hit.reserve(rows.size());
        for (const runner::SweepRow& row : rows) {
            hit.push_back(row.hit[t]);
        }
        columns[py::str(header[c++])] = Array(hit);
    }
    return columns;
}

}  // namespace

py::tuple SweepFiles(const fs::path& dir)
{
    const std::string summary = TextOf(dir / "summary.json");
    std::istringstream summaryIn(summary), runs(TextOf(dir / "runs.csv"));
    runner::SweepMeta meta;
    std::vector<runner::SweepRow> rows;
    std::string error;
    if (!runner::ReadSummaryMeta(summaryIn, meta)) {
        Raise(runner::EXIT_SCENARIO, (dir / "summary.json").string() + " is not a sweep's summary");
    }
    if (!runner::ReadRuns(runs, meta, rows, error)) {
        Raise(runner::EXIT_SCENARIO, (dir / "runs.csv").string() + ": " + error);
    }
    return py::make_tuple(meta.Salvo() ? SalvoColumns(meta, rows) : SweepColumns(meta, rows), summary);
}

py::tuple EnvelopeFiles(const fs::path& dir)
{
    const std::string summary = TextOf(dir / "envelope.json");
    std::istringstream csv(TextOf(dir / "envelope.csv"));
    std::vector<runner::EnvelopeRow> rows;
    std::string error;
    bool targets = false;
    if (!runner::ReadEnvelopeRows(csv, rows, error, &targets)) {
        Raise(runner::EXIT_SCENARIO, (dir / "envelope.csv").string() + ": " + error);
    }
    std::vector<double> altitude, speed, targetSpeed, targetCourse, bearing, rmin, rmax;
    std::vector<long long> interval, flights;
    for (const runner::EnvelopeRow& row : rows) {
        altitude.push_back(row.altitude);
        speed.push_back(row.speed);
        targetSpeed.push_back(row.targetSpeed);
        targetCourse.push_back(row.targetCourse);
        bearing.push_back(row.bearing);
        interval.push_back(row.interval);
        rmin.push_back(row.rmin);
        rmax.push_back(row.rmax);
        flights.push_back(row.flights);
    }
    // The target's speed and course follow the release speed when the file gives target speeds.
    std::vector<py::object> values = {Array(altitude), Array(speed), Array(bearing), Array(interval),
                                      Array(rmin),     Array(rmax),  Array(flights)};
    if (targets) {
        values.insert(values.begin() + 2, {Array(targetSpeed), Array(targetCourse)});
    }
    py::dict columns;
    std::istringstream header(targets ? runner::ENVELOPE_TARGET_HEADER : runner::ENVELOPE_HEADER);
    size_t c = 0;
    for (std::string name; std::getline(header, name, ',');) {
        columns[py::str(name)] = values[c++];
    }
    return py::make_tuple(columns, summary);
}

}  // namespace karvex_python
