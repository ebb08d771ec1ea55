#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>

namespace zarvik {

// An X window id (or whatever the platform uses); 0 means "no window".
using WindowId = quint64;

// Where keeping a copy of the whole clipboard stands (see Platform::saveClipboard).
enum class ClipboardSave {
    Idle,     // nothing asked for since the start
    Pending,  // being read
    Saved,    // kept, every format that could be read in time
    TooLarge, // more than the program is willing to hold: nothing kept
    // The owner did not hand over everything in time (or kept changing): nothing kept, since
    // a part of the clipboard put back would be a clipboard damaged by us.
    Incomplete,
};

// The two selections a desktop keeps: what was copied, and what is selected now.
enum class SelectionKind { Clipboard, Primary };

// Whether programs whose selections the platform cannot see itself are watched some other
// way (the native programs of a Wayland session, beside the X11 ones it sees).
enum class NativeSelections {
    AllSeen,     // there are no such programs: the platform sees every program
    Watched,     // their clipboard and primary selection reach the native-selection handler
    Unavailable, // there are, but the desktop offers no way to watch them
};

// One monitor of the desktop, in the toolkit's logical pixels (what a window is moved in).
struct Monitor {
    QRect geometry;
    bool primary = false;

    friend bool operator==(const Monitor&, const Monitor&) = default;
};

// Everything the program needs from the desktop, behind one narrow interface so that the
// logic runs against a fake in tests. Every query must be cheap: the click watcher calls
// several of them every 10 ms, so an implementation answers from state it keeps up to date
// from events rather than asking the display server each time.
class Platform {
public:
    // What clipboardText() answers for a text longer than the platform reads: more characters
    // than any lookup takes, so it is never looked up; the text itself is not held.
    static QString longText() { return QString(kLongTextChars, QChar(0x2026)); }
    static constexpr int kLongTextChars = 1024;

    Platform() = default;
    virtual ~Platform() = default;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    // The window that has the user's attention now, 0 when there is none.
    virtual WindowId foregroundWindow() = 0;
    // Gives the keyboard to the window (one of another program); no effect for 0.
    virtual void activateWindow(WindowId window) = 0;
    // Executable file name (no folder) of the process that owns the window, "" when unknown.
    virtual QString windowExeName(WindowId window) = 0;
    // The left mouse button is held down at this moment.
    virtual bool leftButtonDown() = 0;
    // The Caps Lock key itself is held down at this moment (not the lock state).
    virtual bool capsLockDown() = 0;
    // Pointer position in the toolkit's logical pixels (each monitor's scale factor applied),
    // the coordinates windows are moved in.
    virtual QPoint cursorPos() = 0;
    // The desktop's double-click time in milliseconds.
    virtual int doubleClickTime() = 0;
    // Sends Ctrl+Insert to the window that has the keyboard focus; does not wait for it.
    virtual void sendCopyKeystroke() = 0;
    // Current clipboard text, "" when the clipboard holds no text. Never blocks. A text too
    // long to be looked up is not read: it answers as longText().
    virtual QString clipboardText() = 0;
    // Puts text on the clipboard (the program becomes its owner); clipboardText() returns it
    // from now on.
    virtual void writeClipboardText(const QString& text) = 0;
    // Registry-like string store: a missing value reads as "".
    virtual QString readRegString(const QString& subkey, const QString& valueName) = 0;
    // Registry-like string store: failures leave the store as it was, silently.
    virtual void writeRegString(const QString& subkey, const QString& valueName, const QString& value) = 0;
    // The machine believes it is online.
    virtual bool internetConnected() = 0;
    // Opens a file or an address with its default handler; the outcome is not reported.
    virtual void openDocument(const QString& pathOrUrl) = 0;
    // Monotonic clock in seconds (unaffected by midnight or clock changes).
    virtual double clockSeconds() = 0;
    // Dispatches pending window events once (used inside waits that loop on the clock).
    virtual void processEvents() = 0;
    // Size of the primary monitor in logical pixels.
    virtual QSize screenSize() = 0;

    // Forgets the button presses and releases that leftButtonDown() has not reported yet, so
    // that from now on it reports the button as it is.
    virtual void forgetButtonChanges() = 0;
    // How many times the clipboard has changed owner (our own writes included); the text of
    // each new owner is in clipboardText() by the time it is counted. Answered from state.
    virtual quint64 clipboardOwnerChanges() = 0;
    // The monitor (logical pixels) that holds the point; the nearest one when none does.
    virtual QRect screenGeometryAt(QPoint pixels) = 0;
    // The monitors of the moment, in logical pixels, the primary one flagged. Never empty.
    virtual QList<Monitor> monitors() { return {Monitor{QRect(QPoint(0, 0), screenSize()), true}}; }
    // Runs on the interface thread, from the event loop, after monitors came, went or changed
    // size or place (a laptop docked or undocked).
    void setMonitorsChangedHandler(std::function<void()> handler) { m_monitorsChanged = std::move(handler); }
    // Starts keeping a copy of everything the clipboard holds now, every format, read fresh
    // from its owner in the background; replaces any earlier copy. A clipboard with no owner
    // is saved as empty.
    virtual void saveClipboard() = 0;
    virtual ClipboardSave clipboardSaveState() = 0;
    // Puts the copy kept by saveClipboard() back on the clipboard, whole (an empty copy
    // leaves the clipboard empty); without a saved copy, puts `text` back as plain text. The
    // copy stays, so this may run again.
    virtual void restoreClipboard(const QString& text) = 0;
    // Takes the text of the PRIMARY selection (what the user has just selected) and puts it
    // on the clipboard, as a copy keystroke would; no keystroke is sent. In the background:
    // the clipboard changes a moment later, or not at all when nothing is selected.
    virtual void copyPrimarySelection() = 0;
    // How many times the PRIMARY selection has been taken (a new owner, or the same one
    // selecting anew, which is a new selection time); none when the platform cannot tell.
    // Answered from state.
    virtual std::optional<quint64> primarySelectionChanges() { return std::nullopt; }
    // Wake-ups, so that a program can let its polls sleep while nothing happens. Each
    // handler runs on the interface thread. The press handler may run inside any query that
    // reads pending events, so it should do no more than start a timer; the owner-change
    // handler runs from the event loop only.
    void setLeftButtonPressHandler(std::function<void()> handler) { m_leftButtonPressed = std::move(handler); }
    // Runs once the platform has caught up with a new clipboard owner: clipboardText()
    // already answers for it.
    void setClipboardOwnerChangeHandler(std::function<void()> handler)
    {
        m_clipboardOwnerChanged = std::move(handler);
    }
    // Every press of the left button reaches the press handler; when false, only polling
    // leftButtonDown() sees presses.
    virtual bool reportsLeftButtonPresses() { return false; }
    // Every change of the clipboard owner reaches the owner-change handler; when false, only
    // polling clipboardText() sees copies.
    virtual bool reportsClipboardOwnerChanges() { return false; }
    // The left button is held down now, as far as the reported events tell. Unlike
    // leftButtonDown() it does not move the poll on, so it may be asked at any time.
    virtual bool leftButtonHeld() { return false; }
    // The process of the program that owns the window, 0 when it cannot be told.
    virtual qint64 windowProcess(WindowId) { return 0; }
    // The process whose copy clipboardText() answers for (ours after our own writes), 0 when
    // it cannot be told or nobody owns the clipboard.
    virtual qint64 clipboardTextProcess() { return 0; }
    // Puts Caps Lock's lock state (the light) back to what it was before the user's latest
    // press of Caps Lock, without a key event. Pressing it again does nothing more.
    virtual void undoCapsLockPress() {}

    // A compositing manager runs on the display (the X server's _NET_WM_CM_S0 has an owner):
    // a window's see-through pixels show what lies under it. Without one they are black, and
    // only a window's shape cuts it to its outline.
    virtual bool compositingManager() { return false; }

    // See NativeSelections; AllSeen on a desktop where the platform sees every program.
    virtual NativeSelections nativeSelections() { return NativeSelections::AllSeen; }
    // Runs on the interface thread with the text of every new clipboard or primary selection
    // made by a program the platform cannot see itself ("" for one without text).
    void setNativeSelectionHandler(std::function<void(SelectionKind, const QString&)> handler)
    {
        m_nativeSelection = std::move(handler);
    }
    // The text the native programs' clipboard held when the platform began to watch it; ""
    // when it held none or is not watched.
    virtual QString nativeClipboardAtStart() { return {}; }
    // cursorPos() is where the pointer is now. False while the pointer is over a window of a
    // program the platform cannot see, where it is not told where the pointer is.
    virtual bool cursorPosKnown() { return true; }

protected:
    void notifyNativeSelection(SelectionKind kind, const QString& text) const
    {
        if (m_nativeSelection)
            m_nativeSelection(kind, text);
    }
    void notifyLeftButtonPressed() const
    {
        if (m_leftButtonPressed)
            m_leftButtonPressed();
    }
    void notifyClipboardOwnerChanged() const
    {
        if (m_clipboardOwnerChanged)
            m_clipboardOwnerChanged();
    }
    void notifyMonitorsChanged() const
    {
        if (m_monitorsChanged)
            m_monitorsChanged();
    }

private:
    std::function<void()> m_leftButtonPressed;
    std::function<void()> m_clipboardOwnerChanged;
    std::function<void(SelectionKind, const QString&)> m_nativeSelection;
    std::function<void()> m_monitorsChanged;
};

} // namespace zarvik
