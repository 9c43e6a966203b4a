#include "python/interpreter_lock.h"

#include <unistd.h>

namespace karvex_python {

bool Finalising()
{
#if PY_VERSION_HEX >= 0x030D0000
    return Py_IsFinalizing() != 0;
#else
    return _Py_IsFinalizing() != 0;
#endif
}

void Park()
{
    for (;;) {
        pause();
    }
}

void TakeLock(PyThreadState* state)
{
    // Asked for once the exit began, the lock is never given: the thread would be ended waiting.
    if (Finalising()) {
        Park();
    }
    Guarded([state]() {
        PyEval_RestoreThread(state);
        return 0;
    });
}

void Unlocked::Lock()
{
    if (state != nullptr) {
        TakeLock(state);
        state = nullptr;
    }
}

void Unlocked::Unlock()
{
    if (state == nullptr) {
        state = PyEval_SaveThread();
    }
}

ForeignThread::ForeignThread()
{
    if (Finalising()) {
        Park();
    }
    held = Guarded([]() { return PyGILState_Ensure(); });
    state = PyEval_SaveThread();
}

ForeignThread::~ForeignThread()
{
    TakeLock(state);
    PyGILState_Release(held);
}

}  // namespace karvex_python
