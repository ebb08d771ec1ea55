#pragma once

#include <QString>

#include <functional>
#include <memory>

class QObject;
class QSocketNotifier;
struct _XDisplay;
union _XEvent;

namespace zarvik {

// The platform's own connection to the X server, on the interface thread: it hands every
// event that arrives to the handler, from the event loop or from inside a query.
class X11Connection final {
public:
    X11Connection();
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    // Connects to $DISPLAY; false with the reason when that fails. Needs no toolkit.
    bool open(QString* error);
    // Handles the events from here on, woken by the socket, on the interface thread once the
    // toolkit is up.
    void startEvents();

    _XDisplay* display() const { return m_dpy; }
    unsigned long root() const { return m_root; }
    // Where calls are posted to the interface thread's event loop; they die with it.
    QObject* context() const;
    void setEventHandler(std::function<void(_XEvent&)> handle) { m_handle = std::move(handle); }

    // Handles whatever the server has sent. XPending only looks at what has already arrived
    // (no request goes out), so this is cheap enough to run at the start of every query.
    void pump();
    // New data on the socket wakes the event loop, so a query only has to handle what Xlib
    // has already read into its own queue alongside a reply: no system call on the path of
    // the 10 ms tick. An event that arrives just before a tick is seen one tick later, which
    // the button's edge queue absorbs.
    void pumpForQuery();
    // A request that waits for its reply may bring events along into Xlib's queue, where the
    // socket notifier no longer sees them; have them handled from the event loop soon (a
    // clipboard request from another program must not wait for the next query).
    void afterRoundTrip();
    // Sends what Xlib holds back.
    void flush();
    // Waits for the server to send something, at most `ms` milliseconds.
    void waitForEvents(int ms);
    // Requests sent on this connection so far.
    quint64 requestsSent() const;

private:
    _XDisplay* m_dpy = nullptr;
    unsigned long m_root = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::function<void(_XEvent&)> m_handle;
};

} // namespace zarvik
