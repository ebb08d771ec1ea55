#include "platform/x11/X11Errors.h"

#include <X11/Xlib.h>

namespace zarvik {

namespace {
int ignoreXError(Display*, XErrorEvent*)
{
    return 0;
}
} // namespace

void silenceXErrors()
{
    XSetErrorHandler(ignoreXError);
}

} // namespace zarvik
