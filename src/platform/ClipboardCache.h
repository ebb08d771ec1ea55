#pragma once

#include <QString>

#include <condition_variable>
#include <functional>
#include <mutex>

namespace zarvik {

// The last known clipboard text, shared between the thread that fetches it from the clipboard
// owner and the interface thread that reads it every tick.
//
// Our own writes win over fetches that were already under way when we wrote: a fetch takes a
// ticket when it starts and its result is dropped if we wrote since, because the text it
// brings belongs to an owner that our write has replaced. A fetch started after our write
// asks the current owner and so brings our text or a newer one.
class ClipboardCache final {
public:
    using Ticket = quint64;

    // Taken by a fetch just before it asks the owner.
    Ticket beginFetch() const;
    // Publishes a fetched text and the process that gave it (0 unknown or nobody); false
    // (and no effect) when our own write made it stale.
    bool publish(Ticket ticket, const QString& text, qint64 process = 0);
    // Our own write: visible to text() at once; `process` is our own.
    void writeLocal(const QString& text, qint64 process = 0);

    QString text() const;
    // The process whose copy text() holds, 0 when unknown or when nobody owns the clipboard.
    qint64 process() const;
    // Times the text was replaced (by a publish or a write): a cheap "did anything happen".
    quint64 updates() const;
    // Waits until the first publish or write, at most `ms` milliseconds; true when it came.
    bool waitForFirst(int ms) const;
    // Called on the publishing thread after every publish that took effect. Once this
    // returns, the listener it replaced is not running and will not be called again.
    void setPublishListener(std::function<void()> listener);

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_firstArrived;
    QString m_text;
    qint64 m_process = 0;
    Ticket m_localWrites = 0;
    quint64 m_updates = 0;
    // Held while the listener runs, apart from the text's lock: a listener may read the text.
    std::mutex m_listenerMutex;
    std::function<void()> m_listener;
};

} // namespace zarvik
