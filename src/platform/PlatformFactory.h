#pragma once

#include "platform/Platform.h"

#include <memory>

namespace zarvik {

// Whether a display can be reached at all; checked before the toolkit starts, which would
// otherwise abort. The reason goes into `error`.
bool displayReachable(QString* error);

// The platform's own connection to the desktop, begun on a second thread before the
// toolkit's application object is made, so that the two connect at the same time.
class PlatformAhead final {
public:
    PlatformAhead();
    ~PlatformAhead();
    PlatformAhead(PlatformAhead&&) noexcept;
    PlatformAhead& operator=(PlatformAhead&&) noexcept;
    struct State;
    std::unique_ptr<State> d;
};
PlatformAhead connectPlatformAhead();

// The platform of the desktop the program runs on, finished on the interface thread once the
// toolkit is up; nullptr when there is none to talk to (for example no X display), with the
// reason in `error`.
std::unique_ptr<Platform> createPlatform(PlatformAhead ahead, QString* error);

// The program started with this one argument is a clipboard keeper: the clipboard that the
// program held at its exit, with no clipboard manager to take it, comes on standard input,
// and the keeper serves it until another program takes the clipboard (as command-line
// clipboard tools do), then ends. Returns the exit status.
inline constexpr char kKeepClipboardArgument[] = "--keep-clipboard";
int runClipboardKeeper();

} // namespace zarvik
