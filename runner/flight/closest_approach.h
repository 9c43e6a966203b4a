// The closest approach of two centres over a flight observed frame by frame: between two
// observations each moves in a straight line, so the least distance over a frame is that of the
// straight relative motion, found in closed form rather than only at the frames' ends.
#pragma once

#include <cmath>

#include "host/host_types.h"

namespace runner {

/// The least distance between two moving points seen at successive simulation times.
class ClosestApproach {
public:
    /// Adds the positions `a` and `b` (global, m) seen at simulation time `time` (s); the stretch
    /// since the last sample counts as straight relative motion.
    void Sample(double time, const VECTOR3& a, const VECTOR3& b);
    /// Ends the current stretch: the next sample starts a new one.
    void Break() { joined = false; }

    /// The least distance so far, m; NaN before any sample.
    double Distance() const { return least; }
    /// The simulation time of the least distance, s; NaN before any sample.
    double Time() const { return leastAt; }

private:
    bool joined = false;  // the last sample begins the current stretch
    double lastTime = 0.0;
    VECTOR3 last{};  // a from b at the last sample, m
    double least = NAN;
    double leastAt = NAN;
};

}  // namespace runner
