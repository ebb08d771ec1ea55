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
//
// One part per concern does the work (x11/X11Windows, X11Buttons and X11Keyboard, X11Screens,
// X11Clipboard) on one connection (x11/X11Connection) that hands each event to the part it
// concerns; this class puts them together, with SessionServices as its SessionPort.
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
    // At the end, the clipboard we hold is handed over (see x11/X11ExitHandOver.h for how long
    // that may take).
    ~X11Platform() override;

    // WindowsPort
    WindowId foregroundWindow() override;
    void activateWindow(WindowId window) override;
    QString windowExeName(WindowId window) override;
    qint64 windowProcess(WindowId window) override;
    bool compositingManager() override;
    // InputPort
    bool leftButtonDown() override;
    void forgetButtonChanges() override;
    bool leftButtonHeld() override;
    bool reportsLeftButtonPresses() override;
    int doubleClickTime() override;
    bool capsLockDown() override;
    void undoCapsLockPress() override;
    void sendCopyKeystroke() override;
    // ScreensPort
    QPoint cursorPos() override;
    bool cursorPosKnown() override;
    QSize screenSize() override;
    QRect screenGeometryAt(QPoint pixels) override;
    QList<Monitor> monitors() override;
    // ClipboardPort
    QString clipboardText() override;
    void writeClipboardText(const QString& text) override;
    quint64 clipboardOwnerChanges() override;
    qint64 clipboardTextProcess() override;
    bool reportsClipboardOwnerChanges() override;
    void saveClipboard() override;
    ClipboardSave clipboardSaveState() override;
    void restoreClipboard(const QString& text) override;
    void copyPrimarySelection() override;
    std::optional<quint64> primarySelectionChanges() override;
    NativeSelections nativeSelections() override;
    QString nativeClipboardAtStart() override;

    // For a Wayland session, where the display is XWayland: also watches what native Wayland
    // programs copy and select, through the compositor's data-control protocol. False, with
    // the reason in `error`, when that cannot be done; nativeSelections() then says so.
    bool watchWaylandSelections(QString* error);

    // Diagnostics for tests and benchmarks: requests sent on our own connection so far.
    quint64 requestsSent() const;
    // Whether the left button comes from raw input events (else it is asked every time).
    bool tracksButtonByEvents() const;

private:
    struct Parts;
    X11Platform(std::unique_ptr<Parts> parts, const QString& registryPath);
    std::unique_ptr<Parts> d;
    NativeSelections m_native = NativeSelections::AllSeen;
    std::unique_ptr<WaylandSelections> m_wayland;
};

} // namespace zarvik
