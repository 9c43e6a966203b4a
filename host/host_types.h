// Plain records and constants shared by the host and every module.
#pragma once

#include <cstddef>
#include <cstdint>

/// Opaque pointer-sized handle issued by the host (vessel, thruster, resource, attachment,
/// mesh, texture, visual, scenario file). Null means none; a module never looks inside one.
typedef void* HostHandle;

/// Three doubles (x, y, z). Units depend on use: metres, m/s, kg m^2 or a dimensionless direction.
struct VECTOR3 {
    double x;  ///< Body frame: right. Global frame: east.
    double y;  ///< Body frame: up. Global frame: up (altitude axis).
    double z;  ///< Body frame: forward (tail to nose). Global frame: north.
};
static_assert(sizeof(VECTOR3) == 24);

/// The host's 15-digit pi literal (not full-precision pi).
inline const double PI = 3.14159265358979;
/// Degrees to radians: PI times 1/180 as the double 0.005555555555555556, formed at load time.
inline const double RAD = PI * 0.005555555555555556;

/// Particle-stream description handed to AddExhaustStream by pointer; natural alignment.
struct PARTICLESTREAMSPEC {
    uint32_t flags;             ///< 1: reserved flag word, 0 for the module's streams.
    double sourceSize;          ///< 2: particle size at emission, m.
    double sourceRate;          ///< 3: emission rate at full level, particles/s.
    double velocity;            ///< 4: emission speed, m/s.
    double spread;              ///< 5: random velocity spread, fraction of velocity.
    double lifetime;            ///< 6: particle lifetime, s.
    double growthRate;          ///< 7: particle growth rate, m/s.
    double atmosphereSlowdown;  ///< 8: slow-down factor in atmosphere, 1/s.
    uint32_t lighting;          ///< 9: lighting model: 0 emissive, 1 diffuse.
    uint32_t levelMap;          ///< 10: how the thruster level maps to opacity: 0 flat, 1 linear, 2 sqrt, 3 plin, 4 psqrt.
    double levelMin;            ///< 11: level mapped to zero opacity.
    double levelMax;            ///< 12: level mapped to full opacity.
    uint32_t atmosphereMap;     ///< 13: how air density maps to opacity: 0 flat, 1 linear, 2 log.
    double atmosphereMin;       ///< 14: density mapped to zero opacity, kg/m^3.
    double atmosphereMax;       ///< 15: density mapped to full opacity, kg/m^3.
    HostHandle texture;         ///< 16: particle texture; null means the host's default.
};
static_assert(offsetof(PARTICLESTREAMSPEC, flags) == 0);
static_assert(offsetof(PARTICLESTREAMSPEC, sourceSize) == 8);
static_assert(offsetof(PARTICLESTREAMSPEC, sourceRate) == 16);
static_assert(offsetof(PARTICLESTREAMSPEC, velocity) == 24);
static_assert(offsetof(PARTICLESTREAMSPEC, spread) == 32);
static_assert(offsetof(PARTICLESTREAMSPEC, lifetime) == 40);
static_assert(offsetof(PARTICLESTREAMSPEC, growthRate) == 48);
static_assert(offsetof(PARTICLESTREAMSPEC, atmosphereSlowdown) == 56);
static_assert(offsetof(PARTICLESTREAMSPEC, lighting) == 64);
static_assert(offsetof(PARTICLESTREAMSPEC, levelMap) == 68);
static_assert(offsetof(PARTICLESTREAMSPEC, levelMin) == 72);
static_assert(offsetof(PARTICLESTREAMSPEC, levelMax) == 80);
static_assert(offsetof(PARTICLESTREAMSPEC, atmosphereMap) == 88);
static_assert(offsetof(PARTICLESTREAMSPEC, atmosphereMin) == 96);
static_assert(offsetof(PARTICLESTREAMSPEC, atmosphereMax) == 104);
static_assert(offsetof(PARTICLESTREAMSPEC, texture) == 112);
static_assert(sizeof(PARTICLESTREAMSPEC) == 120);

/// Kinds of mesh-group transform.
enum MESHGROUP_TRANSFORM_KIND : int {
    MESHGROUP_TRANSLATE = 0,  ///< move the group by `axis` (m)
    MESHGROUP_ROTATE = 1,     ///< rotate the group by `angle` (rad) about `axis` through `ref`
    MESHGROUP_SCALE = 2,      ///< scale the group by `axis` about `ref`
};

/// One transform of one mesh group; transforms accumulate on the group's present position.
struct MESHGROUP_TRANSFORM {
    VECTOR3 ref;    ///< Reference point in vessel coordinates, m.
    VECTOR3 axis;   ///< Rotation axis (unit vector), or shift / scale factors by kind.
    float angle;    ///< Rotation angle, rad; positive turns right-handedly about `axis`.
    int mesh;       ///< Mesh index within the vessel (0 = first mesh added).
    int group;      ///< Group index within the mesh.
    int kind;       ///< A MESHGROUP_TRANSFORM_KIND.
};
static_assert(offsetof(MESHGROUP_TRANSFORM, ref) == 0);
static_assert(offsetof(MESHGROUP_TRANSFORM, axis) == 24);
static_assert(offsetof(MESHGROUP_TRANSFORM, angle) == 48);
static_assert(offsetof(MESHGROUP_TRANSFORM, mesh) == 52);
static_assert(offsetof(MESHGROUP_TRANSFORM, group) == 56);
static_assert(offsetof(MESHGROUP_TRANSFORM, kind) == 60);
static_assert(sizeof(MESHGROUP_TRANSFORM) == 64);

/// Airfoil orientation: which body axis the lift acts along.
enum AIRFOIL_ORIENTATION : int {
    LIFT_VERTICAL = 0,    ///< lift along body y, from the angle of attack in the y-z plane
    LIFT_HORIZONTAL = 1,  ///< lift along body x, from the sideslip angle in the x-z plane
};

/// Control-surface types. Levels run from -1 to 1; the signs below close a module's loops.
enum AIRCTRL_TYPE : int {
    AIRCTRL_ELEVATOR = 0,  ///< positive level pitches the nose up
    AIRCTRL_RUDDER = 1,    ///< positive level yaws the nose toward body +x
    AIRCTRL_AILERON = 2,   ///< positive level rolls so as to reduce a positive bank (right wing down)
};

/// Airfoil coefficient function: angle of attack (rad), Mach number and Reynolds number in;
/// lift, pitching-moment and drag coefficients (dimensionless) out through the three pointers.
typedef void (*AirfoilCoeffFunc)(double aoa, double mach, double reynolds, double* cl, double* cm,
                                 double* cd);

/// Size of the buffer zapiDebugString returns, bytes, terminator included.
inline constexpr size_t ZAPI_DEBUG_STRING_SIZE = 256;
/// Size of the key-state table handed to the key callbacks, bytes (one per key code).
inline constexpr size_t ZAPI_KEYSTATE_SIZE = 256;
