#pragma once

#include <QtGlobal>

struct _XDisplay;

namespace zarvik {

// Whether the server can name the process behind a client (X-Resource 1.2 or later).
bool x11HasClientIds(_XDisplay* display);
// The process of the client that created the window (any window or resource id of it), 0 when
// the server cannot tell (a remote client, or no X-Resource).
qint64 x11ClientProcess(_XDisplay* display, unsigned long window);

} // namespace zarvik
