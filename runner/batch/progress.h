// A sweep's or an envelope's progress on stderr: a bar on a terminal, otherwise a line every five
// seconds.
#pragma once

#include <chrono>

namespace runner {

/// Shows how many of a sweep's runs (an envelope's bearings) are done, how fast they go and how
/// long the rest will take.
class Progress {
public:
    /// For `runs` runs in all, counted as `things` ("runs", "bearings"); `silent` shows nothing.
    Progress(long long runs, bool silent, const char* things = "runs");

    /// Shows `done` runs finished; `last` once they all are (ends the bar's line).
    void Show(long long done, bool last);

private:
    using Clock = std::chrono::steady_clock;
    long long total;
    bool quiet, terminal;
    const char* what;
    Clock::time_point start;
    double shown = -10.0;  // s since the start when a line was last shown
};

}  // namespace runner
