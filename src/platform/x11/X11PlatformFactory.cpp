#include "platform/FileRegistry.h"
#include "platform/PlatformFactory.h"
#include "platform/SessionKind.h"
#include "platform/X11Platform.h"

#include <QLoggingCategory>
#include <X11/Xlib.h>
#include <xcb/xcb.h>

namespace zarvik {

namespace {
Q_LOGGING_CATEGORY(lcWayland, "zarvik.wayland", QtWarningMsg)
}

bool displayReachable(QString* error)
{
    const QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty()) {
        if (error)
            *error = QStringLiteral("no X display (DISPLAY is not set)");
        return false;
    }
    // A bare connection answers the question: Xlib's would also set up its extensions and
    // locale data, a few times the cost, before the toolkit opens its own.
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    if (!reachable && error)
        *error = QStringLiteral("cannot open X display %1").arg(display);
    return reachable;
}

struct PlatformAhead::State {
    X11Platform::ConnectingPtr connecting;
};

PlatformAhead::PlatformAhead() = default;
PlatformAhead::~PlatformAhead() = default;
PlatformAhead::PlatformAhead(PlatformAhead&&) noexcept = default;
PlatformAhead& PlatformAhead::operator=(PlatformAhead&&) noexcept = default;

PlatformAhead connectPlatformAhead()
{
    PlatformAhead ahead;
    ahead.d = std::make_unique<PlatformAhead::State>();
    ahead.d->connecting = X11Platform::connectAhead(FileRegistry::defaultPath());
    return ahead;
}

std::unique_ptr<Platform> createPlatform(PlatformAhead ahead, QString* error)
{
    auto platform = ahead.d ? X11Platform::create(std::move(ahead.d->connecting), error)
                            : X11Platform::create(FileRegistry::defaultPath(), error);
    // In a Wayland session the display is XWayland, which sees X11 programs only. Without a
    // data-control protocol the program still runs; what it cannot do is said by the
    // program itself, once.
    if (platform && SessionKind::isWayland(SessionEnvironment::current(0, nullptr))) {
        QString reason;
        if (!platform->watchWaylandSelections(&reason))
            qCInfo(lcWayland, "%s", qPrintable(reason));
    }
    return platform;
}

} // namespace zarvik
