#include "platform/x11/X11Connection.h"

#include "platform/x11/X11ConnectionLoss.h"
#include "platform/x11/X11Errors.h"

#include <QSocketNotifier>

#include <X11/Xlib.h>

#include <poll.h>

namespace zarvik {

X11Connection::X11Connection() = default;

X11Connection::~X11Connection()
{
    m_notifier.reset();
    if (m_dpy)
        XCloseDisplay(m_dpy);
}

bool X11Connection::open(QString* error)
{
    silenceXErrors();
    m_dpy = XOpenDisplay(nullptr);
    if (!m_dpy) {
        if (error)
            *error = QStringLiteral("cannot open X display %1").arg(qEnvironmentVariable("DISPLAY"));
        return false;
    }
    endProcessOnceOnConnectionLoss();
    m_root = DefaultRootWindow(m_dpy);
    return true;
}

void X11Connection::startEvents()
{
    // The toolkit set handlers of its own as it connected: from here on the toolkit's
    // connection and ours are both open, and losing the server ends the process once.
    silenceXErrors();
    endProcessOnceOnConnectionLoss();
    m_notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(m_dpy), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { pump(); });
}

QObject* X11Connection::context() const
{
    return m_notifier.get();
}

void X11Connection::pump()
{
    while (XPending(m_dpy) > 0) {
        XEvent ev;
        XNextEvent(m_dpy, &ev);
        if (m_handle)
            m_handle(ev);
    }
}

void X11Connection::pumpForQuery()
{
    if (XEventsQueued(m_dpy, QueuedAlready) > 0)
        pump();
}

void X11Connection::afterRoundTrip()
{
    if (XEventsQueued(m_dpy, QueuedAlready) > 0)
        QMetaObject::invokeMethod(m_notifier.get(), [this] { pump(); }, Qt::QueuedConnection);
}

void X11Connection::flush()
{
    XFlush(m_dpy);
}

void X11Connection::waitForEvents(int ms)
{
    pollfd fd = {ConnectionNumber(m_dpy), POLLIN, 0};
    ::poll(&fd, 1, ms);
}

quint64 X11Connection::requestsSent() const
{
    return quint64(NextRequest(m_dpy)) - 1;
}

} // namespace zarvik
