#include "platform/ClipboardSnapshot.h"
#include "platform/PlatformFactory.h"
#include "platform/x11/X11ClipboardOwner.h"
#include "platform/x11/X11Errors.h"

#include <QByteArray>

#include <X11/Xlib.h>

#include <poll.h>
#include <unistd.h>

namespace zarvik {

int runClipboardKeeper()
{
    QByteArray bytes;
    char buffer[64 * 1024];
    for (;;) {
        const auto n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0)
            return 2;
        if (n == 0)
            break;
        bytes.append(buffer, n);
        if (bytes.size() > ClipboardSnapshot::kMaxBytes * 2)
            return 2; // no clipboard we keep is that large
    }
    ClipboardSnapshot content;
    if (!ClipboardSnapshot::deserialize(bytes, &content))
        return 2;
    bytes = QByteArray();

    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy)
        return 1;
    silenceXErrors(); // a requestor window may go away between its request and our answer
    int status = 0;
    {
        X11ClipboardOwner owner(dpy);
        if (!owner.own(content))
            status = 1;
        // Until another program takes the clipboard, and then until the transfers under way
        // have ended (each gives up on a requestor that stops taking its pieces).
        while (owner.owning() || owner.busy()) {
            while (XPending(dpy) > 0) {
                XEvent ev;
                XNextEvent(dpy, &ev);
                owner.handle(ev);
            }
            owner.dropStalledTransfers();
            pollfd fd = {ConnectionNumber(dpy), POLLIN, 0};
            ::poll(&fd, 1, 1000);
        }
    }
    XCloseDisplay(dpy);
    return status;
}

} // namespace zarvik
