// Taking the interpreter's lock from a thread that may still run while the interpreter exits. Then
// the interpreter ends any thread that asks for the lock by a forced unwind, which would run our
// destructors, some of them asking for the lock again (ending the process), and free the stacks that
// another thread's call still uses; such a thread is parked for good instead, and the process ends
// around it.
#pragma once

#include <cxxabi.h>

#include <pybind11/pybind11.h>

namespace karvex_python {

/// Whether the interpreter is exiting: no thread but the one exiting it may take its lock.
bool Finalising();

/// Parks the calling thread for good: for a thread the exiting interpreter would end.
[[noreturn]] void Park();

/// Runs `python`, whose calls may give the lock up and take it back (raw C API calls, no objects to
/// destroy on the way out): parked where the exiting interpreter ends the thread.
template <typename F>
auto Guarded(F&& python)
{
    try {
        return python();
    } catch (abi::__forced_unwind&) {
        Park();
    }
}

/// Takes the lock back for `state`, as PyEval_RestoreThread does; parked once the interpreter exits.
void TakeLock(PyThreadState* state);

/// The lock given up for a while by a thread that holds it (a Python thread waiting for its worker),
/// taken back at the end of the scope, or parked there once the interpreter exits.
class Unlocked {
public:
    Unlocked() : state(PyEval_SaveThread()) {}
    ~Unlocked() { Lock(); }
    Unlocked(const Unlocked&) = delete;
    Unlocked& operator=(const Unlocked&) = delete;

    /// Takes the lock for a while (to call Python), until Unlock.
    void Lock();
    /// Gives it up again.
    void Unlock();

private:
    PyThreadState* state;  // null while the lock is held
};

/// A thread state for a thread Python did not start (a worker running callbacks), made with the lock
/// left free; each callback takes it with Locked. Dropped at the end of the scope, unless the
/// interpreter exits meanwhile.
class ForeignThread {
public:
    ForeignThread();
    ~ForeignThread();
    ForeignThread(const ForeignThread&) = delete;
    ForeignThread& operator=(const ForeignThread&) = delete;

    /// Runs `python` holding the lock (parked once the interpreter exits); what it returns.
    template <typename F>
    auto Locked(F&& python)
    {
        TakeLock(state);
        auto result = Guarded(python);
        state = PyEval_SaveThread();
        return result;
    }

private:
    PyGILState_STATE held;
    PyThreadState* state;
};

}  // namespace karvex_python
