#include "runner/flight/seeker_head.h"

#include "weapon/observable.h"

namespace runner {

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

}  // namespace runner
