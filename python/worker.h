// The threads Python's calls fly on: each with a world and a working directory of its own, so
// that calls from several Python threads, and several simulations, fly at once without meeting;
// and the wait of the Python thread that handed a call over, watching for Ctrl-C meanwhile.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include <pybind11/pybind11.h>

#include "python/call.h"

namespace karvex_python {

/// A thread kept for calls, one at a time: it has a world of its own and, where the system allows
/// it, a working directory of its own (unshared from the process's); where it does not, the
/// workers' calls take turns. It ends when destroyed.
class Worker {
public:
    Worker();
    ~Worker();
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    /// Hands `job` to the worker; what it throws is kept for Finish.
    void Start(std::function<void()> job);
    /// Waits for the job to end, at most `timeout` when given; whether it has.
    bool Wait(std::optional<std::chrono::milliseconds> timeout = std::nullopt);
    /// Throws what the ended job threw, if anything.
    void Finish();
    /// Whether the calling thread is the worker's own.
    bool Here() const { return std::this_thread::get_id() == thread.get_id(); }
    /// Whether the worker's thread runs in this process: a child forked since has none.
    bool Alive() const;

private:
    void Serve();

    const pid_t process;
    std::mutex lock;
    std::condition_variable wake;
    std::function<void()> pending;
    bool busy = false;
    std::exception_ptr failure;
    bool quit = false;
    std::thread thread;
};

/// Runs `work` on `worker` with the interpreter's lock released, while the calling thread wakes every
/// few hundredths of a second to watch for Ctrl-C (the interpreter's signal handlers on its main
/// thread; a SIGINT since the call began on any other) and to pass the latest progress to
/// `progress` (a callable(done, total), or None). When either raises, the work is stopped (its
/// Call's stop flag), waited for, and that exception raised; otherwise what `work` throws is thrown.
void Await(Worker& worker, const std::function<void(Call&)>& work, const pybind11::object& progress);

}  // namespace karvex_python
