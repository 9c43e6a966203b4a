#include "python/isolated.h"

#include <cerrno>
#include <exception>
#include <filesystem>
#include <memory>
#include <utility>

#include "python/sigint.h"
#include "python/worker.h"
#include "runner/program/exit_codes.h"

namespace karvex_python {

namespace {

namespace py = pybind11;

// Set when the module is imported; raised by Raise.
PyObject* scenarioError = nullptr;
PyObject* moduleError = nullptr;

// The thread a Python thread's calls fly on: made at its first call and kept, with its world, its
// working directory and its warm heap, for the next ones; it ends with the Python thread.
thread_local std::unique_ptr<Worker> worker;
// Whether the thread's worker has a call of the thread's in hand (a progress callback calling again).
thread_local bool calling = false;

// The calling thread's worker, made at its first call; a worker of the call's own, kept in `nested`,
// for a call made while the thread's worker has one in hand.
Worker& WorkerFor(std::unique_ptr<Worker>& nested)
{
    if (worker != nullptr && !worker->Alive()) {
        (void)worker.release();  // forked: its thread stayed in the parent, and cannot be joined here
    }
    std::unique_ptr<Worker>& mine = calling ? nested : worker;
    if (mine == nullptr) {
        mine = std::make_unique<Worker>();
    }
    return *mine;
}

}  // namespace

void Isolated(const std::function<void(Call&)>& work, const py::object& progress)
{
    // Relative paths are the caller's: the worker starts each call where the process stands now.
    const std::filesystem::path here = std::filesystem::current_path();
    std::unique_ptr<Worker> nested;
    Worker& flier = WorkerFor(nested);
    const bool wasCalling = std::exchange(calling, true);
    try {
        Await(
            flier,
            [&](Call& call) {
                std::filesystem::current_path(here);
                work(call);
            },
            progress);
    } catch (...) {
        calling = wasCalling;
        throw;
    }
    calling = wasCalling;
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

void RaiseMissing(const std::string& path)
{
    errno = ENOENT;
    PyErr_SetFromErrnoWithFilename(PyExc_FileNotFoundError, path.c_str());
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
    WatchSigint();
}

}  // namespace karvex_python
