#pragma once

#include "platform/ProcFs.h"
#include "platform/WindowsPort.h"

#include <QHash>

#include <chrono>

union _XEvent;

namespace zarvik {

class X11Connection;

// The windows of an X11 desktop: which one is active (from _NET_ACTIVE_WINDOW, re-read only
// after it changed, or from the input focus without a window manager that publishes it), and
// the process and executable behind a window.
class X11Windows final {
public:
    explicit X11Windows(X11Connection& connection);

    // Learns what the server offers and follows the root window's properties. Needs no toolkit.
    void start();
    // Notes a change of the active window or of the window manager; false for an event that
    // is not ours.
    bool handle(const _XEvent& event);

    WindowId foreground();
    void activate(WindowId window);
    QString exeName(WindowId window);
    // The process behind the window; 0 when it cannot be told.
    qint64 process(WindowId window);
    bool compositingManager();

private:
    unsigned long readCardinal(unsigned long window, unsigned long property, unsigned long type, bool* found);
    bool windowManagerPublishesActiveWindow();
    qint64 pidOf(unsigned long window);

    X11Connection& m_x;
    unsigned long m_netActiveWindow = 0;
    unsigned long m_netSupported = 0;
    unsigned long m_netWmPid = 0;
    bool m_ewmhChecked = false;
    bool m_ewmh = false;
    bool m_activeDirty = true;
    unsigned long m_active = 0;
    std::chrono::steady_clock::time_point m_nextFocusPoll{};
    bool m_xres = false;
    QHash<WindowId, QString> m_exeMemo;
    ProcFs m_procFs;
};

} // namespace zarvik
