#pragma once

#include "platform/ButtonEdgeQueue.h"
#include "platform/InputPort.h"
#include "platform/fake/FakeLog.h"

#include <functional>

namespace zarvik {

// The fake platform's mouse button and keys.
class FakeInput : public virtual InputPort, public virtual FakeLog {
public:
    void setLeftButtonDown(bool down) { m_button.reset(down); }
    // A whole click made between two polls: queued as the real platform queues it, so polls
    // report it one change at a time.
    void queueClick()
    {
        m_button.press();
        m_button.release();
    }
    // A press of the left button as the desktop reports it: the button goes down and the
    // press handler runs (setLeftButtonDown changes the state without a report).
    void pressLeftButton()
    {
        m_button.press();
        notifyLeftButtonPressed();
    }
    void setCapsLockDown(bool down) { m_capsDown = down; }
    void setDoubleClickTime(int ms) { m_doubleClickTime = ms; }
    // Whether presses are reported (they are by default, as on X11).
    void setReportsPresses(bool on) { m_reportsPresses = on; }
    // Runs inside sendCopyKeystroke(), e.g. to put the "selection" on the clipboard.
    void onCopyKeystroke(std::function<void()> action) { m_onCopy = std::move(action); }

    int sentKeys() const { return m_sentKeys; }

    bool leftButtonDown() override { return m_button.poll(); }
    void forgetButtonChanges() override { m_button.reset(m_button.physical()); }
    bool leftButtonHeld() override { return m_button.physical(); }
    bool reportsLeftButtonPresses() override { return m_reportsPresses; }
    int doubleClickTime() override { return m_doubleClickTime; }
    bool capsLockDown() override { return m_capsDown; }
    void undoCapsLockPress() override { m_log.append(QStringLiteral("caps-undo")); }
    void sendCopyKeystroke() override
    {
        ++m_sentKeys;
        m_log.append(QStringLiteral("keys:^{Insert}"));
        if (m_onCopy)
            m_onCopy();
    }

private:
    ButtonEdgeQueue m_button;
    bool m_capsDown = false;
    int m_doubleClickTime = 400;
    bool m_reportsPresses = true;
    std::function<void()> m_onCopy;
    int m_sentKeys = 0;
};

} // namespace zarvik
