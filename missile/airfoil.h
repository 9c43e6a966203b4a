// The missile's airfoil coefficients, evaluated by the host.
#pragma once

/// Lift, pitching-moment and drag coefficients at angle of attack `aoa` (rad) and Mach `mach`;
/// the Reynolds number is not used.
void AirfoilCoefficients(double aoa, double mach, double reynolds, double* cl, double* cm, double* cd);
