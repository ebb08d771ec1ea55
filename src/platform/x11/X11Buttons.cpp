#include "platform/x11/X11Buttons.h"

#include "platform/x11/X11Connection.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace zarvik {

X11Buttons::X11Buttons(X11Connection& connection) : m_x(connection) {}

void X11Buttons::start()
{
    readPointerMap();
    selectRawButtons();
    resync();
}

void X11Buttons::readPointerMap()
{
    m_pointerMapLength = XGetPointerMapping(m_x.display(), m_pointerMap, int(sizeof m_pointerMap));
}

void X11Buttons::selectRawButtons()
{
    Display* dpy = m_x.display();
    int event = 0, err = 0;
    if (!XQueryExtension(dpy, "XInputExtension", &m_xiOpcode, &event, &err))
        return;
    // Raw events reach the root window whoever grabs the pointer only from XI 2.1 on.
    int major = 2, minor = 2;
    if (XIQueryVersion(dpy, &major, &minor) != Success || (major == 2 && minor < 1))
        return;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawButtonPress);
    XISetMask(bits, XI_RawButtonRelease);
    XIEventMask mask;
    mask.deviceid = XIAllMasterDevices;
    mask.mask_len = sizeof bits;
    mask.mask = bits;
    m_rawEvents = XISelectEvents(dpy, m_x.root(), &mask, 1) == Success;
}

// Raw events carry the physical button; the user's "left" button is logical button 1
// (the one that selects text), which a left-handed mapping puts elsewhere.
int X11Buttons::logicalButton(int physical) const
{
    if (physical >= 1 && physical <= m_pointerMapLength)
        return m_pointerMap[physical - 1];
    return physical;
}

void X11Buttons::resync()
{
    Window rootReturn = 0, child = 0;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned int mask = 0;
    XQueryPointer(m_x.display(), m_x.root(), &rootReturn, &child, &rx, &ry, &wx, &wy, &mask);
    m_button.reset((mask & Button1Mask) != 0);
}

bool X11Buttons::handle(XEvent& ev)
{
    if (ev.type == MappingNotify && ev.xmapping.request == MappingPointer) {
        readPointerMap();
        return true;
    }
    if (ev.type != GenericEvent || ev.xcookie.extension != m_xiOpcode)
        return false;
    if (XGetEventData(m_x.display(), &ev.xcookie)) {
        const auto* raw = static_cast<const XIRawEvent*>(ev.xcookie.data);
        bool leftPressed = false;
        if (logicalButton(raw->detail) == 1) {
            if (ev.xcookie.evtype == XI_RawButtonPress) {
                m_button.press();
                leftPressed = true;
            } else if (ev.xcookie.evtype == XI_RawButtonRelease) {
                m_button.release();
            }
        }
        XFreeEventData(m_x.display(), &ev.xcookie);
        // The socket notifier brings this here as soon as the server sends it, so a
        // program whose poll sleeps is woken by the press itself.
        if (leftPressed && m_pressed)
            m_pressed();
    }
    return true;
}

bool X11Buttons::leftButtonDown()
{
    if (!m_rawEvents) {
        resync();
        m_x.afterRoundTrip();
        return m_button.poll();
    }
    m_x.pumpForQuery();
    return m_button.poll();
}

void X11Buttons::forgetChanges()
{
    m_x.pumpForQuery();
    m_button.reset(m_button.physical());
}

} // namespace zarvik
