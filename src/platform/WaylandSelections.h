#pragma once

#include "platform/Platform.h"

#include <QString>
#include <functional>
#include <memory>

namespace zarvik {

// A connection of the program's own to the Wayland compositor of the session, watching the
// clipboard and the primary selection through a data-control protocol (ext-data-control-v1,
// else wlr-data-control-unstable-v1), so that what native Wayland programs copy and select
// reaches the program without it having the keyboard focus. Events are read and the texts
// fetched on a worker thread; nothing is ever written to either selection.
class WaylandSelections final {
public:
    // Runs on the worker thread with the text of every new clipboard or primary selection
    // ("" for one without text, or one that could not be read in time). The selections that
    // were there when the watch began are not reported.
    using Report = std::function<void(SelectionKind kind, const QString& text)>;

    // Connects to $WAYLAND_DISPLAY; nullptr with the reason in `error` when there is no
    // compositor to talk to or it offers no data-control protocol.
    static std::unique_ptr<WaylandSelections> watch(Report report, QString* error);
    ~WaylandSelections();
    WaylandSelections(const WaylandSelections&) = delete;
    WaylandSelections& operator=(const WaylandSelections&) = delete;

    // The protocol in use, by its name.
    QString protocol() const;
    // The clipboard's text when the watch began ("" for none, or one not read in time).
    QString clipboardAtStart() const;

    // Longest text fetched from a selection; a longer one is reported cut to this length
    // (well past anything the program looks up).
    static constexpr int kMaxBytes = 4096;
    // How long a program that offers a selection may take to hand its text over.
    static constexpr int kFetchTimeoutMs = 1000;

private:
    struct Impl;
    explicit WaylandSelections(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

} // namespace zarvik
