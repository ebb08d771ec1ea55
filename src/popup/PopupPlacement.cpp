#include "popup/PopupPlacement.h"

#include "core/Units.h"
#include "popup/PopupWindow.h"

#include <algorithm>

namespace zarvik {

namespace {
constexpr int kGapRightOfPointerTwips = 240;
}

StripLayout PopupPlacement::place(int label1WidthTwips, int label2WidthTwips, int mxPixels, int myPixels,
                                  const QRect& screenTwips, int heightTwips)
{
    StripLayout layout;
    layout.label2Left = label1WidthTwips;
    layout.width = layout.label2Left + label2WidthTwips;
    const int right = screenTwips.x() + screenTwips.width();
    const int bottom = screenTwips.y() + screenTwips.height();
    const int x = pixelsToTwips(mxPixels) + kGapRightOfPointerTwips;
    layout.left = x + layout.width > right ? right - layout.width : x;
    layout.left = std::max(layout.left, screenTwips.x());
    layout.top = pixelsToTwips(myPixels);
    if (layout.top + heightTwips > bottom)
        layout.top = bottom - heightTwips;
    layout.top = std::max(layout.top, screenTwips.y());
    return layout;
}

StripWrap PopupPlacement::wrap(int label1WidthTwips, int label2WidthTwips, int monitorWidthTwips)
{
    StripWrap result;
    const int monitor = std::max(monitorWidthTwips, 0);
    result.label1Width = std::min(std::max(label1WidthTwips, 0), monitor * 2 / 3);
    const int room = monitor - result.label1Width;
    result.wraps = std::max(label2WidthTwips, 0) > room;
    result.label2Width = result.wraps ? room : std::max(label2WidthTwips, 0);
    return result;
}

int PopupPlacement::height(int lines, int lineTwips)
{
    return kStripHeightTwips + std::max(lines - 1, 0) * std::max(lineTwips, 0);
}

} // namespace zarvik
