#include "runner/envelope/envelope_geometry.h"

#include <cmath>
#include <numbers>

#include "runtime/host_control.h"
#include "runtime/local_frame.h"

namespace runner {

namespace {

constexpr double DEG = std::numbers::pi / 180.0;

// The live vessel named `name` in the current world, null for none.
const standin::Vessel* Named(const std::string& name)
{
    for (unsigned int i = 0; i < zapiGetVesselCount(); ++i) {
        const standin::Vessel* v = standin::Find(zapiGetVesselByIndex(static_cast<int>(i)));
        if (v != nullptr && v->name == name) {
            return v;
        }
    }
    return nullptr;
}

bool Carried(const standin::Vessel& v)
{
    for (const standin::Attachment& point : v.attachments) {
        if (point.toParent && standin::Find(point.mate) != nullptr) {
            return true;
        }
    }
    return false;
}

// The release point of the vessel `v` at simulation time `simt` s over `planet`.
ReleasePoint PointOf(const physics::Planet& planet, const standin::Vessel& v, double simt)
{
    ReleasePoint point;
    point.round = planet.round;
    point.planet = planet;
    const VECTOR3 ground = standin::ToLocal(planet, v.state, standin::GroundVelocity(planet, v.state));
    point.track = std::atan2(ground.x, ground.z);
    if (planet.round) {
        physics::Geodetic where = standin::GeographicOf(planet, v.state, simt);
        where.height = 0.0;
        point.ground = physics::PositionOf(planet, where);
        const physics::Mat3 axes = physics::LocalAxes(where.latitude, where.longitude);
        point.east = axes.col(0);
        point.north = axes.col(2);
    } else {
        point.ground = physics::Vec3(v.state.pos.x, 0.0, v.state.pos.z);
        point.east = physics::Vec3::UnitX();
        point.north = physics::Vec3::UnitZ();
    }
    return point;
}

}  // namespace

int FindRelease(const RunOptions& options, ReleasePoint& point, std::string& error)
{
    bool carried = false, released = false;
    long long frames = 0;
    RunOptions fly = options;
    fly.afterStep = [&]() {
        if (released) {
            return;
        }
        const standin::World& w = standin::world();
        ++frames;
        const standin::Vessel* v = Named(w.run.watch);
        bool held = v != nullptr && Carried(*v);
        if (carried && v != nullptr && !held) {
            point = PointOf(w.physics.planet, *v, w.simt);
            // Every frame is one step long, and a kinematic vessel moves a step's worth in each.
            point.flown = static_cast<double>(frames) * w.run.step;
            released = true;
        }
        carried = carried || held;
    };
    RunResult result = Run(fly);
    if (result.exitCode != EXIT_OK) {
        error = result.error;
        return result.exitCode;
    }
    if (!released) {
        error = "the watched vessel \"" + result.watch + "\" is never released by a carrier in " + options.scenario;
        return EXIT_SCENARIO;
    }
    point.targetSize = result.targetSize;
    return EXIT_OK;
}

void TargetPlace(const ReleasePoint& point, double range, double bearing, double& first, double& second)
{
    const double course = point.track + bearing * DEG;
    const physics::Vec3 at =
        point.ground + range * std::sin(course) * point.east + range * std::cos(course) * point.north;
    if (!point.round) {
        first = at.x();
        second = at.z();
        return;
    }
    const physics::Geodetic where = physics::GeodeticOf(point.planet, at);
    first = where.latitude / DEG;
    second = where.longitude / DEG;
}

double TargetCourse(const ReleasePoint& point, double course)
{
    const double heading = std::fmod(point.track / DEG + course, 360.0);
    return heading < 0.0 ? heading + 360.0 : heading;
}

void TargetStart(const ReleasePoint& point, double range, double bearing, const TargetMotion& motion, double& first,
                 double& second)
{
    TargetPlace(point, range, bearing, first, second);
    if (motion.speed == 0.0) {
        return;
    }
    const double back = motion.speed * point.flown, course = TargetCourse(point, motion.course) * DEG;
    if (!point.round) {
        first -= back * std::sin(course);
        second -= back * std::cos(course);
        return;
    }
    // Back along the level axes where the target stands at release: over the few hundred metres it
    // drives before then, the ground falls away from that plane by millimetres.
    const physics::Geodetic at{first * DEG, second * DEG, 0.0};
    const physics::Mat3 axes = physics::LocalAxes(at.latitude, at.longitude);
    const physics::Vec3 start = physics::PositionOf(point.planet, at) -
                                back * (std::sin(course) * axes.col(0) + std::cos(course) * axes.col(2));
    const physics::Geodetic where = physics::GeodeticOf(point.planet, start);
    first = where.latitude / DEG;
    second = where.longitude / DEG;
}

}  // namespace runner
