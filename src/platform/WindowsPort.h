#pragma once

#include <QString>
#include <QtGlobal>

namespace zarvik {

// An X window id (or whatever the platform uses); 0 means "no window".
using WindowId = quint64;

// The desktop's windows and the programs behind them.
class WindowsPort {
public:
    virtual ~WindowsPort() = default;

    // The window that has the user's attention now, 0 when there is none.
    virtual WindowId foregroundWindow() = 0;
    // Gives the keyboard to the window (one of another program); no effect for 0.
    virtual void activateWindow(WindowId window) = 0;
    // Executable file name (no folder) of the process that owns the window, "" when unknown.
    virtual QString windowExeName(WindowId window) = 0;
    // The process of the program that owns the window, 0 when it cannot be told.
    virtual qint64 windowProcess(WindowId) { return 0; }
    // A compositing manager runs on the display (the X server's _NET_WM_CM_S0 has an owner):
    // a window's see-through pixels show what lies under it. Without one they are black, and
    // only a window's shape cuts it to its outline.
    virtual bool compositingManager() { return false; }
};

} // namespace zarvik
