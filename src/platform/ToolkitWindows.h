#pragma once

#include "platform/Platform.h"

#include <functional>
#include <memory>

namespace zarvik {

// What the program's own toolkit windows need from X11 beyond the toolkit, where a window
// manager part of a Wayland compositor (XWayland's) runs them. Both work on the toolkit's own
// connection, so that they are ordered with its requests.

// Puts the X input focus on one of the program's own toolkit windows at once, at the server's
// current time. The toolkit's own activation stamps the request with the last event time it
// saw, which the server refuses when a window manager moved the focus since. False when the
// toolkit does not run on X11 (nothing is done).
bool focusToolkitWindow(WindowId window);

// Watches the windows the window manager manages: as long as it lives, `onRestack` runs (from
// the event loop) each time one of them is mapped or moved in the stacking order. Windows
// that bypass the manager (the program's own panel, strip and menus) do not count.
class ManagedRestackWatch {
public:
    virtual ~ManagedRestackWatch() = default;
};
// Null when the toolkit does not run on X11.
std::unique_ptr<ManagedRestackWatch> watchManagedRestacks(std::function<void()> onRestack);

} // namespace zarvik
