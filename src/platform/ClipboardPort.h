#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>

namespace zarvik {

// Where keeping a copy of the whole clipboard stands (see ClipboardPort::saveClipboard).
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

// The clipboard and the primary selection: reading, writing, keeping the user's clipboard
// across a capture, and the news of new owners.
class ClipboardPort {
public:
    // What clipboardText() answers for a text longer than the platform reads: more characters
    // than any lookup takes, so it is never looked up; the text itself is not held.
    static QString longText() { return QString(kLongTextChars, QChar(0x2026)); }
    static constexpr int kLongTextChars = 1024;

    virtual ~ClipboardPort() = default;

    // Current clipboard text, "" when the clipboard holds no text. Never blocks. A text too
    // long to be looked up is not read: it answers as longText().
    virtual QString clipboardText() = 0;
    // Puts text on the clipboard (the program becomes its owner); clipboardText() returns it
    // from now on.
    virtual void writeClipboardText(const QString& text) = 0;
    // How many times the clipboard has changed owner (our own writes included); the text of
    // each new owner is in clipboardText() by the time it is counted. Answered from state.
    virtual quint64 clipboardOwnerChanges() = 0;
    // The process whose copy clipboardText() answers for (ours after our own writes), 0 when
    // it cannot be told or nobody owns the clipboard.
    virtual qint64 clipboardTextProcess() { return 0; }
    // Every change of the clipboard owner reaches the owner-change handler; when false, only
    // polling clipboardText() sees copies.
    virtual bool reportsClipboardOwnerChanges() { return false; }
    // Runs on the interface thread, from the event loop, once the platform has caught up with
    // a new clipboard owner: clipboardText() already answers for it.
    void setClipboardOwnerChangeHandler(std::function<void()> handler)
    {
        m_clipboardOwnerChanged = std::move(handler);
    }

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

protected:
    void notifyClipboardOwnerChanged() const
    {
        if (m_clipboardOwnerChanged)
            m_clipboardOwnerChanged();
    }
    void notifyNativeSelection(SelectionKind kind, const QString& text) const
    {
        if (m_nativeSelection)
            m_nativeSelection(kind, text);
    }

private:
    std::function<void()> m_clipboardOwnerChanged;
    std::function<void(SelectionKind, const QString&)> m_nativeSelection;
};

} // namespace zarvik
