#include "app/TickSchedule.h"

#include "platform/Platform.h"
#include "popup/HiddenState.h"

namespace zarvik {

TickSchedule::TickSchedule(Platform& platform, const HiddenState& state) : m_platform(platform), m_state(state) {}

void TickSchedule::leftButtonPressed()
{
    m_watcherBusyAt = m_platform.clockSeconds();
}

bool TickSchedule::watcherNeeded()
{
    if (!m_platform.reportsLeftButtonPresses())
        return true;
    // A held button is watched even when the press was not counted (Caps Lock mode without
    // Caps Lock, an excluded program in front): Caps Lock may still go down, and another
    // program may come to the front, while it is held.
    const bool busy = m_platform.leftButtonHeld() || m_state.clk || m_state.clk2() || m_state.clktrans();
    const double now = m_platform.clockSeconds();
    if (busy)
        m_watcherBusyAt = now;
    return now - m_watcherBusyAt < kWatcherGraceSeconds;
}

bool TickSchedule::lookupNeeded()
{
    if (!m_platform.reportsClipboardOwnerChanges())
        return true;
    // A copy arrives with an owner change, and the owner-change report runs the lookup at
    // once; the poll is needed only for a capture, whose copy may never come and which then
    // has to be given up after a while.
    return m_state.clktrans();
}

} // namespace zarvik
