#pragma once

#include <optional>

namespace zarvik {

// What undoing the user's latest press of Caps Lock takes, from the server's reports of the
// key and of the lock state. A press locks the modifier at once when it was not locked, and
// unlocks it only at the release when it was: what a press did shows in full only at the
// release, so an undo made while the key is held is made again after the release when the
// release undid it. Each step answers the lock state to set now, if any.
class CapsLockUndo final {
public:
    // The state when following begins.
    void start(bool held, bool locked);
    // A report: whether the key holds the Lock modifier down, and whether it is locked.
    std::optional<bool> onState(bool held, bool locked);
    // Puts the lock back to what it was before the latest press. Asked again, it does
    // nothing more.
    std::optional<bool> undo();

private:
    bool m_lockNow = false;
    bool m_held = false;
    bool m_lockBeforePress = false;
    std::optional<bool> m_lockAfterRelease;
};

} // namespace zarvik
