// Buffered keys: any key code, pressed or released, with a key-state table from the input, on a
// missile fresh, active, armed or hanging on a launcher; a few keys per input, a frame after each.
#include "fuzz_world.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::EnterScratchDir();
    fuzz::Reader in(data, size);
    const auto state = static_cast<fuzz::MissileState>(in.Byte() % static_cast<int>(fuzz::MissileState::Count));
    fuzz::BoundMissile world = fuzz::BuildMissile(state);
    char keys[ZAPI_KEYSTATE_SIZE];
    for (char& key : keys) {
        key = static_cast<char>(in.Byte());
    }
    for (int i = 0; i < 4 && !in.Empty(); ++i) {
        unsigned int code = 0;
        for (int b = 0; b < 4; ++b) {
            code = code << 8 | in.Byte();
        }
        const bool down = (in.Byte() & 1) != 0;
        world.missile->clbkConsumeBufferedKey(code, down, keys);
        standin::Step(0.01);
    }
    fuzz::TearDown(world);
    return 0;
}
