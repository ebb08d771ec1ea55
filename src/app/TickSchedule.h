#pragma once

#include <limits>

namespace zarvik {

class HiddenState;
class Platform;

// Decides whether the pop-up machinery's two polls have to run now. The click watcher polls
// every 10 ms and the lookup every 50 ms; ticking all day with nothing going on would wake
// the processor 120 times a second. Both polls only ever start work on a press of the left
// button or on a new clipboard owner, and the platform reports both, so each poll runs from
// such a report until the work it started is over, and sleeps otherwise. A platform that
// cannot report them keeps both polls running all the time.
class TickSchedule final {
public:
    TickSchedule(Platform& platform, const HiddenState& state);
    TickSchedule(const TickSchedule&) = delete;
    TickSchedule& operator=(const TickSchedule&) = delete;

    // The platform reported a press of the left button.
    void leftButtonPressed();

    // The click watcher's poll (Timer1) is needed now. Asked after every event that may
    // start or end its work; it remembers when the watcher was last busy.
    bool watcherNeeded();
    // The lookup's poll (Timer3) is needed now.
    bool lookupNeeded();

    // How long the watcher keeps polling after its work is over: long enough to play out the
    // button changes queued behind a burst of clicks, and for the window manager to report
    // the program that a click has just brought to the front.
    static constexpr double kWatcherGraceSeconds = 0.5;

private:
    Platform& m_platform;
    const HiddenState& m_state;
    double m_watcherBusyAt = -std::numeric_limits<double>::infinity();
};

} // namespace zarvik
