// Test helper: takes ownership of CLIPBOARD and never answers a request for its content, as a
// hung program would. Prints "ready" when it owns the clipboard and runs until killed.
#include <X11/Xlib.h>

#include <cstdio>

int main()
{
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "silent_clipboard_owner: cannot open display\n");
        return 2;
    }
    const Window window = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
    const Atom clipboard = XInternAtom(dpy, "CLIPBOARD", False);
    XSetSelectionOwner(dpy, clipboard, window, CurrentTime);
    if (XGetSelectionOwner(dpy, clipboard) != window) {
        std::fprintf(stderr, "silent_clipboard_owner: could not take the clipboard\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) {
        XEvent ev;
        XNextEvent(dpy, &ev); // SelectionRequest included: read and ignored
    }
}
