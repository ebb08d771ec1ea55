#pragma once

#include "platform/Platform.h"

#include <QString>
#include <deque>
#include <functional>
#include <utility>

namespace zarvik {

class CapturedWordLookup;

// Hands what the native programs of a Wayland session copy and select to the lookup, leaving
// out what XWayland passes on from X11 programs (the platform sees those itself), and says
// once what cannot be done where the desktop offers no way to watch them.
class NativeSelectionWatcher final {
public:
    // `say` writes one line for the user (standard error in the program).
    NativeSelectionWatcher(Platform& platform, CapturedWordLookup& lookup, std::function<void(const QString&)> say);
    NativeSelectionWatcher(const NativeSelectionWatcher&) = delete;
    NativeSelectionWatcher& operator=(const NativeSelectionWatcher&) = delete;

    // Says what native programs miss out on when their selections cannot be watched; once,
    // however often it is called.
    void start();
    // The clipboard that the platform sees itself has a new owner.
    void platformClipboardChanged();
    // A new clipboard or primary selection of a native program.
    void selectionChanged(SelectionKind kind, const QString& text);

    // A copy in an X11 program reaches the Wayland clipboard too, a moment later (and so does
    // our own putting back of the user's clipboard after a capture): a Wayland clipboard text
    // that the X11 clipboard held within this time is taken for that echo.
    static constexpr double kEchoSeconds = 1.0;
    // The line said where nothing watches native programs.
    static QString unavailableMessage();

private:
    Platform& m_platform;
    CapturedWordLookup& m_lookup;
    std::function<void(const QString&)> m_say;
    bool m_said = false;
    // The platform clipboard's texts of the last kEchoSeconds, with the time each came.
    std::deque<std::pair<QString, double>> m_recentPlatformTexts;
};

} // namespace zarvik
