#include "runner/flight/closest_approach.h"

namespace runner {

void ClosestApproach::Sample(double time, const VECTOR3& a, const VECTOR3& b)
{
    // Computed as the observer's miss distance is, so a sample's distance is the same to the bit.
    const VECTOR3 d{a.x - b.x, a.y - b.y, a.z - b.z};
    double best = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    double bestAt = time;
    if (joined) {
        const VECTOR3 step{d.x - last.x, d.y - last.y, d.z - last.z};
        const double along = step.x * step.x + step.y * step.y + step.z * step.z;
        const double s = along > 0.0 ? -(last.x * step.x + last.y * step.y + last.z * step.z) / along : 0.0;
        // Only a minimum strictly inside the frame adds anything: its ends are samples themselves.
        if (s > 0.0 && s < 1.0) {
            const double x = last.x + s * step.x, y = last.y + s * step.y, z = last.z + s * step.z;
            const double inside = std::sqrt(x * x + y * y + z * z);
            if (inside < best) {
                best = inside;
                bestAt = lastTime + s * (time - lastTime);
            }
        }
    }
    if (std::isnan(least) || best < least) {
        least = best;
        leastAt = bestAt;
    }
    joined = true;
    lastTime = time;
    last = d;
}

}  // namespace runner
