#include "platform/x11/X11Windows.h"

#include "platform/x11/X11Atoms.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Process.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace zarvik {

namespace {
// Names memoized at most; beyond that the memo starts afresh.
constexpr int kExeMemoLimit = 32;
// Without a window manager that publishes the active window, the input focus is asked at
// most this often, so an idle tick still sends nothing most of the time.
constexpr auto kFocusPollInterval = std::chrono::milliseconds(50);
} // namespace

X11Windows::X11Windows(X11Connection& connection) : m_x(connection) {}

void X11Windows::start()
{
    Display* dpy = m_x.display();
    const auto atoms = internAtoms<3>(dpy, {"_NET_ACTIVE_WINDOW", "_NET_SUPPORTED", "_NET_WM_PID"});
    m_netActiveWindow = atoms[0];
    m_netSupported = atoms[1];
    m_netWmPid = atoms[2];
    m_xres = x11HasClientIds(dpy);
    XSelectInput(dpy, m_x.root(), PropertyChangeMask);
}

bool X11Windows::handle(const XEvent& ev)
{
    if (ev.type != PropertyNotify || ev.xproperty.window != m_x.root())
        return false;
    if (ev.xproperty.atom == m_netActiveWindow)
        m_activeDirty = true;
    else if (ev.xproperty.atom == m_netSupported)
        m_ewmhChecked = false; // a window manager came or went
    return true;
}

// A WINDOW or CARDINAL property holding one 32-bit item; `found` false when absent.
unsigned long X11Windows::readCardinal(Window window, Atom property, Atom type, bool* found)
{
    Atom actualType = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    unsigned long value = 0;
    *found = false;
    if (XGetWindowProperty(m_x.display(), window, property, 0, 1, False, type, &actualType, &format, &items, &after,
                           &data)
            == Success
        && data) {
        if (actualType == type && format == 32 && items == 1) {
            value = reinterpret_cast<unsigned long*>(data)[0]; // Xlib hands 32-bit items as longs
            *found = true;
        }
        XFree(data);
    }
    return value;
}

bool X11Windows::windowManagerPublishesActiveWindow()
{
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    bool listed = false;
    if (XGetWindowProperty(m_x.display(), m_x.root(), m_netSupported, 0, 4096, False, XA_ATOM, &type, &format, &items,
                           &after, &data)
            == Success
        && data) {
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < items && !listed; ++i)
            listed = atoms[i] == m_netActiveWindow;
        XFree(data);
    }
    return listed;
}

WindowId X11Windows::foreground()
{
    m_x.pumpForQuery();
    if (!m_ewmhChecked) {
        m_ewmh = windowManagerPublishesActiveWindow();
        m_ewmhChecked = true;
        m_activeDirty = true;
    }
    Window now = m_active;
    if (m_ewmh && m_activeDirty) {
        bool found = false;
        const unsigned long value = readCardinal(m_x.root(), m_netActiveWindow, XA_WINDOW, &found);
        // Managers remove the property while no window has the focus (openbox does, with
        // only unmanaged windows on the screen); that is "no active window", and the
        // property's next change says when there is one again. Falling back to polling
        // the focus here would cost a round trip on every idle tick from then on.
        now = found ? Window(value) : 0;
        m_activeDirty = false;
    }
    if (!m_ewmh) {
        const auto clock = std::chrono::steady_clock::now();
        if (clock >= m_nextFocusPoll) {
            m_nextFocusPoll = clock + kFocusPollInterval;
            Window focus = 0;
            int revert = 0;
            XGetInputFocus(m_x.display(), &focus, &revert);
            // None and PointerRoot name no window of a program.
            now = focus == PointerRoot ? 0 : focus;
        }
    }
    if (now != m_active) {
        m_active = now;
        // The names of windows that have lost the focus may be stale by the time they
        // come back (the id may even be reused); the memo serves one stretch of focus.
        m_exeMemo.clear();
    }
    return m_active;
}

void X11Windows::activate(WindowId window)
{
    if (window == 0)
        return;
    foreground(); // learns whether the window manager keeps the active window
    Display* dpy = m_x.display();
    if (m_ewmh) {
        // Asked of the window manager, as a pager would (source 2), so that its focus-stealing
        // prevention lets the user's own window have the keyboard back.
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = Window(window);
        event.xclient.message_type = m_netActiveWindow;
        event.xclient.format = 32;
        event.xclient.data.l[0] = 2;
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(dpy, m_x.root(), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    } else {
        XSetInputFocus(dpy, Window(window), RevertToPointerRoot, CurrentTime);
    }
    XFlush(dpy);
}

qint64 X11Windows::pidOf(Window window)
{
    if (m_xres) {
        if (const qint64 pid = x11ClientProcess(m_x.display(), window))
            return pid;
    }
    // Remote or sandboxed clients have no pid the server knows; trust the window's word.
    bool found = false;
    const unsigned long pid = readCardinal(window, m_netWmPid, XA_CARDINAL, &found);
    return found ? qint64(pid) : -1;
}

QString X11Windows::exeName(WindowId window)
{
    if (window == 0)
        return QString();
    m_x.pumpForQuery();
    const auto memo = m_exeMemo.constFind(window);
    if (memo != m_exeMemo.cend())
        return *memo;
    const QString name = m_procFs.exeName(pidOf(Window(window)));
    if (m_exeMemo.size() >= kExeMemoLimit)
        m_exeMemo.clear();
    m_exeMemo.insert(window, name);
    return name;
}

qint64 X11Windows::process(WindowId window)
{
    if (window == 0)
        return 0;
    const qint64 pid = pidOf(Window(window));
    return pid > 0 ? pid : 0;
}

bool X11Windows::compositingManager()
{
    // Asked when a window is made; a manager started later is not followed.
    Display* dpy = m_x.display();
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(dpy));
    const Atom selection = XInternAtom(dpy, name.constData(), False);
    return XGetSelectionOwner(dpy, selection) != None;
}

} // namespace zarvik
