#include "platform/x11/X11Screens.h"

#include "platform/Monitors.h"
#include "platform/x11/X11Connection.h"

#include <QGuiApplication>
#include <QScreen>

#include <X11/Xlib.h>

namespace zarvik {

X11Screens::X11Screens(X11Connection& connection) : m_x(connection)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(0);
}

void X11Screens::watchMonitors(std::function<void()> changed)
{
    m_changed = std::move(changed);
    QObject::connect(&m_settle, &QTimer::timeout, &m_settle, [this] {
        if (m_changed)
            m_changed();
    });
    QTimer* settle = &m_settle;
    const auto watch = [settle](QScreen* screen) {
        QObject::connect(screen, &QScreen::geometryChanged, settle, qOverload<>(&QTimer::start));
    };
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    auto* app = qGuiApp;
    QObject::connect(app, &QGuiApplication::screenAdded, settle, [settle, watch](QScreen* screen) {
        watch(screen);
        settle->start();
    });
    QObject::connect(app, &QGuiApplication::screenRemoved, settle, qOverload<>(&QTimer::start));
    QObject::connect(app, &QGuiApplication::primaryScreenChanged, settle, qOverload<>(&QTimer::start));
}

X11Screens::Pointer X11Screens::queryPointer()
{
    Window rootReturn = 0, child = 0;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned int mask = 0;
    Pointer pointer;
    pointer.sameScreen = XQueryPointer(m_x.display(), m_x.root(), &rootReturn, &child, &rx, &ry, &wx, &wy, &mask);
    pointer.overChild = child != 0;
    pointer.device = QPoint(rx, ry);
    m_x.afterRoundTrip();
    return pointer;
}

bool X11Screens::pointerOverX11Window()
{
    // Over a native window XWayland reports the root alone, with the position where the
    // pointer left the last X11 window.
    const Pointer pointer = queryPointer();
    return pointer.sameScreen && pointer.overChild;
}

QPoint X11Screens::cursorPos()
{
    const Pointer pointer = queryPointer();
    if (!pointer.sameScreen) {
        // On another X screen than ours: the middle of the primary monitor stands in for it.
        return Monitors::primary(monitors()).geometry.center();
    }
    // The server speaks device pixels; windows are moved in the toolkit's logical ones, which
    // differ by each monitor's scale factor.
    QList<Monitors::Scaled> scaled;
    for (const QScreen* screen : QGuiApplication::screens())
        scaled.append({screen->geometry(), screen->devicePixelRatio()});
    return Monitors::toLogical(pointer.device, scaled);
}

QSize X11Screens::screenSize()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->geometry().size();
    Display* dpy = m_x.display();
    return {DisplayWidth(dpy, DefaultScreen(dpy)), DisplayHeight(dpy, DefaultScreen(dpy))};
}

QRect X11Screens::geometryAt(QPoint pixels)
{
    return Monitors::at(monitors(), pixels).geometry;
}

QList<Monitor> X11Screens::monitors()
{
    QList<Monitor> list;
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (const QScreen* screen : QGuiApplication::screens())
        list.append({screen->geometry(), screen == primary});
    if (list.isEmpty())
        list.append({QRect(QPoint(0, 0), screenSize()), true});
    return list;
}

} // namespace zarvik
