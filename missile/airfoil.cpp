// The coefficient function the host evaluates for both of the missile's airfoils.
#include "missile/airfoil.h"

#include <cmath>

#include "host/zapi.h"
#include "missile/missile_params.h"

// The Reynolds number does not enter.
void AirfoilCoefficients(double aoa, double mach, double, double* cl, double* cm, double* cd)
{
    *cl = 3.0 * std::sin(2.0 * aoa);
    *cm = -0.0012 * std::sin(aoa);
    const double waveDrag = zapiGetWaveDrag(mach, 0.95, 1.1, 1.15, 0.1);
    const double inducedDrag = zapiGetInducedDrag(*cl, ASPECT_RATIO, 0.2);
    // The signed sine: a negative angle of attack lowers the drag.
    *cd = 0.012 + 0.112 * std::sin(aoa) + 0.03 * waveDrag + 0.0015 * inducedDrag;
}
