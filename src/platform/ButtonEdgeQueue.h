#pragma once

namespace zarvik {

// The state of a mouse button as a poller should see it, fed by press/release events.
//
// The click watcher samples the button every 10 ms, but a synthetic or very quick click can
// go down and up between two samples and would then be missed altogether. So every change
// of the physical state is queued and each poll reports at most one more of them, in order:
// a click shorter than a poll interval shows as "down" at one poll and "up" at the next. The
// report lags the hand only while a burst is being played out; the queue is bounded so a
// storm of clicks the poller never saw cannot make it lag for long.
class ButtonEdgeQueue final {
public:
    // Forgets queued changes; the button is now known to be `down`.
    void reset(bool down)
    {
        m_physical = m_reported = down;
        m_pending = 0;
    }
    void press() { change(true); }
    void release() { change(false); }

    // The state to report now; reports the oldest change not yet seen by a poll.
    bool poll()
    {
        if (m_pending > 0) {
            m_reported = !m_reported;
            --m_pending;
        }
        return m_reported;
    }

    bool physical() const { return m_physical; }
    int pendingChanges() const { return m_pending; }

    // Two clicks (four changes) are as much as a double-click detector can use.
    static constexpr int kMaxPending = 4;

private:
    void change(bool down)
    {
        if (down == m_physical)
            return; // a second device repeating the state, or a lost event: nothing changed
        m_physical = down;
        ++m_pending;
        // Changes alternate, so dropping the oldest pair keeps the reported order intact.
        while (m_pending > kMaxPending)
            m_pending -= 2;
    }

    bool m_physical = false;
    bool m_reported = false;
    int m_pending = 0;
};

} // namespace zarvik
