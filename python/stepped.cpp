#include "python/stepped.h"

#include <cstdint>
#include <stdexcept>
#include <utility>

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include "python/bindings.h"
#include "python/interpreter_lock.h"
#include "python/isolated.h"
#include "python/readout_dtype.h"

namespace karvex_python {

namespace py = pybind11;
namespace fs = std::filesystem;

namespace {

[[noreturn]] void Closed()
{
    throw py::value_error("the simulation is closed");
}

}  // namespace

Stepped::Stepped(const std::string& path, const formats::ScenarioDocument* doc, const std::string& modules,
                   long long keepEvery)
{
    if (keepEvery < 0) {
        Raise(runner::EXIT_USAGE,
              "telemetry takes every nth sample from 1, or none, got " + std::to_string(keepEvery));
    }
    runner::RunOptions options;
    options.scenario = doc != nullptr ? doc->path : path;
    if (doc != nullptr) {
        document.emplace(*doc);  // flown while the interpreter, free meanwhile, may change the original
        options.document = &*document;
    }
    options.moduleDir = modules;
    options.keepTelemetry = keepEvery > 0;
    options.keepEvery = keepEvery > 0 ? keepEvery : 1;
    scenario = options.scenario;
    folder = std::make_unique<ScratchDir>();
    options.workDir = folder->Path();
    worker = std::make_unique<Worker>();
    // Relative paths are the caller's: the scenario is read from where the process stands now,
    // and the worker then sits in the simulation's folder, where its modules write their log.
    const fs::path here = fs::current_path();
    busy = true;
    std::unique_ptr<runner::Simulation> opened;
    try {
        Await(
            *worker,
            [&](Call&) {
                fs::current_path(here);
                opened = std::make_unique<runner::Simulation>(options, true);
                fs::current_path(folder->Path());
            },
            py::none());
    } catch (...) {
        busy = false;
        Dispose(std::move(opened));
        throw;
    }
    busy = false;
    if (!opened->Ok()) {
        const int code = opened->ExitCode();
        const std::string why = opened->Error();
        Dispose(std::move(opened));
        Raise(code, why);
    }
    sim = std::move(opened);
    sim->SetFrameHook([this](runner::Simulation&) { return Frame(); });
}

Stepped::~Stepped()
{
    if (worker != nullptr && !worker->Alive()) {
        // Forked since: the worker's thread and the folder are the parent's.
        (void)worker.release();
        (void)sim.release();
        (void)folder.release();
        return;
    }
    Dispose(std::move(sim));
}

runner::Simulation& Stepped::Open() const
{
    runner::Simulation& s = Readable();
    if (!worker->Alive()) {
        throw std::runtime_error("the simulation was opened in the process this one was forked from");
    }
    return s;
}

runner::Simulation& Stepped::Readable() const
{
    if (sim == nullptr) {
        Closed();
    }
    if (busy && !worker->Here()) {
        throw std::runtime_error("the simulation is in another thread's call: one call at a time");
    }
    return *sim;
}

void Stepped::Refused(std::initializer_list<const std::string*> vessels) const
{
    for (const std::string* name : vessels) {
        if (sim->IndexOf(*name) < 0) {
            throw py::key_error("no vessel is called \"" + *name + "\"");
        }
    }
    Raise(sim->ExitCode(), sim->Error());
}

long long Stepped::Step(long long frames)
{
    long long flown = -1;
    Fly([&]() { flown = sim->Step(frames); });
    if (flown < 0) {
        Refused();
    }
    return flown;
}

bool Stepped::UntilTime(double time)
{
    runner::Until until = runner::Until::Refused;
    Fly([&]() { until = sim->StepUntil(time); });
    return Came(until, {});
}

bool Stepped::UntilEvent(const std::string& event, const std::string& vessel)
{
    runner::Until until = runner::Until::Refused;
    Fly([&]() { until = sim->StepUntilEvent(event, vessel); });
    return Came(until, vessel);
}

bool Stepped::UntilHolds(py::handle self, py::object test)
{
    Open();
    if (!PyCallable_Check(test.ptr())) {
        throw py::type_error("condition takes a callable(simulation) -> bool");
    }
    owner = self.ptr();
    condition = std::move(test);
    runner::Until until = runner::Until::Refused;
    try {
        Fly([&]() { until = sim->StepUntil([this](runner::Simulation&) { return Holds(); }); });
    } catch (...) {
        condition = py::object();
        throw;
    }
    condition = py::object();
    return Came(until, {});
}

void Stepped::OnFrame(py::handle self, py::object call)
{
    Open();
    if (!call.is_none() && !PyCallable_Check(call.ptr())) {
        throw py::type_error("on_frame takes a callable(simulation), or None");
    }
    owner = self.ptr();
    callback = call.is_none() ? py::object() : std::move(call);
}

py::object Stepped::Close()
{
    if (sim == nullptr) {
        return py::none();
    }
    Open();
    if (worker->Here()) {
        throw std::runtime_error("a simulation cannot be closed from its own on_frame callback or condition");
    }
    runner::RunResult result;
    {
        Unlocked unlocked;  // a short wait, which Ctrl-C does not cut short
        worker->Start([&]() {
            result = sim->Close();
            sim.reset();
        });
        worker->Wait();
    }
    worker->Finish();
    callback = py::object();
    worker.reset();
    folder.reset();
    std::string summary = runner::SummaryJson(scenario, result);
    return FlightOf(std::move(result), std::move(summary));
}

int Stepped::Visit(visitproc visit, void* arg) const
{
    Py_VISIT(callback.ptr());
    Py_VISIT(condition.ptr());
    return 0;
}

void Stepped::Clear()
{
    callback = py::object();
    condition = py::object();
}

void Stepped::Fly(const std::function<void()>& work)
{
    Open();
    if (worker->Here()) {
        throw std::runtime_error("a simulation cannot be stepped from its own on_frame callback or condition");
    }
    std::error_code lost;  // a working directory removed meanwhile: relative paths go nowhere
    callerDir = fs::current_path(lost);
    const bool python = callback || condition;
    Work([&]() {
        if (python) {
            // One thread state for the whole call: each frame then only takes the lock back.
            ForeignThread state;
            foreign = &state;
            try {
                work();
            } catch (...) {
                foreign = nullptr;
                throw;
            }
            foreign = nullptr;
        } else {
            work();
        }
        if (raised) {
            std::rethrow_exception(std::exchange(raised, nullptr));
        }
    });
}

void Stepped::Work(const std::function<void()>& work)
{
    Open();
    if (worker->Here()) {
        work();
        return;
    }
    busy = true;
    raised = nullptr;
    try {
        Await(
            *worker,
            [&](Call& call) {
                sim->SetStop(call.Stop());
                work();
                sim->SetStop(nullptr);
            },
            py::none());
    } catch (...) {
        busy = false;
        raised = nullptr;
        sim->SetStop(nullptr);
        throw;
    }
    busy = false;
}

bool Stepped::Frame()
{
    if (raised) {
        return false;
    }
    if (!callback) {
        return true;
    }
    // Raw calls: should the exiting interpreter end the thread inside, nothing of ours is left to
    // destroy on the way out.
    return foreign->Locked([this]() {
        PyObject* call = callback.ptr();
        Py_INCREF(call);  // the callback may replace itself
        PyObject* got = PyObject_CallOneArg(call, owner);
        const bool answered = got != nullptr;
        Py_XDECREF(got);
        Py_DECREF(call);
        return Answered(answered);
    });
}

bool Stepped::Holds()
{
    return foreign->Locked([this]() {
        PyObject* got = PyObject_CallOneArg(condition.ptr(), owner);
        const int truth = got == nullptr ? -1 : PyObject_IsTrue(got);
        Py_XDECREF(got);
        return Answered(truth >= 0) && truth == 1;
    });
}

bool Stepped::Answered(bool answered)
{
    if (!answered) {
        raised = std::make_exception_ptr(py::error_already_set());
    }
    return answered;
}

bool Stepped::Came(runner::Until until, const std::string& vessel) const
{
    switch (until) {
    case runner::Until::Reached:
        return true;
    case runner::Until::Ended:
        return false;
    case runner::Until::Interrupted:
        throw std::runtime_error("the flight was stopped");
    default:
        if (vessel.empty()) {
            Refused();
        }
        Refused({&vessel});
    }
}

void Stepped::Dispose(std::unique_ptr<runner::Simulation> flight)
{
    if (flight != nullptr && worker != nullptr) {
        worker->Start([&]() { flight.reset(); });
        worker->Wait();
    }
}

}  // namespace karvex_python
