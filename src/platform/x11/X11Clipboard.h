#pragma once

#include "platform/ClipboardCache.h"
#include "platform/ClipboardPort.h"
#include "platform/ClipboardSnapshot.h"
#include "platform/x11/X11ClipboardWatcher.h"

#include <QObject>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

union _XEvent;

namespace zarvik {

class X11ClipboardOwner;
class X11Connection;

// The clipboard as the platform uses it: the watcher keeps the cache of the owner's text
// filled from a thread of its own, the owner serves what we put on the clipboard from the
// interface thread's connection, and a save keeps the whole clipboard of a moment to put it
// back. At the end, what we hold is handed over (see ExitHandOver).
class X11Clipboard final {
public:
    explicit X11Clipboard(X11Connection& connection);
    ~X11Clipboard();
    X11Clipboard(const X11Clipboard&) = delete;
    X11Clipboard& operator=(const X11Clipboard&) = delete;

    // Makes our owner and starts the watcher; false with the reason when it cannot. Needs no
    // toolkit.
    bool start(QString* error);
    // The start-up takes the clipboard text once as "what the user had"; gives the watcher a
    // moment to bring it, so it does not arrive a tick later looking like a fresh copy.
    void waitForFirstText();
    // Takes a request for what we own, or the next step of a transfer; false for an event
    // that is not ours.
    bool handle(_XEvent& event);
    // Called on the watcher's thread after every text it published; see ClipboardCache.
    void setPublishListener(std::function<void()> listener) { m_cache.setPublishListener(std::move(listener)); }

    QString text() const { return m_cache.text(); }
    qint64 textProcess() const { return m_cache.process(); }
    // Every owner change is followed by a fetch of its text, and every write of ours replaces
    // the text: the cache counts both, once the text is in place.
    quint64 ownerChanges() const { return m_cache.updates(); }
    void write(const QString& text);
    void save();
    ClipboardSave saveState();
    void restore(const QString& text);
    void copyPrimary();
    std::optional<quint64> primaryChanges() const { return m_watcher.primaryChanges(); }

private:
    X11Connection& m_x;
    std::unique_ptr<X11ClipboardOwner> m_owner;
    ClipboardCache m_cache;
    // The whole clipboard kept by a save, filled in by the watcher's thread. A save is known
    // by its number, so that the late answer to an earlier one is dropped.
    std::mutex m_saveMutex;
    quint64 m_saveNumber = 0;
    ClipboardSave m_saveState = ClipboardSave::Idle;
    ClipboardSnapshot m_saved;
    // Receives, on the interface thread, what the watcher's thread hands over. Declared before
    // the watcher, so it outlives the watcher's thread.
    QObject m_fromWatcher;
    X11ClipboardWatcher m_watcher{m_cache};
};

} // namespace zarvik
