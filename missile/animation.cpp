// The seeker head: its elevation group (elevation only) and azimuth group (elevation and azimuth)
// follow the seeker.
#include <cmath>

#include "missile/guided_missile.h"
#include "weapon/observable.h"

void GuidedMissile::clbkVisualCreated(HostHandle vis, int)
{
    visual = vis;
    // A new visual's head starts at rest: what an earlier visual showed is no longer shown.
    shownSeekerEl = 0.0;
    shownSeekerAz = 0.0;
}

void GuidedMissile::clbkVisualDestroyed(HostHandle, int)
{
}

void GuidedMissile::clbkAnimate(double)
{
    // Before the first visual there is nothing to turn: the shown angles stay where the fresh
    // visual's head is (at rest), and it catches up in one go once it exists. A destroyed
    // visual's handle is kept and the host ignores transforms sent to it; the next visual
    // starts from rest again.
    if (visual == nullptr) {
        return;
    }
    // Transforms accumulate on the group's present position, so only the change is sent.
    MESHGROUP_TRANSFORM turn{};
    turn.ref = {0.0, 0.0, 1.1};
    turn.mesh = observable::HEAD_MESH;
    turn.kind = MESHGROUP_ROTATE;
    if (seekerEl != shownSeekerEl) {
        turn.axis = {1.0, 0.0, 0.0};
        turn.angle = static_cast<float>(seekerEl - shownSeekerEl);
        turn.group = observable::HEAD_ELEVATION_GROUP;
        MeshgroupTransform(visual, turn);
        turn.group = observable::HEAD_AZIMUTH_GROUP;
        MeshgroupTransform(visual, turn);
        shownSeekerEl = seekerEl;
    }
    if (seekerAz != shownSeekerAz) {
        // Azimuth turns about the head's vertical axis, tilted by the elevation now shown.
        turn.axis = {0.0, std::cos(seekerEl), std::sin(seekerEl)};
        turn.angle = static_cast<float>(seekerAz - shownSeekerAz);
        turn.group = observable::HEAD_AZIMUTH_GROUP;
        MeshgroupTransform(visual, turn);
        shownSeekerAz = seekerAz;
    }
}
