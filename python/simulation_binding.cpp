// A flight stepped from Python. The engine's Simulation lives on a worker thread of its own, with
// a world and a working directory of its own: whatever runs module code (opening, stepping,
// commands, releases, saves, closing) runs there, the caller watching for Ctrl-C meanwhile. Reads
// and the calls that only move the host's records (keys, velocities, steering) run on the calling
// thread, the simulation making its world current for each; states go straight into numpy arrays.
#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include "python/bindings.h"
#include "python/call.h"
#include "python/isolated.h"
#include "python/worker.h"
#include "runner/flight/simulation.h"

namespace karvex_python {

namespace {

namespace py = pybind11;
namespace fs = std::filesystem;

using runner::VesselReadout;

// One field of a state record: its name, units as the telemetry's columns give them, where it lies
// in a VesselReadout, and how many numbers it holds.
struct Field {
    const char* name;
    size_t offset;
    size_t count;
};

#define READOUT_FIELD(name, member) \
    Field { name, offsetof(VesselReadout, member), sizeof(VesselReadout::member) / 8 }

constexpr Field FIELDS[] = {
    READOUT_FIELD("pos_m", pos),
    READOUT_FIELD("vel_m_s", vel),
    READOUT_FIELD("local_pos_m", localPos),
    READOUT_FIELD("local_vel_m_s", localVel),
    READOUT_FIELD("latitude_deg", latitude),
    READOUT_FIELD("longitude_deg", longitude),
    READOUT_FIELD("altitude_m", altitude),
    READOUT_FIELD("quat", quat),
    READOUT_FIELD("pitch_rad", pitch),
    READOUT_FIELD("bank_rad", bank),
    READOUT_FIELD("heading_rad", heading),
    READOUT_FIELD("body_rates_rad_s", bodyRates),
    READOUT_FIELD("airspeed_m_s", airspeed),
    READOUT_FIELD("mach", mach),
    READOUT_FIELD("dyn_pressure_pa", dynamicPressure),
    READOUT_FIELD("mass_kg", mass),
    READOUT_FIELD("propellant_kg", propellant),
    READOUT_FIELD("thrust_n", thrust),
    READOUT_FIELD("thruster_count", thrusterCount),
    READOUT_FIELD("thruster_levels", thrusterLevels),
    READOUT_FIELD("elevator", elevator),
    READOUT_FIELD("rudder", rudder),
    READOUT_FIELD("aileron", aileron),
    READOUT_FIELD("head_az_rad", headAzimuth),
    READOUT_FIELD("head_el_rad", headElevation),
};

#undef READOUT_FIELD

// The table covers the record, field after field, with nothing between them and nothing after: a
// field added to, moved in or dropped from VesselReadout without the table fails here.
constexpr bool Covers()
{
    size_t next = 0;
    for (const Field& f : FIELDS) {
        if (f.offset != next || f.count == 0) {
            return false;
        }
        next = f.offset + 8 * f.count;
    }
    return next == sizeof(VesselReadout);
}
static_assert(Covers(), "every field of VesselReadout, in order, 8 bytes a number");
static_assert(std::is_same_v<decltype(VesselReadout::thrusterCount), int64_t>, "thruster_count is int64");
static_assert(sizeof(double) == 8);
static_assert(sizeof(VesselReadout::thrusterLevels) == sizeof(double) * runner::READOUT_THRUSTERS);

// The records' dtype, made once: float64 fields, thruster_count int64, at the struct's offsets.
const py::dtype& Readout()
{
    static const py::dtype* dtype = [] {
        py::list names, formats, offsets;
        for (const Field& f : FIELDS) {
            const char* kind = f.offset == offsetof(VesselReadout, thrusterCount) ? "i8" : "f8";
            names.append(f.name);
            formats.append(f.count == 1 ? py::object(py::str(kind))
                                        : py::object(py::make_tuple(kind, py::make_tuple(f.count))));
            offsets.append(f.offset);
        }
        py::dict spec;
        spec["names"] = names;
        spec["formats"] = formats;
        spec["offsets"] = offsets;
        spec["itemsize"] = sizeof(VesselReadout);
        return new py::dtype(py::dtype::from_args(spec));  // kept for the interpreter's life
    }();
    return *dtype;
}

// A fresh array of `count` state records, uninitialised.
py::array Records(int count)
{
    py::detail::npy_api& api = py::detail::npy_api::get();
    Py_intptr_t shape[1] = {count};
    PyObject* descr = Readout().inc_ref().ptr();  // the array takes this reference
    PyObject* array = api.PyArray_NewFromDescr_(api.PyArray_Type_, descr, 1, shape, nullptr, nullptr, 0, nullptr);
    if (array == nullptr) {
        throw py::error_already_set();
    }
    return py::reinterpret_steal<py::array>(array);
}

[[noreturn]] void Closed()
{
    throw py::value_error("the simulation is closed");
}

// A simulation and the thread it flies on, as Python holds them.
class Stepped {
public:
    Stepped(const std::string& path, const formats::ScenarioDocument* doc, const std::string& modules,
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

    ~Stepped()
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

    Stepped(const Stepped&) = delete;
    Stepped& operator=(const Stepped&) = delete;

    // The simulation, for a call: refused when it is closed, or in another thread's call.
    // The simulation, for a call that hands work to its worker.
    runner::Simulation& Open() const
    {
        runner::Simulation& s = Readable();
        if (!worker->Alive()) {
            throw std::runtime_error("the simulation was opened in the process this one was forked from");
        }
        return s;
    }

    // The simulation, for a call that only reads it on the calling thread (a copy forked off reads
    // its own copy).
    runner::Simulation& Readable() const
    {
        if (sim == nullptr) {
            Closed();
        }
        if (busy && !worker->Here()) {
            throw std::runtime_error("the simulation is in another thread's call: one call at a time");
        }
        return *sim;
    }

    // Refused: KeyError for a vessel of `vessels` that is none, else the simulation's reason.
    [[noreturn]] void Refused(std::initializer_list<const std::string*> vessels = {}) const
    {
        for (const std::string* name : vessels) {
            if (sim->IndexOf(*name) < 0) {
                throw py::key_error("no vessel is called \"" + *name + "\"");
            }
        }
        Raise(sim->ExitCode(), sim->Error());
    }

    long long Step(long long frames)
    {
        long long flown = -1;
        Fly([&]() { flown = sim->Step(frames); });
        if (flown < 0) {
            Refused();
        }
        return flown;
    }

    bool UntilTime(double time)
    {
        runner::Until until = runner::Until::Refused;
        Fly([&]() { until = sim->StepUntil(time); });
        return Came(until, {});
    }

    bool UntilEvent(const std::string& event, const std::string& vessel)
    {
        runner::Until until = runner::Until::Refused;
        Fly([&]() { until = sim->StepUntilEvent(event, vessel); });
        return Came(until, vessel);
    }

    bool UntilHolds(py::handle self, py::object test)
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

    void OnFrame(py::handle self, py::object call)
    {
        Open();
        if (!call.is_none() && !PyCallable_Check(call.ptr())) {
            throw py::type_error("on_frame takes a callable(simulation), or None");
        }
        owner = self.ptr();
        callback = call.is_none() ? py::object() : std::move(call);
    }

    py::object State(py::handle vessel) const
    {
        const runner::Simulation& s = Readable();
        if (vessel.is_none()) {
            const int count = s.VesselCount();
            py::array all = Records(count);
            s.States(static_cast<VesselReadout*>(all.mutable_data()), count);
            return all;
        }
        const int index = Index(vessel);
        py::array one = Records(1);
        *static_cast<VesselReadout*>(one.mutable_data()) = s.State(index);
        return py::reinterpret_steal<py::object>(PySequence_GetItem(one.ptr(), 0));
    }

    // The index of `vessel`: a name, or an index from 0.
    int Index(py::handle vessel) const
    {
        const runner::Simulation& s = Readable();
        if (PyUnicode_Check(vessel.ptr())) {
            Py_ssize_t size = 0;
            const char* text = PyUnicode_AsUTF8AndSize(vessel.ptr(), &size);
            if (text == nullptr) {
                throw py::error_already_set();
            }
            const std::string name(text, static_cast<size_t>(size));
            const int index = s.IndexOf(name);
            if (index < 0) {
                throw py::key_error("no vessel is called \"" + name + "\"");
            }
            return index;
        }
        if (!PyIndex_Check(vessel.ptr())) {
            throw py::type_error("a vessel is named by its name or its index");
        }
        const auto number = py::reinterpret_steal<py::object>(PyNumber_Index(vessel.ptr()));
        if (!number) {
            throw py::error_already_set();
        }
        const long long index = number.cast<long long>();
        if (index < 0 || index >= s.VesselCount()) {
            throw py::index_error("no vessel has index " + std::to_string(index) + " of " +
                                  std::to_string(s.VesselCount()));
        }
        return static_cast<int>(index);
    }

    py::list Vessels() const
    {
        py::list list;
        for (const runner::VesselInfo& v : Open().Vessels()) {
            list.append(py::make_tuple(v.name, v.className, v.motion));
        }
        return list;
    }

    py::list NewEvents()
    {
        py::list events;
        for (const runner::Event& e : Open().NewEvents()) {
            events.append(py::make_tuple(e.time, e.kind, e.text, e.vessel));
        }
        return events;
    }

    int Command(const std::string& vessel, const std::string& command)
    {
        std::optional<int> answer;
        Work([&]() { answer = sim->Command(vessel, command); });
        if (!answer) {
            Refused({&vessel});
        }
        return *answer;
    }

    void Release(const std::string& carrier, int station, const std::optional<std::array<double, 3>>& velocity)
    {
        const std::array<double, 3> v = velocity.value_or(std::array<double, 3>{0.0, 0.0, 0.0});
        bool done = false;
        Work([&]() { done = sim->Release(carrier, station, VECTOR3{v[0], v[1], v[2]}); });
        if (!done) {
            Refused({&carrier});
        }
    }

    void Key(const std::string& vessel, unsigned int code, bool down, uint8_t modifiers)
    {
        if (!Open().Key(vessel, code, down, modifiers)) {
            Refused({&vessel});
        }
    }

    void SetVelocity(const std::string& vessel, const std::array<double, 3>& velocity)
    {
        if (!Open().SetVelocity(vessel, VECTOR3{velocity[0], velocity[1], velocity[2]})) {
            Refused({&vessel});
        }
    }

    void Steer(const std::string& vessel, const std::string& lines)
    {
        if (!Open().Steer(vessel, lines)) {
            Refused({&vessel});
        }
    }

    // Saves to `path`, relative to the caller's working directory (in a callback, the stepping
    // call's caller's); the absolute path written.
    std::string Save(const std::string& path)
    {
        Open();
        std::string absolute = (worker->Here() ? callerDir / path : fs::absolute(path)).string();
        bool saved = false;
        Work([&]() { saved = sim->Save(absolute); });
        if (!saved) {
            Refused();
        }
        return absolute;
    }

    py::object Flight() const
    {
        runner::RunResult result = Open().Result();
        std::string summary = runner::SummaryJson(scenario, result);
        return FlightOf(std::move(result), std::move(summary));
    }

    // Closes the flight; what it came to as a Flight, None when it was closed already.
    py::object Close()
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
            py::gil_scoped_release release;  // a short wait, which Ctrl-C does not cut short
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

    // The callback's objects, for the interpreter's cycle collector.
    int Visit(visitproc visit, void* arg) const
    {
        Py_VISIT(callback.ptr());
        Py_VISIT(condition.ptr());
        return 0;
    }

    void Clear()
    {
        callback = py::object();
        condition = py::object();
    }

    bool Busy() const { return busy; }

private:
    // Flies `work` on the worker, with the stop flag that Ctrl-C sets, the interpreter's lock kept for
    // the worker across the call when Python runs at its frames; what a callback raised, raised after.
    void Fly(const std::function<void()>& work)
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
                py::gil_scoped_acquire state;
                py::gil_scoped_release free;
                work();
            } else {
                work();
            }
            if (raised) {
                std::rethrow_exception(std::exchange(raised, nullptr));
            }
        });
    }

    // Runs `work` on the worker (directly when called there: from a callback), the caller waiting.
    void Work(const std::function<void()>& work)
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

    // After each frame, on the worker: the on_frame callback, with the interpreter's lock; false to
    // stop the stepping once it (or the condition) has raised.
    bool Frame()
    {
        if (raised) {
            return false;
        }
        if (!callback) {
            return true;
        }
        py::gil_scoped_acquire python;
        try {
            const py::object call = callback;  // the callback may replace itself
            call(py::handle(owner));
        } catch (...) {
            raised = std::current_exception();
            return false;
        }
        return true;
    }

    // Whether run_until's condition holds, on the worker after a frame.
    bool Holds()
    {
        py::gil_scoped_acquire python;
        try {
            const int truth = PyObject_IsTrue(condition(py::handle(owner)).ptr());
            if (truth < 0) {
                throw py::error_already_set();
            }
            return truth == 1;
        } catch (...) {
            raised = std::current_exception();
            return false;
        }
    }

    bool Came(runner::Until until, const std::string& vessel) const
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

    // Destroys `flight` on the worker, whose module code it runs.
    void Dispose(std::unique_ptr<runner::Simulation> flight)
    {
        if (flight != nullptr && worker != nullptr) {
            worker->Start([&]() { flight.reset(); });
            worker->Wait();
        }
    }

    std::unique_ptr<ScratchDir> folder;  // the working directory of the worker and its modules
    std::unique_ptr<Worker> worker;
    std::optional<formats::ScenarioDocument> document;
    std::unique_ptr<runner::Simulation> sim;  // none once closed
    std::string scenario;                     // the name summaries give it
    fs::path callerDir;                       // the stepping call's caller's working directory
    bool busy = false;                        // a Python thread's call is in hand
    PyObject* owner = nullptr;                // the Python object, passed to the callback and the condition
    py::object callback;                      // on_frame's, or none
    py::object condition;                     // run_until's, during its call
    std::exception_ptr raised;                // what the callback or the condition raised
};

int Traverse(PyObject* self, visitproc visit, void* arg)
{
    Py_VISIT(Py_TYPE(self));
    const py::detail::value_and_holder held =
        reinterpret_cast<py::detail::instance*>(self)->get_value_and_holder(nullptr, false);
    return held && held.holder_constructed() ? held.value_ptr<Stepped>()->Visit(visit, arg) : 0;
}

int ClearCallbacks(PyObject* self)
{
    const py::detail::value_and_holder held =
        reinterpret_cast<py::detail::instance*>(self)->get_value_and_holder(nullptr, false);
    if (held && held.holder_constructed() && !held.value_ptr<Stepped>()->Busy()) {
        held.value_ptr<Stepped>()->Clear();
    }
    return 0;
}

}  // namespace

void BindSimulation(py::module_& m)
{
    py::class_<Stepped>(m, "Simulation", py::custom_type_setup([](PyHeapTypeObject* heap) {
                            PyTypeObject* type = &heap->ht_type;
                            type->tp_flags |= Py_TPFLAGS_HAVE_GC;
                            type->tp_traverse = Traverse;
                            type->tp_clear = ClearCallbacks;
                        }),
                        "A flight stepped, read and commanded from Python, on a thread and in a world of its own.")
        .def(py::init<const std::string&, const formats::ScenarioDocument*, const std::string&, long long>(),
             py::arg("path"), py::arg("document"), py::arg("modules"), py::arg("keep_every"),
             "Opens the document, or the scenario file `path` when it is None, with the modules in `modules`, "
             "keeping the first telemetry sample and every `keep_every`-th after it (0: none).")
        .def("step", &Stepped::Step, py::arg("frames") = 1, "Flies `frames` frames; how many flew.")
        .def("_until_time", &Stepped::UntilTime, py::arg("time"), "Flies until simulation time `time` s.")
        .def("_until_event", &Stepped::UntilEvent, py::arg("event"), py::arg("vessel"),
             "Flies until event `event` of `vessel` (\"\" for any).")
        .def("_until", [](py::handle self, py::object condition) {
                 return self.cast<Stepped&>().UntilHolds(self, std::move(condition));
             }, py::arg("condition"), "Flies until condition(simulation) is true after a frame.")
        .def("on_frame", [](py::handle self, py::object callback) {
                 self.cast<Stepped&>().OnFrame(self, std::move(callback));
             }, py::arg("callback"),
             "Calls callback(simulation) after every frame; None for no callback.")
        .def_property_readonly("ended", [](const Stepped& s) { return s.Readable().Ended(); },
                               "Whether the flight has reached its end time, or every watched weapon is gone.")
        .def_property_readonly("time", [](const Stepped& s) { return s.Readable().Time(); }, "Simulation time, s.")
        .def_property_readonly("frame_length", [](const Stepped& s) { return s.Readable().FrameLength(); },
                               "The length of a frame, s.")
        .def_property_readonly("frames", [](const Stepped& s) { return s.Readable().Frames(); },
                               "The frames flown since opening.")
        .def("_vessels", &Stepped::Vessels, "The live vessels in order: (name, class, motion).")
        .def("index", [](const Stepped& s, py::handle vessel) { return s.Index(vessel); }, py::arg("vessel"),
             "The index of the live vessel named `vessel` in state()'s records; KeyError for none.")
        .def("state", &Stepped::State, py::arg("vessel") = py::none(),
             "Every live vessel's state as a structured array, or the record of `vessel` (a name or an index).")
        .def("_new_events", &Stepped::NewEvents, "The events since the last call: (time s, kind, text, vessel).")
        .def("command", &Stepped::Command, py::arg("vessel"), py::arg("command"),
             "Sends a weapon command to `vessel`; the module's answer.")
        .def("release", &Stepped::Release, py::arg("carrier"), py::arg("station"),
             py::arg("velocity") = py::none(),
             "Lets the weapon on `station` (from 0) of `carrier` go, with `velocity` (m/s, the carrier's axes) added.")
        .def("key", &Stepped::Key, py::arg("vessel"), py::arg("code"), py::arg("down") = true,
             py::arg("modifiers") = 0, "Hands `vessel` key `code` pressed (or released) at the next frame.")
        .def("set_velocity", &Stepped::SetVelocity, py::arg("vessel"), py::arg("velocity"),
             "Sets kinematic `vessel`'s global velocity (m/s), its steering off.")
        .def("_steer", &Stepped::Steer, py::arg("vessel"), py::arg("lines"),
             "Gives kinematic `vessel` the steering its lines describe.")
        .def("_save", &Stepped::Save, py::arg("path"), "Writes the flight as it stands to `path`; the path written.")
        .def("_summary_json", [](const Stepped& s) { return s.Open().SummaryJson(); },
             "The text of summary.json if the run ended now.")
        .def("_flight", &Stepped::Flight, "The flight so far, as fly gives a run.")
        .def("_telemetry", [](const Stepped& s) { return TelemetryDict(s.Open().Telemetry()); },
             "The telemetry kept so far: numbers as float64 arrays, texts as lists of str.")
        .def("close", &Stepped::Close, "Ends the flight; what it came to, or None when it was closed already.");
    m.attr("READOUT_DTYPE") = Readout();
}

}  // namespace karvex_python
