#include "platform/x11/X11ClipboardOwner.h"
#include "platform/x11/X11Atoms.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <poll.h>

namespace zarvik {

namespace {
using Clock = std::chrono::steady_clock;
// A requestor that stops taking the pieces of a transfer is given up on after this long.
constexpr auto kTransferPatience = std::chrono::seconds(10);
// Pieces of a large transfer: well inside one plain request, large enough to be quick.
constexpr qsizetype kMaxPieceBytes = 256 * 1024;

qsizetype itemBytes(int format)
{
    // Xlib keeps 16-bit items as shorts and 32-bit items as longs in memory.
    return format == 32 ? qsizetype(sizeof(long)) : format == 16 ? qsizetype(sizeof(short)) : 1;
}
} // namespace

X11ClipboardOwner::X11ClipboardOwner(Display* display) : m_dpy(display)
{
    const auto atoms = internAtoms<8>(m_dpy, {"CLIPBOARD", "TARGETS", "MULTIPLE", "INCR", "ATOM_PAIR", "TIMESTAMP",
                                              "ZARVIK_TIME", "ZARVIK_HAND_OVER"});
    m_clipboard = atoms[0];
    m_targets = atoms[1];
    m_multiple = atoms[2];
    m_incr = atoms[3];
    m_atomPair = atoms[4];
    m_timestamp = atoms[5];
    m_timeProperty = atoms[6];
    m_handOverProperty = atoms[7];
    m_window = XCreateSimpleWindow(m_dpy, DefaultRootWindow(m_dpy), -10, -10, 1, 1, 0, 0, 0);
    XSelectInput(m_dpy, m_window, PropertyChangeMask);
    m_pieceBytes = std::min<qsizetype>(kMaxPieceBytes, qsizetype(XMaxRequestSize(m_dpy)) * 4 - 1024);
}

X11ClipboardOwner::~X11ClipboardOwner()
{
    XDestroyWindow(m_dpy, m_window);
}

unsigned long X11ClipboardOwner::atom(const QByteArray& name)
{
    return XInternAtom(m_dpy, name.constData(), False);
}

// The server's time now: the time of a zero-length change to a property of our own window.
unsigned long X11ClipboardOwner::serverTime()
{
    XChangeProperty(m_dpy, m_window, m_timeProperty, XA_INTEGER, 32, PropModeAppend, nullptr, 0);
    XEvent ev;
    // Only our own window's property events are taken from the queue; the server sends this
    // one in answer to the change above.
    do
        XWindowEvent(m_dpy, m_window, PropertyChangeMask, &ev);
    while (ev.xproperty.atom != m_timeProperty);
    return ev.xproperty.time;
}

bool X11ClipboardOwner::own(const ClipboardSnapshot& content)
{
    if (content.entries.isEmpty() && content.offered.isEmpty()) {
        // The clipboard held nothing: it is to hold nothing again, not an empty text of ours.
        m_content = {};
        m_contentTargets.clear();
        XSetSelectionOwner(m_dpy, m_clipboard, None, serverTime());
        m_owning = false;
        return XGetSelectionOwner(m_dpy, m_clipboard) == None;
    }
    m_content = content;
    m_contentTargets.clear();
    for (const ClipboardSnapshot::Entry& entry : std::as_const(m_content.entries))
        m_contentTargets.append(atom(entry.target));
    // A time of the server's own, later than any claim so far, so the claim wins as
    // CurrentTime would, and TIMESTAMP has an honest answer.
    m_ownedAt = serverTime();
    XSetSelectionOwner(m_dpy, m_clipboard, m_window, m_ownedAt);
    m_owning = XGetSelectionOwner(m_dpy, m_clipboard) == m_window;
    return m_owning;
}

void X11ClipboardOwner::handle(const XEvent& ev)
{
    dropStalledTransfers();
    if (ev.type == PropertyNotify) {
        if (ev.xproperty.state != PropertyDelete)
            return;
        // The requestor has taken a piece: the next one follows.
        for (Transfer& transfer : m_transfers) {
            if (transfer.requestor == ev.xproperty.window && transfer.property == ev.xproperty.atom) {
                sendPiece(transfer);
                break;
            }
        }
        m_transfers.removeIf([](const Transfer& t) { return t.finished; });
        return;
    }
    if (ev.type == SelectionClear) {
        if (ev.xselectionclear.window == m_window && ev.xselectionclear.selection == m_clipboard) {
            // Transfers under way keep their own copy of the data and run to their end.
            m_owning = false;
            m_content = {};
            m_contentTargets.clear();
        }
        return;
    }
    if (ev.type != SelectionRequest)
        return;
    const XSelectionRequestEvent& request = ev.xselectionrequest;
    XSelectionEvent reply = {};
    reply.type = SelectionNotify;
    reply.display = m_dpy;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    reply.property = None; // refused unless set below
    // Obsolete requestors leave the property out and mean the target's name.
    const Atom property = request.property != None ? request.property : request.target;
    if (m_owning && request.owner == m_window && request.selection == m_clipboard) {
        if (request.target == m_multiple) {
            if (request.property != None) {
                serveMultiple(request.requestor, request.property);
                reply.property = request.property;
            }
        } else if (serve(request.requestor, request.target, property)) {
            reply.property = property;
        }
    }
    XSendEvent(m_dpy, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
    XFlush(m_dpy);
}

bool X11ClipboardOwner::serve(unsigned long requestor, unsigned long target, unsigned long property)
{
    if (target == m_targets) {
        // The list the copy's owner gave, as it gave it; a text of ours lists its forms.
        QList<Atom> targets;
        if (!m_content.offered.isEmpty()) {
            for (const QByteArray& name : std::as_const(m_content.offered))
                targets.append(atom(name));
        } else {
            targets = {m_targets, m_multiple, m_timestamp};
            for (const unsigned long t : std::as_const(m_contentTargets))
                targets.append(t);
        }
        XChangeProperty(m_dpy, requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(targets.constData()), int(targets.size()));
        return true;
    }
    if (target == m_timestamp) {
        const long time = long(m_ownedAt);
        XChangeProperty(m_dpy, requestor, property, XA_INTEGER, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&time), 1);
        return true;
    }
    const qsizetype index = m_contentTargets.indexOf(target);
    if (index < 0)
        return false;
    const ClipboardSnapshot::Entry& entry = m_content.entries.at(index);
    const Atom type = atom(entry.type);
    if (entry.format == 8 && entry.data.size() > m_pieceBytes) {
        // Too large for one request: announce the size, then a piece each time the requestor
        // deletes the property.
        XSelectInput(m_dpy, requestor, PropertyChangeMask);
        const long size = long(entry.data.size());
        XChangeProperty(m_dpy, requestor, property, m_incr, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&size), 1);
        // A new request for the same property replaces one left unfinished.
        m_transfers.removeIf([&](const Transfer& t) { return t.requestor == requestor && t.property == property; });
        Transfer transfer;
        transfer.requestor = requestor;
        transfer.property = property;
        transfer.type = type;
        transfer.data = entry.data;
        transfer.deadline = Clock::now() + kTransferPatience;
        m_transfers.append(transfer);
        return true;
    }
    XChangeProperty(m_dpy, requestor, property, type, entry.format, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(entry.data.constData()),
                    int(entry.data.size() / itemBytes(entry.format)));
    return true;
}

void X11ClipboardOwner::serveMultiple(unsigned long requestor, unsigned long property)
{
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(m_dpy, requestor, property, 0, 4096, False, AnyPropertyType, &type, &format, &items,
                           &after, &data)
            != Success
        || !data)
        return;
    QList<Atom> pairs;
    if (format == 32) {
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        pairs = QList<Atom>(atoms, atoms + (items & ~1UL));
    }
    XFree(data);
    // Each pair names a target and where it goes; a refused one gets None in its place.
    for (qsizetype i = 0; i + 1 < pairs.size(); i += 2) {
        if (pairs[i] == m_multiple || pairs[i + 1] == None || !serve(requestor, pairs[i], pairs[i + 1]))
            pairs[i + 1] = None;
    }
    XChangeProperty(m_dpy, requestor, property, m_atomPair, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(pairs.constData()), int(pairs.size()));
}

void X11ClipboardOwner::sendPiece(Transfer& transfer)
{
    const qsizetype left = transfer.data.size() - transfer.offset;
    const qsizetype piece = std::min(left, m_pieceBytes);
    // The last piece is an empty one: it tells the requestor that the data is complete.
    XChangeProperty(m_dpy, transfer.requestor, transfer.property, transfer.type, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(transfer.data.constData() + transfer.offset), int(piece));
    transfer.offset += piece;
    transfer.deadline = Clock::now() + kTransferPatience;
    if (piece == 0) {
        transfer.finished = true;
        const bool more = std::any_of(m_transfers.cbegin(), m_transfers.cend(), [&](const Transfer& t) {
            return !t.finished && t.requestor == transfer.requestor;
        });
        if (!more)
            XSelectInput(m_dpy, transfer.requestor, NoEventMask);
    }
    XFlush(m_dpy);
}

void X11ClipboardOwner::dropStalledTransfers()
{
    const auto now = Clock::now();
    m_transfers.removeIf([now](const Transfer& t) { return t.finished || now > t.deadline; });
}

bool X11ClipboardOwner::handOver(int timeoutMs)
{
    if (!m_owning)
        return false;
    const Atom manager = atom(QByteArrayLiteral("CLIPBOARD_MANAGER"));
    if (XGetSelectionOwner(m_dpy, manager) == None)
        return false;
    // A named property that does not exist: the manager takes every target we offer. It must
    // be named, since the manager's answer is the property on success and None on refusal; a
    // request without one would get None either way.
    XDeleteProperty(m_dpy, m_window, m_handOverProperty);
    XConvertSelection(m_dpy, manager, atom(QByteArrayLiteral("SAVE_TARGETS")), m_handOverProperty, m_window,
                      CurrentTime);
    XFlush(m_dpy);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        while (XPending(m_dpy) > 0) {
            XEvent ev;
            XNextEvent(m_dpy, &ev);
            if (ev.type == SelectionNotify && ev.xselection.requestor == m_window
                && ev.xselection.selection == manager) {
                // A refusal leaves the copy with us, to be kept by other means.
                return ev.xselection.property != None;
            }
            // The manager reads our targets meanwhile; everything else can wait for ever.
            handle(ev);
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd fd = {ConnectionNumber(m_dpy), POLLIN, 0};
        ::poll(&fd, 1, int(left));
    }
}

} // namespace zarvik
