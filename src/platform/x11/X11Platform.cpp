#include "platform/X11Platform.h"

#include "platform/WaylandSelections.h"
#include "platform/x11/X11PlatformParts.h"

#include <QGuiApplication>
#include <QStyleHints>

namespace zarvik {

X11Platform::X11Platform(std::unique_ptr<Parts> parts, const QString& registryPath)
    : SessionServices(registryPath), d(std::move(parts))
{
    d->buttons.setPressHandler([this] { notifyLeftButtonPressed(); });
    d->screens.watchMonitors([this] { notifyMonitorsChanged(); });
    // The watcher's thread publishes the text fetched after an owner change; the report is
    // handed to the interface thread's event loop, which the posted call wakes.
    QObject* context = d->connection.context();
    d->clipboard.setPublishListener([this, context] {
        QMetaObject::invokeMethod(context, [this] { notifyClipboardOwnerChanged(); }, Qt::QueuedConnection);
    });
}

X11Platform::~X11Platform()
{
    // Its reader thread ends here; reports already posted die with their context.
    m_wayland.reset();
    // Waits for a report under way on the watcher's thread; reports already posted die with
    // their context, the connection's socket notifier.
    d->clipboard.setPublishListener({});
    d->buttons.setPressHandler(nullptr);
}

bool X11Platform::watchWaylandSelections(QString* error)
{
    QObject* context = d->connection.context();
    m_wayland = WaylandSelections::watch(
        [this, context](SelectionKind kind, const QString& text) {
            QMetaObject::invokeMethod(
                context, [this, kind, text] { notifyNativeSelection(kind, text); }, Qt::QueuedConnection);
        },
        error);
    m_native = m_wayland ? NativeSelections::Watched : NativeSelections::Unavailable;
    return m_wayland != nullptr;
}

// --- windows ---

WindowId X11Platform::foregroundWindow()
{
    const WindowId window = d->windows.foreground();
    d->connection.afterRoundTrip();
    return window;
}

void X11Platform::activateWindow(WindowId window)
{
    d->windows.activate(window);
}

QString X11Platform::windowExeName(WindowId window)
{
    const QString name = d->windows.exeName(window);
    d->connection.afterRoundTrip();
    return name;
}

qint64 X11Platform::windowProcess(WindowId window)
{
    const qint64 pid = d->windows.process(window);
    if (window != 0)
        d->connection.afterRoundTrip();
    return pid;
}

bool X11Platform::compositingManager()
{
    const bool owned = d->windows.compositingManager();
    d->connection.afterRoundTrip();
    return owned;
}

// --- input ---

bool X11Platform::leftButtonDown()
{
    return d->buttons.leftButtonDown();
}

void X11Platform::forgetButtonChanges()
{
    d->buttons.forgetChanges();
}

bool X11Platform::leftButtonHeld()
{
    return d->buttons.held();
}

bool X11Platform::reportsLeftButtonPresses()
{
    // Without raw events the button is asked on every poll and nothing reports a press.
    return d->buttons.byEvents();
}

int X11Platform::doubleClickTime()
{
    return QGuiApplication::styleHints()->mouseDoubleClickInterval();
}

bool X11Platform::capsLockDown()
{
    return d->keyboard.capsLockDown();
}

void X11Platform::undoCapsLockPress()
{
    d->keyboard.undoCapsLockPress();
}

void X11Platform::sendCopyKeystroke()
{
    d->keyboard.sendCopyKeystroke();
    d->connection.afterRoundTrip();
}

// --- screens ---

QPoint X11Platform::cursorPos()
{
    return d->screens.cursorPos();
}

bool X11Platform::cursorPosKnown()
{
    return m_native == NativeSelections::AllSeen || d->screens.pointerOverX11Window();
}

QSize X11Platform::screenSize()
{
    return d->screens.screenSize();
}

QRect X11Platform::screenGeometryAt(QPoint pixels)
{
    return d->screens.geometryAt(pixels);
}

QList<Monitor> X11Platform::monitors()
{
    return d->screens.monitors();
}

// --- clipboard ---

QString X11Platform::clipboardText()
{
    return d->clipboard.text();
}

void X11Platform::writeClipboardText(const QString& text)
{
    d->clipboard.write(text);
}

quint64 X11Platform::clipboardOwnerChanges()
{
    return d->clipboard.ownerChanges();
}

qint64 X11Platform::clipboardTextProcess()
{
    return d->clipboard.textProcess();
}

bool X11Platform::reportsClipboardOwnerChanges()
{
    // The watcher follows the owner through XFixes, without which the platform does not start.
    return true;
}

void X11Platform::saveClipboard()
{
    d->clipboard.save();
}

ClipboardSave X11Platform::clipboardSaveState()
{
    return d->clipboard.saveState();
}

void X11Platform::restoreClipboard(const QString& text)
{
    d->clipboard.restore(text);
}

void X11Platform::copyPrimarySelection()
{
    d->clipboard.copyPrimary();
}

std::optional<quint64> X11Platform::primarySelectionChanges()
{
    return d->clipboard.primaryChanges();
}

NativeSelections X11Platform::nativeSelections()
{
    return m_native;
}

QString X11Platform::nativeClipboardAtStart()
{
    return m_wayland ? m_wayland->clipboardAtStart() : QString();
}

// --- diagnostics ---

quint64 X11Platform::requestsSent() const
{
    return d->connection.requestsSent();
}

bool X11Platform::tracksButtonByEvents() const
{
    return d->buttons.byEvents();
}

} // namespace zarvik
