// A sweep's progress on stderr: a bar on a terminal, otherwise a line every five seconds.
#pragma once

#include <chrono>

namespace runner {

/// Shows how many of a sweep's runs are done, how fast they go and how long the rest will take.
class Progress {
public:
    /// For `runs` runs in all; `silent` shows nothing.
    Progress(long long runs, bool silent);

    /// Shows `done` runs finished; `last` once they all are (ends the bar's line).
    void Show(long long done, bool last);

private:
    using Clock = std::chrono::steady_clock;
    long long total;
    bool quiet, terminal;
    Clock::time_point start;
    double shown = -10.0;  // s since the start when a line was last shown
};

}  // namespace runner
