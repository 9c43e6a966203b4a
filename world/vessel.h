// A vessel's plain data: its state, its records (thrusters, resources, points, airfoils, surfaces,
// visuals) and the key events a scenario scripts for it.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "host/zelvar.h"
#include "world/planet.h"
#include "world/steering.h"
#include "world/weather.h"

namespace standin {

/// A propellant resource.
struct Resource {
    double capacity;    ///< kg
    double mass;        ///< kg, never below 0.0
    double efficiency;  ///< scales the Isp of thrusters fed from it
};

/// A thruster.
struct Thruster {
    VECTOR3 pos;          ///< body frame, m
    VECTOR3 dir;          ///< body frame, unit vector of thrust
    double maxThrust;     ///< N at level 1
    HostHandle resource;  ///< feeding resource (may be null)
    double isp;           ///< vacuum specific impulse, m/s
    double ispRef;        ///< specific impulse at pressureRef, m/s (0 = isp)
    double pressureRef;   ///< Pa
    double level;         ///< 0 to 1
    double fed;           ///< share of the last step its resource fed it, 0 to 1
    int feed;             ///< index of `resource` in the vessel's list, resolved by the host before each step (-1: none)
};

/// An attachment point.
struct Attachment {
    bool toParent;      ///< true: this vessel hangs from a parent by this point
    VECTOR3 pos;        ///< body frame, m
    VECTOR3 dir;        ///< body frame, unit vector
    VECTOR3 rot;        ///< body frame, unit vector
    std::string id;     ///< identifier, stored whole
    bool loose;             ///< loose attachment
    HostHandle mate;        ///< the vessel attached here (null: none)
    HostHandle matePoint;   ///< the mate's attachment point (null: the mate's origin)
};

/// An airfoil.
struct Airfoil {
    int orientation;         ///< AIRFOIL_ORIENTATION
    VECTOR3 ref;             ///< body frame, m
    AirfoilCoeffFunc coeff;  ///< coefficient function
    double chord;            ///< m
    double area;             ///< m^2
    double aspectRatio;      ///< dimensionless
};

/// A control surface.
struct ControlSurface {
    int type;            ///< AIRCTRL_TYPE
    double area;         ///< m^2
    double dCl;          ///< lift-coefficient change per unit level
    VECTOR3 ref;         ///< body frame, m
    int axis;            ///< host axis code
    unsigned int anim;   ///< linked animation, 0xFFFFFFFF none
};

/// An exhaust flame.
struct Exhaust {
    HostHandle thruster;  ///< thruster it follows
    double length;        ///< m
    double width;         ///< m
    double offset;        ///< m
    HostHandle texture;   ///< texture handle
};

/// A particle stream.
struct Stream {
    HostHandle thruster;      ///< thruster it follows
    bool hasPos;              ///< emitted at `pos` rather than at the nozzle
    VECTOR3 pos;              ///< body frame, m
    PARTICLESTREAMSPEC spec;  ///< copy of the record passed
};

/// A mesh added to a vessel.
struct MeshRef {
    HostHandle mesh;   ///< global mesh handle
    bool hasOffset;    ///< an offset was given
    VECTOR3 offset;    ///< body frame, m
};

/// The rotations a module has sent one mesh group, summed.
struct GroupTurn {
    int mesh;      ///< mesh index
    int group;     ///< group index
    bool lateral;  ///< about the body x axis (1, 0, 0); false: about any other axis
    double angle;  ///< sum of the angles sent, rad
};

/// Where a position lies on a round planet, remembered for the position and the planet it was
/// worked out for, so that the queries of one frame share one conversion.
struct PlaceMemo {
    VECTOR3 pos{NAN, NAN, NAN};  ///< global position it holds for, m; NaN: none
    double radius = 0.0;         ///< equatorial radius of the planet it holds for, m
    double flattening = 0.0;     ///< flattening of that planet
    physics::Place place{0.0, 1.0, 0.0, 1.0, 0.0};  ///< the place, longitude in the global frame
    double latitude = NAN;       ///< geodetic, rad; NaN until asked for
    double longitude = NAN;      ///< in the global frame, rad; NaN until asked for
    // The last local pitch and bank read, by the arguments of their arcsine and arctangent: the
    // host and the module ask for them several times a frame.
    double pitchArgument = NAN;  ///< sine of the pitch
    double pitch = 0.0;          ///< rad
    double bankArguments[2]{NAN, NAN};  ///< the bank's sine and cosine, scaled alike
    double bank = 0.0;           ///< rad
};

/// Dynamic state of a vessel, global frame unless stated.
struct VesselState {
    // Position and rotation first: with the vessel's handle and size they fill the record's first
    // two cache lines, all that a scan over other vessels reads.
    VECTOR3 pos;        ///< m; y is the altitude
    double rot[3][3];   ///< body to global rotation; column j is body axis j in global coordinates
    VECTOR3 vel;        ///< m/s
    double quat[4];     ///< the same rotation as a unit quaternion (w, x, y, z)
    VECTOR3 angVel;     ///< body frame, rad/s
    bool anglesExact;   ///< `pitch`, `bank`, `heading` are the angles `rot` was built from
    double pitch;       ///< rad, valid while anglesExact
    double bank;        ///< rad, valid while anglesExact
    double heading;     ///< rad from north toward east, valid while anglesExact
    mutable PlaceMemo placeMemo;  ///< where `pos` lies on a round planet, once asked
};

/// How many records a vessel reserves at creation; more than this still works but allocates.
struct VesselCapacity {
    int thrusters = 64;
    int resources = 8;
    int attachments = 8;
    int airfoils = 8;
    int surfaces = 16;
    int meshes = 8;
    int exhausts = 16;
    int streams = 192;
    int transforms = 256;
    int turns = 8;
};

/// How the world moves a vessel.
enum class Motion : uint8_t {
    Dynamic,    ///< integrated from the forces its own declarations produce
    Kinematic,  ///< moves at its set velocity and angular rate, ignoring forces
    Pinned,     ///< not moved at all
    Landed,     ///< at rest on the ground on its touchdown points until a force lifts it
};

/// Number of control-surface types whose levels the host holds.
inline constexpr int CONTROL_TYPES = 8;

/// One vessel slot.
struct alignas(64) Vessel {
    HostHandle handle = nullptr;   ///< the vessel's own handle while live, null while the slot is free
    uint16_t generation = 1;       ///< bumped when the slot is freed
    bool deletePending = false;    ///< zapiDeleteVessel was called; freed at the end of the frame
    // The fields a step reads of every other vessel (size, then the state's position and rotation)
    // fill the record's first two cache lines.
    double size = 1.0;             ///< m
    VesselState state{};
    std::string name;              ///< stored whole
    std::string className;         ///< module class; empty for a plain body
    int flightModel = 1;           ///< realism level handed to the module
    int module = -1;               ///< index into World::modules, -1 without a module
    VESSEL* iface = nullptr;       ///< what zvcInit returned, or a bound test object
    VESSEL2* callbacks = nullptr;  ///< the same object as a VESSEL2
    bool focusEnabled = true;
    double emptyMass = 1.0;        ///< kg
    VECTOR3 pmi{};                 ///< m^2
    VECTOR3 crossSections{};       ///< m^2
    VECTOR3 touchdown[3]{};        ///< body frame, m
    bool animationRegistered = false;
    HostHandle visual = nullptr;   ///< the visual while one exists
    uint16_t visualEpoch = 0;      ///< distinguishes successive visuals
    uint16_t thrusterEpoch = 0;    ///< changes when thrusters are cleared
    uint16_t resourceEpoch = 0;    ///< changes when resources are cleared
    uint16_t recordEpoch = 0;      ///< epoch of the other records (they are cleared only with the vessel)
    std::vector<Resource> resources;
    std::vector<Thruster> thrusters;
    std::vector<Attachment> attachments;
    std::vector<Airfoil> airfoils;
    std::vector<ControlSurface> surfaces;
    std::vector<MeshRef> meshes;
    std::vector<Exhaust> exhausts;
    std::vector<Stream> streams;
    std::vector<MESHGROUP_TRANSFORM> transforms;  ///< mesh-group transforms applied, in order, while room lasts
    std::vector<GroupTurn> turns;                 ///< summed rotations of each animated mesh group
    double controlLevel[CONTROL_TYPES]{};         ///< held level per control-surface type
    int controlSets[CONTROL_TYPES]{};             ///< how often each type's level was set
    Motion motion = Motion::Kinematic;  ///< how the world moves it while no parent holds it
    physics::VesselAir air{};           ///< its turbulence and gust, while the air moves
    Steering steering;                  ///< its course, route, weave and reaction, while kinematic
};

/// Modifier keys a scripted key event holds, as bits.
enum KeyModifier : uint8_t {
    KEYMOD_LSHIFT = 1,  ///< left Shift, key code 0x2A
    KEYMOD_RSHIFT = 2,  ///< right Shift, 0x36
    KEYMOD_LCTRL = 4,   ///< left Ctrl, 0x1D
    KEYMOD_RCTRL = 8,   ///< right Ctrl, 0x9D
    KEYMOD_ALT = 16,    ///< left Alt, 0x38
};

/// A key event a scenario scripts for one vessel; the frame delivers it once its time has come.
struct KeyEvent {
    HostHandle vessel;   ///< the vessel whose clbkConsumeBufferedKey receives it
    double time;         ///< simulation time it is due, s
    unsigned int code;   ///< key code, 0 to 255
    bool down;           ///< true: press, false: release
    uint8_t modifiers;   ///< KeyModifier bits held
    bool delivered;      ///< already handed to the vessel
    int result;          ///< what clbkConsumeBufferedKey answered (1 consumed)
};

}  // namespace standin
