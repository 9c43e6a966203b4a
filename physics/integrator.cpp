#include "integrator.h"

#include <cmath>

#include "airfoils.h"
#include "body_drag.h"
#include "control_surfaces.h"
#include "gravity.h"
#include "planet_motion.h"
#include "rotational_damping.h"
#include "thrust.h"
#include "wind.h"

namespace physics {

namespace {

// The weather when it moves the air, null in still air (whose stages keep the old arithmetic).
const Weather* MovingAir(const Settings& settings)
{
    return AirMoves(settings.weather) ? &settings.weather : nullptr;
}

// Time derivative of a FlightState, the rotational damping left out (it is integrated exactly).
struct Rates {
    Vec3 vel;
    Vec3 acc;
    Eigen::Vector4d att;  // d/dt of the quaternion's (x, y, z, w) coefficients
    Vec3 alpha;
};

Rates Derivative(const Stage& stage, const Settings& settings, const Contact& contact, const Vec3* gustDamping)
{
    const standin::Vessel& v = stage.vessel;
    const FlightState& s = stage.state;
    const double mass = stage.mass;
    Loads loads = SumLoads(stage, settings, &contact, false);
    if (gustDamping != nullptr) {
        loads.momentBody += *gustDamping;
    }
    Rates rates;
    rates.vel = s.vel;
    rates.acc = (stage.rot * loads.forceBody + loads.forceGlobal) / mass;
    Quat spin(0.0, s.omega.x(), s.omega.y(), s.omega.z());
    rates.att = 0.5 * (s.att * spin).coeffs();
    Vec3 inertia = mass * ToVec3(v.pmi);
    Vec3 gyro = s.omega.cross(inertia.cwiseProduct(s.omega));
    for (int i = 0; i < 3; ++i) {
        rates.alpha[i] = inertia[i] > 0.0 ? (loads.momentBody[i] - gyro[i]) / inertia[i] : 0.0;
    }
    return rates;
}

// `s` with the body rate decayed by `decay` (per axis) and then advanced by h × `r`, the decay
// applied to the rate step by `rateDecay`.
FlightState Advance(const FlightState& s, const Vec3& decay, const Rates& r, double h, const Vec3& rateDecay)
{
    FlightState out;
    out.pos = s.pos + h * r.vel;
    out.vel = s.vel + h * r.acc;
    out.att.coeffs() = s.att.coeffs() + h * r.att;
    out.omega = decay.cwiseProduct(s.omega) + h * rateDecay.cwiseProduct(r.alpha);
    return out;
}

}  // namespace

Loads SumLoads(const Stage& stage, const Settings& settings, const Contact* contact, bool damping)
{
    Loads loads;
    AddGravity(stage, settings, loads);
    AddThrust(stage, loads);
    AddAirfoils(stage, loads);
    AddControlSurfaces(stage, loads);
    AddBodyDrag(stage, loads);
    if (damping) {
        AddRotationalDamping(stage, settings.rotationalDamping, loads);
        if (stage.gustRate != Vec3::Zero()) {
            AddGustDamping(stage, settings.rotationalDamping, loads);
        }
    }
    if (contact != nullptr) {
        AddGroundContact(stage, *contact, loads);
    }
    return loads;
}

Loads EvaluateLoads(const standin::Vessel& vessel, const FlightState& state, double mass, const Settings& settings,
                    const Contact* contact)
{
    const Weather* weather = MovingAir(settings);
    if (settings.planet.round) {
        Locale locale = LocaleAt(settings.planet, state.pos);
        return SumLoads(Stage(vessel, state, mass, nullptr, nullptr, &locale, weather), settings, contact, true);
    }
    return SumLoads(Stage(vessel, state, mass, nullptr, nullptr, nullptr, weather), settings, contact, true);
}

void StepDynamic(standin::Vessel& vessel, const Settings& settings, double mass, double dt, const Locale* known)
{
    if (!(mass > 0.0) || !(dt > 0.0)) {
        return;
    }
    Contact contact = ContactFor(settings, dt);
    FlightState s0 = ReadState(vessel.state);
    // Rotational damping is stiff for light, slender vessels (a missile's roll): it is integrated
    // exactly, Lawson's integrating-factor form of the fourth-order Runge-Kutta method, with the
    // damping rate of each axis taken at the start of the step.
    // Over a round planet every stage takes its height and the air's motion from the step's start.
    Locale place;
    const Locale* locale = settings.planet.round ? known : nullptr;
    if (settings.planet.round && known == nullptr) {
        place = LocaleAt(settings.planet, vessel.state);
        locale = &place;
    }
    const AirSlope air = AtmosphereSlope(locale != nullptr ? locale->height : s0.pos.y());
    const Weather* weather = MovingAir(settings);
    // The step's start is one stage for the damping rate, the thrust and the first derivative.
    Stage start(vessel, s0, mass, &air, nullptr, locale, weather);
    Vec3 perRate;
    Vec3 rate = DampingRate(start, settings.rotationalDamping, &perRate);
    Vec3 half = (-0.5 * dt * rate).array().exp().matrix();
    Vec3 full = half.cwiseProduct(half);
    Vec3 one = Vec3::Ones();
    // The air of every stage comes from the step's start, carried along its slope.
    // Thrust that does not change with the air is the same at every stage: summed once.
    Loads thrust;
    const Loads* fixedThrust = nullptr;
    if (!ThrustVariesWithPressure(vessel)) {
        AddThrust(start, thrust);
        fixedThrust = &thrust;
    }
    start.thrust = fixedThrust;
    // Turbulence's rotation of the air damps too: its share is taken at the start, like the rate.
    Vec3 gust;
    const Vec3* gustDamping = nullptr;
    if (start.gustRate != Vec3::Zero()) {
        gust = perRate.cwiseProduct(start.gustRate);
        gustDamping = &gust;
    }
    const auto derivative = [&](const FlightState& s) {
        return Derivative(Stage(vessel, s, mass, &air, fixedThrust, locale, weather), settings, contact, gustDamping);
    };
    Rates k1 = Derivative(start, settings, contact, gustDamping);
    Rates k2 = derivative(Advance(s0, half, k1, 0.5 * dt, half));
    Rates k3 = derivative(Advance(s0, half, k2, 0.5 * dt, one));
    Rates k4 = derivative(Advance(s0, full, k3, dt, half));
    Rates sum;
    sum.vel = k1.vel + 2.0 * k2.vel + 2.0 * k3.vel + k4.vel;
    sum.acc = k1.acc + 2.0 * k2.acc + 2.0 * k3.acc + k4.acc;
    sum.att = k1.att + 2.0 * k2.att + 2.0 * k3.att + k4.att;
    sum.alpha = full.cwiseProduct(k1.alpha) + 2.0 * half.cwiseProduct(k2.alpha + k3.alpha) + k4.alpha;
    FlightState s1 = Advance(s0, full, sum, dt / 6.0, one);
    if (s1.att.coeffs() == s0.att.coeffs()) {
        // No turn at all: keep the attitude as it was set, exact angles included.
        vessel.state.pos = ToVector3(s1.pos);
        vessel.state.vel = ToVector3(s1.vel);
        vessel.state.angVel = ToVector3(s1.omega);
        return;
    }
    s1.att.normalize();
    WriteState(s1, vessel.state);
}

void StepKinematic(standin::VesselState& state, double dt)
{
    state.pos = VECTOR3{state.pos.x + state.vel.x * dt, state.pos.y + state.vel.y * dt, state.pos.z + state.vel.z * dt};
    FlightState s = ReadState(state);
    double angle = s.omega.norm() * dt;
    if (!(angle > 0.0)) {
        return;
    }
    s.att = (s.att * Quat(Eigen::AngleAxisd(angle, s.omega.normalized()))).normalized();
    WriteState(s, state);
}

bool LiftsOff(const standin::Vessel& vessel, const Settings& settings, double mass)
{
    // At rest in still air only a lit thruster can push: a vessel without one stays down.
    bool lit = false;
    for (const standin::Thruster& t : vessel.thrusters) {
        lit = lit || t.level > 0.0;
    }
    if (!lit) {
        return false;
    }
    FlightState s = ReadState(vessel.state);
    Mat3 rot = s.att.normalized().toRotationMatrix();
    if (!settings.planet.round) {
        Loads loads = EvaluateLoads(vessel, s, mass, settings, nullptr);
        return (rot * loads.forceBody + loads.forceGlobal).y() > 0.0;
    }
    // On a turning planet the ground holds the vessel on its circle too: what lifts it is the
    // upward force beyond that.
    const Locale locale = LocaleAt(settings.planet, vessel.state);
    Loads loads = SumLoads(Stage(vessel, s, mass, nullptr, nullptr, &locale, MovingAir(settings)), settings, nullptr,
                           true);
    Vec3 force = rot * loads.forceBody + loads.forceGlobal;
    Vec3 held = mass * locale.spin.cross(locale.spin.cross(s.pos));
    return (force - held).dot(locale.up) > 0.0;
}

void PlaceOnGround(standin::Vessel& vessel, const Planet& planet)
{
    if (planet.round) {
        PlaceOnRoundGround(vessel, planet);
        return;
    }
    FlightState s = ReadState(vessel.state);
    Mat3 rot = s.att.normalized().toRotationMatrix();
    double lowest = 0.0;
    for (int i = 0; i < 3; ++i) {
        double y = (rot * ToVec3(vessel.touchdown[i])).y();
        lowest = i == 0 || y < lowest ? y : lowest;
    }
    vessel.state.pos.y = 0.0 - lowest;  // +0.0 when the lowest point is the centre
    vessel.state.vel = VECTOR3{0.0, 0.0, 0.0};
    vessel.state.angVel = VECTOR3{0.0, 0.0, 0.0};
}

}  // namespace physics
