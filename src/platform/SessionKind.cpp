#include "platform/SessionKind.h"

#include <QtGlobal>
#include <cstring>

namespace zarvik {

SessionEnvironment SessionEnvironment::current(int argc, char** argv)
{
    SessionEnvironment env;
    env.sessionType = qgetenv("XDG_SESSION_TYPE");
    env.waylandDisplay = qgetenv("WAYLAND_DISPLAY");
    env.qpaPlatform = qgetenv("QT_QPA_PLATFORM");
    for (int i = 1; i < argc; ++i) {
        // The toolkit takes "-platform NAME" and "--platform NAME" alike.
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            env.platformArgument = true;
    }
    return env;
}

bool SessionKind::isWayland(const SessionEnvironment& env)
{
    // A session started by a display manager names its type. One started by hand from a
    // console (sway on a virtual terminal) is often still typed "tty", but its programs find
    // the compositor's socket in WAYLAND_DISPLAY.
    if (env.sessionType == "wayland")
        return true;
    return env.sessionType != "x11" && !env.waylandDisplay.isEmpty();
}

QByteArray SessionKind::toolkitPlatform(const SessionEnvironment& env)
{
    if (!isWayland(env) || !env.qpaPlatform.isEmpty() || env.platformArgument)
        return {};
    return QByteArrayLiteral("xcb");
}

QString SessionKind::noDisplayMessage(const SessionEnvironment& env, const QString& reason)
{
    if (isWayland(env))
        return QStringLiteral("zarvik: %1; in a Wayland session Zarvik runs through XWayland: "
                              "turn XWayland on in the compositor's settings")
            .arg(reason);
    return QStringLiteral("zarvik: %1; start it inside an X session, or try it with: xvfb-run -a ./zarvik").arg(reason);
}

} // namespace zarvik
