#include "platform/FileRegistry.h"
#include "platform/PlatformFactory.h"
#include "platform/X11Platform.h"

#include <X11/Xlib.h>

namespace zarvik {

bool displayReachable(QString* error)
{
    const QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty()) {
        if (error)
            *error = QStringLiteral("no X display (DISPLAY is not set)");
        return false;
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        if (error)
            *error = QStringLiteral("cannot open X display %1").arg(display);
        return false;
    }
    XCloseDisplay(dpy);
    return true;
}

std::unique_ptr<Platform> createPlatform(QString* error)
{
    return X11Platform::create(FileRegistry::defaultPath(), error);
}

} // namespace zarvik
