#pragma once

#include "platform/CapsLockUndo.h"

struct _XDisplay;
union _XEvent;

namespace zarvik {

class X11Connection;

// The keys: Caps Lock as the server reports it (and putting its lock back), and the copy
// keystroke sent through XTest.
class X11Keyboard final {
public:
    explicit X11Keyboard(X11Connection& connection);
    ~X11Keyboard();
    X11Keyboard(const X11Keyboard&) = delete;
    X11Keyboard& operator=(const X11Keyboard&) = delete;

    // Follows Caps Lock, learns the key codes and lets go of copy keys left down by a
    // program before us. Needs no toolkit.
    void start();
    // Takes a Caps Lock report or a change of the keyboard mapping; false for one not ours.
    bool handle(_XEvent& event);

    bool capsLockDown();
    void undoCapsLockPress();
    void sendCopyKeystroke();

private:
    void followCapsLock();
    void setLock(bool on);
    void readKeycodes();
    void releaseStrayCopyKeys();

    X11Connection& m_x;
    // The copy keystroke's own connection, opened at the first keystroke. The server holds
    // back the requests of a connection while a delayed XTest event waits (see
    // sendCopyKeystroke); on a connection of their own, that wait never holds up the
    // clipboard's reading of the copy it brings.
    _XDisplay* m_keysDpy = nullptr;
    int m_xkbEventBase = -1;
    CapsLockUndo m_caps;
    unsigned char m_capsKey = 0, m_ctrlLeftKey = 0, m_ctrlRightKey = 0, m_insertKey = 0;
};

} // namespace zarvik
