#pragma once

#include "platform/Platform.h"

#include <memory>

namespace zarvik {

// Whether a display can be reached at all; checked before the toolkit starts, which would
// otherwise abort. The reason goes into `error`.
bool displayReachable(QString* error);

// The platform of the desktop the program runs on; nullptr when there is none to talk to
// (for example no X display), with the reason in `error`.
std::unique_ptr<Platform> createPlatform(QString* error);

} // namespace zarvik
