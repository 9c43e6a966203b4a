// The drag functions modules call from their airfoil coefficient functions.
#include <cmath>

#include "journal.h"
#include "host/zapi.h"

double zapiGetWaveDrag(double mach, double m1, double m2, double m3, double cmax)
{
    standin::CallRecord(-1, "zapiGetWaveDrag").Num(mach).Num(m1).Num(m2).Num(m3).Num(cmax);
    if (!(mach > m1)) {
        return 0.0;
    }
    if (mach < m2) {
        // Smooth rise through the transonic band: zero slope at both ends.
        double t = (mach - m1) / (m2 - m1);
        return cmax * t * t * (3.0 - 2.0 * t);
    }
    if (mach <= m3) {
        return cmax;
    }
    if (m3 > 1.0) {
        // Supersonic fall-off of wave drag, continuous at m3.
        return cmax * std::sqrt((m3 * m3 - 1.0) / (mach * mach - 1.0));
    }
    return cmax * m3 / mach;
}

double zapiGetInducedDrag(double cl, double aspectRatio, double efficiency)
{
    standin::CallRecord(-1, "zapiGetInducedDrag").Num(cl).Num(aspectRatio).Num(efficiency);
    double span = PI * aspectRatio * efficiency;
    if (!(span > 0.0)) {
        return 0.0;
    }
    return cl * cl / span;
}
