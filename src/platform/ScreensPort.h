#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <functional>

namespace zarvik {

// One monitor of the desktop, in the toolkit's logical pixels (what a window is moved in).
struct Monitor {
    QRect geometry;
    bool primary = false;

    friend bool operator==(const Monitor&, const Monitor&) = default;
};

// The monitors and the pointer on them.
class ScreensPort {
public:
    virtual ~ScreensPort() = default;

    // Pointer position in the toolkit's logical pixels (each monitor's scale factor applied),
    // the coordinates windows are moved in.
    virtual QPoint cursorPos() = 0;
    // cursorPos() is where the pointer is now. False while the pointer is over a window of a
    // program the platform cannot see, where it is not told where the pointer is.
    virtual bool cursorPosKnown() { return true; }
    // Size of the primary monitor in logical pixels.
    virtual QSize screenSize() = 0;
    // The monitor (logical pixels) that holds the point; the nearest one when none does.
    virtual QRect screenGeometryAt(QPoint pixels) = 0;
    // The monitors of the moment, in logical pixels, the primary one flagged. Never empty.
    virtual QList<Monitor> monitors() { return {Monitor{QRect(QPoint(0, 0), screenSize()), true}}; }
    // Runs on the interface thread, from the event loop, after monitors came, went or changed
    // size or place (a laptop docked or undocked).
    void setMonitorsChangedHandler(std::function<void()> handler) { m_monitorsChanged = std::move(handler); }

protected:
    void notifyMonitorsChanged() const
    {
        if (m_monitorsChanged)
            m_monitorsChanged();
    }

private:
    std::function<void()> m_monitorsChanged;
};

} // namespace zarvik
