// Simulation in Python: the Stepped class bound, with the interpreter's cycle collector let into
// the callbacks it holds.
#include <pybind11/stl.h>

#include "python/bindings.h"
#include "python/readout_dtype.h"
#include "python/stepped.h"

namespace karvex_python {

namespace {

namespace py = pybind11;

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
