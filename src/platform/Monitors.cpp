#include "platform/Monitors.h"

#include <algorithm>
#include <limits>

namespace zarvik::Monitors {

namespace {

// Squared distance from the point to the nearest pixel of the rectangle (0 inside it).
qint64 distance2(const QRect& rect, QPoint point)
{
    const qint64 dx = std::max({rect.left() - point.x(), 0, point.x() - rect.right()});
    const qint64 dy = std::max({rect.top() - point.y(), 0, point.y() - rect.bottom()});
    return dx * dx + dy * dy;
}

template <typename T, typename Rect>
int nearest(const QList<T>& list, QPoint point, Rect rectOf)
{
    int best = -1;
    qint64 bestDistance = std::numeric_limits<qint64>::max();
    for (int i = 0; i < list.size(); ++i) {
        const qint64 d = distance2(rectOf(list[i]), point);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

QRect deviceRect(const Scaled& monitor)
{
    return QRect(monitor.logical.topLeft(),
                 QSize(qRound(monitor.logical.width() * monitor.ratio), qRound(monitor.logical.height() * monitor.ratio)));
}

} // namespace

Monitor at(const QList<Monitor>& monitors, QPoint point)
{
    const int i = nearest(monitors, point, [](const Monitor& m) { return m.geometry; });
    return i < 0 ? Monitor{} : monitors[i];
}

Monitor primary(const QList<Monitor>& monitors)
{
    for (const Monitor& monitor : monitors) {
        if (monitor.primary)
            return monitor;
    }
    return monitors.isEmpty() ? Monitor{} : monitors.first();
}

QPoint centred(const QRect& monitor, QSize size)
{
    return {monitor.x() + (monitor.width() - size.width()) / 2, monitor.y() + (monitor.height() - size.height()) / 2};
}

QPoint centredAtPointer(Platform& platform, QSize size)
{
    return centred(at(platform.monitors(), platform.cursorPos()).geometry, size);
}

QPoint toLogical(QPoint device, const QList<Scaled>& monitors)
{
    const int i = nearest(monitors, device, deviceRect);
    if (i < 0 || monitors[i].ratio <= 0)
        return device;
    const QPoint origin = monitors[i].logical.topLeft();
    const QPointF within = QPointF(device - origin) / monitors[i].ratio;
    return origin + within.toPoint();
}

} // namespace zarvik::Monitors
