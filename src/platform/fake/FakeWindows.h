#pragma once

#include "platform/WindowsPort.h"

#include <QHash>
#include <QList>

namespace zarvik {

// The fake platform's windows: which has the focus, and the program behind each.
class FakeWindows : public virtual WindowsPort {
public:
    void setForegroundWindow(WindowId window) { m_foreground = window; }
    void setWindowExeName(WindowId window, const QString& name) { m_exeNames[window] = name; }
    // The process behind a window (windowProcess()).
    void setWindowProcess(WindowId window, qint64 process) { m_processes[window] = process; }
    // Whether a compositing manager runs (none by default, as on a bare X server).
    void setCompositingManager(bool running) { m_compositing = running; }

    const QList<WindowId>& activatedWindows() const { return m_activated; }
    int exeNameLookups() const { return m_exeLookups; }

    WindowId foregroundWindow() override { return m_foreground; }
    void activateWindow(WindowId window) override
    {
        m_activated.append(window);
        if (window != 0)
            m_foreground = window;
    }
    QString windowExeName(WindowId window) override
    {
        ++m_exeLookups;
        return m_exeNames.value(window);
    }
    qint64 windowProcess(WindowId window) override { return m_processes.value(window); }
    bool compositingManager() override { return m_compositing; }

private:
    WindowId m_foreground = 0;
    QHash<WindowId, QString> m_exeNames;
    QHash<WindowId, qint64> m_processes;
    QList<WindowId> m_activated;
    int m_exeLookups = 0;
    bool m_compositing = false;
};

} // namespace zarvik
