// The missile object: construction, destruction and the airframe it declares to the host.
#include "missile/guided_missile.h"

#include "host/zapi.h"
#include "missile/airfoil.h"
#include "missile/missile_params.h"

namespace {

/// Booster smoke near the nozzle, emitted 1.3 m behind the origin.
const PARTICLESTREAMSPEC BOOSTER_NEAR_SMOKE = {
    .flags = 0,
    .sourceSize = 0.1,
    .sourceRate = 20.0,
    .velocity = 150.0,
    .spread = 0.1,
    .lifetime = 0.3,
    .growthRate = 12.0,
    .atmosphereSlowdown = 2.0,
    .lighting = 0,
    .levelMap = 4,
    .levelMin = 0.0,
    .levelMax = 0.5,
    .atmosphereMap = 2,
    .atmosphereMin = 0.000001,
    .atmosphereMax = 0.1,
    .texture = nullptr,
};

/// The booster's long smoke trail, emitted 1.5 m behind the origin.
const PARTICLESTREAMSPEC BOOSTER_TRAIL = {
    .flags = 0,
    .sourceSize = 0.3,
    .sourceRate = 5.0,
    .velocity = 150.0,
    .spread = 0.3,
    .lifetime = 8.0,
    .growthRate = 4.0,
    .atmosphereSlowdown = 3.0,
    .lighting = 1,
    .levelMap = 4,
    .levelMin = 0.0,
    .levelMax = 0.5,
    .atmosphereMap = 2,
    .atmosphereMin = 0.000001,
    .atmosphereMax = 0.1,
    .texture = nullptr,
};

/// Nozzle position of both motors, body frame, m.
constexpr VECTOR3 MOTOR_POSITION = {0.0, 0.0, -1.0};
/// Thrust direction of both motors: along the body axis toward the nose.
constexpr VECTOR3 MOTOR_DIRECTION = {0.0, 0.0, 1.0};
/// Ambient pressure at which both motors give MOTOR_ISP, Pa.
constexpr double MOTOR_PRESSURE_REF = 101400.0;
/// Where both airfoils' forces act, body frame, m.
constexpr VECTOR3 AIRFOIL_REF = {0.0, 0.0, -0.09};
/// Chord of both airfoils, m.
constexpr double AIRFOIL_CHORD = 1.4;
/// No animation is linked to the control surfaces.
constexpr unsigned int NO_ANIMATION = 0xFFFFFFFF;

}  // namespace

GuidedMissile::GuidedMissile(HostHandle vessel, int flightModel)
    : WeaponVessel(vessel, flightModel),
      visual(nullptr),
      warhead(this, {0.0, 0.0, -0.2}, WARHEAD_MASS, 0.4, 0.3),
      propellant(nullptr),
      sustainerThruster(nullptr),
      boosterThruster(nullptr),
      attachment(nullptr),
      candidateVessel{},
      candidateAzOffset{},
      candidateElOffset{},
      candidateDistance{},
      candidateSize{},
      targetLocked(false),
      burnTime(-1.0),
      flightTime(-1.0),
      yawCommand(0.0),
      seekerState(0),
      scanIndex(0),
      seekerAz(0.0),
      seekerEl(0.0),
      shownSeekerEl(0.0),
      shownSeekerAz(0.0),
      pitchCommand(0.0),
      active(false),
      armed(false),
      attached(false)
{
    // The seeker head turns in clbkAnimate.
    RegisterAnimation();
}

// The weapon base frees the component list; thrusters, resources and meshes are the host's.
GuidedMissile::~GuidedMissile() = default;

void GuidedMissile::SetWeaponCaps(HostHandle)
{
    const HostHandle exhaustTexture = zapiRegisterExhaustTexture("exhaust2");
    SetSize(1.25);
    // The missile never takes the user's input focus.
    SetEnableFocus(false);
    SetEmptyMass(EMPTY_MASS);
    SetPMI({0.38, 0.38, 0.02});
    SetCrossSections({1.02, 1.02, 0.09});
    AddMesh(zapiLoadMeshGlobal("Karvex"));
    // One point under the nose, two aft.
    SetTouchdownPoints({0.0, -0.38, 1.0}, {-1.0, -0.35, -1.0}, {1.0, -0.35, -1.0});
    attachment = CreateAttachment(true, {0.0, 0.2, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}, "WM", false);

    // A repeated set-up keeps the motor and its propellant; a null handle is tried again.
    if (propellant == nullptr) {
        propellant = CreatePropellantResource(PROPELLANT_MASS, -1.0, 1.0);
    }
    if (boosterThruster == nullptr) {
        // Booster and sustainer together give BOOST_THRUST.
        boosterThruster = CreateThruster(MOTOR_POSITION, MOTOR_DIRECTION, BOOST_THRUST - SUSTAIN_THRUST,
                                         propellant, MOTOR_ISP, MOTOR_ISP, MOTOR_PRESSURE_REF);
    }
    if (sustainerThruster == nullptr) {
        sustainerThruster = CreateThruster(MOTOR_POSITION, MOTOR_DIRECTION, SUSTAIN_THRUST, propellant,
                                           MOTOR_ISP, MOTOR_ISP, MOTOR_PRESSURE_REF);
    }

    CreateAirfoil(LIFT_VERTICAL, AIRFOIL_REF, AirfoilCoefficients, AIRFOIL_CHORD, WING_AREA, ASPECT_RATIO);
    CreateAirfoil(LIFT_HORIZONTAL, AIRFOIL_REF, AirfoilCoefficients, AIRFOIL_CHORD, WING_AREA, ASPECT_RATIO);

    // The aileron pair splits the area of one single surface between the left and right fins.
    CreateControlSurface(AIRCTRL_AILERON, 0.07, 0.35, {-0.25, 0.0, -1.1}, 0, NO_ANIMATION);
    CreateControlSurface(AIRCTRL_AILERON, 0.07, 0.35, {0.25, 0.0, -1.1}, 0, NO_ANIMATION);
    CreateControlSurface(AIRCTRL_ELEVATOR, 0.14, 0.35, {0.0, 0.0, -1.1}, 0, NO_ANIMATION);
    CreateControlSurface(AIRCTRL_RUDDER, 0.14, 0.35, {0.0, 0.0, -1.1}, 0, NO_ANIMATION);

    AddExhaust(sustainerThruster, 1.5, 0.15, 0.35, exhaustTexture);
    AddExhaust(boosterThruster, 3.5, 0.15, 0.35, exhaustTexture);
    // Only the booster smokes.
    AddExhaustStream(boosterThruster, {0.0, 0.0, -1.3}, &BOOSTER_NEAR_SMOKE);
    AddExhaustStream(boosterThruster, {0.0, 0.0, -1.5}, &BOOSTER_TRAIL);
}
