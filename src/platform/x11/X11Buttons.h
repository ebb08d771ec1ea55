#pragma once

#include "platform/ButtonEdgeQueue.h"

#include <functional>

union _XEvent;

namespace zarvik {

class X11Connection;

// The user's left button (logical button 1, wherever a left-handed mapping puts it), from
// the raw button events of XInput 2.1 or later, which reach us whoever grabs the pointer;
// without them the button is asked of the server on every poll.
class X11Buttons final {
public:
    explicit X11Buttons(X11Connection& connection);

    // Reads the button mapping and asks for raw events. Needs no toolkit.
    void start();
    // Takes a raw button event or a change of the button mapping; false for one not ours.
    bool handle(_XEvent& event);
    // Told of every press of the left button, once its event has been handled.
    void setPressHandler(std::function<void()> pressed) { m_pressed = std::move(pressed); }

    bool leftButtonDown();
    void forgetChanges();
    bool held() const { return m_button.physical(); }
    bool byEvents() const { return m_rawEvents; }

private:
    void readPointerMap();
    void selectRawButtons();
    void resync();
    int logicalButton(int physical) const;

    X11Connection& m_x;
    int m_xiOpcode = -1;
    bool m_rawEvents = false;
    ButtonEdgeQueue m_button;
    std::function<void()> m_pressed;
    unsigned char m_pointerMap[256] = {};
    int m_pointerMapLength = 0;
};

} // namespace zarvik
