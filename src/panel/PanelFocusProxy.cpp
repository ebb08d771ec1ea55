#include "panel/PanelFocusProxy.h"

#include "platform/SessionKind.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QKeyEvent>

namespace zarvik {

namespace {
// Small enough to pass unnoticed, and a fixed size: a compositor floats a window that cannot
// be resized (sway centres it) rather than tiling it, which would rearrange the user's layout.
constexpr int kSidePixels = 1;
} // namespace

bool PanelFocusProxy::wanted(bool waylandSession, const QString& toolkitPlatform)
{
    return waylandSession && toolkitPlatform == QLatin1String("xcb");
}

bool PanelFocusProxy::wantedHere()
{
    return wanted(SessionKind::isWayland(SessionEnvironment::current(0, nullptr)), QGuiApplication::platformName());
}

PanelFocusProxy::PanelFocusProxy(QWidget* keyTarget)
    // A managed window (not bypassing the manager, unlike the panel), without a frame: the
    // toolkit marks it undecorated, so the compositor draws no border round it.
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_keyTarget(keyTarget)
{
    setObjectName(QStringLiteral("PanelFocusProxy"));
    setWindowTitle(QStringLiteral("Zarvik"));
    setFixedSize(kSidePixels, kSidePixels);
    // Where the compositor blends XWayland's windows by their alpha, the pixel is not seen.
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::StrongFocus);
}

bool PanelFocusProxy::raiseForFocus(int waitMs)
{
    if (isActiveWindow())
        return true;
    // Mapped but not focused (the user went to another window meanwhile): the compositor
    // focuses a window as it is mapped, so it is mapped anew.
    if (isVisible())
        hide();
    show();
    const QDeadlineTimer deadline(waitMs);
    while (!isActiveWindow() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return isActiveWindow();
}

void PanelFocusProxy::withdraw()
{
    if (isVisible())
        hide();
}

bool PanelFocusProxy::event(QEvent* event)
{
    // A key the compositor still delivers here belongs to the panel's input line.
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
        if (m_keyTarget) {
            const auto* key = static_cast<QKeyEvent*>(event);
            QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(),
                           ushort(key->count()));
            QCoreApplication::sendEvent(m_keyTarget, &copy);
            event->setAccepted(copy.isAccepted());
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void PanelFocusProxy::paintEvent(QPaintEvent*)
{
    // Nothing: the window is only there to hold the focus.
}

} // namespace zarvik
