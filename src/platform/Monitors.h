#pragma once

#include "platform/Platform.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace zarvik::Monitors {

// The monitor that holds the point, else the one nearest to it; the list must not be empty.
Monitor at(const QList<Monitor>& monitors, QPoint point);
// The primary monitor, else the first.
Monitor primary(const QList<Monitor>& monitors);
// Top-left corner of a window of `size` centred on `monitor`.
QPoint centred(const QRect& monitor, QSize size);

// Top-left corner of a window of `size` centred on the monitor under the pointer, so that a
// window opened from the tray comes up where the user is looking and never across two
// monitors.
QPoint centredAtPointer(Platform& platform, QSize size);

// A monitor as the toolkit scales it: its logical geometry and its device-pixel ratio. The
// toolkit keeps each monitor's top-left corner where the display server has it and divides
// only the size, so in device pixels the monitor starts at the same point and is `ratio`
// times as large.
struct Scaled {
    QRect logical;
    double ratio = 1.0;
};
// A position from the display server (device pixels) in logical pixels, scaled by the monitor
// that holds it (the nearest one when none does; unchanged when there is no monitor).
QPoint toLogical(QPoint device, const QList<Scaled>& monitors);

} // namespace zarvik::Monitors
