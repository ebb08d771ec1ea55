#pragma once

#include "platform/ClipboardSnapshot.h"
#include "platform/Platform.h"

#include <QString>

#include <functional>
#include <memory>

namespace zarvik {

class ClipboardCache;

// Keeps a ClipboardCache filled with the CLIPBOARD text from a thread of its own, with its
// own display connection: whenever the selection owner changes it asks the owner for its
// targets and then for the text, when the owner offers text short enough to look up, and
// publishes the answer with the owner's process. On request it also reads the whole clipboard (every target)
// or the PRIMARY selection's text. An owner that never answers costs that thread a timeout;
// the interface thread never waits for it. The reading of one answer is X11SelectionReader's,
// the bookkeeping of a snapshot X11SnapshotTaker's; this is the thread and its loop.
class X11ClipboardWatcher final {
public:
    // Both run on the reader's thread.
    using SnapshotDone = std::function<void(ClipboardSave, const ClipboardSnapshot&)>;
    using TextDone = std::function<void(const QString&)>;

    explicit X11ClipboardWatcher(ClipboardCache& cache, int timeoutMs = 1000);
    ~X11ClipboardWatcher();
    X11ClipboardWatcher(const X11ClipboardWatcher&) = delete;
    X11ClipboardWatcher& operator=(const X11ClipboardWatcher&) = delete;

    // Connects and starts fetching the current text; false with the reason when it cannot.
    bool start(QString* error);
    // Reads every target the clipboard offers now; replaces a request not yet answered.
    void requestSnapshot(SnapshotDone done);
    // Reads the text of the PRIMARY selection ("" when there is none or it is not text).
    void requestPrimaryText(TextDone done);
    // How many times PRIMARY has been taken since the start (any thread).
    quint64 primaryChanges() const;

    // How long a whole snapshot may take; one that has not read everything by then keeps
    // nothing (Incomplete), since a part put back would be a damaged clipboard.
    static constexpr int kSnapshotBudgetMs = 3000;

private:
    struct Worker;
    std::unique_ptr<Worker> m_worker;
};

} // namespace zarvik
