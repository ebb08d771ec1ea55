#include "platform/x11/X11Process.h"

#include <X11/Xlib.h>
#include <X11/extensions/XRes.h>

namespace zarvik {

bool x11HasClientIds(Display* display)
{
    int event = 0, error = 0, major = 0, minor = 0;
    return XResQueryExtension(display, &event, &error) && XResQueryVersion(display, &major, &minor)
           && (major > 1 || (major == 1 && minor >= 2));
}

qint64 x11ClientProcess(Display* display, unsigned long window)
{
    if (window == 0)
        return 0;
    XResClientIdSpec client;
    client.client = window;
    client.mask = XRES_CLIENT_ID_PID_MASK;
    long count = 0;
    XResClientIdValue* ids = nullptr;
    qint64 pid = 0;
    if (XResQueryClientIds(display, 1, &client, &count, &ids) == Success) {
        for (long i = 0; i < count && pid <= 0; ++i)
            pid = XResGetClientPid(&ids[i]);
        XResClientIdsDestroy(count, ids);
    }
    return pid > 0 ? pid : 0;
}

} // namespace zarvik
