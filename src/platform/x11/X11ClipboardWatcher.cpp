#include "platform/x11/X11ClipboardWatcher.h"

#include "platform/ClipboardCache.h"

#include <QByteArray>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <poll.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace zarvik {

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kPropertySlots = 4;
} // namespace

struct X11ClipboardWatcher::Worker {
    ClipboardCache& cache;
    const std::chrono::milliseconds timeout;

    Display* dpy = nullptr;
    Window window = 0;
    int fixesEventBase = 0;
    int wakeFd = -1;
    std::atomic<bool> stopping{false};
    std::thread thread;

    Atom clipboard = 0;
    Atom incr = 0;
    // Text forms asked in turn until the owner gives one: UTF8_STRING (every current
    // toolkit), Latin-1 STRING, then TEXT (whose answer is used only if it is one of those).
    Atom targets[3] = {0, XA_STRING, 0};
    // Each fetch receives into a fresh property so a late answer to an abandoned request
    // cannot be mistaken for the current one.
    Atom properties[kPropertySlots] = {};
    int nextProperty = 0;

    struct Fetch {
        bool active = false;
        ClipboardCache::Ticket ticket = 0;
        int target = 0;
        Atom property = 0;
        bool incremental = false;
        Atom type = 0;
        QByteArray data;
        Clock::time_point deadline;
    } fetch;
    bool fetchWanted = false;

    Worker(ClipboardCache& c, int timeoutMs) : cache(c), timeout(timeoutMs) {}

    ~Worker()
    {
        if (thread.joinable()) {
            stopping = true;
            const quint64 one = 1;
            [[maybe_unused]] const auto n = ::write(wakeFd, &one, sizeof one);
            thread.join();
        }
        if (dpy) {
            if (window)
                XDestroyWindow(dpy, window);
            XCloseDisplay(dpy);
        }
        if (wakeFd >= 0)
            ::close(wakeFd);
    }

    bool open(QString* error)
    {
        dpy = XOpenDisplay(nullptr);
        if (!dpy) {
            if (error)
                *error = QStringLiteral("the clipboard reader cannot open the X display");
            return false;
        }
        int fixesError = 0;
        if (!XFixesQueryExtension(dpy, &fixesEventBase, &fixesError)) {
            if (error)
                *error = QStringLiteral("the X server lacks the XFIXES extension");
            return false;
        }
        int major = 5, minor = 0;
        XFixesQueryVersion(dpy, &major, &minor);
        wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wakeFd < 0) {
            if (error)
                *error = QStringLiteral("cannot create the clipboard reader's wake-up descriptor");
            return false;
        }
        clipboard = XInternAtom(dpy, "CLIPBOARD", False);
        incr = XInternAtom(dpy, "INCR", False);
        targets[0] = XInternAtom(dpy, "UTF8_STRING", False);
        targets[2] = XInternAtom(dpy, "TEXT", False);
        for (int i = 0; i < kPropertySlots; ++i)
            properties[i] = XInternAtom(dpy, QByteArray("ZARVIK_CLIPBOARD_" + QByteArray::number(i)).constData(),
                                        False);

        const Window root = DefaultRootWindow(dpy);
        window = XCreateSimpleWindow(dpy, root, -10, -10, 1, 1, 0, 0, 0);
        XSelectInput(dpy, window, PropertyChangeMask);
        XFixesSelectSelectionInput(dpy, window, clipboard,
                                   XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask
                                       | XFixesSelectionClientCloseNotifyMask);
        XFlush(dpy);
        fetchWanted = true; // whatever is on the clipboard already
        thread = std::thread([this] { run(); });
        return true;
    }

    void run()
    {
        const int xfd = ConnectionNumber(dpy);
        while (!stopping) {
            while (XPending(dpy) > 0) {
                XEvent ev;
                XNextEvent(dpy, &ev);
                handle(ev);
            }
            // Several owner changes in one batch need only one fetch, for the newest owner.
            if (fetchWanted)
                startFetch();

            // Replies waited for above may have brought events along into Xlib's queue,
            // where the socket no longer shows them.
            if (XEventsQueued(dpy, QueuedAlready) > 0)
                continue;
            int waitMs = -1;
            if (fetch.active) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(fetch.deadline - Clock::now());
                waitMs = int(std::max<qint64>(0, left.count()));
            }
            pollfd fds[2] = {{xfd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
            const int ready = ::poll(fds, 2, waitMs);
            if (ready == 0 && fetch.active && Clock::now() >= fetch.deadline)
                finish(QString()); // the owner did not answer in time: no text
        }
    }

    void handle(XEvent& ev)
    {
        if (ev.type == fixesEventBase + XFixesSelectionNotify) {
            const auto* e = reinterpret_cast<XFixesSelectionNotifyEvent*>(&ev);
            if (e->selection != clipboard)
                return;
            if (e->subtype == XFixesSetSelectionOwnerNotify) {
                fetchWanted = true;
            } else {
                // The owner quit or lost its window. Its text is gone from the server, but the
                // program treats the clipboard like a desktop clipboard whose text outlives the
                // program that copied it: the last text stays, so closing a program does not
                // look like a new (empty) copy. A fetch from that owner can only fail now.
                fetch.active = false;
            }
            return;
        }
        switch (ev.type) {
        case SelectionNotify:
            onSelectionNotify(ev.xselection);
            break;
        case PropertyNotify:
            onPropertyNotify(ev.xproperty);
            break;
        default:
            break;
        }
    }

    void startFetch()
    {
        fetchWanted = false;
        fetch = Fetch();
        const ClipboardCache::Ticket ticket = cache.beginFetch();
        if (XGetSelectionOwner(dpy, clipboard) == None) {
            cache.publish(ticket, QString());
            return;
        }
        fetch.active = true;
        fetch.ticket = ticket;
        fetch.property = properties[nextProperty];
        nextProperty = (nextProperty + 1) % kPropertySlots;
        request();
    }

    void request()
    {
        XDeleteProperty(dpy, window, fetch.property);
        // CurrentTime: we want whatever the clipboard holds now, from whoever owns it now;
        // an owner that changed since the notification answers for itself.
        XConvertSelection(dpy, clipboard, targets[fetch.target], fetch.property, window, CurrentTime);
        XFlush(dpy);
        fetch.deadline = Clock::now() + timeout;
    }

    void onSelectionNotify(const XSelectionEvent& e)
    {
        if (!fetch.active || fetch.incremental || e.requestor != window || e.selection != clipboard
            || e.target != targets[fetch.target])
            return;
        if (e.property == None) {
            // Refused: try the next text form, or there is no text at all (a picture...).
            if (++fetch.target < int(std::size(targets)))
                request();
            else
                finish(QString());
            return;
        }
        if (e.property != fetch.property)
            return;
        Atom type = 0;
        QByteArray chunk;
        if (!takeProperty(type, chunk)) {
            finish(QString());
            return;
        }
        if (type == incr) {
            // The owner sends the text in pieces, each one after we delete the previous.
            fetch.incremental = true;
            fetch.deadline = Clock::now() + timeout;
            return;
        }
        fetch.type = type;
        fetch.data = chunk;
        finish(decode());
    }

    void onPropertyNotify(const XPropertyEvent& e)
    {
        if (!fetch.active || !fetch.incremental || e.window != window || e.atom != fetch.property
            || e.state != PropertyNewValue)
            return;
        Atom type = 0;
        QByteArray chunk;
        if (!takeProperty(type, chunk)) {
            finish(QString());
            return;
        }
        if (chunk.isEmpty()) {
            finish(decode());
            return;
        }
        fetch.type = type;
        fetch.data += chunk;
        fetch.deadline = Clock::now() + timeout;
    }

    // Reads and deletes our property (deleting it asks an incremental owner for more).
    bool takeProperty(Atom& type, QByteArray& bytes)
    {
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(dpy, window, fetch.property, 0, LONG_MAX / 4, True, AnyPropertyType, &type, &format,
                               &items, &after, &data)
            != Success)
            return false;
        if (data) {
            if (format == 8)
                bytes = QByteArray(reinterpret_cast<const char*>(data), qsizetype(items));
            XFree(data);
        }
        return format == 8 || type == incr || items == 0;
    }

    QString decode() const
    {
        QByteArray bytes = fetch.data;
        // Some owners count the C string terminator in; it is not part of the text.
        while (bytes.endsWith('\0'))
            bytes.chop(1);
        if (fetch.type == targets[0])
            return QString::fromUtf8(bytes);
        if (fetch.type == XA_STRING)
            return QString::fromLatin1(bytes);
        return QString(); // compound text or something else that is not plain text
    }

    void finish(const QString& text)
    {
        if (fetch.active)
            cache.publish(fetch.ticket, text);
        fetch.active = false;
    }
};

X11ClipboardWatcher::X11ClipboardWatcher(ClipboardCache& cache, int timeoutMs)
    : m_worker(std::make_unique<Worker>(cache, timeoutMs))
{
}

X11ClipboardWatcher::~X11ClipboardWatcher() = default;

bool X11ClipboardWatcher::start(QString* error)
{
    return m_worker->open(error);
}

} // namespace zarvik
