// A scenario's vessels checked against the ground once they are placed: a vessel that starts under
// it would crash or be lost in its first frame with no word of why.
#include <cstdio>

#include "attachments.h"
#include "local_frame.h"
#include "scenario.h"

namespace standin {

namespace {

// Deeper than this under the ground is below it: a vessel set on the ground over the round planet
// comes back from its latitude, longitude and height a few nanometres off.
constexpr double GROUND_TOLERANCE_M = 1e-3;

}  // namespace

std::string CheckAboveGround(const formats::ScenarioDocument& doc)
{
    const World& w = world();
    for (const formats::ScenarioVessel& entry : doc.vessels) {
        for (int slot : w.order) {
            const Vessel& v = w.vessels[static_cast<size_t>(slot)];
            if (v.name != entry.name) {
                continue;
            }
            const double altitude = AltitudeOf(w.physics.planet, v.state);
            if (!(altitude >= -GROUND_TOLERANCE_M)) {
                const Attachment* own = nullptr;
                const Attachment* its = nullptr;
                const Vessel* parent = ParentOf(v, &own, &its);
                char depth[32];
                std::snprintf(depth, sizeof depth, "%.2f", -altitude);
                return Where(entry.line) + "\"" + v.name + "\" starts " + depth + " m below the ground" +
                       (parent != nullptr ? ", hanging from \"" + parent->name + "\"" : "");
            }
        }
    }
    return "";
}

}  // namespace standin
