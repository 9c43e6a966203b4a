#include "runner/batch/progress.h"

#include <unistd.h>

#include <cstdio>

namespace runner {

Progress::Progress(long long runs, bool silent, const char* things)
    : total(runs), quiet(silent), terminal(isatty(2) != 0), what(things), start(Clock::now())
{
}

void Progress::Show(long long done, bool last)
{
    if (quiet) {
        return;
    }
    double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    if (!terminal && !last && elapsed - shown < 5.0) {
        return;
    }
    shown = elapsed;
    double rate = elapsed > 0.0 ? static_cast<double>(done) / elapsed : 0.0;
    double left = rate > 0.0 ? static_cast<double>(total - done) / rate : 0.0;
    if (terminal) {
        int filled = total > 0 ? static_cast<int>(30 * done / total) : 30;
        std::fprintf(stderr, "\r[%-30.*s] %lld/%lld %s  %.1f %s/s  %.0f s left ", filled,
                     "==============================", done, total, what, rate, what, left);
        if (last) {
            std::fputc('\n', stderr);
        }
    } else {
        std::fprintf(stderr, "%lld/%lld %s, %.1f %s/s, %.0f s left\n", done, total, what, rate, what, left);
    }
}

}  // namespace runner
