// Worlds the benchmarks measure in: a missile among many plain bodies placed so that the seeker
// sees the phase a benchmark asks for.
#pragma once

#include <memory>

#include "missile/guided_missile.h"
#include "runtime/host_control.h"

namespace bench {

/// What the missile's seeker meets among the other vessels.
enum class Phase {
    Scanning,  ///< every other vessel lies outside the sweep's reach: the pattern goes on
    Tracking,  ///< one vessel sits on the nose, locked and followed; the rest out of reach
    Burning,   ///< as tracking, with the warhead ignited and burning
};

/// A missile bound in-process to a body of the current world, flying level at 2,000 m.
struct MissileWorld {
    HostHandle vessel = nullptr;
    std::unique_ptr<GuidedMissile> missile;
};

/// Resets the world and builds it: the missile, then `others` plain bodies (the first of them a
/// target 2 km ahead when tracking or burning), with the missile armed and in guided flight.
MissileWorld BuildWorld(int others, Phase phase);

/// Destroys the world's vessels and the missile.
void TearDown(MissileWorld& world);

}  // namespace bench
