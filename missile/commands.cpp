// What launchers and the keyboard tell the missile: "WEAPON::" commands and the two launch keys.
#include "missile/guided_missile.h"
#include "missile/text_prefix.h"
#include "weapon/observable.h"

namespace {

/// Key-state entries of left Shift, right Shift, left Ctrl and right Ctrl.
constexpr unsigned int MODIFIER_KEYS[] = {0x2A, 0x36, 0x1D, 0x9D};
/// Key that lights the motor (and arms an active missile) on release.
constexpr unsigned int KEY_LAUNCH = 0x17;
/// Key that activates the seeker on release.
constexpr unsigned int KEY_ACTIVATE = 0x18;

/// True while Shift or Ctrl is held. A missing table counts as no key held.
bool ModifierHeld(const char* keyState)
{
    if (keyState == nullptr) {
        return false;
    }
    for (unsigned int key : MODIFIER_KEYS) {
        if ((static_cast<unsigned char>(keyState[key]) & 0x80) != 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

int GuidedMissile::ProcessCommand(const char* command, int)
{
    // No text is no weapon command.
    if (command == nullptr || !StartsWithNoCase(command, observable::COMMAND_PREFIX)) {
        return 0;
    }
    const char* keyword = command + sizeof observable::COMMAND_PREFIX - 1;
    if (StartsWithNoCase(keyword, "GETTYPE")) {
        return 1;
    }
    if (StartsWithNoCase(keyword, "ARM")) {
        return Arm();
    }
    if (StartsWithNoCase(keyword, "SAFE")) {
        return Safe();
    }
    if (StartsWithNoCase(keyword, "ACTIVATE")) {
        return Activate();
    }
    return -1;
}

int GuidedMissile::clbkConsumeBufferedKey(unsigned int key, bool down, char* keyState)
{
    // Shift and Ctrl combinations belong to the host and other vessels.
    if (ModifierHeld(keyState)) {
        return 0;
    }
    if (down) {
        return 0;
    }
    if (key == KEY_LAUNCH) {
        // The motor lights even when arming is refused; the flight clock is not started.
        Arm();
        burnTime = 0.0;
        return 1;
    }
    if (key == KEY_ACTIVATE) {
        if (!active) {
            Activate();
        }
        return 1;
    }
    return 0;
}
