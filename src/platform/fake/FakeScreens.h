#pragma once

#include "platform/ScreensPort.h"
#include "platform/fake/FakeLog.h"

namespace zarvik {

// The fake platform's monitors and pointer.
class FakeScreens : public virtual ScreensPort, public virtual FakeLog {
public:
    void setPointer(QPoint pixels) { m_pointer = pixels; }
    // Whether the pointer is over a window the platform sees (true by default, as on X11).
    void setCursorPosKnown(bool known) { m_cursorKnown = known; }
    void setScreenSize(QSize pixels) { m_screen = pixels; }
    // The monitors in logical pixels, the first one primary; none set means one monitor of
    // screenSize(). Each call runs the monitors-changed handler, as a docking would.
    void setMonitors(const QList<QRect>& monitors)
    {
        m_monitors = monitors;
        m_primaryMonitor = 0;
        notifyMonitorsChanged();
    }
    // Makes the monitor at `index` of the list primary (the others not).
    void setPrimaryMonitor(int index)
    {
        m_primaryMonitor = index;
        notifyMonitorsChanged();
    }

    QPoint cursorPos() override
    {
        m_log.append(QStringLiteral("cursor"));
        return m_pointer;
    }
    bool cursorPosKnown() override { return m_cursorKnown; }
    QSize screenSize() override { return m_screen; }
    QRect screenGeometryAt(QPoint pixels) override;
    QList<Monitor> monitors() override;

private:
    QPoint m_pointer{100, 100};
    bool m_cursorKnown = true;
    QSize m_screen{1024, 768};
    QList<QRect> m_monitors;
    int m_primaryMonitor = 0;
};

} // namespace zarvik
