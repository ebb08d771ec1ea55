#pragma once

#include "platform/Platform.h"
#include "platform/fake/FakeClipboard.h"
#include "platform/fake/FakeInput.h"
#include "platform/fake/FakeScreens.h"
#include "platform/fake/FakeSession.h"
#include "platform/fake/FakeWindows.h"

namespace zarvik {

// Platform for logic tests, put together from one fake part per port. Scripting is done
// through the parts' set*/advance* calls, and every output is recorded so that a test can
// assert what the logic did to the desktop, in order in log().
class FakePlatform final : public Platform,
                           public FakeWindows,
                           public FakeInput,
                           public FakeScreens,
                           public FakeClipboard,
                           public FakeSession {
public:
    FakePlatform() = default;

    // Whether presses and clipboard owner changes are reported (both are by default, as on X11).
    void setReportsWakeups(bool on)
    {
        setReportsPresses(on);
        setReportsOwnerChanges(on);
    }

protected:
    void eventsDispatched() override { clipboardEventsDispatched(); }
};

} // namespace zarvik
