#pragma once

#include "platform/ClipboardSnapshot.h"
#include "platform/Platform.h"

#include <QList>

#include <chrono>
#include <functional>

// Xlib's own type, declared only: this header stays free of X11 headers.
struct _XDisplay;

namespace zarvik {

// The state of one snapshot of the whole clipboard: the owner's list of targets, which of them
// is read next, and what has been read so far. The reading itself is the watcher's; this says
// what to read and gathers the answers, within a time limit.
class X11SnapshotTaker final {
public:
    using Clock = std::chrono::steady_clock;
    using Done = std::function<void(ClipboardSave, const ClipboardSnapshot&)>;

    explicit X11SnapshotTaker(_XDisplay* dpy) : m_dpy(dpy) {}

    bool active() const { return m_active; }
    Clock::time_point deadline() const { return m_deadline; }
    // Starts a snapshot that is to be done by `deadline` (one under way is finished first).
    void begin(Done done, Clock::time_point deadline);
    // The owner changed or went away: the snapshot is to be read again from the start,
    // within the same time.
    void markRestart() { m_restart = true; }
    bool restartWanted() const { return m_restart; }
    // Back to the start: no list of targets, nothing read.
    void reset();

    // The owner's TARGETS answer (atoms as Xlib gives them): its list is kept as offered, and
    // every target that holds content is to be read.
    void takeTargetList(const QByteArray& atoms);
    // An owner without a list: the given targets (the text forms) are to be read.
    void listTargets(const QList<unsigned long>& targets);
    bool hasTargets() const { return !m_targets.isEmpty(); }
    // The next target to read, or 0 when every one has been read.
    unsigned long nextTarget();
    // The answer for the target nextTarget() gave last; false when the snapshot has grown
    // past ClipboardSnapshot::kMaxBytes.
    bool addEntry(unsigned long type, int format, const QByteArray& data);
    // How many more bytes the snapshot may take.
    qint64 bytesLeft() const { return ClipboardSnapshot::kMaxBytes - m_content.totalBytes(); }
    // Ends the snapshot: what was read goes to the requester when `result` is Saved, nothing
    // otherwise, since a part put back would be a damaged clipboard.
    void finish(ClipboardSave result);

private:
    _XDisplay* m_dpy;
    bool m_active = false;
    Done m_done;
    QList<unsigned long> m_targets;
    QList<QByteArray> m_names;
    qsizetype m_next = 0;
    ClipboardSnapshot m_content;
    Clock::time_point m_deadline;
    bool m_restart = false;
};

} // namespace zarvik
