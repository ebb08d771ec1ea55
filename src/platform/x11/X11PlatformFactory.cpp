// Placeholder so the tree builds; the X11 implementation replaces it.
#include "platform/PlatformFactory.h"

namespace zarvik {

bool displayReachable(QString* error)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        if (error)
            *error = QStringLiteral("no X display (DISPLAY is not set)");
        return false;
    }
    return true;
}

std::unique_ptr<Platform> createPlatform(QString* error)
{
    if (error)
        *error = QStringLiteral("the X11 platform is not built yet");
    return nullptr;
}

} // namespace zarvik
