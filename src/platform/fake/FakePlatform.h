#pragma once

#include "platform/ButtonEdgeQueue.h"
#include "platform/Platform.h"

#include <QHash>
#include <QStringList>
#include <functional>

namespace zarvik {

// Platform for logic tests. Scripting is done through the set*/advance* calls, and every
// output is recorded so that a test can assert what the logic did to the desktop.
class FakePlatform final : public Platform {
public:
    FakePlatform() = default;

    // --- scripting ---
    void setForegroundWindow(WindowId window) { m_foreground = window; }
    void setWindowExeName(WindowId window, const QString& name) { m_exeNames[window] = name; }
    void setLeftButtonDown(bool down) { m_button.reset(down); }
    // A whole click made between two polls: queued as the real platform queues it, so polls
    // report it one change at a time.
    void queueClick()
    {
        m_button.press();
        m_button.release();
    }
    void setCapsLockDown(bool down) { m_capsDown = down; }
    void setPointer(QPoint pixels) { m_pointer = pixels; }
    void setDoubleClickTime(int ms) { m_doubleClickTime = ms; }
    // Changes the clipboard as another program would (not recorded as a write of ours); a
    // copy always makes a new owner, even of the same text.
    void setClipboardText(const QString& text, qint64 process = 0)
    {
        m_clipboard = text;
        m_clipboardProcess = process;
        ++m_ownerChanges;
    }
    // The process behind a window (windowProcess()).
    void setWindowProcess(WindowId window, qint64 process) { m_processes[window] = process; }
    // What the user has selected (the PRIMARY selection).
    // Each call is a new selection (primarySelectionChanges() counts it).
    void setPrimaryText(const QString& text)
    {
        m_primary = text;
        ++m_primaryChanges;
    }
    // What the native programs' clipboard held when the watch began.
    void setNativeClipboardAtStart(const QString& text) { m_nativeAtStart = text; }
    // Whether a compositing manager runs (none by default, as on a bare X server).
    void setCompositingManager(bool running) { m_compositing = running; }
    // Whether primarySelectionChanges() answers (off by default: it cannot tell).
    void setReportsPrimaryChanges(bool on) { m_reportsPrimaryChanges = on; }
    // What saveClipboard() comes to, after that many event dispatches of Pending.
    void setClipboardSaveResult(ClipboardSave result, int pendingDispatches = 0)
    {
        m_saveResult = result;
        m_savePendingDispatches = pendingDispatches;
    }
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
    // A press of the left button as the desktop reports it: the button goes down and the
    // press handler runs (setLeftButtonDown changes the state without a report).
    void pressLeftButton()
    {
        m_button.press();
        notifyLeftButtonPressed();
    }
    // Another program copies `text` and the owner-change handler runs, as it does once the
    // desktop's clipboard has caught up with a new owner.
    void copyByAnotherProgram(const QString& text, qint64 process = 0)
    {
        m_clipboard = text;
        m_clipboardProcess = process;
        ++m_ownerChanges;
        notifyClipboardOwnerChanged();
    }
    // Whether native programs of a Wayland session are watched (AllSeen: an X11 desktop).
    void setNativeSelections(NativeSelections state) { m_native = state; }
    // A native program changes the clipboard or the primary selection, as reported.
    void selectNatively(SelectionKind kind, const QString& text) { notifyNativeSelection(kind, text); }
    // Whether the pointer is over a window the platform sees (true by default, as on X11).
    void setCursorPosKnown(bool known) { m_cursorKnown = known; }
    // Whether presses and clipboard owner changes are reported (both are by default, as on X11).
    void setReportsWakeups(bool on) { m_reportsWakeups = on; }
    void setInternetConnected(bool online) { m_online = online; }
    void setScreenSize(QSize pixels) { m_screen = pixels; }
    void advanceClock(double seconds) { m_clock += seconds; }
    // Seconds that each processEvents() call lets pass (so waits end in tests).
    void setSecondsPerEventDispatch(double seconds) { m_secondsPerDispatch = seconds; }
    // Runs inside sendCopyKeystroke(), e.g. to put the "selection" on the clipboard.
    void onCopyKeystroke(std::function<void()> action) { m_onCopy = std::move(action); }
    // Runs inside every processEvents(), e.g. to fire another timer during a wait.
    void onProcessEvents(std::function<void()> action) { m_onDispatch = std::move(action); }
    void setRegistryValue(const QString& subkey, const QString& valueName, const QString& value);
    // Also logs every clipboard read as "clipboard-read" (off by default).
    void setLogClipboardReads(bool on) { m_logClipboardReads = on; }
    // Appends a line to the log, so that a test double's calls show among the platform's.
    void note(const QString& line) { m_log.append(line); }
    // Current value of the registry-like store ("" when missing), without logging a read.
    QString registryValue(const QString& subkey, const QString& valueName) const;

    // --- recording ---
    struct RegistryWrite {
        QString subkey, valueName, value;
    };
    int sentKeys() const { return m_sentKeys; }
    const QStringList& clipboardWrites() const { return m_clipboardWrites; }
    const QList<RegistryWrite>& registryWrites() const { return m_registryWrites; }
    const QStringList& openedDocuments() const { return m_opened; }
    int eventDispatches() const { return m_dispatches; }
    // Ordered log of the outputs and reads that matter for ordering checks.
    const QStringList& log() const { return m_log; }
    void clearLog() { m_log.clear(); }

    // --- Platform ---
    WindowId foregroundWindow() override { return m_foreground; }
    void activateWindow(WindowId window) override
    {
        m_activated.append(window);
        if (window != 0)
            m_foreground = window;
    }
    const QList<WindowId>& activatedWindows() const { return m_activated; }
    QString windowExeName(WindowId window) override;
    bool leftButtonDown() override { return m_button.poll(); }
    bool capsLockDown() override { return m_capsDown; }
    QPoint cursorPos() override;
    int doubleClickTime() override { return m_doubleClickTime; }
    void sendCopyKeystroke() override;
    QString clipboardText() override;
    void writeClipboardText(const QString& text) override;
    QString readRegString(const QString& subkey, const QString& valueName) override;
    void writeRegString(const QString& subkey, const QString& valueName, const QString& value) override;
    bool internetConnected() override { return m_online; }
    void openDocument(const QString& pathOrUrl) override;
    double clockSeconds() override { return m_clock; }
    void processEvents() override;
    QSize screenSize() override { return m_screen; }
    void forgetButtonChanges() override { m_button.reset(m_button.physical()); }
    quint64 clipboardOwnerChanges() override { return m_ownerChanges; }
    QRect screenGeometryAt(QPoint pixels) override;
    QList<Monitor> monitors() override;
    void saveClipboard() override;
    ClipboardSave clipboardSaveState() override;
    void restoreClipboard(const QString& text) override;
    void copyPrimarySelection() override;
    bool compositingManager() override { return m_compositing; }
    QString nativeClipboardAtStart() override { return m_nativeAtStart; }
    std::optional<quint64> primarySelectionChanges() override
    {
        return m_reportsPrimaryChanges ? std::optional<quint64>(m_primaryChanges) : std::nullopt;
    }
    bool reportsLeftButtonPresses() override { return m_reportsWakeups; }
    bool reportsClipboardOwnerChanges() override { return m_reportsWakeups; }
    bool leftButtonHeld() override { return m_button.physical(); }
    NativeSelections nativeSelections() override { return m_native; }
    bool cursorPosKnown() override { return m_cursorKnown; }

    qint64 windowProcess(WindowId window) override { return m_processes.value(window); }
    qint64 clipboardTextProcess() override { return m_clipboardProcess; }
    void undoCapsLockPress() override;

    int exeNameLookups() const { return m_exeLookups; }
    // What the latest save read (the clipboard's text when the save completed).
    const QString& savedClipboard() const { return m_saved; }

private:
    WindowId m_foreground = 0;
    QHash<WindowId, QString> m_exeNames;
    ButtonEdgeQueue m_button;
    bool m_capsDown = false;
    QPoint m_pointer{100, 100};
    int m_doubleClickTime = 400;
    QString m_clipboard;
    bool m_online = false;
    QSize m_screen{1024, 768};
    double m_clock = 1000.0;
    double m_secondsPerDispatch = 0.01;
    std::function<void()> m_onCopy;
    std::function<void()> m_onDispatch;
    QHash<QString, QString> m_registry;
    int m_sentKeys = 0;
    QStringList m_clipboardWrites;
    QList<RegistryWrite> m_registryWrites;
    QStringList m_opened;
    QStringList m_log;
    int m_dispatches = 0;
    QList<WindowId> m_activated;
    int m_exeLookups = 0;
    bool m_logClipboardReads = false;
    quint64 m_ownerChanges = 0;
    QString m_primary;
    quint64 m_primaryChanges = 0;
    bool m_reportsPrimaryChanges = false;
    bool m_compositing = false;
    QString m_nativeAtStart;
    QList<QRect> m_monitors;
    int m_primaryMonitor = 0;
    ClipboardSave m_saveResult = ClipboardSave::Saved;
    ClipboardSave m_saveState = ClipboardSave::Idle;
    int m_savePendingDispatches = 0;
    int m_saveReadyAt = 0;
    bool m_reportsWakeups = true;
    qint64 m_clipboardProcess = 0;
    QHash<WindowId, qint64> m_processes;
    QString m_saved;
    NativeSelections m_native = NativeSelections::AllSeen;
    bool m_cursorKnown = true;
};

} // namespace zarvik
