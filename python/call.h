// One call from Python: what its work shares with the thread waiting for it, and its scratch folder.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include <pybind11/pybind11.h>

namespace karvex_python {

class Call;
class Worker;
void Await(Worker& worker, const std::function<void(Call&)>& work, const pybind11::object& progress);

/// A folder made for one call and removed with everything in it when the call ends.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    /// The folder's absolute path.
    const std::string& Path() const { return path; }

private:
    std::string path;
};

/// What one call's work shares with the thread waiting for it: the flag that stops the work, the
/// progress the work reports, and a folder of the call's own.
class Call {
public:
    /// Turns true once the caller wants the work to stop: Ctrl-C, or a progress callback that raised.
    const std::atomic<bool>* Stop() const { return &stop; }
    /// Records that `done` of `total` items are done; from any thread, the highest count kept.
    void Progress(long long done, long long total);
    /// A folder of the call's own, made at its first use (on the worker) and removed when the call ends.
    const std::string& Folder();
    /// The first (done, total) reported, then at each later ask the latest if it is new; none when
    /// nothing new was reported.
    std::optional<std::pair<long long, long long>> Fresh();

private:
    friend void Await(Worker& worker, const std::function<void(Call&)>& work, const pybind11::object& progress);

    std::atomic<bool> stop{false};
    std::mutex lock;
    long long start = -1, done = -1, total = 0, passed = -1;  // reported first and last, and passed on
    std::optional<ScratchDir> folder;
};

}  // namespace karvex_python
