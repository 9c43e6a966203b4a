// One frame of the world: every vessel gets each stage before the next stage begins.
#include <cmath>

#include "attachments.h"
#include "handles.h"
#include "host_control.h"
#include "lifecycle.h"
#include "physics/integrator.h"
#include "physics/moving_air.h"
#include "physics/planet_motion.h"
#include "physics/propellant.h"
#include "physics/wind.h"
#include "steering.h"

namespace standin {

namespace {

// Hands every scripted key event that has come due to its vessel, with a key-state table that
// holds its modifiers (and the key itself while it is pressed).
void DeliverKeys(World& w)
{
    static const unsigned char MODIFIER_CODES[] = {0x2A, 0x36, 0x1D, 0x9D, 0x38};
    for (KeyEvent& key : w.keys) {
        if (key.delivered || key.time > w.simt) {
            continue;
        }
        key.delivered = true;
        int slot = LiveSlot(key.vessel);
        Vessel* v = slot < 0 ? nullptr : &w.vessels[static_cast<size_t>(slot)];
        if (v == nullptr || v->callbacks == nullptr) {
            continue;
        }
        char state[ZAPI_KEYSTATE_SIZE] = {};
        for (int bit = 0; bit < 5; ++bit) {
            if ((key.modifiers & (1u << bit)) != 0) {
                state[MODIFIER_CODES[bit]] = static_cast<char>(0x80);
            }
        }
        if (key.down) {
            state[key.code & 0xFFu] = static_cast<char>(0x80);
        }
        CallbackScope scope(slot);
        key.result = v->callbacks->clbkConsumeBufferedKey(key.code, key.down, state);
    }
}

// The planet's turn over a frame of `dt` s, for the vessels fixed to its ground: the same every
// frame, so it is worked out again only when the planet or the frame length changes.
const physics::PlanetStep& TurnOver(const physics::Planet& planet, double dt)
{
    static thread_local struct {
        double rotation = NAN, dt = NAN;
        physics::PlanetStep step;
    } turnOf;
    if (!(turnOf.rotation == planet.rotation && turnOf.dt == dt)) {
        turnOf.rotation = planet.rotation;
        turnOf.dt = dt;
        turnOf.step = physics::PlanetStepOf(planet, dt);
    }
    return turnOf.step;
}

// Flies the free vessel `v` (in slot `slot`) of mass `mass` kg over `dt` s through the air, whose
// turbulence and gust it meets first; its turbulence draws from a stream of its own, its slot's.
void Fly(World& w, Vessel& v, int slot, double mass, double dt)
{
    if (physics::AirMoves(w.physics.weather)) {
        if (w.physics.planet.round) {
            // The vessel's locale, worked out once for the air and for the flight.
            const physics::Locale locale = physics::LocaleAt(w.physics.planet, v.state);
            physics::AdvanceAir(v, w.physics, w.simt, dt, static_cast<uint64_t>(slot), &locale);
            physics::StepDynamic(v, w.physics, mass, dt, &locale);
            return;
        }
        physics::AdvanceAir(v, w.physics, w.simt, dt, static_cast<uint64_t>(slot));
    }
    physics::StepDynamic(v, w.physics, mass, dt);
}

// Moves the free vessel `v` (in slot `slot`) of mass `mass` kg over `dt` s by its motion mode.
void Move(World& w, Vessel& v, int slot, double mass, double dt)
{
    const physics::Planet& planet = w.physics.planet;
    switch (v.motion) {
    case Motion::Dynamic:
        Fly(w, v, slot, mass, dt);
        break;
    case Motion::Kinematic:
        if (v.steering.on) {
            FlySteered(w, v, dt);
        } else if (planet.round) {
            physics::StepKinematicRound(v.state, planet, dt);
        } else {
            physics::StepKinematic(v.state, dt);
        }
        break;
    case Motion::Landed:
        if (physics::LiftsOff(v, w.physics, mass)) {
            v.motion = Motion::Dynamic;
            Fly(w, v, slot, mass, dt);
        } else if (planet.round) {
            physics::TurnWithPlanet(v.state, planet, TurnOver(planet, dt));
        }
        break;
    case Motion::Pinned:
        if (planet.round) {
            physics::TurnWithPlanet(v.state, planet, TurnOver(planet, dt));
        }
        break;
    }
}

// Burns every vessel's propellant over `dt` s and moves every vessel no parent carries.
void MoveVessels(World& w, double dt)
{
    for (int slot : w.order) {
        Vessel& v = w.vessels[static_cast<size_t>(slot)];
        // The mass flies the step at its mean over the step.
        double massBefore = TotalMass(v);
        // Physics reads records by index: each lit thruster's resource handle is resolved first.
        for (Thruster& t : v.thrusters) {
            t.feed = t.level > 0.0 ? RecordOf(t.resource, HandleKind::Resource, slot, v.resourceEpoch, v.resources.size())
                                   : -1;
        }
        physics::BurnPropellant(v, dt);
        double mass = 0.5 * (massBefore + TotalMass(v));
        const Attachment* childPoint = nullptr;
        const Attachment* parentPoint = nullptr;
        if (ParentOf(v, &childPoint, &parentPoint) == nullptr) {
            Move(w, v, slot, mass, dt);  // a carried vessel follows its parent, and adds nothing to its flight
        }
    }
}

}  // namespace

void Step(double dt)
{
    World& w = world();
    DeliverKeys(w);
    for (size_t i = 0; i < w.order.size(); ++i) {
        int slot = w.order[i];
        Vessel& v = w.vessels[static_cast<size_t>(slot)];
        if (v.callbacks != nullptr) {
            CallbackScope scope(slot);
            v.callbacks->clbkPreStep(w.simt, dt, w.mjd);
        }
    }

    FireTriggers(w);
    MoveVessels(w, dt);
    for (int slot : w.order) {
        FollowParent(w.vessels[static_cast<size_t>(slot)]);
    }

    w.simt += dt;
    w.mjd += dt / 86400.0;

    for (size_t i = 0; i < w.order.size(); ++i) {
        int slot = w.order[i];
        Vessel& v = w.vessels[static_cast<size_t>(slot)];
        if (v.callbacks != nullptr) {
            CallbackScope scope(slot);
            v.callbacks->clbkPostStep(w.simt, dt, w.mjd);
        }
    }

    for (size_t i = 0; i < w.order.size();) {
        int slot = w.order[i];
        if (w.vessels[static_cast<size_t>(slot)].deletePending) {
            DestroyVessel(slot);  // removes the slot from the order, so the same index is read again
        } else {
            ++i;
        }
    }

    for (size_t i = 0; i < w.order.size(); ++i) {
        int slot = w.order[i];
        Vessel& v = w.vessels[static_cast<size_t>(slot)];
        if (v.callbacks != nullptr && v.visual != nullptr && v.animationRegistered) {
            CallbackScope scope(slot);
            v.callbacks->clbkAnimate(w.simt);
        }
    }
}

}  // namespace standin
