// Test helper: a slow clipboard owner. It takes CLIPBOARD with the given targets and answers
// every request only after a delay; data larger than one piece goes piecewise (INCR), each
// piece after its own delay. Prints "ready" once it owns the clipboard, and ends when another
// program takes it and no transfer is under way. Prints "ended" when a piecewise transfer has
// run to its end, and "stalled" when its requestor stopped taking pieces for 10 s.
//   slow_clipboard_owner DELAY_MS PIECE_BYTES PIECE_DELAY_MS TARGET FILE [TARGET FILE]...
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <list>
#include <poll.h>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Target {
    Atom atom;
    std::string bytes;
};

struct Work {
    Clock::time_point due;
    XSelectionRequestEvent request; // an answer still to give
    bool answer = true;
    // A piecewise transfer under way: the next piece goes once the requestor deleted the last.
    const Target* target = nullptr;
    size_t offset = 0;
    bool waitingForDelete = false;
    Clock::time_point stalledAt;
};

Display* dpy;
Window window;
Atom clipboard, targetsAtom, incr, timestampAtom;
std::vector<Target> targets;
std::list<Work> work;
long delayMs, pieceBytes, pieceDelayMs;
Time ownedAt;

int ignoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

void notify(const XSelectionRequestEvent& r, Atom property)
{
    XSelectionEvent reply = {};
    reply.type = SelectionNotify;
    reply.requestor = r.requestor;
    reply.selection = r.selection;
    reply.target = r.target;
    reply.property = property;
    reply.time = r.time;
    XSendEvent(dpy, r.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
}

void answer(Work& w)
{
    const XSelectionRequestEvent& r = w.request;
    const Atom property = r.property != None ? r.property : r.target;
    if (r.target == targetsAtom) {
        std::vector<Atom> list = {targetsAtom, timestampAtom};
        for (const Target& t : targets)
            list.push_back(t.atom);
        XChangeProperty(dpy, r.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(list.data()), int(list.size()));
        notify(r, property);
        return;
    }
    if (r.target == timestampAtom) {
        long t = long(ownedAt);
        XChangeProperty(dpy, r.requestor, property, XA_INTEGER, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&t), 1);
        notify(r, property);
        return;
    }
    for (const Target& t : targets) {
        if (t.atom != r.target)
            continue;
        if (long(t.bytes.size()) <= pieceBytes) {
            XChangeProperty(dpy, r.requestor, property, t.atom, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(t.bytes.data()), int(t.bytes.size()));
            notify(r, property);
            return;
        }
        XSelectInput(dpy, r.requestor, PropertyChangeMask);
        long size = long(t.bytes.size());
        XChangeProperty(dpy, r.requestor, property, incr, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&size), 1);
        notify(r, property);
        Work transfer;
        transfer.request = r;
        transfer.request.property = property;
        transfer.answer = false;
        transfer.target = &t;
        transfer.waitingForDelete = true;
        transfer.stalledAt = Clock::now() + std::chrono::seconds(10);
        work.push_back(transfer);
        return;
    }
    notify(r, None);
}

// Sends the next piece; true when the transfer has ended (the empty piece went out).
bool sendPiece(Work& w)
{
    const size_t left = w.target->bytes.size() - w.offset;
    const size_t piece = left < size_t(pieceBytes) ? left : size_t(pieceBytes);
    XChangeProperty(dpy, w.request.requestor, w.request.property, w.target->atom, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(w.target->bytes.data() + w.offset), int(piece));
    w.offset += piece;
    w.waitingForDelete = true;
    w.stalledAt = Clock::now() + std::chrono::seconds(10);
    return piece == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 6 || (argc - 4) % 2 != 0) {
        std::fprintf(stderr, "usage: %s DELAY_MS PIECE_BYTES PIECE_DELAY_MS TARGET FILE...\n", argv[0]);
        return 2;
    }
    delayMs = std::atol(argv[1]);
    pieceBytes = std::atol(argv[2]);
    pieceDelayMs = std::atol(argv[3]);
    dpy = XOpenDisplay(nullptr);
    if (!dpy)
        return 1;
    XSetErrorHandler(ignoreErrors);
    for (int i = 4; i + 1 < argc; i += 2) {
        std::ifstream file(argv[i + 1], std::ios::binary);
        targets.push_back({XInternAtom(dpy, argv[i], False),
                           std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>())});
    }
    clipboard = XInternAtom(dpy, "CLIPBOARD", False);
    targetsAtom = XInternAtom(dpy, "TARGETS", False);
    incr = XInternAtom(dpy, "INCR", False);
    timestampAtom = XInternAtom(dpy, "TIMESTAMP", False);
    window = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(dpy, window, PropertyChangeMask);
    XChangeProperty(dpy, window, XA_WM_NAME, XA_STRING, 8, PropModeAppend, nullptr, 0);
    XEvent ev;
    XWindowEvent(dpy, window, PropertyChangeMask, &ev);
    ownedAt = ev.xproperty.time;
    XSetSelectionOwner(dpy, clipboard, window, ownedAt);
    if (XGetSelectionOwner(dpy, clipboard) != window)
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);

    bool owning = true;
    while (owning || !work.empty()) {
        while (XPending(dpy) > 0) {
            XNextEvent(dpy, &ev);
            if (ev.type == SelectionClear) {
                owning = false;
            } else if (ev.type == SelectionRequest) {
                Work w;
                w.due = Clock::now() + std::chrono::milliseconds(delayMs);
                w.request = ev.xselectionrequest;
                work.push_back(w);
            } else if (ev.type == PropertyNotify && ev.xproperty.state == PropertyDelete) {
                for (Work& w : work) {
                    if (!w.answer && w.waitingForDelete && w.request.requestor == ev.xproperty.window
                        && w.request.property == ev.xproperty.atom) {
                        w.waitingForDelete = false;
                        w.due = Clock::now() + std::chrono::milliseconds(pieceDelayMs);
                    }
                }
            }
        }
        const auto now = Clock::now();
        for (auto it = work.begin(); it != work.end();) {
            if (it->answer && now >= it->due) {
                Work w = *it;
                it = work.erase(it);
                answer(w);
            } else if (!it->answer && !it->waitingForDelete && now >= it->due) {
                if (sendPiece(*it)) {
                    std::printf("ended\n");
                    std::fflush(stdout);
                    it = work.erase(it);
                } else {
                    ++it;
                }
            } else if (!it->answer && it->waitingForDelete && now >= it->stalledAt) {
                std::printf("stalled\n");
                std::fflush(stdout);
                it = work.erase(it);
            } else {
                ++it;
            }
        }
        XFlush(dpy);
        pollfd fd = {ConnectionNumber(dpy), POLLIN, 0};
        poll(&fd, 1, 10);
    }
    XCloseDisplay(dpy);
    return 0;
}
