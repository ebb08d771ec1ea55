#include "platform/x11/X11ClipboardWatcher.h"

#include "platform/ClipboardCache.h"
#include "platform/x11/X11Atoms.h"
#include "platform/x11/X11Process.h"
#include "platform/x11/X11SelectionReader.h"
#include "platform/x11/X11SnapshotTaker.h"
#include "platform/x11/X11TextTargets.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace zarvik {

namespace {
using Clock = std::chrono::steady_clock;
// The longest text the reader takes in for the lookups (bytes, as the owner sends it). A
// longer text is never held: the cache gets Platform::longText() in its place.
constexpr qsizetype kMaxTextBytes = 4 * Platform::kLongTextChars;
// A TARGETS list longer than this is no list of formats.
constexpr qsizetype kMaxTargetListBytes = 64 * 1024;
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
    Atom targetsAtom = 0;
    std::optional<X11TextTargets> text;

    // What a fetch is for: the clipboard's text after an owner change, the PRIMARY text, or
    // a step of a snapshot (the list of targets, then one target after the other).
    enum class Job { Text, Primary, Targets, Entry };
    Job job = Job::Text;
    ClipboardCache::Ticket ticket = 0; // a Text fetch's place in the cache
    qint64 process = 0;                // the owner's process (a Text fetch)
    int textTarget = 0;                // the text form asked for (a Text or Primary fetch)
    std::optional<X11SelectionReader> reader;
    bool fetchWanted = false;

    // Asked for by the interface thread, taken up by this one.
    std::mutex requestMutex;
    SnapshotDone snapshotRequest;
    TextDone primaryRequest;

    std::optional<X11SnapshotTaker> snap;
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
        const auto atoms = internAtoms<2>(dpy, {"CLIPBOARD", "TARGETS"});
        clipboard = atoms[0];
        targetsAtom = atoms[1];
        text.emplace(dpy);

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
        reader.emplace(dpy, window, timeout, [this](X11SelectionReader::Outcome outcome) { finished(outcome); });
        snap.emplace(dpy);
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
            if (const auto due = reader->nextDeadline())
                until(*due);
            if (snap->active())
                until(snap->deadline());
            pollfd fds[2] = {{xfd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
            ::poll(fds, 2, waitMs);
            const auto after = Clock::now();
            reader->expire(after);
            if (snap->active() && after >= snap->deadline())
                finishSnapshot(ClipboardSave::Incomplete);
        }
    }

    // Starts the next fetch when none is under way. The newest owner's text comes first:
    // clipboardText() must follow the clipboard.
    void schedule()
    {
        if (reader->active() && job == Job::Text && fetchWanted) {
            // The owner this text was asked of has been replaced: its text is stale.
            reader->abandon();
        }
        if (reader->active())
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
            if (snap->active())
                finishSnapshot(ClipboardSave::Incomplete);
            snap->begin(std::move(snapshot), Clock::now() + std::chrono::milliseconds(kSnapshotBudgetMs));
            startSnapshot();
            return;
        }
        if (primaryText) {
            primaryDone = std::move(primaryText);
            if (XGetSelectionOwner(dpy, primary) == None) {
                deliverPrimary(QString());
                return;
            }
            begin(Job::Primary, primary, text->all().first());
            return;
        }
        if (snap->active()) {
            if (snap->restartWanted())
                startSnapshot();
            else
                nextEntry();
        }
    }

    // Reads the clipboard from the start: its list of targets, then each target.
    void startSnapshot()
    {
        snap->reset();
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
            if (snap->active()) {
                snap->markRestart();
                if (reader->active() && isSnapshotJob())
                    reader->abandon();
            }
            return;
        }
        reader->handle(ev);
    }

    void startText()
    {
        const ClipboardCache::Ticket fetchTicket = cache.beginFetch();
        const Window owner = XGetSelectionOwner(dpy, clipboard);
        if (owner == None) {
            cache.publish(fetchTicket, QString(), 0);
            return;
        }
        begin(Job::Text, clipboard, targetsAtom);
        ticket = fetchTicket;
        process = xres ? x11ClientProcess(dpy, owner) : 0;
    }

    void begin(Job what, Atom selection, Atom target)
    {
        job = what;
        ticket = 0;
        process = 0;
        textTarget = 0;
        reader->begin(selection, target, limit(target));
    }

    void ask(Atom target) { reader->ask(target, limit(target)); }

    bool isTextJob() const { return job == Job::Text || job == Job::Primary; }
    bool isSnapshotJob() const { return job == Job::Targets || job == Job::Entry; }

    // Most bytes a fetch of `target` for the current job may bring.
    qint64 limit(Atom target) const
    {
        if (job == Job::Entry)
            return snap->bytesLeft();
        return job == Job::Targets || target == targetsAtom ? kMaxTargetListBytes : kMaxTextBytes;
    }

    void finished(X11SelectionReader::Outcome outcome)
    {
        if (outcome == X11SelectionReader::Outcome::Refused)
            refused();
        else if (outcome == X11SelectionReader::Outcome::TooLong)
            overLimit();
        else
            complete(outcome == X11SelectionReader::Outcome::Done);
    }

    // The fetch brought more than it may: what it stands for is answered now.
    void overLimit()
    {
        switch (job) {
        case Job::Text:
            cache.publish(ticket, Platform::longText(), process);
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

    // The owner refused the target.
    void refused()
    {
        if (job == Job::Text && reader->target() == targetsAtom) {
            // An owner without a list of targets may still give text when asked for it.
            ask(text->all().first());
        } else if (isTextJob() && reader->target() != targetsAtom && ++textTarget < text->all().size()) {
            ask(text->all().at(textTarget));
        } else if (job != Job::Entry) {
            // A target the owner lists but will not give (an Entry) is left out: the clipboard
            // put back lists it and refuses it as well.
            complete(false);
        }
    }

    QString decodeAnswer() const { return text->decode(reader->type(), reader->format(), reader->data()); }

    void complete(bool ok)
    {
        if (job == Job::Text && reader->target() == targetsAtom) {
            // The list of targets: ask for the best text form it offers, or for none.
            const Atom target = !ok || reader->format() != 32 ? text->all().first() : text->bestListed(reader->data());
            if (target != 0) {
                textTarget = text->indexOf(target);
                ask(target);
                return;
            }
            ok = false; // no text at all: a picture or something else
        }
        switch (job) {
        case Job::Text:
            cache.publish(ticket, ok ? decodeAnswer() : QString(), process);
            break;
        case Job::Primary:
            deliverPrimary(ok ? decodeAnswer() : QString());
            break;
        case Job::Targets:
            if (ok && reader->format() == 32)
                snap->takeTargetList(reader->data());
            else // an owner without a list: its text forms are asked for
                snap->listTargets(text->all());
            if (!snap->hasTargets())
                finishSnapshot(ClipboardSave::Saved);
            break;
        case Job::Entry:
            if (!ok) {
                // An owner that stops answering half-way leaves nothing we could put back
                // whole.
                finishSnapshot(ClipboardSave::Incomplete);
            } else if (!snap->addEntry(reader->type(), reader->format(), reader->data())) {
                finishSnapshot(ClipboardSave::TooLarge);
            }
            break;
        }
    }

    void nextEntry()
    {
        const Atom target = snap->nextTarget();
        if (target == 0)
            finishSnapshot(ClipboardSave::Saved);
        else
            begin(Job::Entry, clipboard, target);
    }

    void finishSnapshot(ClipboardSave result)
    {
        if (!snap->active())
            return;
        if (reader->active() && isSnapshotJob())
            reader->abandon();
        snap->finish(result);
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
