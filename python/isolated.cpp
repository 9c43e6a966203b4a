#include "python/isolated.h"

#include <sched.h>
#include <stdlib.h>
#include <unistd.h>

#include <condition_variable>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "runner/program/exit_codes.h"
#include "world/world.h"

namespace karvex_python {

namespace {

namespace py = pybind11;

// Set when the module is imported; raised by Raise.
PyObject* scenarioError = nullptr;
PyObject* moduleError = nullptr;

// Serialises the calls whose threads could not get a working directory of their own.
std::mutex sharedDirectory;

// The worker's own folder, on the worker's thread.
thread_local std::optional<ScratchDir>* workerFolder = nullptr;

// The thread a Python thread's calls fly on: made at its first call and kept, with its world, its
// working directory and its warm heap, for the next ones; it ends with the Python thread.
class Worker {
public:
    Worker() : thread([this]() { Serve(); }) {}
    ~Worker()
    {
        {
            std::lock_guard<std::mutex> guard(lock);
            quit = true;
        }
        wake.notify_all();
        thread.join();
    }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Runs `work` on the worker and waits for it; what it throws is thrown here.
    void Do(const std::function<void()>& work)
    {
        std::exception_ptr failure;
        std::function<void()> job = [&]() {
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
        };
        std::unique_lock<std::mutex> guard(lock);
        pending = &job;
        wake.notify_all();
        wake.wait(guard, [this]() { return pending == nullptr; });
        guard.unlock();
        if (failure) {
            std::rethrow_exception(failure);
        }
    }

    // The process the worker's thread runs in: a child forked since has none.
    const pid_t process = getpid();

private:
    void Serve()
    {
        // The modules append their log in the working directory, which a run moves into its output
        // folder: a thread unshared from the process's has one of its own, which the worker threads
        // of a sweep it starts share. Where that is refused, calls take turns.
        const bool own = unshare(CLONE_FS) == 0;
        standin::OwnWorld world;
        std::optional<ScratchDir> folder;
        workerFolder = &folder;
        std::unique_lock<std::mutex> guard(lock);
        for (;;) {
            wake.wait(guard, [this]() { return quit || pending != nullptr; });
            if (quit) {
                return;
            }
            guard.unlock();
            {
                std::unique_lock<std::mutex> shared(sharedDirectory, std::defer_lock);
                if (!own) {
                    shared.lock();
                }
                (*pending)();
            }
            guard.lock();
            pending = nullptr;
            wake.notify_all();
        }
    }

    std::mutex lock;
    std::condition_variable wake;
    std::function<void()>* pending = nullptr;
    bool quit = false;
    std::thread thread;
};

thread_local std::unique_ptr<Worker> worker;

}  // namespace

void Isolated(const std::function<void()>& work)
{
    // Relative paths are the caller's: the worker starts each call where the process stands now.
    const std::filesystem::path here = std::filesystem::current_path();
    if (worker != nullptr && worker->process != getpid()) {
        (void)worker.release();  // forked: its thread stayed in the parent, and cannot be joined here
    }
    if (worker == nullptr) {
        worker = std::make_unique<Worker>();
    }
    py::gil_scoped_release release;
    worker->Do([&]() {
        std::filesystem::current_path(here);
        work();
    });
}

const std::string& WorkerFolder()
{
    if (!workerFolder->has_value()) {
        workerFolder->emplace();
    }
    return (*workerFolder)->Path();
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
