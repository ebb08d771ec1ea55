#pragma once

#include <QByteArray>
#include <QString>

namespace zarvik {

// What the environment tells about the desktop session the program was started in.
struct SessionEnvironment {
    QByteArray sessionType;    // XDG_SESSION_TYPE
    QByteArray waylandDisplay; // WAYLAND_DISPLAY
    QByteArray qpaPlatform;    // QT_QPA_PLATFORM: the user's choice of toolkit platform
    bool platformArgument = false; // -platform on the command line: also the user's choice

    // Read from the process environment and the command line.
    static SessionEnvironment current(int argc, char** argv);
};

// Decisions taken before the toolkit starts, apart from any display.
class SessionKind final {
public:
    // A Wayland compositor runs the session (XWayland may run beside it).
    static bool isWayland(const SessionEnvironment& env);
    // The toolkit platform the program asks for itself, "" to leave the toolkit's (or the
    // user's) choice alone. In a Wayland session the windows must go through XWayland: the
    // strip is placed at the pointer and parked off-screen, and the program's own X11 layer
    // must talk to the server its windows live on.
    static QByteArray toolkitPlatform(const SessionEnvironment& env);
    // The one line said on standard error when no X server can be reached (`reason` says why).
    static QString noDisplayMessage(const SessionEnvironment& env, const QString& reason);
};

} // namespace zarvik
