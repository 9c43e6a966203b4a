// The round, rotating planet against closed forms and published constants: geodetic coordinates,
// WGS-84 normal gravity, a circular orbit, the Jacobi integral under J2 and rotation, a vessel
// landed on the turning ground, the eastward deflection of a dropped body and a kinematic flight
// along a meridian.
#include <cmath>

#include "physics/geodesy.h"
#include "physics_fixture.h"
#include "runtime/local_frame.h"

namespace {

using physics::Geodetic;
using physics::Planet;
using physics::Vec3;

/// A fresh world for the round planet's flights.
class RoundPlanet : public physics_test::Physics {};

constexpr double DEG = 3.14159265358979323846 / 180.0;

// Planet-fixed position of `where`, global, as the host's vector type.
VECTOR3 Global(const Geodetic& where, double simt = 0.0)
{
    return standin::GlobalOf(standin::PhysicsSettings().planet, where, simt);
}

TEST(Geodesy, GeodeticCoordinatesRoundTripFromBelowTheGroundToOrbit)
{
    const Planet& earth = physics::EARTH;
    for (double lat : {-90.0, -89.999, -60.0, -45.0, -10.0, 0.0, 1e-7, 30.0, 45.0, 75.0, 89.9, 90.0}) {
        for (double lon : {-179.0, -90.0, 0.0, 33.0, 135.0, 180.0}) {
            for (double h : {-1000.0, 0.0, 1.0, 8848.0, 400e3, 1000e3}) {
                const Geodetic g{lat * DEG, lon * DEG, h};
                const Vec3 p = physics::PositionOf(earth, g);
                const Geodetic back = physics::GeodeticOf(earth, p);
                const double error = (physics::PositionOf(earth, back) - p).norm();
                EXPECT_LT(error, 1e-6) << lat << "° " << lon << "° " << h << " m";
                EXPECT_NEAR(back.height, h, 1e-6) << lat << "° " << lon << "° " << h << " m";
                EXPECT_NEAR(back.latitude * earth.radius, g.latitude * earth.radius, 1e-6) << lat << "° " << h << " m";
            }
        }
    }
    // The pole lies b = a (1 - f) from the centre; a point above it has its height along the axis.
    const double b = earth.radius * (1.0 - earth.flattening);
    EXPECT_NEAR(physics::PositionOf(earth, {90.0 * DEG, 0.0, 0.0}).norm(), b, 1e-6);
    EXPECT_NEAR(physics::GeodeticOf(earth, Vec3(0.0, b, 0.0)).height, 0.0, 1e-6);
    EXPECT_NEAR(physics::GeodeticOf(earth, Vec3(0.0, -b - 1234.5, 0.0)).height, 1234.5, 1e-6);
    EXPECT_NEAR(physics::GeodeticOf(earth, Vec3(0.0, -b, 0.0)).latitude, -90.0 * DEG, 1e-15);
    // On a sphere the height is the distance from the centre less the radius.
    const Planet sphere{true, 6371000.0, 0.0, 3.986004418e14, 0.0, 0.0};
    for (const Vec3& p : {Vec3(7e6, -2e6, 3e5), Vec3(0.0, 6.3e6, 1.0), Vec3(-4e6, 1e6, -4e6), Vec3(1e3, 0.0, 6.4e6)}) {
        EXPECT_NEAR(physics::GeodeticOf(sphere, p).height, p.norm() - sphere.radius, 1e-6);
        EXPECT_NEAR(std::sin(physics::GeodeticOf(sphere, p).latitude), p.y() / p.norm(), 1e-15);
    }
}

// Gravity with the centrifugal term on the WGS-84 ellipsoid against Somigliana's closed form of
// the normal gravity. The model stops at J2; the normal field's next term, J4 = -2.37e-6, changes
// the surface gravity by up to 5 |J4| = 1.2e-5 (at the poles) and tilts it from the ellipsoid's
// normal by a few |J4| rad: 2e-5 relative and 1e-5 rad leave a margin over that truncation only.
TEST(Geodesy, SurfaceGravityIsSomiglianasNormalGravity)
{
    const Planet& earth = physics::EARTH;
    const double a = earth.radius, b = a * (1.0 - earth.flattening), e2 = physics::EccentricitySquared(earth);
    const double ge = 9.7803253359, gp = 9.8321849378, k = b * gp / (a * ge) - 1.0;
    const double w2 = earth.rotation * earth.rotation;
    for (double lat = 0.0; lat <= 90.0; lat += 7.5) {
        const double s = std::sin(lat * DEG);
        const Vec3 p = physics::PositionOf(earth, {lat * DEG, 30.0 * DEG, 0.0});
        const Vec3 g = physics::GravityAt(earth, p) + w2 * Vec3(p.x(), 0.0, p.z());
        const double normal = ge * (1.0 + k * s * s) / std::sqrt(1.0 - e2 * s * s);
        EXPECT_NEAR(g.norm() / normal - 1.0, 0.0, 2e-5) << lat << "°";
        const Vec3 up = physics::LocalAxes(lat * DEG, 30.0 * DEG).col(1);
        const double angle = std::atan2(g.cross(up).norm(), -g.dot(up));
        EXPECT_LT(angle, 1e-5) << lat << "°";
    }
}

// A circular orbit under central gravity closes after one period and keeps its energy.
TEST_F(RoundPlanet, CircularOrbitClosesAfterOnePeriod)
{
    const double gm = 3.986004418e14, r = 6378137.0 + 400e3;
    standin::PhysicsSettings().planet = Planet{true, 6378137.0, 0.0, gm, 0.0, 0.0};
    const Vec3 start(r, 0.0, 0.0);
    HostHandle h = DynamicBody(physics::ToVector3(start), {0.0, 0.0, std::sqrt(gm / r)}, 1.0);
    const auto energy = [&] { return 0.5 * Vel(h).squaredNorm() - gm / Pos(h).norm(); };
    const double e0 = energy(), period = 360.0 * DEG * std::sqrt(r * r * r / gm);
    double drift = 0.0;
    const int whole = static_cast<int>(period);
    for (int i = 0; i < whole; ++i) {
        standin::Step(1.0);
        drift = std::fmax(drift, std::fabs(energy() / e0 - 1.0));
    }
    standin::Step(period - whole);
    drift = std::fmax(drift, std::fabs(energy() / e0 - 1.0));
    EXPECT_LT((Pos(h) - start).norm(), 1.0);
    EXPECT_LT(drift, 1e-9);
}

// Over the rotating J2 Earth a free body keeps its Jacobi integral E - Ω·L, the planet's
// angular velocity Ω being Spin (a ground point moves at Ω × r). The J2 field is symmetric about
// the axis, so E and Ω·L are each conserved as well; 1e-9 of J is 0.03 J/kg.
TEST_F(RoundPlanet, FreeBodyKeepsTheJacobiIntegral)
{
    const Planet& earth = physics::EARTH;
    standin::PhysicsSettings().planet = earth;
    const double r = earth.radius + 500e3, speed = 1.01 * std::sqrt(earth.gm / r), incl = 51.6 * DEG;
    HostHandle h = DynamicBody({r, 0.0, 0.0}, {0.0, speed * std::sin(incl), speed * std::cos(incl)}, 1.0);
    const auto jacobi = [&] {
        return 0.5 * Vel(h).squaredNorm() + physics::GravityPotential(earth, Pos(h)) -
               physics::Spin(earth).dot(Pos(h).cross(Vel(h)));
    };
    const double j0 = jacobi();
    double drift = 0.0;
    for (int i = 0; i < 60000; ++i) {
        standin::Step(0.01);
        drift = std::fmax(drift, std::fabs(jacobi() / j0 - 1.0));
    }
    EXPECT_LT(drift, 1e-9);
}

// A landed vessel turns with the planet and stays on its ground point, at rest on it, for an hour
// (dt 0.01 s).
TEST_F(RoundPlanet, LandedVesselStaysOnItsGroundPoint)
{
    standin::PhysicsSettings().planet = physics::EARTH;
    const Geodetic where{45.0 * DEG, 10.0 * DEG, 0.0};
    HostHandle h = CreateBodyAt("landed", Global({where.latitude, where.longitude, 50.0}));
    standin::SetMotion(h, standin::Motion::Landed);
    double worst = 0.0, moving = 0.0;
    for (int i = 0; i < 360000; ++i) {
        standin::Step(0.01);
        worst = std::fmax(worst, (Pos(h) - physics::ToVec3(Global(where, zapiGetSimTime()))).norm());
        moving = std::fmax(moving, physics::ToVec3(standin::GroundVelocity(physics::EARTH, State(h))).norm());
    }
    EXPECT_LT(worst, 1e-3);
    EXPECT_LT(moving, 1e-9) << "moving over the ground";
}

// Dropped in vacuum from rest over the ground, a body lands east of the point below it by
// (1/3) ω g t³ cos L (to 1%, the first-order Coriolis deflection). More closely: gravity weakens
// upward by 2H/R over the drop height H, shortening the deflection by 1.8 H/R, and tilts toward
// the centre as the body drifts east, by 0.1 H/R more; the rest (J2 and the centrifugal term in
// the gradient, (H/R)², (ω t)²) is a few 1e-6, so the deflection is (1 - 1.9 H/R) that to 1e-5.
TEST_F(RoundPlanet, DroppedBodyLandsEastOfThePointBelow)
{
    const Planet& earth = physics::EARTH;
    const double w = earth.rotation, dt = 0.01;
    for (double lat : {0.0, 45.0}) {
        ResetWorld();
        standin::PhysicsSettings().planet = earth;
        const Vec3 ground = physics::PositionOf(earth, {lat * DEG, 0.0, 0.0});
        const Vec3 p0 = physics::ToVec3(Global({lat * DEG, 0.0, 1000.0}));
        HostHandle h = DynamicBody(physics::ToVector3(p0), physics::ToVector3(physics::Spin(earth).cross(p0)), 1.0);
        // Step while the next step stays above the ground, then carry the last state down to it at
        // constant acceleration: its change over a step is far below what matters here. The time
        // down is first taken along the normal, then refined by Newton on the geodetic height.
        double t = 0.0, tau = 0.0;
        Vec3 p, v, acc, landing;
        for (;; standin::Step(dt), t += dt) {
            ASSERT_LT(t, 60.0);
            p = Pos(h), v = Vel(h), acc = physics::GravityAt(earth, p);
            const Geodetic g = physics::GeodeticOf(earth, p);
            const Vec3 up = physics::LocalAxes(g.latitude, g.longitude).col(1);
            const double vu = up.dot(v), au = up.dot(acc);  // height(τ) ≈ g.height + vu τ + au τ² / 2
            tau = (-vu - std::sqrt(vu * vu - 2.0 * au * g.height)) / au;
            if (tau <= dt) {
                for (int i = 0; i < 3; ++i) {
                    landing = p + v * tau + 0.5 * acc * tau * tau;
                    tau -= physics::GeodeticOf(earth, landing).height / up.dot(v + acc * tau);
                }
                break;
            }
        }
        t += tau;
        landing = p + v * tau + 0.5 * acc * tau * tau;
        EXPECT_NEAR(physics::GeodeticOf(earth, landing).height, 0.0, 1e-6);
        // On the turning ground: the planet-fixed displacement from the point below the release, east.
        const Vec3 fixed = physics::PlanetTurn(earth, t).transpose() * landing;
        const double east = physics::LocalAxes(lat * DEG, 0.0).col(0).dot(fixed - ground);
        const double gLocal = (physics::GravityAt(earth, ground) + w * w * Vec3(ground.x(), 0.0, ground.z())).norm();
        const double expected = w * gLocal * t * t * t * std::cos(lat * DEG) / 3.0;
        EXPECT_NEAR(east, expected, 0.01 * expected) << lat << "°";
        EXPECT_NEAR(east / expected, 1.0 - 1.9 * 1000.0 / ground.norm(), 1e-5) << lat << "°";
    }
}

// A level kinematic vessel flying north keeps its altitude, its heading, its pitch, its ground
// speed and its meridian, and covers its ground speed × time along the meridian: the arc
// ∫ (M + h) dφ, M = a (1 - e²) / (1 - e² sin²φ)^(3/2) the meridian's radius of curvature. Angles
// and speed to 1e-9: rounding over the 6,000 steps builds up some 1e-13, any slip of the model more.
TEST_F(RoundPlanet, KinematicFlightNorthKeepsItsAltitudeAndCourse)
{
    const Planet& earth = physics::EARTH;
    standin::PhysicsSettings().planet = earth;
    const Geodetic start{40.0 * DEG, -75.0 * DEG, 2000.0};
    HostHandle h = CreateBodyAt("flier", Global(start));
    standin::SetMotion(h, standin::Motion::Kinematic);
    standin::SetAttitude(h, 0.0, 0.0, 0.0);
    const Vec3 p0 = Pos(h), north = physics::LocalAxes(start.latitude, start.longitude).col(2);
    standin::SetVelocity(h, physics::ToVector3(230.0 * north + physics::Spin(earth).cross(p0)));
    double height = 0.0, angle = 0.0, speed = 0.0, meridian = 0.0;
    for (int i = 0; i < 6000; ++i) {
        standin::Step(0.01);
        const standin::LocalAngles angles = standin::LocalAnglesOf(earth, State(h));
        height = std::fmax(height, std::fabs(standin::AltitudeOf(earth, State(h)) - 2000.0));
        angle = std::fmax(angle, std::fmax(std::fabs(angles.heading), std::fabs(angles.pitch)));
        speed = std::fmax(speed, std::fabs(physics::ToVec3(standin::GroundVelocity(earth, State(h))).norm() - 230.0));
        const Geodetic g = standin::GeographicOf(earth, State(h), zapiGetSimTime());
        meridian = std::fmax(meridian, std::fabs(g.longitude - start.longitude));
    }
    const double e2 = physics::EccentricitySquared(earth);
    const double end = standin::GeographicOf(earth, State(h), 60.0).latitude;
    double arc = 0.0;  // Simpson's rule, 64 panels: its error is far below a micrometre here
    for (int i = 0; i <= 64; ++i) {
        const double s = std::sin(start.latitude + (end - start.latitude) * i / 64.0);
        arc += (i == 0 || i == 64 ? 1.0 : (i % 2 == 1 ? 4.0 : 2.0)) *
               (earth.radius * (1.0 - e2) / std::pow(1.0 - e2 * s * s, 1.5) + start.height);
    }
    arc *= (end - start.latitude) / (3.0 * 64.0);
    EXPECT_NEAR(arc, 230.0 * 60.0, 1e-3);
    EXPECT_LT(height, 1e-3);
    EXPECT_LT(angle, 1e-9);
    EXPECT_LT(speed, 1e-9);
    EXPECT_LT(meridian * earth.radius, 1e-3);
}

}  // namespace
