// Flying from Python: each Python thread's calls on a worker thread of its own, with a world and a
// working directory of its own, so that calls from several Python threads fly at once without
// meeting; the calling thread meanwhile watches for Ctrl-C and passes the work's progress on.
#pragma once

#include <functional>
#include <string>

#include <pybind11/pybind11.h>

#include "python/call.h"

namespace karvex_python {

/// Runs `work` on the calling thread's worker, a thread kept for its calls with a world and a working
/// directory of its own (set to the process's at each call), with the interpreter's lock released.
/// Meanwhile the calling thread wakes every few hundredths of a second to watch for Ctrl-C (the
/// interpreter's signal handlers on its main thread; a SIGINT since the call began on any other) and
/// to pass the latest progress to `progress` (a callable(done, total), or None). When either raises,
/// the work is stopped, waited for, and that exception raised; otherwise what `work` throws is thrown.
void Isolated(const std::function<void(Call&)>& work, const pybind11::object& progress = pybind11::none());

/// The Python exception for a run's exit code `code` (an ExitCode that is not EXIT_OK), raised with
/// `why`: ScenarioError, ModuleError, ValueError for bad arguments, OSError for outputs.
[[noreturn]] void Raise(int code, const std::string& why);

/// FileNotFoundError (errno ENOENT) for `path`, a file or folder that does not exist.
[[noreturn]] void RaiseMissing(const std::string& path);

/// ScenarioError and ModuleError, made when the module is imported, and Ctrl-C watched from then on.
void RegisterErrors(pybind11::module_& m);

}  // namespace karvex_python
