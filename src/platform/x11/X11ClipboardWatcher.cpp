#include "platform/x11/X11ClipboardWatcher.h"

#include "platform/ClipboardCache.h"
#include "platform/x11/X11Process.h"

#include <QByteArray>
#include <QHash>
#include <QList>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include "platform/x11/X11Atoms.h"
#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace zarvik {

namespace {
using Clock = std::chrono::steady_clock;
// Receiving properties, in turn. A property whose piecewise transfer we gave up on is not used
// again until that transfer has ended.
constexpr int kPropertySlots = 8;
// The longest text the reader takes in for the lookups (bytes, as the owner sends it). A
// longer text is never held: the cache gets Platform::longText() in its place.
constexpr qsizetype kMaxTextBytes = 4 * Platform::kLongTextChars;
// A TARGETS list longer than this is no list of formats.
constexpr qsizetype kMaxTargetListBytes = 64 * 1024;
// How long an abandoned piecewise transfer is led on to its end before we stop caring.
constexpr auto kDrainPatience = std::chrono::seconds(30);

qsizetype itemBytes(int format)
{
    return format == 32 ? qsizetype(sizeof(long)) : format == 16 ? qsizetype(sizeof(short)) : 1;
}
} // namespace

struct X11ClipboardWatcher::Worker {
    ClipboardCache& cache;
    const std::chrono::milliseconds timeout;

    Display* dpy = nullptr;
    Window window = 0;
    int fixesEventBase = 0;
    bool xres = false;
    int wakeFd = -1;
    std::atomic<bool> stopping{false};
    std::thread thread;

    Atom clipboard = 0;
    Atom primary = XA_PRIMARY;
    // Every taking of PRIMARY seen (read from the interface thread).
    std::atomic<quint64> primaryChanges{0};
    Atom incr = 0;
    Atom targetsAtom = 0;
    // Text forms in order of preference: UTF8_STRING (every current toolkit), Latin-1
    // STRING, then TEXT (whose answer is used only if it is one of those).
    Atom textTargets[3] = {0, XA_STRING, 0};
    // Each fetch receives into a fresh property so a late answer to an abandoned request
    // cannot be mistaken for the current one.
    Atom properties[kPropertySlots] = {};
    int nextProperty = 0;
    // Piecewise transfers we no longer want, led on to their end (each piece deleted unread)
    // so that their owner is not left waiting for us: property -> when we stop.
    QHash<Atom, Clock::time_point> drains;

    // What a fetch is for: the clipboard's text after an owner change, the PRIMARY text, or
    // a step of a snapshot (the list of targets, then one target after the other).
    enum class Job { Text, Primary, Targets, Entry };
    struct Fetch {
        bool active = false;
        Job job = Job::Text;
        Atom selection = 0;
        ClipboardCache::Ticket ticket = 0;
        qint64 process = 0;      // the owner's process (a Text fetch)
        bool listAsked = false;  // a Text fetch asks TARGETS first
        int textTarget = 0;
        Atom target = 0;
        Atom property = 0;
        bool incremental = false;
        Atom type = 0;
        int format = 8;
        QByteArray data;
        Clock::time_point deadline;
    } fetch;
    bool fetchWanted = false;

    // Asked for by the interface thread, taken up by this one.
    std::mutex requestMutex;
    SnapshotDone snapshotRequest;
    TextDone primaryRequest;

    struct Snapshot {
        bool active = false;
        SnapshotDone done;
        QList<Atom> targets;
        QList<QByteArray> names;
        qsizetype next = 0;
        ClipboardSnapshot content;
        Clock::time_point deadline;
        // The owner changed or went away: read again from the start, within the same time.
        bool restart = false;
    } snap;
    TextDone primaryDone;

    Worker(ClipboardCache& c, int timeoutMs) : cache(c), timeout(timeoutMs) {}

    ~Worker()
    {
        if (thread.joinable()) {
            stopping = true;
            wake();
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

    void wake()
    {
        const quint64 one = 1;
        [[maybe_unused]] const auto n = ::write(wakeFd, &one, sizeof one);
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
        xres = x11HasClientIds(dpy);
        wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wakeFd < 0) {
            if (error)
                *error = QStringLiteral("cannot create the clipboard reader's wake-up descriptor");
            return false;
        }
        static_assert(kPropertySlots == 8, "one name per property slot below");
        const auto atoms = internAtoms<13>(
            dpy, {"CLIPBOARD", "INCR", "TARGETS", "UTF8_STRING", "TEXT", "ZARVIK_CLIPBOARD_0", "ZARVIK_CLIPBOARD_1",
                  "ZARVIK_CLIPBOARD_2", "ZARVIK_CLIPBOARD_3", "ZARVIK_CLIPBOARD_4", "ZARVIK_CLIPBOARD_5",
                  "ZARVIK_CLIPBOARD_6", "ZARVIK_CLIPBOARD_7"});
        clipboard = atoms[0];
        incr = atoms[1];
        targetsAtom = atoms[2];
        textTargets[0] = atoms[3];
        textTargets[2] = atoms[4];
        for (int i = 0; i < kPropertySlots; ++i)
            properties[i] = atoms[size_t(5 + i)];

        const Window root = DefaultRootWindow(dpy);
        window = XCreateSimpleWindow(dpy, root, -10, -10, 1, 1, 0, 0, 0);
        XSelectInput(dpy, window, PropertyChangeMask);
        XFixesSelectSelectionInput(dpy, window, clipboard,
                                   XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask
                                       | XFixesSelectionClientCloseNotifyMask);
        // Only its takings are counted: a terminal that selects a word takes it anew each
        // time, with the new selection's time, even when it owned it already.
        XFixesSelectSelectionInput(dpy, window, primary, XFixesSetSelectionOwnerNotifyMask);
        XFlush(dpy);
        fetchWanted = true; // whatever is on the clipboard already
        thread = std::thread([this] { run(); });
        return true;
    }

    void request(SnapshotDone* snapshot, TextDone* primaryText)
    {
        {
            std::lock_guard lock(requestMutex);
            if (snapshot)
                snapshotRequest = std::move(*snapshot);
            if (primaryText)
                primaryRequest = std::move(*primaryText);
        }
        wake();
    }

    void run()
    {
        const int xfd = ConnectionNumber(dpy);
        while (!stopping) {
            quint64 wakes = 0;
            [[maybe_unused]] const auto n = ::read(wakeFd, &wakes, sizeof wakes);
            while (XPending(dpy) > 0) {
                XEvent ev;
                XNextEvent(dpy, &ev);
                handle(ev);
            }
            schedule();

            // Replies waited for above may have brought events along into Xlib's queue,
            // where the socket no longer shows them.
            if (XEventsQueued(dpy, QueuedAlready) > 0)
                continue;
            int waitMs = -1;
            const auto now = Clock::now();
            auto until = [&](Clock::time_point t) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(t - now).count();
                const int ms = int(std::max<qint64>(0, left));
                waitMs = waitMs < 0 ? ms : std::min(waitMs, ms);
            };
            if (fetch.active)
                until(fetch.deadline);
            if (snap.active)
                until(snap.deadline);
            for (auto it = drains.cbegin(); it != drains.cend(); ++it)
                until(it.value());
            pollfd fds[2] = {{xfd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
            ::poll(fds, 2, waitMs);
            const auto after = Clock::now();
            if (fetch.active && after >= fetch.deadline)
                complete(false); // the owner did not answer in time
            if (snap.active && after >= snap.deadline)
                finishSnapshot(ClipboardSave::Incomplete);
            drains.removeIf([after](const auto& it) { return after >= it.value(); });
        }
    }

    // Starts the next fetch when none is under way. The newest owner's text comes first:
    // clipboardText() must follow the clipboard.
    void schedule()
    {
        if (fetch.active && fetch.job == Job::Text && fetchWanted) {
            // The owner this text was asked of has been replaced: its text is stale.
            abandonFetch();
        }
        if (fetch.active)
            return;
        if (fetchWanted) {
            fetchWanted = false;
            startText();
            return;
        }
        SnapshotDone snapshot;
        TextDone primaryText;
        {
            std::lock_guard lock(requestMutex);
            snapshot = std::move(snapshotRequest);
            snapshotRequest = nullptr;
            if (!snapshot) {
                primaryText = std::move(primaryRequest);
                primaryRequest = nullptr;
            }
        }
        if (snapshot) {
            if (snap.active)
                finishSnapshot(ClipboardSave::Incomplete);
            snap = Snapshot();
            snap.active = true;
            snap.done = std::move(snapshot);
            snap.deadline = Clock::now() + std::chrono::milliseconds(kSnapshotBudgetMs);
            startSnapshot();
            return;
        }
        if (primaryText) {
            primaryDone = std::move(primaryText);
            if (XGetSelectionOwner(dpy, primary) == None) {
                deliverPrimary(QString());
                return;
            }
            begin(Job::Primary, primary, textTargets[0]);
            return;
        }
        if (snap.active) {
            if (snap.restart)
                startSnapshot();
            else
                nextEntry();
        }
    }

    // Reads the clipboard from the start: its list of targets, then each target.
    void startSnapshot()
    {
        snap.restart = false;
        snap.targets.clear();
        snap.names.clear();
        snap.next = 0;
        snap.content = {};
        if (XGetSelectionOwner(dpy, clipboard) == None)
            finishSnapshot(ClipboardSave::Saved); // an empty clipboard, kept as empty
        else
            begin(Job::Targets, clipboard, targetsAtom);
    }

    void handle(XEvent& ev)
    {
        if (ev.type == fixesEventBase + XFixesSelectionNotify) {
            const auto* e = reinterpret_cast<XFixesSelectionNotifyEvent*>(&ev);
            if (e->selection == primary) {
                primaryChanges.fetch_add(1, std::memory_order_relaxed);
                return;
            }
            if (e->selection != clipboard)
                return;
            // A new owner, or the owner quit or lost its window (the clipboard is then
            // empty): the text is read again, and a snapshot under way starts afresh, since
            // what it has read so far is no longer what the clipboard holds.
            fetchWanted = true;
            if (snap.active) {
                snap.restart = true;
                if (fetch.active && (fetch.job == Job::Targets || fetch.job == Job::Entry))
                    abandonFetch();
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

    void startText()
    {
        const ClipboardCache::Ticket ticket = cache.beginFetch();
        const Window owner = XGetSelectionOwner(dpy, clipboard);
        if (owner == None) {
            cache.publish(ticket, QString(), 0);
            return;
        }
        begin(Job::Text, clipboard, targetsAtom);
        fetch.listAsked = true;
        fetch.ticket = ticket;
        fetch.process = xres ? x11ClientProcess(dpy, owner) : 0;
    }

    Atom freeProperty()
    {
        for (int i = 0; i < kPropertySlots; ++i) {
            const Atom candidate = properties[nextProperty];
            nextProperty = (nextProperty + 1) % kPropertySlots;
            if (!drains.contains(candidate))
                return candidate;
        }
        // Every slot is busy leading a transfer to its end: the oldest goes first.
        const Atom oldest = properties[nextProperty];
        drains.remove(oldest);
        nextProperty = (nextProperty + 1) % kPropertySlots;
        return oldest;
    }

    void begin(Job job, Atom selection, Atom target)
    {
        fetch = Fetch();
        fetch.active = true;
        fetch.job = job;
        fetch.selection = selection;
        fetch.property = freeProperty();
        ask(target);
    }

    void ask(Atom target)
    {
        fetch.target = target;
        fetch.incremental = false;
        fetch.data.clear();
        XDeleteProperty(dpy, window, fetch.property);
        // CurrentTime: we want whatever the selection holds now, from whoever owns it now;
        // an owner that changed since the notification answers for itself.
        XConvertSelection(dpy, fetch.selection, target, fetch.property, window, CurrentTime);
        XFlush(dpy);
        fetch.deadline = Clock::now() + timeout;
    }

    bool isTextJob() const { return fetch.job == Job::Text || fetch.job == Job::Primary; }

    // Most bytes the current fetch may bring.
    qint64 fetchLimit() const
    {
        switch (fetch.job) {
        case Job::Text:
        case Job::Primary:
            return fetch.target == targetsAtom ? kMaxTargetListBytes : kMaxTextBytes;
        case Job::Targets:
            return kMaxTargetListBytes;
        case Job::Entry:
            return ClipboardSnapshot::kMaxBytes - snap.content.totalBytes();
        }
        return 0;
    }

    // The fetch is given up; a piecewise transfer under way is led on to its end.
    void abandonFetch()
    {
        if (!fetch.active)
            return;
        if (fetch.incremental)
            drains.insert(fetch.property, Clock::now() + kDrainPatience);
        fetch.active = false;
    }

    // The fetch brought more than it may: what it stands for is answered now, and the rest
    // of the transfer is not read.
    void overLimit()
    {
        const Job job = fetch.job;
        abandonFetch();
        switch (job) {
        case Job::Text:
            cache.publish(fetch.ticket, Platform::longText(), fetch.process);
            break;
        case Job::Primary:
            deliverPrimary(QString()); // a selection that long is no word to capture
            break;
        case Job::Targets:
            finishSnapshot(ClipboardSave::Incomplete);
            break;
        case Job::Entry:
            finishSnapshot(ClipboardSave::TooLarge);
            break;
        }
    }

    void onSelectionNotify(const XSelectionEvent& e)
    {
        if (!fetch.active || fetch.incremental || e.requestor != window || e.selection != fetch.selection
            || e.target != fetch.target)
            return;
        if (e.property == None) {
            refused();
            return;
        }
        if (e.property != fetch.property)
            return;
        // The size first, without the data: a text too long to look up is never read.
        Atom type = 0;
        int format = 0;
        qint64 bytes = 0;
        if (!peekProperty(fetch.property, type, format, bytes)) {
            complete(false);
            return;
        }
        if (type != incr && bytes > fetchLimit()) {
            XDeleteProperty(dpy, window, fetch.property);
            XFlush(dpy);
            overLimit();
            return;
        }
        QByteArray chunk;
        if (!takeProperty(type, format, chunk)) {
            complete(false);
            return;
        }
        if (type == incr) {
            // The owner sends the data in pieces, each one after we delete the previous. It
            // announces (a lower bound of) the size first.
            fetch.incremental = true;
            fetch.deadline = Clock::now() + timeout;
            if (chunk.size() >= qsizetype(sizeof(long))) {
                const long announced = *reinterpret_cast<const long*>(chunk.constData());
                if (announced > fetchLimit())
                    overLimit();
            }
            return;
        }
        fetch.type = type;
        fetch.format = format;
        fetch.data = chunk;
        complete(true);
    }

    // The owner refused the target.
    void refused()
    {
        if (fetch.job == Job::Text && fetch.target == targetsAtom) {
            // An owner without a list of targets may still give text when asked for it.
            ask(textTargets[0]);
        } else if (isTextJob() && fetch.target != targetsAtom && ++fetch.textTarget < int(std::size(textTargets))) {
            ask(textTargets[fetch.textTarget]);
        } else if (fetch.job == Job::Entry) {
            // A target the owner lists but will not give: the clipboard put back lists it and
            // refuses it as well.
            fetch.active = false;
        } else {
            complete(false);
        }
    }

    void onPropertyNotify(const XPropertyEvent& e)
    {
        if (e.window != window || e.state != PropertyNewValue)
            return;
        const bool current = fetch.active && e.atom == fetch.property;
        if (current && fetch.incremental) {
            Atom type = 0;
            int format = 0;
            QByteArray chunk;
            if (!takeProperty(type, format, chunk)) {
                complete(false);
                return;
            }
            if (chunk.isEmpty()) {
                complete(true);
                return;
            }
            fetch.type = type;
            fetch.format = format;
            fetch.data += chunk;
            fetch.deadline = Clock::now() + timeout;
            if (fetch.data.size() > fetchLimit()) {
                fetch.data.clear();
                overLimit();
            }
            return;
        }
        if (current)
            return; // the first answer, read when its SelectionNotify comes
        if (!std::count(std::begin(properties), std::end(properties), e.atom))
            return;
        // A piece of a transfer we gave up on, or a late answer to an abandoned request: the
        // property is deleted unread (which asks a piecewise owner for its next piece) until
        // the empty piece that ends the transfer.
        Atom type = 0;
        int format = 0;
        qint64 bytes = 0;
        if (!peekProperty(e.atom, type, format, bytes))
            return;
        XDeleteProperty(dpy, window, e.atom);
        XFlush(dpy);
        if (type == incr)
            drains.insert(e.atom, Clock::now() + kDrainPatience);
        else if (drains.contains(e.atom) && bytes == 0)
            drains.remove(e.atom);
        else if (drains.contains(e.atom))
            drains[e.atom] = Clock::now() + kDrainPatience;
    }

    // Type, format and size in bytes of one of our properties, without its data.
    bool peekProperty(Atom property, Atom& type, int& format, qint64& bytes)
    {
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(dpy, window, property, 0, 0, False, AnyPropertyType, &type, &format, &items, &after,
                               &data)
            != Success)
            return false;
        if (data)
            XFree(data);
        bytes = qint64(after);
        return true;
    }

    // Reads and deletes our property (deleting it asks an incremental owner for more). The
    // items stay in the form Xlib gives them (32-bit items as longs).
    bool takeProperty(Atom& type, int& format, QByteArray& bytes)
    {
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(dpy, window, fetch.property, 0, LONG_MAX / 4, True, AnyPropertyType, &type, &format,
                               &items, &after, &data)
            != Success)
            return false;
        if (data) {
            bytes = QByteArray(reinterpret_cast<const char*>(data), qsizetype(items) * itemBytes(format));
            XFree(data);
        }
        return format == 8 || format == 16 || format == 32 || items == 0;
    }

    QString decodeText() const
    {
        if (fetch.format != 8)
            return QString();
        QByteArray bytes = fetch.data;
        // Some owners count the C string terminator in; it is not part of the text.
        while (bytes.endsWith('\0'))
            bytes.chop(1);
        if (fetch.type == textTargets[0])
            return QString::fromUtf8(bytes);
        if (fetch.type == XA_STRING)
            return QString::fromLatin1(bytes);
        return QString(); // compound text or something else that is not plain text
    }

    // The text form to ask for, from the owner's list of targets; 0 when it offers none.
    Atom textTargetFromList() const
    {
        if (fetch.format != 32)
            return textTargets[0];
        const auto* atoms = reinterpret_cast<const Atom*>(fetch.data.constData());
        const qsizetype count = fetch.data.size() / qsizetype(sizeof(Atom));
        for (const Atom wanted : textTargets) {
            for (qsizetype i = 0; i < count; ++i) {
                if (atoms[i] == wanted)
                    return wanted;
            }
        }
        return 0;
    }

    void complete(bool ok)
    {
        if (!fetch.active)
            return;
        if (fetch.job == Job::Text && fetch.target == targetsAtom) {
            // The list of targets: ask for the best text form it offers, or for none.
            const Atom target = ok ? textTargetFromList() : textTargets[0];
            if (target != 0) {
                fetch.textTarget = int(std::find(std::begin(textTargets), std::end(textTargets), target)
                                       - std::begin(textTargets));
                ask(target);
                return;
            }
            ok = false; // no text at all: a picture or something else
        }
        fetch.active = false;
        switch (fetch.job) {
        case Job::Text:
            cache.publish(fetch.ticket, ok ? decodeText() : QString(), fetch.process);
            break;
        case Job::Primary:
            deliverPrimary(ok ? decodeText() : QString());
            break;
        case Job::Targets:
            if (ok && fetch.format == 32)
                takeTargetList();
            else
                listTextTargets(); // an owner without a list: its text forms are asked for
            if (snap.targets.isEmpty())
                finishSnapshot(ClipboardSave::Saved);
            break;
        case Job::Entry:
            if (!ok) {
                // An owner that stops answering half-way leaves nothing we could put back
                // whole.
                finishSnapshot(ClipboardSave::Incomplete);
            } else if (snap.active && snap.next > 0) {
                char* typeName = XGetAtomName(dpy, fetch.type);
                ClipboardSnapshot::Entry entry;
                entry.target = snap.names.at(snap.next - 1);
                entry.type = typeName ? QByteArray(typeName) : entry.target;
                entry.format = fetch.format;
                entry.data = fetch.data;
                if (typeName)
                    XFree(typeName);
                snap.content.entries.append(entry);
                if (snap.content.totalBytes() > ClipboardSnapshot::kMaxBytes)
                    finishSnapshot(ClipboardSave::TooLarge);
            }
            break;
        }
    }

    void listTextTargets()
    {
        for (const Atom target : textTargets) {
            char* name = XGetAtomName(dpy, target);
            if (!name)
                continue;
            snap.targets.append(target);
            snap.names.append(QByteArray(name));
            XFree(name);
        }
    }

    void takeTargetList()
    {
        const auto* atoms = reinterpret_cast<const Atom*>(fetch.data.constData());
        const qsizetype count = fetch.data.size() / qsizetype(sizeof(Atom));
        QList<Atom> listed;
        for (qsizetype i = 0; i < count; ++i) {
            if (atoms[i] != None)
                listed.append(atoms[i]);
        }
        if (listed.isEmpty())
            return;
        QList<char*> names(listed.size(), nullptr);
        if (!XGetAtomNames(dpy, listed.data(), int(listed.size()), names.data()))
            return;
        for (qsizetype i = 0; i < listed.size(); ++i) {
            if (!names[i])
                continue;
            const QByteArray name(names[i]);
            XFree(names[i]);
            snap.content.offered.append(name);
            if (ClipboardSnapshot::isMetaTarget(name) || snap.targets.contains(listed[i]))
                continue;
            snap.targets.append(listed[i]);
            snap.names.append(name);
        }
    }

    void nextEntry()
    {
        if (snap.next >= snap.targets.size()) {
            finishSnapshot(ClipboardSave::Saved);
            return;
        }
        begin(Job::Entry, clipboard, snap.targets.at(snap.next));
        ++snap.next;
    }

    void finishSnapshot(ClipboardSave result)
    {
        if (!snap.active)
            return;
        if (fetch.active && (fetch.job == Job::Targets || fetch.job == Job::Entry))
            abandonFetch();
        snap.active = false;
        if (result != ClipboardSave::Saved)
            snap.content = {};
        if (snap.done)
            snap.done(result, snap.content);
        snap = Snapshot();
    }

    void deliverPrimary(const QString& text)
    {
        TextDone done = std::move(primaryDone);
        primaryDone = nullptr;
        if (done)
            done(text);
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

void X11ClipboardWatcher::requestSnapshot(SnapshotDone done)
{
    m_worker->request(&done, nullptr);
}

void X11ClipboardWatcher::requestPrimaryText(TextDone done)
{
    m_worker->request(nullptr, &done);
}

quint64 X11ClipboardWatcher::primaryChanges() const
{
    return m_worker->primaryChanges.load(std::memory_order_relaxed);
}

} // namespace zarvik
