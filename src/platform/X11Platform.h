#pragma once

#include "platform/Platform.h"
#include "platform/SessionServices.h"

#include <memory>

namespace zarvik {

class WaylandSelections;

// The platform of an X11 desktop. It keeps its own connection to the display (the windows
// themselves go through Qt's xcb platform) and answers the per-tick queries from state kept
// up to date by X events, so a timer tick with nothing happening sends nothing to the server.
// Needs a QGuiApplication (clipboard writes, screen size, double-click time).
// SessionServices is its SessionPort.
class X11Platform final : public Platform, public SessionServices {
public:
    // Connects to $DISPLAY; nullptr with the reason in `error` when that fails. The
    // registry-like store lives in `registryPath`.
    static std::unique_ptr<X11Platform> create(const QString& registryPath, QString* error);
    // The same in two halves. What needs no toolkit (our connections to the server and what
    // they ask of it) starts on a second thread before the toolkit's application object
    // exists, while the toolkit connects too; create() then waits for it and finishes on the
    // interface thread. A connection that is never finished is closed by its destructor.
    struct Connecting;
    struct ConnectingEnd {
        void operator()(Connecting* connecting) const;
    };
    using ConnectingPtr = std::unique_ptr<Connecting, ConnectingEnd>;
    static ConnectingPtr connectAhead(const QString& registryPath);
    static std::unique_ptr<X11Platform> create(ConnectingPtr connecting, QString* error);
    ~X11Platform() override;

    WindowId foregroundWindow() override;
    void activateWindow(WindowId window) override;
    QString windowExeName(WindowId window) override;
    bool leftButtonDown() override;
    bool capsLockDown() override;
    QPoint cursorPos() override;
    int doubleClickTime() override;
    void sendCopyKeystroke() override;
    QString clipboardText() override;
    void writeClipboardText(const QString& text) override;
    QSize screenSize() override;
    void forgetButtonChanges() override;
    quint64 clipboardOwnerChanges() override;
    QRect screenGeometryAt(QPoint pixels) override;
    QList<Monitor> monitors() override;
    void saveClipboard() override;
    ClipboardSave clipboardSaveState() override;
    void restoreClipboard(const QString& text) override;
    void copyPrimarySelection() override;
    std::optional<quint64> primarySelectionChanges() override;
    bool compositingManager() override;
    QString nativeClipboardAtStart() override;
    bool reportsLeftButtonPresses() override;
    bool reportsClipboardOwnerChanges() override;
    bool leftButtonHeld() override;
    qint64 windowProcess(WindowId window) override;
    qint64 clipboardTextProcess() override;
    void undoCapsLockPress() override;
    NativeSelections nativeSelections() override;
    bool cursorPosKnown() override;

    // For a Wayland session, where the display is XWayland: also watches what native Wayland
    // programs copy and select, through the compositor's data-control protocol. False, with
    // the reason in `error`, when that cannot be done; nativeSelections() then says so.
    bool watchWaylandSelections(QString* error);

    // Diagnostics for tests and benchmarks: requests sent on our own connection so far.
    quint64 requestsSent() const;
    // Whether the left button comes from raw input events (else it is asked every time).
    bool tracksButtonByEvents() const;

private:
    struct Impl;
    X11Platform(std::unique_ptr<Impl> impl, const QString& registryPath);
    std::unique_ptr<Impl> d;
    NativeSelections m_native = NativeSelections::AllSeen;
    std::unique_ptr<WaylandSelections> m_wayland;
};

} // namespace zarvik
