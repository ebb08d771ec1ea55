#pragma once

#include <functional>

namespace zarvik {

// The mouse button and the keys: what the user holds, and the copy keystroke we send.
class InputPort {
public:
    virtual ~InputPort() = default;

    // The left mouse button is held down at this moment.
    virtual bool leftButtonDown() = 0;
    // Forgets the button presses and releases that leftButtonDown() has not reported yet, so
    // that from now on it reports the button as it is.
    virtual void forgetButtonChanges() = 0;
    // The left button is held down now, as far as the reported events tell. Unlike
    // leftButtonDown() it does not move the poll on, so it may be asked at any time.
    virtual bool leftButtonHeld() { return false; }
    // Every press of the left button reaches the press handler; when false, only polling
    // leftButtonDown() sees presses.
    virtual bool reportsLeftButtonPresses() { return false; }
    // A wake-up, so that a program can let its polls sleep while nothing happens. It runs on
    // the interface thread, and may run inside any query that reads pending events, so it
    // should do no more than start a timer.
    void setLeftButtonPressHandler(std::function<void()> handler) { m_leftButtonPressed = std::move(handler); }
    // The desktop's double-click time in milliseconds.
    virtual int doubleClickTime() = 0;

    // The Caps Lock key itself is held down at this moment (not the lock state).
    virtual bool capsLockDown() = 0;
    // Puts Caps Lock's lock state (the light) back to what it was before the user's latest
    // press of Caps Lock, without a key event. Pressing it again does nothing more.
    virtual void undoCapsLockPress() {}
    // Sends Ctrl+Insert to the window that has the keyboard focus; does not wait for it.
    virtual void sendCopyKeystroke() = 0;

protected:
    void notifyLeftButtonPressed() const
    {
        if (m_leftButtonPressed)
            m_leftButtonPressed();
    }

private:
    std::function<void()> m_leftButtonPressed;
};

} // namespace zarvik
