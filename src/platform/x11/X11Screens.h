#pragma once

#include "platform/ScreensPort.h"

#include <QTimer>

#include <functional>

namespace zarvik {

class X11Connection;

// The monitors as the toolkit knows them (in its logical pixels) and the pointer, which the
// server reports in device pixels.
class X11Screens final {
public:
    explicit X11Screens(X11Connection& connection);

    // Runs `changed` from the event loop after monitors came, went or changed: the toolkit
    // reports one change as several signals, told as one. On the interface thread.
    void watchMonitors(std::function<void()> changed);

    QPoint cursorPos();
    // The pointer is over a window of ours to see (an X11 window); XWayland follows the
    // pointer only over its own windows.
    bool pointerOverX11Window();
    QSize screenSize();
    QRect geometryAt(QPoint pixels);
    QList<Monitor> monitors();

private:
    struct Pointer {
        bool sameScreen = false; // on the screen of our root window
        bool overChild = false;  // over one of its windows
        QPoint device;           // in device pixels of the root
    };
    Pointer queryPointer();

    X11Connection& m_x;
    QTimer m_settle;
    std::function<void()> m_changed;
};

} // namespace zarvik
