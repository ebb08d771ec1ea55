#include "platform/x11/X11Keyboard.h"

#include "platform/x11/X11Connection.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdio>
#include <cstring>

namespace zarvik {

namespace {

bool keyDown(const char keys[32], KeyCode code)
{
    return code != 0 && (keys[code / 8] & (1 << (code % 8)));
}

// Some programs (browsers among them) miss a key released at the instant it was pressed.
constexpr int kKeyHoldMs = 15;

} // namespace

X11Keyboard::X11Keyboard(X11Connection& connection) : m_x(connection) {}

X11Keyboard::~X11Keyboard()
{
    if (m_keysDpy)
        XCloseDisplay(m_keysDpy); // waits until the server has read the keys' releases
}

void X11Keyboard::start()
{
    followCapsLock();
    readKeycodes();
    releaseStrayCopyKeys();
}

void X11Keyboard::followCapsLock()
{
    Display* dpy = m_x.display();
    int opcode = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    int eventBase = 0;
    if (!XkbQueryExtension(dpy, &opcode, &eventBase, &error, &major, &minor))
        return;
    const unsigned int changes = XkbModifierLockMask | XkbModifierBaseMask;
    if (!XkbSelectEventDetails(dpy, XkbUseCoreKbd, XkbStateNotify, changes, changes))
        return;
    XkbStateRec state{};
    if (XkbGetState(dpy, XkbUseCoreKbd, &state) != Success)
        return;
    m_caps.start((state.base_mods & LockMask) != 0, (state.locked_mods & LockMask) != 0);
    m_xkbEventBase = eventBase;
}

void X11Keyboard::setLock(bool on)
{
    XkbLockModifiers(m_x.display(), XkbUseCoreKbd, LockMask, on ? LockMask : 0);
    XFlush(m_x.display());
}

void X11Keyboard::readKeycodes()
{
    Display* dpy = m_x.display();
    m_capsKey = XKeysymToKeycode(dpy, XK_Caps_Lock);
    m_ctrlLeftKey = XKeysymToKeycode(dpy, XK_Control_L);
    m_ctrlRightKey = XKeysymToKeycode(dpy, XK_Control_R);
    m_insertKey = XKeysymToKeycode(dpy, XK_Insert);
}

bool X11Keyboard::handle(XEvent& ev)
{
    if (m_xkbEventBase >= 0 && ev.type == m_xkbEventBase) {
        const auto* xkb = reinterpret_cast<const XkbEvent*>(&ev);
        if (xkb->any.xkb_type == XkbStateNotify) {
            const auto lock = m_caps.onState((xkb->state.base_mods & LockMask) != 0,
                                             (xkb->state.locked_mods & LockMask) != 0);
            if (lock)
                setLock(*lock);
        }
        return true;
    }
    if (ev.type == MappingNotify && ev.xmapping.request != MappingPointer) {
        XRefreshKeyboardMapping(&ev.xmapping);
        readKeycodes();
        return true;
    }
    return false;
}

bool X11Keyboard::capsLockDown()
{
    // One round trip, but the click watcher asks only while the left button is down in the
    // Caps Lock mode, and the alternative (raw events for every key) would have us receive
    // everything the user types.
    char keys[32] = {};
    XQueryKeymap(m_x.display(), keys);
    m_x.afterRoundTrip();
    return keyDown(keys, m_capsKey);
}

void X11Keyboard::undoCapsLockPress()
{
    if (m_xkbEventBase < 0)
        return;
    // A round trip, so that the lock changes made before now have all been seen.
    XkbStateRec state{};
    XkbGetState(m_x.display(), XkbUseCoreKbd, &state);
    m_x.pump();
    if (const auto lock = m_caps.undo())
        setLock(*lock);
}

void X11Keyboard::sendCopyKeystroke()
{
    Display* dpy = m_x.display();
    if (m_insertKey == 0 || m_ctrlLeftKey == 0)
        return;
    char keys[32] = {};
    XQueryKeymap(dpy, keys);
    // A Ctrl the user holds already does the job, and pressing and releasing it ourselves
    // would leave the program thinking the user let go of it.
    const bool pressCtrl = !keyDown(keys, m_ctrlLeftKey) && !keyDown(keys, m_ctrlRightKey);
    if (!m_keysDpy)
        m_keysDpy = XOpenDisplay(DisplayString(dpy));
    // Without a second connection the keys go on ours, held-back releases and all.
    Display* const to = m_keysDpy ? m_keysDpy : dpy;
    if (pressCtrl)
        XTestFakeKeyEvent(to, m_ctrlLeftKey, True, CurrentTime);
    XTestFakeKeyEvent(to, m_insertKey, True, CurrentTime);
    // The releases go to the server with the presses, and the server itself holds them
    // back by kKeyHoldMs: nothing here waits on our event loop, which a slow lookup of the
    // copied word can keep busy long enough for the focused program's key repeat to copy
    // again over the user's restored clipboard. Once flushed, the keys come up even if we
    // are killed the next instant.
    XTestFakeKeyEvent(to, m_insertKey, False, kKeyHoldMs);
    if (pressCtrl)
        XTestFakeKeyEvent(to, m_ctrlLeftKey, False, CurrentTime);
    XFlush(to);
}

// Keys that a program of ours killed before it let go of them (an older version released
// its keystroke from the event loop) stay down on the server's XTest keyboard, and the
// click watcher would take a stuck Ctrl for the user's. At start the XTest keyboard's own
// state is asked: whatever it holds of the two keys we ever press, no physical key holds,
// so it is released through XTest. A physical keyboard is a device of its own and is never
// asked nor touched, so a Ctrl the user really holds stays theirs. (Another XTest client
// in the middle of its own keystroke at this very instant would lose that key: a window
// of microseconds, against a Ctrl stuck until the user happens to press it.)
void X11Keyboard::releaseStrayCopyKeys()
{
    Display* dpy = m_x.display();
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(dpy, XIAllDevices, &count);
    int xtestKeyboard = -1;
    for (int i = 0; devices && i < count; ++i) {
        if (devices[i].use == XISlaveKeyboard && devices[i].name && std::strstr(devices[i].name, "XTEST"))
            xtestKeyboard = devices[i].deviceid;
    }
    if (devices)
        XIFreeDeviceInfo(devices);
    if (xtestKeyboard < 0)
        return;
    XDevice* device = XOpenDevice(dpy, XID(xtestKeyboard));
    if (!device)
        return;
    bool released = false;
    if (XDeviceState* state = XQueryDeviceState(dpy, device)) {
        auto* cls = state->data;
        for (int i = 0; i < state->num_classes; ++i) {
            if (cls->c_class == KeyClass) {
                const auto* keyState = reinterpret_cast<const XKeyState*>(cls);
                for (const KeyCode key : {m_insertKey, m_ctrlLeftKey}) {
                    if (key != 0 && keyDown(keyState->keys, key)) {
                        XTestFakeKeyEvent(dpy, key, False, CurrentTime);
                        released = true;
                    }
                }
            }
            cls = reinterpret_cast<XInputClass*>(reinterpret_cast<char*>(cls) + cls->length);
        }
        XFreeDeviceState(state);
    }
    XCloseDevice(dpy, device);
    if (released)
        std::fprintf(stderr, "zarvik: released Ctrl or Insert left down by a program before us\n");
}

} // namespace zarvik
