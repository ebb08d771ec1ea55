#pragma once

#include "platform/ClipboardSnapshot.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <chrono>

// Xlib's own types, declared only: this header stays free of X11 headers.
struct _XDisplay;
union _XEvent;

namespace zarvik {

// Holds what we put on the CLIPBOARD (a text of ours, or a user's clipboard put back whole)
// and hands it to whoever asks, from the connection of the interface thread (its events
// reach handle()). Data larger than one request goes in pieces (INCR); every target is served
// with the bytes it holds, unconverted.
//
// We own the clipboard ourselves rather than through QClipboard: Qt claims it with the time
// of the last event it saw, and a program resident in the background sees few, so the server
// would refuse the claim whenever someone copied since. CurrentTime always wins, which is
// what putting the user's clipboard back after a capture needs.
class X11ClipboardOwner final {
public:
    explicit X11ClipboardOwner(_XDisplay* display);
    ~X11ClipboardOwner();
    X11ClipboardOwner(const X11ClipboardOwner&) = delete;
    X11ClipboardOwner& operator=(const X11ClipboardOwner&) = delete;

    // Takes the clipboard with this text; false when the server did not give it to us.
    bool own(const QString& text) { return own(ClipboardSnapshot::fromText(text)); }
    // Takes the clipboard with every target of the snapshot. An empty snapshot (a clipboard
    // that held nothing) leaves the clipboard with no owner at all.
    bool own(const ClipboardSnapshot& content);
    bool owning() const { return m_owning; }
    // What we offer while owning().
    const ClipboardSnapshot& content() const { return m_content; }
    // A transfer in pieces is still under way.
    bool busy() const { return !m_transfers.isEmpty(); }
    // Answers a SelectionRequest, notes a SelectionClear, and goes on with a transfer in
    // pieces on the PropertyNotify that asks for the next one.
    void handle(const _XEvent& event);
    // Our window, which receives what the clipboard manager answers.
    unsigned long window() const { return m_window; }

    // At exit: while we own the clipboard, asks a running clipboard manager to take a copy
    // (the freedesktop CLIPBOARD_MANAGER convention) and serves it until it is done or the
    // time is up. True only when a manager confirmed it took the copy; a refusal, silence
    // until the time is up, or no manager at all: false, and the copy is still ours to keep.
    bool handOver(int timeoutMs);

private:
    struct Transfer {
        unsigned long requestor = 0;
        unsigned long property = 0;
        unsigned long type = 0;
        QByteArray data;
        qsizetype offset = 0;
        bool finished = false; // the last, empty piece has been sent
        std::chrono::steady_clock::time_point deadline;
    };

    bool serve(unsigned long requestor, unsigned long target, unsigned long property);
    void serveMultiple(unsigned long requestor, unsigned long property);
    void sendPiece(Transfer& transfer);
public:
    // Forgets transfers whose requestor stopped taking pieces (also done by handle()).
    void dropStalledTransfers();

private:
    unsigned long atom(const QByteArray& name);
    unsigned long serverTime();

    _XDisplay* m_dpy;
    unsigned long m_window = 0;
    unsigned long m_clipboard = 0, m_targets = 0, m_multiple = 0, m_incr = 0, m_atomPair = 0, m_timestamp = 0;
    unsigned long m_timeProperty = 0;
    unsigned long m_handOverProperty = 0; // where a clipboard manager answers SAVE_TARGETS
    bool m_owning = false;
    unsigned long m_ownedAt = 0; // server time of our claim, the answer to TIMESTAMP
    ClipboardSnapshot m_content;
    QList<unsigned long> m_contentTargets; // atoms of m_content's entries, in order
    QList<Transfer> m_transfers;
    qsizetype m_pieceBytes = 0;
};

} // namespace zarvik
