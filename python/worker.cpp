#include "python/worker.h"

#include <cxxabi.h>
#include <sched.h>
#include <unistd.h>

#include <utility>

#include "python/interpreter_lock.h"
#include "python/sigint.h"
#include "world/world.h"

namespace karvex_python {

namespace {

namespace py = pybind11;

// How often a waiting caller looks for Ctrl-C and progress: well within the fifth of a second a
// Ctrl-C may take, at a cost the call does not notice.
constexpr std::chrono::milliseconds WAKE{25};

// Serialises the calls whose threads could not get a working directory of their own.
std::mutex sharedDirectory;

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
    // A raw call: should the exiting interpreter end the thread inside, nothing is left to destroy.
    while (const auto fresh = call.Fresh()) {
        PyObject* got = PyObject_CallFunction(progress.ptr(), "LL", fresh->first, fresh->second);
        if (got == nullptr) {
            throw py::error_already_set();
        }
        Py_DECREF(got);
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

Worker::Worker() : process(getpid()), thread([this]() { Serve(); }) {}

Worker::~Worker()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        quit = true;
    }
    wake.notify_all();
    thread.join();
}

void Worker::Start(std::function<void()> job)
{
    std::lock_guard<std::mutex> guard(lock);
    pending = std::move(job);
    failure = nullptr;
    busy = true;
    wake.notify_all();
}

bool Worker::Wait(std::optional<std::chrono::milliseconds> timeout)
{
    std::unique_lock<std::mutex> guard(lock);
    auto ended = [this]() { return !busy; };
    if (timeout) {
        return wake.wait_for(guard, *timeout, ended);
    }
    wake.wait(guard, ended);
    return true;
}

void Worker::Finish()
{
    if (std::exception_ptr thrown = std::exchange(failure, nullptr)) {
        std::rethrow_exception(thrown);
    }
}

bool Worker::Alive() const
{
    return process == getpid();
}

void Worker::Serve()
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
            } catch (abi::__forced_unwind&) {
                throw;  // the thread is being ended: it must unwind
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

void Await(Worker& worker, const std::function<void(Call&)>& work, const py::object& progress)
{
    WatchSigint();
    const unsigned long sigints = SigintCount();
    const bool main = OnMainThread(), python = main || !progress.is_none();
    Call call;
    std::optional<py::error_already_set> raised;
    {
        Unlocked unlocked;
        worker.Start([&]() { work(call); });
        while (!raised && !worker.Wait(WAKE)) {
            const bool sigint = !main && SigintCount() != sigints;
            if (python || sigint) {
                unlocked.Lock();
                raised = Guarded([&]() { return Watch(call, progress, main, sigint); });
                unlocked.Unlock();
            }
        }
        if (raised) {
            call.stop = true;
            worker.Wait();
        }
        call.folder.reset();
    }
    if (raised) {
        throw std::move(*raised);
    }
    PassOn(call, progress);
    worker.Finish();
}

}  // namespace karvex_python
