#pragma once

#include "platform/X11Platform.h"
#include "platform/x11/X11Buttons.h"
#include "platform/x11/X11Clipboard.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Keyboard.h"
#include "platform/x11/X11Screens.h"
#include "platform/x11/X11Windows.h"

namespace zarvik {

// The X11 platform's parts on one connection. They end in the reverse order of their
// declaration: the clipboard first, whose hand-over at the end still has the other parts
// take the events it brings, and the connection last.
struct X11Platform::Parts {
    X11Connection connection;
    X11Keyboard keyboard{connection};
    X11Buttons buttons{connection};
    X11Windows windows{connection};
    X11Screens screens{connection};
    X11Clipboard clipboard{connection};
    // Where the session's registry-like store lives.
    QString registryPath;

    // What needs no toolkit: our connections to the server and what they learn of it. Runs on
    // a second thread while the toolkit connects (see X11Platform::connectAhead).
    bool openServer(QString* error);
    // The rest, on the interface thread once the toolkit is up.
    void openEvents();
};

} // namespace zarvik
