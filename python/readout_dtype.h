// The numpy dtype of a VesselReadout, field by field with its units, pinned to the struct's layout.
#pragma once

#include <pybind11/numpy.h>

namespace karvex_python {

/// The records' dtype, made once: float64 fields, thruster_count int64, at the struct's offsets.
const pybind11::dtype& Readout();
/// A fresh array of `count` state records, uninitialised.
pybind11::array Records(int count);

}  // namespace karvex_python
