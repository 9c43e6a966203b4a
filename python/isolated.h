// Flying from Python: each Python thread's calls on a worker thread of its own, with a world and a
// working directory of its own, so that calls from several Python threads fly at once without meeting.
#pragma once

#include <functional>
#include <string>

#include <pybind11/pybind11.h>

namespace karvex_python {

/// Runs `work` on the calling thread's worker, a thread kept for its calls with a world and a working
/// directory of its own (set to the process's at each call), with the interpreter's lock released
/// meanwhile; what it throws is thrown here.
void Isolated(const std::function<void()>& work);

/// Within Isolated's work: a folder of the worker's own, made at its first use and kept for its
/// calls, removed when the worker ends.
const std::string& WorkerFolder();

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

/// The Python exception for a run's exit code `code` (an ExitCode that is not EXIT_OK), raised with
/// `why`: ScenarioError, ModuleError, ValueError for bad arguments, OSError for outputs.
[[noreturn]] void Raise(int code, const std::string& why);

/// ScenarioError and ModuleError, made when the module is imported.
void RegisterErrors(pybind11::module_& m);

}  // namespace karvex_python
