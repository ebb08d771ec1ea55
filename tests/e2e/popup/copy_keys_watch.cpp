// Watches the copy keystroke of a capture from the server's side: waits (at most the given
// seconds) for Insert to go down, then for Insert and both Control keys to be up again, and
// prints how many milliseconds of server time lay between the press of Insert and the last
// release ("held 15"). Raw events carry every device's keys, the XTest device's included, so
// nothing the program sends is missed however short. Exit status 1 when no press came, 2
// when the keys were still down at the end.
//   copy_keys_watch SECONDS
#include <X11/Xlib.h>
#include <X11/XKBlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <poll.h>

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "copy_keys_watch: no display\n");
        return 3;
    }
    int opcode = 0, event = 0, error = 0;
    if (!XQueryExtension(dpy, "XInputExtension", &opcode, &event, &error)) {
        std::fprintf(stderr, "copy_keys_watch: no XInput\n");
        return 3;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask{XIAllDevices, int(sizeof bits), bits};
    XISelectEvents(dpy, DefaultRootWindow(dpy), &mask, 1);
    XSync(dpy, False);
    std::printf("ready\n");
    std::fflush(stdout);

    const KeyCode insert = XKeysymToKeycode(dpy, XK_Insert);
    const KeyCode ctrlL = XKeysymToKeycode(dpy, XK_Control_L);
    const KeyCode ctrlR = XKeysymToKeycode(dpy, XK_Control_R);
    bool down[256] = {};
    Time pressedAt = 0;
    bool pressed = false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (!XPending(dpy)) {
            pollfd fd{ConnectionNumber(dpy), POLLIN, 0};
            poll(&fd, 1, 20);
            continue;
        }
        XEvent ev;
        XNextEvent(dpy, &ev);
        if (ev.xcookie.type != GenericEvent || ev.xcookie.extension != opcode || !XGetEventData(dpy, &ev.xcookie))
            continue;
        const auto* raw = static_cast<XIRawEvent*>(ev.xcookie.data);
        const int key = raw->detail & 0xff;
        const bool press = ev.xcookie.evtype == XI_RawKeyPress;
        const Time time = raw->time;
        XFreeEventData(dpy, &ev.xcookie);
        down[key] = press;
        if (press && key == insert && !pressed) {
            pressed = true;
            pressedAt = time;
        }
        if (pressed && !down[insert] && !down[ctrlL] && !down[ctrlR]) {
            // The server's own word on the keys, beside the events.
            char keys[32] = {};
            XQueryKeymap(dpy, keys);
            const auto isDown = [&keys](KeyCode k) { return k && (keys[k / 8] & (1 << (k % 8))); };
            std::printf("held %lu%s\n", static_cast<unsigned long>(time - pressedAt),
                        isDown(insert) || isDown(ctrlL) ? " (keymap still down)" : "");
            return isDown(insert) || isDown(ctrlL) ? 2 : 0;
        }
    }
    std::printf(pressed ? "still held\n" : "no keystroke\n");
    return pressed ? 2 : 1;
}
