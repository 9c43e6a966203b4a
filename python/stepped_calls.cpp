// What a stepped flight tells Python of its vessels, and the commands it takes from Python.
#include "python/stepped.h"

#include <cstdint>
#include <stdexcept>
#include <utility>

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include "python/bindings.h"
#include "python/isolated.h"
#include "python/readout_dtype.h"

namespace karvex_python {

namespace py = pybind11;
namespace fs = std::filesystem;

using runner::VesselReadout;

py::object Stepped::State(py::handle vessel) const
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

int Stepped::Index(py::handle vessel) const
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

py::list Stepped::Vessels() const
{
    py::list list;
    for (const runner::VesselInfo& v : Open().Vessels()) {
        list.append(py::make_tuple(v.name, v.className, v.motion));
    }
    return list;
}

py::list Stepped::NewEvents()
{
    py::list events;
    for (const runner::Event& e : Open().NewEvents()) {
        events.append(py::make_tuple(e.time, e.kind, e.text, e.vessel));
    }
    return events;
}

int Stepped::Command(const std::string& vessel, const std::string& command)
{
    std::optional<int> answer;
    Work([&]() { answer = sim->Command(vessel, command); });
    if (!answer) {
        Refused({&vessel});
    }
    return *answer;
}

void Stepped::Release(const std::string& carrier, int station, const std::optional<std::array<double, 3>>& velocity)
{
    const std::array<double, 3> v = velocity.value_or(std::array<double, 3>{0.0, 0.0, 0.0});
    bool done = false;
    Work([&]() { done = sim->Release(carrier, station, VECTOR3{v[0], v[1], v[2]}); });
    if (!done) {
        Refused({&carrier});
    }
}

void Stepped::Key(const std::string& vessel, unsigned int code, bool down, uint8_t modifiers)
{
    if (!Open().Key(vessel, code, down, modifiers)) {
        Refused({&vessel});
    }
}

void Stepped::SetVelocity(const std::string& vessel, const std::array<double, 3>& velocity)
{
    if (!Open().SetVelocity(vessel, VECTOR3{velocity[0], velocity[1], velocity[2]})) {
        Refused({&vessel});
    }
}

void Stepped::Steer(const std::string& vessel, const std::string& lines)
{
    if (!Open().Steer(vessel, lines)) {
        Refused({&vessel});
    }
}

std::string Stepped::Save(const std::string& path)
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

py::object Stepped::Flight() const
{
    runner::RunResult result = Open().Result();
    std::string summary = runner::SummaryJson(scenario, result);
    return FlightOf(std::move(result), std::move(summary));
}

}  // namespace karvex_python
