#include "python/isolated.h"

#include <sched.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>
#include <utility>

#include "python/sigint.h"
#include "runner/program/exit_codes.h"
#include "world/world.h"

namespace karvex_python {

namespace {

namespace py = pybind11;

// How often a waiting caller looks for Ctrl-C and progress: well within the fifth of a second a
// Ctrl-C may take, at a cost the run does not notice.
constexpr std::chrono::milliseconds WAKE{25};

// Set when the module is imported; raised by Raise.
PyObject* scenarioError = nullptr;
PyObject* moduleError = nullptr;

// Serialises the calls whose threads could not get a working directory of their own.
std::mutex sharedDirectory;

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

    // Hands `job` to the worker; what it throws is kept for Finish.
    void Start(std::function<void()> job)
    {
        std::lock_guard<std::mutex> guard(lock);
        pending = std::move(job);
        failure = nullptr;
        busy = true;
        wake.notify_all();
    }

    // Waits for the job to end, at most `timeout` when given; whether it has.
    bool Wait(std::optional<std::chrono::milliseconds> timeout = std::nullopt)
    {
        std::unique_lock<std::mutex> guard(lock);
        auto ended = [this]() { return !busy; };
        if (timeout) {
            return wake.wait_for(guard, *timeout, ended);
        }
        wake.wait(guard, ended);
        return true;
    }

    // Throws what the ended job threw, if anything.
    void Finish()
    {
        if (std::exception_ptr thrown = std::exchange(failure, nullptr)) {
            std::rethrow_exception(thrown);
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
        std::unique_lock<std::mutex> guard(lock);
        for (;;) {
            wake.wait(guard, [this]() { return quit || pending; });
            if (quit) {
                return;
            }
            const std::function<void()> job = std::exchange(pending, nullptr);
            guard.unlock();
            std::exception_ptr thrown;
            {
                std::unique_lock<std::mutex> shared(sharedDirectory, std::defer_lock);
                if (!own) {
                    shared.lock();
                }
                try {
                    job();
                } catch (...) {
                    thrown = std::current_exception();
                }
            }
            guard.lock();
            failure = thrown;
            busy = false;
            wake.notify_all();
        }
    }

    std::mutex lock;
    std::condition_variable wake;
    std::function<void()> pending;
    bool busy = false;
    std::exception_ptr failure;
    bool quit = false;
    std::thread thread;
};

thread_local std::unique_ptr<Worker> worker;
// Whether the thread's worker has a call of the thread's in hand (a progress callback calling again).
thread_local bool calling = false;

// The calling thread's worker, made at its first call; a worker of the call's own, kept in `nested`,
// for a call made while the thread's worker has one in hand.
Worker& WorkerFor(std::unique_ptr<Worker>& nested)
{
    if (worker != nullptr && worker->process != getpid()) {
        (void)worker.release();  // forked: its thread stayed in the parent, and cannot be joined here
    }
    std::unique_ptr<Worker>& mine = calling ? nested : worker;
    if (mine == nullptr) {
        mine = std::make_unique<Worker>();
    }
    return *mine;
}

// Whether the calling thread is the interpreter's main thread, the one its signal handlers run on.
bool OnMainThread()
{
    py::module_ threading = py::module_::import("threading");
    return threading.attr("current_thread")().is(threading.attr("main_thread")());
}

// Passes what is new of `call`'s progress to `progress`.
void PassOn(Call& call, const py::object& progress)
{
    if (progress.is_none()) {
        return;
    }
    while (const auto fresh = call.Fresh()) {
        progress(fresh->first, fresh->second);
    }
}

// At a wake of the waiting thread, with the interpreter's lock: the exception to stop the call with,
// if any: a signal handler's on the main thread, KeyboardInterrupt for a SIGINT elsewhere, or the
// progress callback's.
std::optional<py::error_already_set> Watch(Call& call, const py::object& progress, bool main, bool sigint)
{
    if (main && PyErr_CheckSignals() != 0) {
        return py::error_already_set();
    }
    if (sigint) {
        PyErr_SetNone(PyExc_KeyboardInterrupt);
        return py::error_already_set();
    }
    try {
        PassOn(call, progress);
    } catch (py::error_already_set& raised) {
        return std::move(raised);
    }
    return std::nullopt;
}

}  // namespace

void Isolated(const std::function<void(Call&)>& work, const py::object& progress)
{
    // Relative paths are the caller's: the worker starts each call where the process stands now.
    const std::filesystem::path here = std::filesystem::current_path();
    std::unique_ptr<Worker> nested;
    Worker& flier = WorkerFor(nested);
    WatchSigint();
    const unsigned long sigints = SigintCount();
    const bool main = OnMainThread(), python = main || !progress.is_none();
    Call call;
    std::optional<py::error_already_set> raised;
    const bool wasCalling = std::exchange(calling, true);
    {
        py::gil_scoped_release release;
        flier.Start([&]() {
            std::filesystem::current_path(here);
            work(call);
        });
        while (!raised && !flier.Wait(WAKE)) {
            const bool sigint = !main && SigintCount() != sigints;
            if (python || sigint) {
                py::gil_scoped_acquire acquire;
                raised = Watch(call, progress, main, sigint);
            }
        }
        if (raised) {
            call.stop = true;
            flier.Wait();
        }
        call.folder.reset();
    }
    calling = wasCalling;
    if (raised) {
        throw std::move(*raised);
    }
    PassOn(call, progress);
    flier.Finish();
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
