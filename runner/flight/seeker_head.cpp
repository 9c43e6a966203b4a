#include "runner/flight/seeker_head.h"

#include <cmath>

#include "weapon/observable.h"

namespace runner {

namespace {

// `global` relative to `s`'s position, in its body frame.
VECTOR3 ToBody(const standin::VesselState& s, const VECTOR3& global)
{
    double d[3] = {global.x - s.pos.x, global.y - s.pos.y, global.z - s.pos.z};
    double b[3];
    for (int j = 0; j < 3; ++j) {
        b[j] = s.rot[0][j] * d[0] + s.rot[1][j] * d[1] + s.rot[2][j] * d[2];
    }
    return VECTOR3{b[0], b[1], b[2]};
}

}  // namespace

void HeadAngles(const standin::Vessel& vessel, double& azimuth, double& elevation)
{
    azimuth = 0.0;
    elevation = 0.0;
    for (const standin::GroupTurn& turn : vessel.turns) {
        if (turn.mesh != observable::HEAD_MESH) {
            continue;
        }
        if (turn.group == observable::HEAD_ELEVATION_GROUP && turn.lateral) {
            elevation += turn.angle;
        } else if (turn.group == observable::HEAD_AZIMUTH_GROUP && !turn.lateral) {
            azimuth += turn.angle;
        }
    }
}

double HeadOff(const standin::VesselState& s, const VECTOR3& global, double azimuth, double elevation)
{
    VECTOR3 d = ToBody(s, global);
    double r = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    return d.z > 0.0 && r > 0.0 ? std::hypot(std::asin(d.x / r) - azimuth, std::asin(d.y / r) - elevation) : INFINITY;
}

}  // namespace runner
