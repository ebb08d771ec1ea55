#pragma once

#include <QByteArray>
#include <QString>

// Xlib's own types, declared only: this header stays free of X11 headers.
struct _XDisplay;
union _XEvent;

namespace zarvik {

// Holds the CLIPBOARD text we wrote and hands it to whoever asks, from the connection of the
// interface thread (its events reach handle()).
//
// We own the clipboard ourselves rather than through QClipboard: Qt claims it with the time
// of the last event it saw, and a program resident in the background sees few, so the server
// would refuse the claim whenever someone copied since. CurrentTime always wins, which is
// what putting the user's text back after a capture needs.
class X11ClipboardOwner final {
public:
    explicit X11ClipboardOwner(_XDisplay* display);
    ~X11ClipboardOwner();
    X11ClipboardOwner(const X11ClipboardOwner&) = delete;
    X11ClipboardOwner& operator=(const X11ClipboardOwner&) = delete;

    // Takes the clipboard with this text; false when the server did not give it to us.
    bool own(const QString& text);
    bool owning() const { return m_owning; }
    // Answers a SelectionRequest, or notes a SelectionClear, addressed to us.
    void handle(const _XEvent& event);

private:
    _XDisplay* m_dpy;
    unsigned long m_window = 0;
    unsigned long m_clipboard = 0, m_targets = 0, m_utf8 = 0, m_text = 0;
    bool m_owning = false;
    QString m_ownedText;
    QByteArray m_ownedUtf8;
};

} // namespace zarvik
