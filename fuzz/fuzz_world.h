// Shared set-up for the fuzz targets: a scratch working directory, small worlds, and a missile
// bound in-process in one of the states a launcher can leave it in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "missile/guided_missile.h"
#include "runtime/host_control.h"

namespace fuzz {

/// Moves into a fresh directory under /tmp once per process, so "Debug.log" and scenario files
/// stay out of the caller's folder (removed again at exit); the log is removed on every call so it never grows.
void EnterScratchDir();

/// Resets the world to `maxVessels` slots, with the built modules to create vessels from.
void ResetWithModules(int maxVessels);

/// Resets the world to a single slot, destroying its vessels.
void ResetToEmpty();

/// The states a missile is fuzzed in.
enum class MissileState : uint8_t { Fresh, Active, Armed, Attached, Count };

/// A missile "K1" bound on a plain body of a fresh small world, level at 2,000 m at 250 m/s.
struct BoundMissile {
    HostHandle vessel = nullptr;
    HostHandle launcher = nullptr;  ///< set when the missile hangs on a launcher
    std::unique_ptr<GuidedMissile> missile;
};

/// Resets the world (`maxVessels` slots) and builds the missile in `state`.
BoundMissile BuildMissile(MissileState state, int maxVessels = 16);

/// Resets the world, destroying its vessels, then the missile object.
void TearDown(BoundMissile& world);

/// Reads the input front to back; past its end every read answers zero.
class Reader {
public:
    Reader(const uint8_t* bytes, size_t length) : data(bytes), size(length) {}
    uint8_t Byte() { return pos < size ? data[pos++] : 0; }
    bool Empty() const { return pos >= size; }
    /// The bytes not read yet, as text.
    std::string Rest();

private:
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
};

}  // namespace fuzz
