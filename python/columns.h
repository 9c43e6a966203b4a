// Columns handed to Python: numbers as numpy arrays, texts as lists of str.
#pragma once

#include <string>
#include <vector>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

namespace karvex_python {

/// A numpy array holding a copy of `values`.
template <typename Number>
pybind11::array_t<Number> Array(const std::vector<Number>& values)
{
    pybind11::array_t<Number> array(static_cast<pybind11::ssize_t>(values.size()));
    std::copy(values.begin(), values.end(), array.mutable_data());
    return array;
}

/// A list of the str of `texts`.
pybind11::list Texts(const std::vector<std::string>& texts);

}  // namespace karvex_python
