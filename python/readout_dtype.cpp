#include "python/readout_dtype.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "runner/flight/simulation.h"

namespace karvex_python {

namespace py = pybind11;

namespace {

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

}  // namespace

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

}  // namespace karvex_python
