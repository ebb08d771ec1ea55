#include "panel/PanelGeometry.h"

#include "core/Units.h"
#include "settings/Settings.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zarvik::PanelGeometry {

int extraStrip(bool bigpanel)
{
    return bigpanel ? 1100 : 0;
}

int closedLeft(int screenWidth, int extra)
{
    return screenWidth - 250 - extra;
}

int openLeft(int screenWidth)
{
    return screenWidth - 5750;
}

std::array<int, kSlideSteps> slidePositions(int from, int direction)
{
    std::array<int, kSlideSteps> positions{};
    for (int i = 0; i < kSlideSteps; ++i)
        positions[static_cast<size_t>(i)] = from + direction * kSlideStep * (i + 1);
    return positions;
}

int listHeight(int lines)
{
    return 255 + 208 * (std::max(lines, 1) - 1);
}

int formHeight(int lines, bool inputEmpty)
{
    if (lines == 1 && inputEmpty)
        return kStripHeight;
    return listHeight(lines) + 515;
}

QRect panelMonitor(const QList<Monitor>& monitors, std::optional<double> storedTopPixels)
{
    int right = std::numeric_limits<int>::min();
    for (const Monitor& monitor : monitors)
        right = std::max(right, monitor.geometry.x() + monitor.geometry.width());
    QList<Monitor> atEdge;
    for (const Monitor& monitor : monitors) {
        if (monitor.geometry.x() + monitor.geometry.width() == right)
            atEdge.append(monitor);
    }
    if (atEdge.isEmpty())
        return {};
    if (storedTopPixels) {
        for (const Monitor& monitor : atEdge) {
            const QRect& g = monitor.geometry;
            if (*storedTopPixels >= g.y() && *storedTopPixels < g.y() + g.height())
                return g;
        }
    }
    for (const Monitor& monitor : atEdge) {
        if (monitor.primary)
            return monitor.geometry;
    }
    // None of them is the primary: the highest, where a panel without a stored place is
    // looked for first.
    const auto highest = std::min_element(atEdge.cbegin(), atEdge.cend(), [](const Monitor& a, const Monitor& b) {
        return a.geometry.y() < b.geometry.y();
    });
    return highest->geometry;
}

TopPlacement activationTop(const QString& storedPanelPos, int monitorTop, int monitorHeight)
{
    const double middle = monitorTop + monitorHeight / 2.0;
    // A value that is not a number (hand-edited store) is treated like one out of range:
    // the panel comes up at mid-height and the store is mended.
    const std::optional<double> value = settingsNumber(storedPanelPos);
    // A top that would leave part of the strip below the monitor is out of range as well: the
    // handle there cannot be reached, nor the list seen.
    if (!value || !std::isfinite(*value) || *value > monitorTop + monitorHeight - kStripHeight || *value < monitorTop)
        return {middle, true};
    // The store holds a single-precision number; use what a later read would give.
    return {static_cast<double>(static_cast<float>(*value)), false};
}

double shownTop(const QList<Monitor>& monitors, double top, int height)
{
    const QRect monitor = panelMonitor(monitors, top / kTwipsPerPixel);
    if (monitor.isNull())
        return top;
    const double monitorTop = pixelsToTwips(monitor.y());
    const double bottom = pixelsToTwips(monitor.y() + monitor.height());
    return std::max(monitorTop, std::min(top, bottom - height));
}

bool dragStarts(double movedTwips, int dragDistancePixels)
{
    return std::abs(movedTwips) >= double(dragDistancePixels) * kTwipsPerPixel;
}

double dragTop(double top, int monitorTop, int monitorHeight)
{
    return std::clamp(top, double(monitorTop), std::max(double(monitorTop), double(monitorTop + monitorHeight - kStripHeight)));
}

} // namespace zarvik::PanelGeometry
