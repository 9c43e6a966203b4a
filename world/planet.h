// The planet a world flies over: its shape, its gravity and its rotation, as plain data.
#pragma once

namespace physics {

/// The planet under a world. Flat: the old ground plane with uniform gravity (Settings::gravity).
/// Round: an ellipsoid of revolution about the global y axis, with central or J2 gravity, turning
/// toward the east at a constant rate.
struct Planet {
    bool round = false;       ///< false: the flat ground plane
    double radius = 0.0;      ///< equatorial radius a, m
    double flattening = 0.0;  ///< f = (a - b) / a, dimensionless (0: a sphere)
    double gm = 0.0;          ///< gravitational parameter, m^3/s^2
    double j2 = 0.0;          ///< second zonal harmonic, dimensionless (0: central gravity)
    double rotation = 0.0;    ///< rotation rate about the polar axis, rad/s (positive: toward the east)
};

/// A point's geodetic latitude and longitude as sines and cosines, and its height: all that its
/// local axes and altitude need, without the angles.
struct Place {
    double sinLat, cosLat;  ///< of the geodetic latitude
    double sinLon, cosLon;  ///< of the longitude
    double height;          ///< height above the ellipsoid along its normal, m
};

/// The WGS-84 Earth with J2 gravity and its rotation.
inline constexpr Planet EARTH{true, 6378137.0, 1.0 / 298.257223563, 3.986004418e14, 1.08262668e-3, 7.292115e-5};

}  // namespace physics
