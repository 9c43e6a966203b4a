#include "python/sigint.h"

#include <signal.h>

#include <atomic>

namespace karvex_python {

namespace {

// Read and written in a signal handler: it must never take a lock.
std::atomic<unsigned long> sigints{0};
static_assert(std::atomic<unsigned long>::is_always_lock_free);

// The handler each SIGINT is passed on to: the interpreter's, or whatever the process had before.
struct sigaction chained {};

void CountSigint(int signal, siginfo_t* info, void* context)
{
    sigints.fetch_add(1, std::memory_order_relaxed);
    if ((chained.sa_flags & SA_SIGINFO) != 0) {
        chained.sa_sigaction(signal, info, context);
    } else {
        chained.sa_handler(signal);
    }
}

}  // namespace

void WatchSigint()
{
    struct sigaction current {};
    if (sigaction(SIGINT, nullptr, &current) != 0) {
        return;
    }
    // Python's signal.signal puts its own handler in place of ours: it is put before that one anew.
    const bool counting = (current.sa_flags & SA_SIGINFO) != 0 && current.sa_sigaction == CountSigint;
    const bool function =
        (current.sa_flags & SA_SIGINFO) != 0 || (current.sa_handler != SIG_DFL && current.sa_handler != SIG_IGN);
    if (counting || !function) {
        return;
    }
    chained = current;
    struct sigaction counter = current;
    counter.sa_sigaction = CountSigint;
    counter.sa_flags |= SA_SIGINFO;
    sigaction(SIGINT, &counter, nullptr);
}

unsigned long SigintCount()
{
    return sigints.load(std::memory_order_relaxed);
}

}  // namespace karvex_python
