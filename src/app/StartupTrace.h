#pragma once

#include <QLoggingCategory>

namespace zarvik {

Q_DECLARE_LOGGING_CATEGORY(lcStartup)

// The start-up's steps with their times, for finding where a slow start goes. Off unless
// asked for: QT_LOGGING_RULES="zarvik.startup=true" prints one line per step on standard
// error, "zarvik.startup: <ms on the monotonic clock> +<ms since main began> <step> (cpu <ms
// of processor time the calling thread has used>)", so that a trace lines up with the moment
// whoever started the program recorded on the same clock.
void startupStep(const char* step);

} // namespace zarvik
