// Launcher commands: any text, sent from a buffer of exactly its length, to a missile fresh,
// active, armed or hanging on a launcher (the first byte picks which).
#include <cstring>
#include <memory>

#include "fuzz_world.h"
#include "missile/weapon_interface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::EnterScratchDir();
    fuzz::Reader in(data, size);
    const auto state = static_cast<fuzz::MissileState>(in.Byte() % static_cast<int>(fuzz::MissileState::Count));
    const std::string text = in.Rest();
    fuzz::BoundMissile world = fuzz::BuildMissile(state);
    std::unique_ptr<char[]> exact(new char[text.size() + 1]);
    std::memcpy(exact.get(), text.c_str(), text.size() + 1);
    WeaponCommand(world.missile.get(), exact.get());
    // The command's effect must survive a frame.
    standin::Step(0.01);
    fuzz::TearDown(world);
    return 0;
}
