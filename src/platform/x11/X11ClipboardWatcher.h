#pragma once

#include <QString>

#include <memory>

namespace zarvik {

class ClipboardCache;

// Keeps a ClipboardCache filled with the CLIPBOARD text from a thread of its own, with its
// own display connection: whenever the selection owner changes it asks the owner for the
// text and publishes the answer. An owner that never answers costs that thread a timeout;
// the interface thread never waits for it.
class X11ClipboardWatcher final {
public:
    explicit X11ClipboardWatcher(ClipboardCache& cache, int timeoutMs = 1000);
    ~X11ClipboardWatcher();
    X11ClipboardWatcher(const X11ClipboardWatcher&) = delete;
    X11ClipboardWatcher& operator=(const X11ClipboardWatcher&) = delete;

    // Connects and starts fetching the current text; false with the reason when it cannot.
    bool start(QString* error);

private:
    struct Worker;
    std::unique_ptr<Worker> m_worker;
};

} // namespace zarvik
