#pragma once

#include "platform/ClipboardPort.h"
#include "platform/InputPort.h"
#include "platform/ScreensPort.h"
#include "platform/SessionPort.h"
#include "platform/WindowsPort.h"

namespace zarvik {

// Everything the program needs from the desktop, behind narrow interfaces so that the logic
// runs against a fake in tests: one port per concern (windows, input, screens, clipboard,
// session), and the platform as all of them together. Every query must be cheap: the click
// watcher calls several of them every 10 ms, so an implementation answers from state it
// keeps up to date from events rather than asking the display server each time. Each
// handler runs on the interface thread.
//
// The ports are virtual bases, so that an implementation may be put together from parts that
// each implement one port (as the fake is).
class Platform : public virtual WindowsPort,
                 public virtual InputPort,
                 public virtual ScreensPort,
                 public virtual ClipboardPort,
                 public virtual SessionPort {
public:
    Platform() = default;
    ~Platform() override = default;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;
};

} // namespace zarvik
