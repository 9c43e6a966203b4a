// The host's vessel classes: VESSEL (the host operations on one vessel) and VESSEL2
// (the callbacks a module overrides). Virtual slot order is part of the binary interface.
#pragma once

#include "host_export.h"
#include "host_types.h"

/// Host operations on one vessel. Non-polymorphic; holds only the vessel's handle. A stale or
/// null handle makes every getter answer 0 (or null) and every setter do nothing.
class ZAPI_EXPORT VESSEL {
public:
    /// Binds the operations to the vessel `vessel`; `flightModel` is the host's realism level.
    VESSEL(HostHandle vessel, int flightModel = 1);

    // Set-up.
    /// Sets the vessel's size (mean radius), m.
    void SetSize(double size) const;
    /// Allows (true) or refuses (false) the user's input focus.
    void SetEnableFocus(bool enable) const;
    /// Sets the dry mass, kg; propellant resources add to it.
    void SetEmptyMass(double mass) const;
    /// Sets the principal moments of inertia divided by mass, m^2 (body x, y, z).
    void SetPMI(const VECTOR3& pmi) const;
    /// Sets the cross sections projected along body x, y, z, m^2.
    void SetCrossSections(const VECTOR3& cs) const;
    /// Adds a mesh with an optional offset (body frame, m; null = none); returns its mesh index.
    unsigned int AddMesh(HostHandle mesh, const VECTOR3* offset = nullptr) const;
    /// Sets the three touchdown points (body frame, m): they define the plane the vessel rests on.
    void SetTouchdownPoints(const VECTOR3& p1, const VECTOR3& p2, const VECTOR3& p3) const;
    /// Creates an attachment point at `pos` (body, m), direction `dir` and rotation reference `rot`
    /// (unit vectors) named `id`; `toParent` true: this vessel hangs from a parent by it.
    HostHandle CreateAttachment(bool toParent, const VECTOR3& pos, const VECTOR3& dir,
                                const VECTOR3& rot, const char* id, bool loose = false) const;
    /// Creates a propellant resource of capacity `maxMass` kg holding `mass` kg (negative = full);
    /// `efficiency` scales the Isp of thrusters fed from it. Returns its handle.
    HostHandle CreatePropellantResource(double maxMass, double mass = -1.0, double efficiency = 1.0) const;
    /// Creates a thruster at `pos` (body, m) pushing along unit `dir` with `maxThrust` N in vacuum,
    /// fed from `resource`, vacuum Isp `isp` m/s, `ispRef` m/s at ambient pressure `pressureRef` Pa
    /// (0 = same as `isp`). It starts at level 0. Returns its handle.
    HostHandle CreateThruster(const VECTOR3& pos, const VECTOR3& dir, double maxThrust,
                              HostHandle resource, double isp, double ispRef = 0.0,
                              double pressureRef = 101400.0) const;
    /// Creates an airfoil of AIRFOIL_ORIENTATION `orientation` whose forces act at `ref` (body, m),
    /// evaluated by `coeff`, with chord `chord` m, wing area `area` m^2 and aspect ratio `aspectRatio`.
    HostHandle CreateAirfoil(int orientation, const VECTOR3& ref, AirfoilCoeffFunc coeff, double chord,
                             double area, double aspectRatio) const;
    /// Creates a control surface of AIRCTRL_TYPE `type`, area `area` m^2, lift coefficient slope
    /// `dCl` per unit level, acting at `ref` (body, m) about `axis`, linked to animation `anim`
    /// (0xFFFFFFFF = none). Returns its handle.
    HostHandle CreateControlSurface(int type, double area, double dCl, const VECTOR3& ref, int axis,
                                    unsigned int anim = 0xFFFFFFFF) const;
    /// Adds an exhaust flame to `thruster`, `length` and `width` m at full level, displaced `offset`
    /// m back from the nozzle, drawn with `texture`. Returns its index.
    unsigned int AddExhaust(HostHandle thruster, double length, double width, double offset,
                            HostHandle texture) const;
    /// Adds a particle stream from `thruster`'s nozzle described by `spec` (copied). Returns its handle.
    HostHandle AddExhaustStream(HostHandle thruster, const PARTICLESTREAMSPEC* spec) const;
    /// Adds a particle stream from `thruster` emitted at `pos` (body, m). Returns its handle.
    HostHandle AddExhaustStream(HostHandle thruster, const VECTOR3& pos, const PARTICLESTREAMSPEC* spec) const;
    /// Asks the host to call clbkAnimate on this vessel once per frame while it has a visual.
    void RegisterAnimation() const;

    // Run time.
    /// The vessel's own handle.
    HostHandle GetHandle() const;
    /// The vessel's name (never null; "" for a stale handle); valid until the vessel is freed.
    const char* GetName() const;
    /// Total mass: empty mass plus every resource's propellant, kg.
    double GetMass() const;
    /// Size (mean radius), m.
    double GetSize() const;
    /// Altitude of the vessel's centre above the ground plane (its global y), m.
    double GetAltitude() const;
    /// Pitch: the nose's angle above the horizon, rad, in [-pi/2, pi/2].
    double GetPitch() const;
    /// Bank: roll about the nose, rad, in (-pi, pi]; positive with the right wing (body +x) down.
    double GetBank() const;
    /// Dynamic pressure 0.5 rho v^2 of the airflow, Pa.
    double GetDynPressure() const;
    /// The vessel attached at `attachment`: the parent for a to-parent point, the child for a
    /// parent point; null while nothing is attached there.
    HostHandle GetAttachmentStatus(HostHandle attachment) const;
    /// Hangs `child` by its to-parent point `childAttachment` on this vessel's parent point
    /// `attachment`; the child then moves rigidly with this vessel. False if a handle is stale,
    /// a point is of the wrong kind or already taken.
    bool AttachChild(HostHandle child, HostHandle attachment, HostHandle childAttachment) const;
    /// Lets go of the child at this vessel's parent point `attachment`: it leaves with its point's
    /// velocity plus `vel` (this vessel's body frame, m/s). False when nothing hangs there.
    bool DetachChild(HostHandle attachment, const VECTOR3& vel = VECTOR3{0.0, 0.0, 0.0}) const;
    /// This vessel's attachment point number `index` among its to-parent points (`toParent` true)
    /// or its parent points, in creation order; null when there is none.
    HostHandle GetAttachmentHandle(bool toParent, unsigned int index) const;
    /// Identifier of this vessel's attachment point `attachment` ("" for an unknown handle).
    const char* GetAttachmentId(HostHandle attachment) const;
    /// Propellant left in `resource`, kg; exactly 0.0 once used up.
    double GetPropellantMass(HostHandle resource) const;
    /// Sets the propellant in `resource`, kg, clamped to [0, capacity].
    void SetPropellantMass(HostHandle resource, double mass) const;
    /// Sets `thruster`'s level, clamped to [0, 1] (1 = full thrust).
    void SetThrusterLevel(HostHandle thruster, double level) const;
    /// Sets every control surface of AIRCTRL_TYPE `type` to `level`, clamped to [-1, 1]; held until set again.
    void SetControlSurfaceLevel(int type, double level) const;
    /// Expresses the global position `global` (m) in this vessel's body frame: `local` (m).
    void Global2Local(const VECTOR3& global, VECTOR3& local) const;
    /// Applies `transform` to a mesh group of `visual`; false when the visual or group is unknown.
    bool MeshgroupTransform(HostHandle visual, const MESHGROUP_TRANSFORM& transform) const;
    /// The host's own reading of a scenario line it knows (state keys); `status` is passed on.
    void ParseScenarioLineEx(char* line, void* status) const;
    /// The host's default handling of a vessel state record.
    void DefSetStateEx(const void* status) const;
    /// Removes every thruster (and its flames and streams) of the vessel.
    void ClearThrusterDefinitions() const;
    /// Removes every propellant resource of the vessel.
    void ClearPropellantResources() const;
    /// Removes every mesh of the vessel.
    void ClearMeshes() const;

private:
    HostHandle vesselHandle;
};
static_assert(sizeof(VESSEL) == sizeof(HostHandle));

/// Base class of module vessels: 28 host callbacks, each with a default body, in fixed slot
/// order. Modules append their own virtuals after them. No virtual destructor.
class ZAPI_EXPORT VESSEL2 : public VESSEL {
public:
    /// Binds the vessel `vessel` at flight-model level `flightModel`.
    VESSEL2(HostHandle vessel, int flightModel = 1);

    /// Slot 0: declare the class capabilities; `config` is the class-configuration file (may be null).
    virtual void clbkSetClassCaps(HostHandle config);
    /// Slot 1: write the module's own scenario lines to `scn`; the host writes its state lines itself.
    virtual void clbkSaveState(HostHandle scn);
    /// Slot 2: read the vessel's scenario lines from `scn`; `status` is the host's state record.
    virtual void clbkLoadStateEx(HostHandle scn, void* status);
    /// Slot 3: apply a state record; the default calls DefSetStateEx.
    virtual void clbkSetStateEx(const void* status);
    /// Slot 4: the vessel is fully created.
    virtual void clbkPostCreation();
    /// Slot 5: input focus gained (true) or lost; the two vessel handles.
    virtual void clbkFocusChanged(bool gotFocus, HostHandle newFocus, HostHandle oldFocus);
    /// Slot 6: before the world is integrated; simulation time s, step length s, date days.
    virtual void clbkPreStep(double simt, double simdt, double mjd);
    /// Slot 7: after the world is integrated; simulation time s, step length s, date days.
    virtual void clbkPostStep(double simt, double simdt, double mjd);
    /// Slot 8: a recorded event during playback; time s, event time s, type and text.
    virtual bool clbkPlaybackEvent(double simt, double eventTime, const char* type, const char* event);
    /// Slot 9: the host created a visual `visual`; `refCount` visuals exist.
    virtual void clbkVisualCreated(HostHandle visual, int refCount);
    /// Slot 10: the host is about to destroy `visual`.
    virtual void clbkVisualDestroyed(HostHandle visual, int refCount);
    /// Slot 11: draw the head-up display in `mode`; true when drawn.
    virtual bool clbkDrawHUD(int mode, const void* paintSpec, HostHandle sketchpad);
    /// Slot 12: the RCS mode changed.
    virtual void clbkRCSMode(int mode);
    /// Slot 13: the aerodynamic-control mode changed.
    virtual void clbkADCtrlMode(unsigned int mode);
    /// Slot 14: the HUD mode changed.
    virtual void clbkHUDMode(int mode);
    /// Slot 15: multifunction display `mfd` changed to `mode`.
    virtual void clbkMFDMode(int mfd, int mode);
    /// Slot 16: navigation mode `mode` switched on (true) or off.
    virtual void clbkNavMode(int mode, bool active);
    /// Slot 17: docking port `dock` docked to `mate` (null: undocked).
    virtual void clbkDockEvent(int dock, HostHandle mate);
    /// Slot 18: animate the visual at simulation time `simt` s (only after RegisterAnimation).
    virtual void clbkAnimate(double simt);
    /// Slot 19: the whole key-state table (ZAPI_KEYSTATE_SIZE bytes); 1 when consumed.
    virtual int clbkConsumeDirectKey(char* keyState);
    /// Slot 20: one key event: key code, true on press and false on release, the key-state table
    /// (bit 0x80 of an entry set while that key is held); 1 when consumed.
    virtual int clbkConsumeBufferedKey(unsigned int key, bool down, char* keyState);
    /// Slot 21: load the generic cockpit; true when handled.
    virtual bool clbkLoadGenericCockpit();
    /// Slot 22: load 2-D panel `id`; true when handled.
    virtual bool clbkLoadPanel(int id);
    /// Slot 23: mouse event on panel area `id` at (x, y) pixels; true when handled.
    virtual bool clbkPanelMouseEvent(int id, int event, int x, int y);
    /// Slot 24: redraw panel area `id` on `surface`; true when redrawn.
    virtual bool clbkPanelRedrawEvent(int id, int event, HostHandle surface);
    /// Slot 25: load virtual cockpit `id`; true when handled.
    virtual bool clbkLoadVC(int id);
    /// Slot 26: mouse event on virtual-cockpit area `id` at `point` (body, m); true when handled.
    virtual bool clbkVCMouseEvent(int id, int event, VECTOR3& point);
    /// Slot 27: redraw virtual-cockpit area `id` on `surface`; true when redrawn.
    virtual bool clbkVCRedrawEvent(int id, int event, HostHandle surface);
};
static_assert(sizeof(VESSEL2) == sizeof(void*) + sizeof(VESSEL));

/// Number of VESSEL2 callbacks; a module's first own virtual takes this slot.
inline constexpr int VESSEL2_CALLBACK_COUNT = 28;
