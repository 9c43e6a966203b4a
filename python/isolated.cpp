#include "python/isolated.h"

#include <sched.h>
#include <stdlib.h>

#include <exception>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

#include "runner/exit_codes.h"
#include "world/world.h"

namespace karvex_python {

namespace {

namespace py = pybind11;

// Set when the module is imported; raised by Raise.
PyObject* scenarioError = nullptr;
PyObject* moduleError = nullptr;

// Serialises the calls whose threads could not get a working directory of their own.
std::mutex sharedDirectory;

}  // namespace

void Isolated(const std::function<void()>& work)
{
    std::exception_ptr failure;
    py::gil_scoped_release release;
    std::thread flight([&]() {
        // The modules append their log in the working directory, which a run moves into its
        // output folder: a thread unshared from the process's has one of its own, which the
        // worker threads it starts share.
        std::unique_lock<std::mutex> shared(sharedDirectory, std::defer_lock);
        if (unshare(CLONE_FS) != 0) {
            shared.lock();
        }
        standin::OwnWorld world;
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    flight.join();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

ScratchDir::ScratchDir()
{
    std::error_code error;
    std::string pattern = (std::filesystem::temp_directory_path(error) / "karvex-XXXXXX").string();
    if (error || mkdtemp(pattern.data()) == nullptr) {
        throw std::system_error(errno, std::generic_category(), "cannot make a scratch folder " + pattern);
    }
    path = pattern;
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

void Raise(int code, const std::string& why)
{
    PyObject* type = code == runner::EXIT_SCENARIO ? scenarioError
                     : code == runner::EXIT_MODULE ? moduleError
                     : code == runner::EXIT_USAGE  ? PyExc_ValueError
                                                   : PyExc_OSError;
    PyErr_SetString(type, why.c_str());
    throw py::error_already_set();
}

void RegisterErrors(py::module_& m)
{
    // Held by the module for the interpreter's life, and so never released here.
    scenarioError = PyErr_NewExceptionWithDoc(
        "karvex.ScenarioError",
        "A scenario, sweep or envelope file, or a line given to a Scenario, that cannot be read; its "
        "message is \"file:line: reason\".",
        PyExc_ValueError, nullptr);
    moduleError = PyErr_NewExceptionWithDoc(
        "karvex.ModuleError", "A vessel module that is missing, lacks an entry point, or made no vessel.",
        PyExc_RuntimeError, nullptr);
    if (scenarioError == nullptr || moduleError == nullptr) {
        throw py::error_already_set();
    }
    m.add_object("ScenarioError", py::reinterpret_borrow<py::object>(scenarioError));
    m.add_object("ModuleError", py::reinterpret_borrow<py::object>(moduleError));
}

}  // namespace karvex_python
