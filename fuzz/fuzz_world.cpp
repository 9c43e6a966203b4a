#include "fuzz_world.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzz {

namespace {

std::string scratchDir;

void RemoveScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(scratchDir, ignored);
}

}  // namespace

void EnterScratchDir()
{
    static bool entered = false;
    if (!entered) {
        char pattern[] = "/tmp/karvex-fuzz-XXXXXX";
        if (mkdtemp(pattern) == nullptr || chdir(pattern) != 0) {
            std::abort();
        }
        scratchDir = pattern;
        std::atexit(RemoveScratchDir);
        entered = true;
    }
    std::remove("Debug.log");
}

void ResetWithModules(int maxVessels)
{
    standin::WorldConfig config;
    config.maxVessels = maxVessels;
    config.moduleDir = KARVEX_MODULE_DIR;
    standin::Reset(config);
}

void ResetToEmpty()
{
    standin::WorldConfig empty;
    empty.maxVessels = 1;
    standin::Reset(empty);
}

BoundMissile BuildMissile(MissileState state, int maxVessels)
{
    standin::WorldConfig config;
    config.maxVessels = maxVessels;
    standin::Reset(config);
    standin::VesselDesc desc;
    desc.name = "K1";
    desc.pos = {0.0, 2000.0, 0.0};
    desc.vel = {0.0, 0.0, 250.0};
    desc.motion = standin::Motion::Kinematic;
    BoundMissile world;
    world.vessel = standin::CreateBody(desc);
    world.missile = std::make_unique<GuidedMissile>(world.vessel, 1);
    standin::Bind(world.vessel, world.missile.get());
    world.missile->clbkSetClassCaps(nullptr);
    GuidedMissile& m = *world.missile;
    switch (state) {
    case MissileState::Fresh:
    case MissileState::Count:
        break;
    case MissileState::Armed:
        m.Activate();
        m.Arm();
        break;
    case MissileState::Active:
        m.Activate();
        break;
    case MissileState::Attached: {
        standin::VesselDesc carrier;
        carrier.name = "Launcher";
        carrier.pos = {0.0, 2000.2, 0.0};
        carrier.vel = desc.vel;
        world.launcher = standin::CreateBody(carrier);
        standin::Attach(world.launcher, nullptr, world.vessel, m.attachment);
        standin::Step(0.125);  // the sequencer notices it hangs
        break;
    }
    }
    return world;
}

void TearDown(BoundMissile& world)
{
    ResetToEmpty();
    world.missile.reset();
}

std::string Reader::Rest()
{
    std::string rest(reinterpret_cast<const char*>(data) + pos, size - pos);
    pos = size;
    return rest;
}

}  // namespace fuzz
