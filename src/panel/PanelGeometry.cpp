#include "panel/PanelGeometry.h"

#include "settings/Settings.h"

#include <algorithm>
#include <cmath>

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

TopPlacement activationTop(const QString& storedPanelPos, int screenHeight)
{
    const double half = screenHeight / 2.0;
    // A value that is not a number (hand-edited store) is treated like one out of range:
    // the panel comes up at mid-height and the store is mended.
    const std::optional<double> value = settingsNumber(storedPanelPos);
    // A top that would leave part of the strip below the screen is out of range as well: the
    // handle there cannot be reached, nor the list seen.
    if (!value || !std::isfinite(*value) || *value > screenHeight - kStripHeight || *value < 0)
        return {half, true};
    // The store holds a single-precision number; use what a later read would give.
    return {static_cast<double>(static_cast<float>(*value)), false};
}

double dragTop(double top, int screenHeight)
{
    return std::clamp(top, 0.0, std::max(0.0, double(screenHeight - kStripHeight)));
}

} // namespace zarvik::PanelGeometry
