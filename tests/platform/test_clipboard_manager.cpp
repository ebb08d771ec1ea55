// Test helper: a clipboard manager after the freedesktop convention. It owns CLIPBOARD_MANAGER
// and prints "ready"; when a program asks it to SAVE_TARGETS, it reads every target of the
// clipboard, prints one line "TARGET HEX" for each, confirms to the program and exits.
// Started with "refuse" it answers that it saved nothing (the property None) and exits; with
// "silent" it never answers, as a hung manager would, and runs until killed.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

Display* dpy = nullptr;
Window window = 0;
Atom clipboard = 0, property = 0;

// Asks the clipboard's owner for one target and waits for the answer; false when refused.
bool convert(Atom target, std::vector<unsigned char>& bytes, int& format)
{
    XDeleteProperty(dpy, window, property);
    XConvertSelection(dpy, clipboard, target, property, window, CurrentTime);
    XEvent ev;
    do
        XNextEvent(dpy, &ev);
    while (ev.type != SelectionNotify || ev.xselection.requestor != window);
    if (ev.xselection.property == None)
        return false;
    Atom type = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy, window, property, 0, 1 << 24, True, AnyPropertyType, &type, &format, &items, &after,
                           &data)
        != Success)
        return false;
    const size_t size = format == 32 ? sizeof(long) : format == 16 ? sizeof(short) : 1;
    bytes.assign(data, data + items * size);
    if (data)
        XFree(data);
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    const std::string mode = argc > 1 ? argv[1] : "";
    dpy = XOpenDisplay(nullptr);
    if (!dpy)
        return 2;
    window = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
    clipboard = XInternAtom(dpy, "CLIPBOARD", False);
    property = XInternAtom(dpy, "TEST_MANAGER_DATA", False);
    const Atom manager = XInternAtom(dpy, "CLIPBOARD_MANAGER", False);
    const Atom saveTargets = XInternAtom(dpy, "SAVE_TARGETS", False);
    const Atom targets = XInternAtom(dpy, "TARGETS", False);
    XSetSelectionOwner(dpy, manager, window, CurrentTime);
    if (XGetSelectionOwner(dpy, manager) != window)
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) {
        XEvent ev;
        XNextEvent(dpy, &ev);
        if (ev.type != SelectionRequest || ev.xselectionrequest.target != saveTargets)
            continue;
        const XSelectionRequestEvent request = ev.xselectionrequest;
        if (mode == "silent")
            continue;
        std::vector<unsigned char> list;
        int format = 0;
        if (mode != "refuse" && convert(targets, list, format) && format == 32) {
            std::vector<Atom> atoms(list.size() / sizeof(Atom));
            std::memcpy(atoms.data(), list.data(), atoms.size() * sizeof(Atom));
            for (const Atom target : atoms) {
                char* name = XGetAtomName(dpy, target);
                const std::string targetName = name ? name : "";
                if (name)
                    XFree(name);
                if (targetName == "TARGETS" || targetName == "MULTIPLE")
                    continue;
                std::vector<unsigned char> bytes;
                if (!convert(target, bytes, format))
                    continue;
                std::printf("%s ", targetName.c_str());
                for (const unsigned char b : bytes)
                    std::printf("%02x", b);
                std::printf("\n");
            }
        }
        XSelectionEvent reply = {};
        reply.type = SelectionNotify;
        reply.requestor = request.requestor;
        reply.selection = request.selection;
        reply.target = request.target;
        reply.property = mode == "refuse" ? None : request.property;
        reply.time = request.time;
        XSendEvent(dpy, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
        std::fflush(stdout);
        // Closed, not only flushed: a server that finds a client gone may drop the requests it
        // had not read yet, and the confirmation with them.
        XCloseDisplay(dpy);
        return 0;
    }
}
